#include <windows.h>
// <windows.h> names ReplaceFile as a macro for ReplaceFileW, which would rename the method.
#undef ReplaceFile
#undef RemoveDirectory

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/beneath_root_win32.h"
#include "platform/file_details_win32.h"
#include "platform/file_system.h"
#include "platform/flush_pool_win32.h"
#include "platform/handle_win32.h"
#include "platform/text_win32.h"

namespace quelbo {
namespace {

using win32::Handle;
using win32::LastError;
using win32::WidePath;

// Others may read, write, rename and delete while a file is open here, as on POSIX.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Windows keeps no permission bits; the read-only attribute stands for the missing write bits.
constexpr std::uint32_t kWritableMode = 0666;
constexpr std::uint32_t kReadOnlyMode = 0444;

FileType TypeOf(DWORD attributes) {
  // Symbolic links and junctions are both reparse points that name another place.
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return FileType::kSymlink;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileType::kDirectory;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return FileType::kOther;
  return FileType::kRegular;
}

std::int64_t Nanoseconds(const FILETIME& time) {
  const std::uint64_t ticks =
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<std::int64_t>(ticks) * 100;  // 100 ns ticks since 1601
}

FileInfo InfoOf(const BY_HANDLE_FILE_INFORMATION& data, bool follow) {
  FileInfo info;
  DWORD attributes = data.dwFileAttributes;
  if (follow) attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT);
  info.type = TypeOf(attributes);
  info.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  info.mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? kReadOnlyMode : kWritableMode;
  info.device = data.dwVolumeSerialNumber;
  info.inode = (static_cast<std::uint64_t>(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
  info.modified_ns = Nanoseconds(data.ftLastWriteTime);
  info.links = data.nNumberOfLinks;
  return info;
}

// Opens a file or directory for reading its information or content; `follow` says whether a
// link leads to its target.
HANDLE OpenExisting(const std::wstring& path, DWORD access, bool follow) {
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;  // lets a directory be opened too
  if (!follow) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
  return ::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash);
}

// A page with the read-only attribute is one its owner asked to be left alone, as a file
// without write bits is on POSIX systems: kReadOnly, as there. Windows itself refuses to move
// a file over it, but not every implementation of its calls does, so it is asked first.
[[nodiscard]] Status CheckWritable(std::optional<DWORD> attributes, const std::string& path) {
  if (attributes && (*attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return std::unexpected(Error(ErrorKind::kReadOnly, "replace", path, "read-only file"));
  }
  return Ok();
}

// The attributes of the file at `path`; nothing when there is none.
std::optional<DWORD> AttributesAt(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

[[nodiscard]] Status WriteAll(HANDLE file, std::string_view bytes, const std::string& path) {
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t left = bytes.size() - done;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
      return std::unexpected(LastError("write", path));
    }
    done += written;
  }
  return Ok();
}

// Reads an open file to its end into `bytes`, one byte of room past `expected` so that the
// read which meets the end normally finds it without growing the buffer.
[[nodiscard]] Status ReadAll(HANDLE file, std::uint64_t expected, std::string& bytes,
                             const std::string& path) {
  size_t done = 0;
  size_t capacity = static_cast<size_t>(expected) + 1;
  for (;;) {
    if (done == capacity) capacity += capacity / 2 + 4096;
    bytes.resize_and_overwrite(capacity, [capacity](char*, size_t) { return capacity; });
    const size_t left = capacity - done;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD read = 0;
    if (!::ReadFile(file, bytes.data() + done, chunk, &read, nullptr)) {
      return std::unexpected(LastError("read", path));
    }
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  return Ok();
}

// The file system through the wide-character Win32 calls. Paths at the seam are UTF-8 with "/"
// (or "\") separators. Replacement writes a hidden temporary file beside the page, gives it the
// page's details (see file_details_win32.h), flushes it (a batch's files all at once) and
// moves it over the page with MoveFileExW (replace, write-through). A page with the read-only
// attribute is not replaced.
class Win32FileSystem final : public FileSystem {
 public:
  Win32FileSystem() = default;
  Win32FileSystem(const Win32FileSystem&) = delete;
  Win32FileSystem& operator=(const Win32FileSystem&) = delete;
  // A batch never committed leaves no temporary file behind.
  ~Win32FileSystem() override { DiscardStaged(); }

  Result<std::string> ReadFile(const std::string& path) override;
  std::optional<FileRead> ReadUnlinkedFile(const std::string& path, std::uint64_t largest) override;
  Status CreateFileIfMissing(const std::string& path) override;
  Status ReplaceFile(const std::string& path, std::string_view bytes) override;
  Status ReplaceKnownFile(const std::string& path, std::string_view bytes,
                          const FileInfo& replaced) override;
  Status StageReplacement(const std::string& path, std::string_view bytes,
                          const FileInfo& replaced) override;
  std::vector<Status> CommitStaged() override;
  void DiscardStaged() override {
    for (StagedFile& staged : staged_) Remove(staged);
    staged_.clear();
  }
  Status KeepCopy(const std::string& from, const std::string& to) override;
  Status AppendToFile(const std::string& path, std::string_view bytes) override;
  Status RemoveDirectory(const std::string& path) override;
  Result<FileInfo> Stat(const std::string& path) override { return InfoAt(path, true); }
  Result<FileInfo> LinkStat(const std::string& path) override { return InfoAt(path, false); }
  Result<std::string> RealPath(const std::string& path) override;
  Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) override;
  Status MakeDirectories(const std::string& path) override;
  Status MakeNewDirectory(const std::string& path) override;
  Result<std::string> ReadFileBeneath(const std::string& directory,
                                      const std::string& relative) override;
  // Every write here is flushed by itself (ReplaceFile, and so KeepCopy's copies and the
  // appends, which go through it); a hard link is a change of metadata, which NTFS journals.
  Status SyncFileSystemOf(const std::string&) override { return Ok(); }
  Status RemoveFile(const std::string& path) override;
  Result<bool> ContentEquals(const std::string& path, std::string_view bytes) override;
  Status CheckReplaceable(const std::string& path) override;
  // Lookups still go through the full path each time; what they reach is checked against it.
  void AnchorAt(const std::string& directory) override { anchor_.Set(directory); }

 private:
  // A new content written beside its page, still open for its flush, not yet moved over it.
  struct StagedFile {
    std::string path;
    std::string temp;
    std::wstring wide_temp;
    std::optional<FileInfo> replaced;
    Handle file;
    std::vector<Handle> streams;  // the page's other data streams, copied
  };

  // With `attributes`, also the file's attributes as the system gives them.
  Result<FileInfo> InfoAt(const std::string& path, bool follow, DWORD* attributes = nullptr);
  Status WriteAndMove(const std::string& path, std::string_view bytes,
                      std::optional<FileInfo> replaced);
  Result<StagedFile> WriteTemporary(const std::string& path, std::string_view bytes);
  // Flushes the files of `staged` together; the outcome of each.
  static std::vector<Status> Flush(std::vector<StagedFile>& staged);
  Status MoveIntoPlace(StagedFile& staged);
  // Closes a staged file and removes it.
  static void Remove(StagedFile& staged);

  // Opens the directory at `path` and checks it lies beneath the anchor.
  Status CheckDirectory(const std::string& path, const std::string& operation) const;

  std::uint64_t temp_counter_ = 0;
  std::vector<StagedFile> staged_;
  win32::Anchor anchor_;
};

}  // namespace

std::unique_ptr<FileSystem> NewMachineFileSystem() { return std::make_unique<Win32FileSystem>(); }

Result<FileInfo> Win32FileSystem::InfoAt(const std::string& path, bool follow, DWORD* attributes) {
  Handle file(OpenExisting(WidePath(path), FILE_READ_ATTRIBUTES, follow));
  if (!file.valid()) return std::unexpected(LastError("stat", path));
  BY_HANDLE_FILE_INFORMATION data;
  if (!::GetFileInformationByHandle(file.get(), &data)) {
    return std::unexpected(LastError("stat", path));
  }
  if (attributes != nullptr) *attributes = data.dwFileAttributes;
  FileInfo info = InfoOf(data, follow);
  // A device (CON, NUL) opens like a file but is none.
  if (follow && info.type == FileType::kRegular && ::GetFileType(file.get()) != FILE_TYPE_DISK) {
    info.type = FileType::kOther;
  }
  return info;
}

Result<std::string> Win32FileSystem::ReadFile(const std::string& path) {
  const auto info = Stat(path);
  if (!info) return std::unexpected(info.error());
  if (info->type != FileType::kRegular) {
    return std::unexpected(Error(ErrorKind::kNotRegularFile, "open", path, "not a regular file"));
  }
  Handle file(::CreateFileW(WidePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) return std::unexpected(LastError("open", path));
  if (auto inside = anchor_.Check(file.get(), path, "open"); !inside)
    return std::unexpected(inside.error());
  std::string bytes;
  if (auto read = ReadAll(file.get(), info->size, bytes, path); !read) {
    return std::unexpected(read.error());
  }
  return bytes;
}

Status Win32FileSystem::CreateFileIfMissing(const std::string& path) {
  Handle file(::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.valid()) return Ok();
  const DWORD code = ::GetLastError();
  if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) return Ok();
  return std::unexpected(win32::ErrorFrom(code, "create", path));
}

Status Win32FileSystem::ReplaceFile(const std::string& path, std::string_view bytes) {
  return WriteAndMove(path, bytes, std::nullopt);
}

Status Win32FileSystem::CheckReplaceable(const std::string& path) {
  const std::optional<DWORD> attributes = AttributesAt(path);
  if (!attributes ||
      (*attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return std::unexpected(Error(ErrorKind::kNotRegularFile, "stat", path, "not a regular file"));
  }
  return CheckWritable(attributes, path);
}

Status Win32FileSystem::ReplaceKnownFile(const std::string& path, std::string_view bytes,
                                         const FileInfo& replaced) {
  return WriteAndMove(path, bytes, replaced);
}

Status Win32FileSystem::WriteAndMove(const std::string& path, std::string_view bytes,
                                     std::optional<FileInfo> replaced) {
  auto staged = WriteTemporary(path, bytes);
  if (!staged) return std::unexpected(staged.error());
  staged->replaced = std::move(replaced);
  std::vector<StagedFile> one;
  one.push_back(std::move(*staged));
  if (auto flushed = Flush(one).front(); !flushed) return flushed;
  return MoveIntoPlace(one.front());
}

Status Win32FileSystem::StageReplacement(const std::string& path, std::string_view bytes,
                                         const FileInfo& replaced) {
  auto staged = WriteTemporary(path, bytes);
  if (!staged) return std::unexpected(staged.error());
  staged->replaced = replaced;
  staged_.push_back(std::move(*staged));
  return Ok();
}

std::vector<Status> Win32FileSystem::CommitStaged() {
  std::vector<StagedFile> staged = std::exchange(staged_, {});
  std::vector<Status> outcomes = Flush(staged);
  for (size_t i = 0; i < staged.size(); ++i) {
    if (outcomes[i]) outcomes[i] = MoveIntoPlace(staged[i]);
  }
  return outcomes;
}

std::vector<Status> Win32FileSystem::Flush(std::vector<StagedFile>& staged) {
  std::vector<HANDLE> files;
  for (const StagedFile& file : staged) {
    files.push_back(file.file.get());
    for (const Handle& stream : file.streams) files.push_back(stream.get());
  }
  const std::vector<DWORD> errors = win32::FlushFiles(files);
  std::vector<Status> outcomes(staged.size(), Ok());
  size_t next = 0;
  for (size_t i = 0; i < staged.size(); ++i) {
    DWORD error = errors[next++];
    for (Handle& stream : staged[i].streams) {
      if (error == 0) error = errors[next];
      if (!stream.Close() && error == 0) error = ::GetLastError();
      ++next;
    }
    staged[i].streams.clear();
    if (!staged[i].file.Close() && error == 0) error = ::GetLastError();
    if (error != 0) {
      outcomes[i] = std::unexpected(win32::ErrorFrom(error, "flush", staged[i].temp));
      Remove(staged[i]);
    }
  }
  return outcomes;
}

void Win32FileSystem::Remove(StagedFile& staged) {
  staged.streams.clear();
  if (staged.file.valid()) staged.file.Close();
  ::DeleteFileW(staged.wide_temp.c_str());
}

Result<Win32FileSystem::StagedFile> Win32FileSystem::WriteTemporary(const std::string& path,
                                                                    std::string_view bytes) {
  static const std::string process = std::to_string(::GetCurrentProcessId());
  const auto details = win32::ReadFileDetails(path);
  if (!details) return std::unexpected(details.error());
  StagedFile staged;
  staged.path = path;
  HANDLE raw = INVALID_HANDLE_VALUE;
  for (int attempt = 0; raw == INVALID_HANDLE_VALUE; ++attempt) {
    staged.temp = DirectoryOf(path) + "/" + std::string(kTempFilePrefix) + process + "-" +
                  std::to_string(++temp_counter_);
    staged.wide_temp = WidePath(staged.temp);
    // Hidden while it exists: a run killed before the rename leaves nothing in sight.
    raw = ::CreateFileW(staged.wide_temp.c_str(), GENERIC_WRITE | WRITE_DAC, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_HIDDEN, nullptr);
    // A leftover of a killed run may hold the name; any other failure is final.
    const DWORD code = raw == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    if (raw == INVALID_HANDLE_VALUE && (code != ERROR_FILE_EXISTS || attempt == 100)) {
      return std::unexpected(win32::ErrorFrom(code, "create temporary file", staged.temp));
    }
  }
  staged.file = Handle(raw);
  Status written = anchor_.Check(raw, staged.temp, "create temporary file");
  if (written) written = WriteAll(raw, bytes, staged.temp);
  if (written && *details) {
    written = win32::CopyFileDetails(**details, path, raw, staged.temp, staged.streams);
  }
  if (!written) {
    Remove(staged);
    return std::unexpected(written.error());
  }
  return staged;
}

Status Win32FileSystem::MoveIntoPlace(StagedFile& staged) {
  auto fail = [&](Error error) -> Status {
    Remove(staged);
    return std::unexpected(std::move(error));
  };
  std::optional<DWORD> attributes;
  if (staged.replaced) {
    // The page must still be the one read: same file, size and modification time.
    DWORD now_attributes = 0;
    const auto now = InfoAt(staged.path, true, &now_attributes);
    if (!now || !now->SameFileAs(*staged.replaced)) {
      return fail(Error(ErrorKind::kChanged, "replace", staged.path, "changed during the run"));
    }
    attributes = now_attributes;
  } else {
    attributes = AttributesAt(staged.path);
  }
  if (auto writable = CheckWritable(attributes, staged.path); !writable) {
    return fail(writable.error());
  }
  // The page's attributes as they are now, which also shows the file it becomes.
  if (!::SetFileAttributesW(staged.wide_temp.c_str(), win32::AttributesReplacing(attributes))) {
    return fail(LastError("keep the attributes of", staged.path));
  }
  if (auto inside = CheckDirectory(DirectoryOf(staged.path), "rename"); !inside) {
    return fail(inside.error());
  }
  if (!::MoveFileExW(staged.wide_temp.c_str(), WidePath(staged.path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const Error moved = LastError("rename", staged.path);
    // Made read-only in the meantime: the same answer as when it was so from the start.
    if (auto writable = CheckWritable(AttributesAt(staged.path), staged.path); !writable) {
      return fail(writable.error());
    }
    return fail(moved);
  }
  return Ok();
}

Status Win32FileSystem::KeepCopy(const std::string& from, const std::string& to) {
  // A second name for the same file where the volume allows it and the file has no other
  // name (counted once the link is made); otherwise a copy.
  if (::CreateHardLinkW(WidePath(to).c_str(), WidePath(from).c_str(), nullptr)) {
    const auto kept = InfoAt(to, false);
    if (kept && kept->links == 2) return Ok();
    ::DeleteFileW(WidePath(to).c_str());
  }
  auto bytes = ReadFile(from);
  if (!bytes) return std::unexpected(bytes.error());
  return ReplaceFile(to, *bytes);
}

Status Win32FileSystem::AppendToFile(const std::string& path, std::string_view bytes) {
  // Windows offers no cutting back to the old size that is sure to hold after a failed write;
  // the whole file is replaced instead, which leaves either the old content or the new one.
  auto content = ReadFile(path);
  if (!content && content.error().kind() != ErrorKind::kNotFound) {
    return std::unexpected(content.error());
  }
  return ReplaceFile(path, (content ? *content : std::string()) + std::string(bytes));
}

Status Win32FileSystem::MakeNewDirectory(const std::string& path) {
  if (::CreateDirectoryW(WidePath(path).c_str(), nullptr)) return Ok();
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    return std::unexpected(Error(ErrorKind::kExists, "mkdir", path, "exists"));
  }
  return std::unexpected(LastError("mkdir", path));
}

Result<std::string> Win32FileSystem::ReadFileBeneath(const std::string& directory,
                                                     const std::string& relative) {
  // Each component is looked at without following it: a folder, then the file, none of them
  // a link or junction; the file is then opened as itself, never as what it points to.
  std::string path = directory;
  for (size_t start = 0; start <= relative.size();) {
    size_t slash = relative.find_first_of("/\\", start);
    if (slash == std::string::npos) slash = relative.size();
    const std::string component = relative.substr(start, slash - start);
    path += "/" + component;
    const bool last = slash == relative.size();
    const auto info = InfoAt(path, false);
    if (!info) return std::unexpected(info.error());
    if (component.empty() || component == "." || component == ".." ||
        component.find(':') != std::string::npos || info->type == FileType::kSymlink) {
      return std::unexpected(
          Error(ErrorKind::kOutsideRoot, "open", path, "a link, or a way out of " + directory));
    }
    if (info->type != (last ? FileType::kRegular : FileType::kDirectory)) {
      return std::unexpected(Error(ErrorKind::kNotRegularFile, "open", path, "not a regular file"));
    }
    start = slash + 1;
  }
  Handle file(::CreateFileW(WidePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  BY_HANDLE_FILE_INFORMATION data;
  if (!file.valid() || !::GetFileInformationByHandle(file.get(), &data)) {
    return std::unexpected(LastError("open", path));
  }
  if (InfoOf(data, false).type != FileType::kRegular) {
    return std::unexpected(Error(ErrorKind::kOutsideRoot, "open", path, "a link"));
  }
  std::string bytes;
  if (auto read = ReadAll(file.get(), InfoOf(data, false).size, bytes, path); !read) {
    return std::unexpected(read.error());
  }
  return bytes;
}

Status Win32FileSystem::RemoveDirectory(const std::string& path) {
  if (!::RemoveDirectoryW(WidePath(path).c_str())) {
    return std::unexpected(LastError("rmdir", path));
  }
  return Ok();
}

Result<std::string> Win32FileSystem::RealPath(const std::string& path) {
  Handle file(OpenExisting(WidePath(path), FILE_READ_ATTRIBUTES, true));
  if (!file.valid()) return std::unexpected(LastError("resolve", path));
  const auto resolved = win32::FinalPathOf(file.get(), path);
  if (!resolved) return std::unexpected(resolved.error());
  std::string result = win32::Utf8(*resolved, true);
  // A drive's root keeps its slash ("D:/"); any other folder has none at the end.
  if (result.size() > 3 && result.back() == '/') result.pop_back();
  // The name given back must lead to this very file. Wine gives names that end in "." without
  // it, which would lead elsewhere or nowhere: such a file is refused, never mistaken.
  const auto opened = InfoAt(path, true);
  const auto named = InfoAt(result, true);
  if (!opened || !named || opened->device != named->device || opened->inode != named->inode) {
    return std::unexpected(Error(ErrorKind::kIo, "resolve", path, "the system names it " + result));
  }
  return result;
}

Result<std::vector<DirectoryEntry>> Win32FileSystem::ListDirectory(const std::string& path) {
  // Listed through the very handle that was checked against the anchor.
  Handle directory(OpenExisting(WidePath(path), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, true));
  BY_HANDLE_FILE_INFORMATION data;
  if (!directory.valid() || !::GetFileInformationByHandle(directory.get(), &data)) {
    return std::unexpected(LastError("list", path));
  }
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return std::unexpected(win32::ErrorFrom(ERROR_DIRECTORY, "list", path));
  }
  if (auto inside = anchor_.Check(directory.get(), path, "list"); !inside) {
    return std::unexpected(inside.error());
  }
  std::vector<DirectoryEntry> entries;
  std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));  // aligned for the entries
  const auto size = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
  for (auto kind = FileIdBothDirectoryRestartInfo;; kind = FileIdBothDirectoryInfo) {
    if (!::GetFileInformationByHandleEx(directory.get(), kind, buffer.data(), size)) {
      const DWORD code = ::GetLastError();
      if (code == ERROR_NO_MORE_FILES || code == ERROR_FILE_NOT_FOUND) break;  // or empty root
      return std::unexpected(win32::ErrorFrom(code, "list", path));
    }
    const char* at = reinterpret_cast<const char*>(buffer.data());
    for (;;) {
      const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
      const std::wstring_view name(entry->FileName, entry->FileNameLength / sizeof(WCHAR));
      if (name != L"." && name != L"..") {
        entries.push_back(DirectoryEntry{win32::Utf8(name), TypeOf(entry->FileAttributes)});
      }
      if (entry->NextEntryOffset == 0) break;
      at += entry->NextEntryOffset;
    }
  }
  return entries;
}

Status Win32FileSystem::MakeDirectories(const std::string& path) {
  const std::wstring wide = WidePath(path);
  // Skips what names the place rather than a folder: "\\?\", a drive "D:", a share "\\host\share".
  size_t start = 0;
  if (wide.starts_with(L"\\\\?\\")) start = 4;
  if (wide.size() >= start + 2 && wide[start + 1] == L':') start += 2;
  size_t pos = start;
  while (pos <= wide.size()) {
    size_t slash = wide.find(L'\\', pos);
    if (slash == std::wstring::npos) slash = wide.size();
    pos = slash + 1;
    if (slash == start || wide[slash - 1] == L'\\') continue;
    const std::wstring partial = wide.substr(0, slash);
    if (!::CreateDirectoryW(partial.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      return std::unexpected(LastError("mkdir", win32::Utf8(partial, true)));
    }
  }
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return std::unexpected(Error(ErrorKind::kIo, "mkdir", path, "not a directory"));
  }
  return Ok();
}

Status Win32FileSystem::RemoveFile(const std::string& path) {
  if (!::DeleteFileW(WidePath(path).c_str())) return std::unexpected(LastError("remove", path));
  return Ok();
}

Result<bool> Win32FileSystem::ContentEquals(const std::string& path, std::string_view bytes) {
  const auto info = Stat(path);
  if (!info) return std::unexpected(info.error());
  if (info->type != FileType::kRegular) {
    return std::unexpected(Error(ErrorKind::kNotRegularFile, "open", path, "not a regular file"));
  }
  if (info->size != bytes.size()) return false;
  Handle file(::CreateFileW(WidePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) return std::unexpected(LastError("open", path));
  if (auto inside = anchor_.Check(file.get(), path, "open"); !inside)
    return std::unexpected(inside.error());
  std::string chunk(1 << 20, '\0');
  size_t compared = 0;
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) {
      return std::unexpected(LastError("read", path));
    }
    if (read == 0) return compared == bytes.size();
    if (compared + read > bytes.size() ||
        bytes.compare(compared, read, std::string_view(chunk.data(), read)) != 0) {
      return false;
    }
    compared += read;
  }
}

std::optional<FileRead> Win32FileSystem::ReadUnlinkedFile(const std::string& path,
                                                          std::uint64_t largest) {
  if (!anchor_.Covers(path)) return std::nullopt;
  // The last name is opened as itself, so that a link there shows as one; a link on the way
  // shows in the name the system gives the handle.
  Handle file(::CreateFileW(WidePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  BY_HANDLE_FILE_INFORMATION data;
  if (!file.valid() || ::GetFileType(file.get()) != FILE_TYPE_DISK ||
      !::GetFileInformationByHandle(file.get(), &data)) {
    return std::nullopt;
  }
  FileRead read{InfoOf(data, false), {}};
  if (read.info.type != FileType::kRegular || read.info.size > largest ||
      !anchor_.ReachedWithoutLinks(file.get(), path) ||
      !ReadAll(file.get(), read.info.size, read.bytes, path)) {
    return std::nullopt;
  }
  return read;
}

Status Win32FileSystem::CheckDirectory(const std::string& path,
                                       const std::string& operation) const {
  if (!anchor_.Covers(path)) return Ok();
  Handle directory(OpenExisting(WidePath(path), FILE_READ_ATTRIBUTES, true));
  if (!directory.valid()) return std::unexpected(LastError(operation, path));
  return anchor_.Check(directory.get(), path, operation);
}

}  // namespace quelbo
