#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/forwarding_file_system.h"

namespace quelbo::testing {

// The machine's file system with two test conveniences: directory listings come in name
// order, so that tests can state the lists a run builds exactly; and chosen operations on
// chosen paths fail as a disk, a permission or a read-only mount would make them fail.
class TestFileSystem final : public ForwardingFileSystem {
 public:
  enum class Operation { kRead, kReplace, kList, kKeepCopy, kAppend, kStat, kRemove };

  TestFileSystem() : ForwardingFileSystem(NewMachineFileSystem()) {}

  // Every `operation` on a path containing `path_part` fails with `errno_value` from now on.
  void Fail(Operation operation, std::string path_part, int errno_value) {
    faults_.push_back({operation, std::move(path_part), errno_value});
  }
  void ClearFaults() { faults_.clear(); }

  Status KeepCopy(const std::string& from, const std::string& to) override {
    if (const int e = FaultFor(Operation::kKeepCopy, to)) return Failure("link", to, e);
    return ForwardingFileSystem::KeepCopy(from, to);
  }
  Status AppendToFile(const std::string& path, std::string_view bytes) override {
    if (const int e = FaultFor(Operation::kAppend, path)) return Failure("write", path, e);
    return ForwardingFileSystem::AppendToFile(path, bytes);
  }
  Status RemoveFile(const std::string& path) override {
    if (const int e = FaultFor(Operation::kRemove, path)) return Failure("remove", path, e);
    return ForwardingFileSystem::RemoveFile(path);
  }
  Result<std::string> ReadFile(const std::string& path) override {
    if (const int e = FaultFor(Operation::kRead, path)) return Failure("open", path, e);
    return ForwardingFileSystem::ReadFile(path);
  }
  // A failed read here declines, as the machine's does: the caller's longer way gives the reason.
  std::optional<FileRead> ReadUnlinkedFile(const std::string& path,
                                           std::uint64_t largest) override {
    if (FaultFor(Operation::kRead, path) != 0) return std::nullopt;
    return ForwardingFileSystem::ReadUnlinkedFile(path, largest);
  }
  Result<FileInfo> Stat(const std::string& path) override {
    if (const int e = FaultFor(Operation::kStat, path)) return Failure("stat", path, e);
    return ForwardingFileSystem::Stat(path);
  }
  Result<FileInfo> LinkStat(const std::string& path) override {
    if (const int e = FaultFor(Operation::kStat, path)) return Failure("stat", path, e);
    return ForwardingFileSystem::LinkStat(path);
  }
  Status ReplaceFile(const std::string& path, std::string_view bytes) override {
    if (const int e = FaultFor(Operation::kReplace, path)) {
      return Failure("create temporary file", path, e);
    }
    return ForwardingFileSystem::ReplaceFile(path, bytes);
  }
  Status ReplaceKnownFile(const std::string& path, std::string_view bytes,
                          const FileInfo& replaced) override {
    if (const int e = FaultFor(Operation::kReplace, path)) {
      return Failure("create temporary file", path, e);
    }
    return ForwardingFileSystem::ReplaceKnownFile(path, bytes, replaced);
  }
  Status StageReplacement(const std::string& path, std::string_view bytes,
                          const FileInfo& replaced) override {
    if (const int e = FaultFor(Operation::kReplace, path)) {
      return Failure("create temporary file", path, e);
    }
    return ForwardingFileSystem::StageReplacement(path, bytes, replaced);
  }
  Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) override {
    if (const int e = FaultFor(Operation::kList, path)) return Failure("list", path, e);
    auto entries = ForwardingFileSystem::ListDirectory(path);
    if (entries) {
      std::sort(entries->begin(), entries->end(),
                [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    }
    return entries;
  }
  Result<bool> ContentEquals(const std::string& path, std::string_view bytes) override {
    if (const int e = FaultFor(Operation::kRead, path)) return Failure("open", path, e);
    return ForwardingFileSystem::ContentEquals(path, bytes);
  }
  Status CheckReplaceable(const std::string& path) override {
    if (const int e = FaultFor(Operation::kReplace, path)) return Failure("stat", path, e);
    return ForwardingFileSystem::CheckReplaceable(path);
  }

 private:
  struct Fault {
    Operation operation;
    std::string path_part;
    int errno_value;
  };

  static std::unexpected<Error> Failure(const char* operation, const std::string& path, int e) {
    return std::unexpected(Error(ErrorKind::kIo, operation, path, std::strerror(e)));
  }

  int FaultFor(Operation operation, const std::string& path) const {
    for (const Fault& fault : faults_) {
      if (fault.operation == operation && path.find(fault.path_part) != std::string::npos) {
        return fault.errno_value;
      }
    }
    return 0;
  }

  std::vector<Fault> faults_;
};

}  // namespace quelbo::testing
