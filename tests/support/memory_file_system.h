#pragma once

#include <cstdint>
#include <map>
#include <optional>
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
  // Without links or an anchor to leave, every file small enough is read in one step.
  std::optional<FileRead> ReadUnlinkedFile(const std::string& path, std::uint64_t largest) override;
  Status CreateFileIfMissing(const std::string& path) override;
  Status ReplaceFile(const std::string& path, std::string_view bytes) override;
  Status ReplaceKnownFile(const std::string& path, std::string_view bytes,
                          const FileInfo&) override {
    return ReplaceFile(path, bytes);
  }
  // Memory has no power to lose: a staged file only waits for its commit.
  Status StageReplacement(const std::string& path, std::string_view bytes,
                          const FileInfo&) override {
    staged_.emplace_back(path, std::string(bytes));
    return Ok();
  }
  std::vector<Status> CommitStaged() override {
    std::vector<Status> outcomes;
    for (const auto& [path, bytes] : std::exchange(staged_, {})) {
      outcomes.push_back(ReplaceFile(path, bytes));
    }
    return outcomes;
  }
  void DiscardStaged() override { staged_.clear(); }
  void AnchorAt(const std::string&) override {}
  Result<FileInfo> Stat(const std::string& path) override;
  Result<FileInfo> LinkStat(const std::string& path) override;
  Result<std::string> RealPath(const std::string& path) override;
  Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) override;
  Status MakeDirectories(const std::string& path) override;
  // Without directories or links: a new directory is always new, a path always plain.
  Status MakeNewDirectory(const std::string&) override { return Ok(); }
  Result<std::string> ReadFileBeneath(const std::string& directory,
                                      const std::string& relative) override {
    return ReadFile(directory + "/" + relative);
  }
  Status SyncFileSystemOf(const std::string&) override { return Ok(); }
  Status RemoveFile(const std::string& path) override;
  Status KeepCopy(const std::string& from, const std::string& to) override;
  Status AppendToFile(const std::string& path, std::string_view bytes) override;
  Status RemoveDirectory(const std::string&) override { return Ok(); }
  Result<bool> ContentEquals(const std::string& path, std::string_view bytes) override;
  Status CheckReplaceable(const std::string& path) override;

 private:
  std::map<std::string, std::string> files_;
  std::vector<std::pair<std::string, std::string>> staged_;
};

}  // namespace quelbo::testing
