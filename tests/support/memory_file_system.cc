#include "support/memory_file_system.h"

#include <utility>

namespace quelbo::testing {
namespace {

Error NotFound(const char* operation, const std::string& path) {
  return Error(ErrorKind::kNotFound, operation, path, "no such file");
}

}  // namespace

const std::string* MemoryFileSystem::Find(const std::string& path) const {
  const auto found = files_.find(path);
  return found == files_.end() ? nullptr : &found->second;
}

Result<std::string> MemoryFileSystem::ReadFile(const std::string& path) {
  if (const std::string* bytes = Find(path)) return *bytes;
  return std::unexpected(NotFound("read", path));
}

std::optional<FileRead> MemoryFileSystem::ReadUnlinkedFile(const std::string& path,
                                                           std::uint64_t largest) {
  const std::string* bytes = Find(path);
  if (!bytes || bytes->size() > largest) return std::nullopt;
  return FileRead{*Stat(path), *bytes};
}

Status MemoryFileSystem::KeepCopy(const std::string& from, const std::string& to) {
  const std::string* bytes = Find(from);
  if (!bytes) return std::unexpected(NotFound("link", from));
  files_[to] = *bytes;
  return Ok();
}

Status MemoryFileSystem::AppendToFile(const std::string& path, std::string_view bytes) {
  files_[path] += bytes;
  return Ok();
}

Status MemoryFileSystem::CreateFileIfMissing(const std::string& path) {
  files_.try_emplace(path);
  return Ok();
}

Status MemoryFileSystem::ReplaceFile(const std::string& path, std::string_view bytes) {
  files_[path] = std::string(bytes);
  return Ok();
}

Result<bool> MemoryFileSystem::ContentEquals(const std::string& path, std::string_view bytes) {
  if (const std::string* content = Find(path)) return *content == bytes;
  return std::unexpected(NotFound("read", path));
}

Status MemoryFileSystem::CheckReplaceable(const std::string& path) {
  if (Find(path) == nullptr) return std::unexpected(NotFound("stat", path));
  return Ok();  // every file here may be replaced
}

Result<FileInfo> MemoryFileSystem::Stat(const std::string& path) {
  const std::string* bytes = Find(path);
  if (!bytes) return std::unexpected(NotFound("stat", path));
  return FileInfo{FileType::kRegular, bytes->size(), 0644};
}

Result<FileInfo> MemoryFileSystem::LinkStat(const std::string& path) { return Stat(path); }

Result<std::string> MemoryFileSystem::RealPath(const std::string& path) {
  if (!Find(path)) return std::unexpected(NotFound("resolve", path));
  return path;
}

Result<std::vector<DirectoryEntry>> MemoryFileSystem::ListDirectory(const std::string& path) {
  return std::unexpected(NotFound("list", path));
}

Status MemoryFileSystem::MakeDirectories(const std::string&) { return Ok(); }

Status MemoryFileSystem::RemoveFile(const std::string& path) {
  if (files_.erase(path) == 0) return std::unexpected(NotFound("remove", path));
  return Ok();
}

}  // namespace quelbo::testing
