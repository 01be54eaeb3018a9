#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <utility>

namespace quelbo {

// What went wrong with a file operation, named by the operation and the path.
enum class ErrorKind {
  kNotFound,        // no such file or directory
  kNotRegularFile,  // a directory, FIFO, socket or device where a file was expected
  kOutsideRoot,     // the path leads out of the site directory
  kBadName,         // a name that is not valid UTF-8
  kReadOnly,        // a file without write permission, left alone
  kChanged,         // a file changed or removed by someone else while being replaced
  kTooLarge,        // a file too large to be held in memory safely
  kBusy,            // another run holds the site
  kExists,          // a name to be made new is taken
  kIo,              // anything else the system reported
};

class Error {
 public:
  Error(ErrorKind kind, std::string operation, std::string path, std::string reason);

  ErrorKind kind() const { return kind_; }
  const std::string& operation() const { return operation_; }
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

  // "operation path: reason", the path as the user is shown it (see ShownPath)
  std::string Message() const;

 private:
  ErrorKind kind_;
  std::string operation_;
  std::string path_;
  std::string reason_;
};

// The outcome of an operation that gives nothing back. [[nodiscard]], as Result is, so that a
// failure can never be dropped without a word: ignoring one must be spelled out with (void).
class [[nodiscard]] Status : public std::expected<void, Error> {
 public:
  using std::expected<void, Error>::expected;
  Status(std::expected<void, Error> outcome) : std::expected<void, Error>(std::move(outcome)) {}
};

// A value, or the error that kept it from being made.
template <typename T>
class [[nodiscard]] Result : public std::expected<T, Error> {
 public:
  using std::expected<T, Error>::expected;
  Result(std::expected<T, Error> outcome) : std::expected<T, Error>(std::move(outcome)) {}
};

inline Status Ok() { return {}; }

}  // namespace quelbo
