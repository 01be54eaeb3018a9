#pragma once

#include <algorithm>
#include <string>

#include "platform/file_system.h"

namespace quelbo::testing {

// The real file system, but directory listings come in name order, so that tests can state
// the lists a run builds exactly.
class OrderedFileSystem final : public FileSystem {
 public:
  Result<std::string> ReadFile(const std::string& path) override { return real_.ReadFile(path); }
  Status CreateFileIfMissing(const std::string& path) override {
    return real_.CreateFileIfMissing(path);
  }
  Status ReplaceFile(const std::string& path, std::string_view bytes) override {
    return real_.ReplaceFile(path, bytes);
  }
  Result<FileInfo> Stat(const std::string& path) override { return real_.Stat(path); }
  Result<FileInfo> LinkStat(const std::string& path) override { return real_.LinkStat(path); }
  Result<std::string> RealPath(const std::string& path) override { return real_.RealPath(path); }
  Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) override {
    auto entries = real_.ListDirectory(path);
    if (entries) {
      std::sort(entries->begin(), entries->end(),
                [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    }
    return entries;
  }
  Status MakeDirectories(const std::string& path) override { return real_.MakeDirectories(path); }
  Status RemoveFile(const std::string& path) override { return real_.RemoveFile(path); }

 private:
  PosixFileSystem real_;
};

}  // namespace quelbo::testing
