#pragma once

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace quelbo::testing {

// The real file system with two test conveniences: directory listings come in name order, so
// that tests can state the lists a run builds exactly; and chosen operations on chosen paths
// fail as a disk, a permission or a read-only mount would make them fail.
class TestFileSystem final : public FileSystem {
 public:
  enum class Operation { kRead, kReplace, kList };

  // Every `operation` on a path containing `path_part` fails with `errno_value` from now on.
  void Fail(Operation operation, std::string path_part, int errno_value) {
    faults_.push_back({operation, std::move(path_part), errno_value});
  }

  Result<std::string> ReadFile(const std::string& path) override {
    if (const int e = FaultFor(Operation::kRead, path)) {
      return std::unexpected(Error::FromErrno("open", path, e));
    }
    return real_.ReadFile(path);
  }
  Status CreateFileIfMissing(const std::string& path) override {
    return real_.CreateFileIfMissing(path);
  }
  Status ReplaceFile(const std::string& path, std::string_view bytes) override {
    if (const int e = FaultFor(Operation::kReplace, path)) {
      return std::unexpected(Error::FromErrno("create temporary file", path, e));
    }
    return real_.ReplaceFile(path, bytes);
  }
  Status ReplaceKnownFile(const std::string& path, std::string_view bytes,
                          const FileInfo& replaced) override {
    if (const int e = FaultFor(Operation::kReplace, path)) {
      return std::unexpected(Error::FromErrno("create temporary file", path, e));
    }
    return real_.ReplaceKnownFile(path, bytes, replaced);
  }
  void AnchorAt(const std::string& directory) override { real_.AnchorAt(directory); }
  Result<FileInfo> Stat(const std::string& path) override { return real_.Stat(path); }
  Result<FileInfo> LinkStat(const std::string& path) override { return real_.LinkStat(path); }
  Result<std::string> RealPath(const std::string& path) override { return real_.RealPath(path); }
  Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) override {
    if (const int e = FaultFor(Operation::kList, path)) {
      return std::unexpected(Error::FromErrno("list", path, e));
    }
    auto entries = real_.ListDirectory(path);
    if (entries) {
      std::sort(entries->begin(), entries->end(),
                [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    }
    return entries;
  }
  Status MakeDirectories(const std::string& path) override { return real_.MakeDirectories(path); }
  Status RemoveFile(const std::string& path) override { return real_.RemoveFile(path); }
  Result<bool> ContentEquals(const std::string& path, std::string_view bytes) override {
    if (const int e = FaultFor(Operation::kRead, path)) {
      return std::unexpected(Error::FromErrno("open", path, e));
    }
    return real_.ContentEquals(path, bytes);
  }

 private:
  struct Fault {
    Operation operation;
    std::string path_part;
    int errno_value;
  };

  int FaultFor(Operation operation, const std::string& path) const {
    for (const Fault& fault : faults_) {
      if (fault.operation == operation && path.find(fault.path_part) != std::string::npos) {
        return fault.errno_value;
      }
    }
    return 0;
  }

  PosixFileSystem real_;
  std::vector<Fault> faults_;
};

}  // namespace quelbo::testing
