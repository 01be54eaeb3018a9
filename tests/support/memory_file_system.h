#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace quelbo::testing {

// Regular files held in memory, keyed by their path; there are no directories or links. Fast
// enough to run a profile read or write on every fuzz input, and for tests that need no disk.
class MemoryFileSystem final : public FileSystem {
 public:
  // The bytes of a file, or nullptr when there is none.
  const std::string* Find(const std::string& path) const;
  void Put(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }
  void Clear() { files_.clear(); }

  Result<std::string> ReadFile(const std::string& path) override;
  Status CreateFileIfMissing(const std::string& path) override;
  Status ReplaceFile(const std::string& path, std::string_view bytes) override;
  Status ReplaceKnownFile(const std::string& path, std::string_view bytes,
                          const FileInfo&) override {
    return ReplaceFile(path, bytes);
  }
  // Memory has no power to lose: a staged file is replaced at once.
  Status StageReplacement(const std::string& path, std::string_view bytes,
                          const FileInfo& replaced) override {
    auto replaced_now = ReplaceKnownFile(path, bytes, replaced);
    if (replaced_now) staged_outcomes_.push_back(Ok());
    return replaced_now;
  }
  std::vector<Status> CommitStaged() override { return std::exchange(staged_outcomes_, {}); }
  void AnchorAt(const std::string&) override {}
  Result<FileInfo> Stat(const std::string& path) override;
  Result<FileInfo> LinkStat(const std::string& path) override;
  Result<std::string> RealPath(const std::string& path) override;
  Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) override;
  Status MakeDirectories(const std::string& path) override;
  Status RemoveFile(const std::string& path) override;
  Result<bool> ContentEquals(const std::string& path, std::string_view bytes) override;

 private:
  std::map<std::string, std::string> files_;
  std::vector<Status> staged_outcomes_;
};

}  // namespace quelbo::testing
