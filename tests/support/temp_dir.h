#pragma once

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

// Bytes as spaced upper-case hex ("E6 96 87"), so that byte comparisons print readably.
std::string Hex(std::string_view bytes);

}  // namespace quelbo::testing
