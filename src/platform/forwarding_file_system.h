#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace quelbo {

// A file system that hands every call to a target file system: the base of wrappers that
// change a few calls (to inject a failure, say) and leave the rest exactly as the target does.
// Every method is forwarded, so that a wrapper takes the very paths its target takes.
class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(std::unique_ptr<FileSystem> target) : target_(std::move(target)) {}

  Result<std::string> ReadFile(const std::string& path) override { return target_->ReadFile(path); }
  std::optional<FileRead> ReadUnlinkedFile(const std::string& path,
                                           std::uint64_t largest) override {
    return target_->ReadUnlinkedFile(path, largest);
  }
  Status CreateFileIfMissing(const std::string& path) override {
    return target_->CreateFileIfMissing(path);
  }
  Status ReplaceFile(const std::string& path, std::string_view bytes) override {
    return target_->ReplaceFile(path, bytes);
  }
  Status ReplaceKnownFile(const std::string& path, std::string_view bytes,
                          const FileInfo& replaced) override {
    return target_->ReplaceKnownFile(path, bytes, replaced);
  }
  Status StageReplacement(const std::string& path, std::string_view bytes,
                          const FileInfo& replaced) override {
    return target_->StageReplacement(path, bytes, replaced);
  }
  std::vector<Status> CommitStaged() override { return target_->CommitStaged(); }
  void DiscardStaged() override { target_->DiscardStaged(); }
  void AnchorAt(const std::string& directory) override { target_->AnchorAt(directory); }
  Result<FileInfo> Stat(const std::string& path) override { return target_->Stat(path); }
  Result<FileInfo> LinkStat(const std::string& path) override { return target_->LinkStat(path); }
  Result<std::string> RealPath(const std::string& path) override { return target_->RealPath(path); }
  Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) override {
    return target_->ListDirectory(path);
  }
  Status MakeDirectories(const std::string& path) override {
    return target_->MakeDirectories(path);
  }
  Status MakeNewDirectory(const std::string& path) override {
    return target_->MakeNewDirectory(path);
  }
  Result<std::string> ReadFileBeneath(const std::string& directory,
                                      const std::string& relative) override {
    return target_->ReadFileBeneath(directory, relative);
  }
  Status SyncFileSystemOf(const std::string& path) override {
    return target_->SyncFileSystemOf(path);
  }
  Status RemoveFile(const std::string& path) override { return target_->RemoveFile(path); }
  Result<bool> ContentEquals(const std::string& path, std::string_view bytes) override {
    return target_->ContentEquals(path, bytes);
  }
  Status CheckReplaceable(const std::string& path) override {
    return target_->CheckReplaceable(path);
  }
  Status KeepCopy(const std::string& from, const std::string& to) override {
    return target_->KeepCopy(from, to);
  }
  Status AppendToFile(const std::string& path, std::string_view bytes) override {
    return target_->AppendToFile(path, bytes);
  }
  Status RemoveDirectory(const std::string& path) override {
    return target_->RemoveDirectory(path);
  }

 private:
  std::unique_ptr<FileSystem> target_;
};

// A method of FileSystem left out above leaves the class abstract.
static_assert(!std::is_abstract_v<ForwardingFileSystem>, "a FileSystem method is not forwarded");

}  // namespace quelbo
