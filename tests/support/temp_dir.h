#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quelbo::testing {

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it at destruction.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::string& path() const { return path_; }
  // path() + "/" + relative
  std::string operator/(std::string_view relative) const;

 private:
  std::string path_;
};

// Whole-file helpers for tests; they fail the test on I/O errors.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes);
bool Exists(const std::string& path);

// A UTF-8 path for std::filesystem, whatever the system's narrow code page is.
inline std::filesystem::path PathOf(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// A new directory (its parent must exist); false when it cannot be made.
inline bool MakeDirectory(const std::string& path) {
  std::error_code error;
  return std::filesystem::create_directory(PathOf(path), error);
}
// Removes a file or an empty directory; false when nothing was removed.
inline bool Remove(const std::string& path) {
  std::error_code error;
  return std::filesystem::remove(PathOf(path), error);
}

// What each system spells its own way; false (the test fails) when the system refuses.
// A symbolic link at `link` to `target`, a folder or a file.
bool MakeLink(const std::string& target, const std::string& link);
// A file its owner asked to be left alone: no write bits, or the read-only attribute.
bool MakeReadOnly(const std::string& path);

#ifdef _WIN32
// A file held open by another program that shares it with no one, until destruction.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path);
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  ~HeldFile();
  bool held() const;

 private:
  void* handle_;
};
#endif

// Bytes as spaced upper-case hex ("E6 96 87"), so that byte comparisons print readably.
std::string Hex(std::string_view bytes);

}  // namespace quelbo::testing
