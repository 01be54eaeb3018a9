#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/file_system.h"

namespace quelbo {
namespace {

// The one place where an errno value becomes an Error: ENOENT and ENOTDIR count as kNotFound.
Error ErrnoError(std::string operation, std::string path, int errno_value) {
  const ErrorKind kind = (errno_value == ENOENT || errno_value == ENOTDIR) ? ErrorKind::kNotFound
                         : (errno_value == EISDIR) ? ErrorKind::kNotRegularFile
                                                   : ErrorKind::kIo;
  return Error(kind, std::move(operation), std::move(path), std::strerror(errno_value));
}

// Closes a descriptor on every path out of a function.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports the outcome (a late write error can show up only here).
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

struct DirectoryCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

FileType TypeOf(mode_t mode) {
  if (S_ISREG(mode)) return FileType::kRegular;
  if (S_ISDIR(mode)) return FileType::kDirectory;
  if (S_ISLNK(mode)) return FileType::kSymlink;
  return FileType::kOther;
}

// The umask, read once at start: reading it means setting it, which is not safe at run time.
mode_t ProcessUmask() {
  static const mode_t mask = [] {
    const mode_t old = ::umask(0);
    ::umask(old);
    return old;
  }();
  return mask;
}

FileInfo InfoOf(const struct stat& st) {
  FileInfo info;
  info.type = TypeOf(st.st_mode);
  info.size = static_cast<std::uint64_t>(st.st_size);
  info.mode = static_cast<std::uint32_t>(st.st_mode & 07777);
  info.device = static_cast<std::uint64_t>(st.st_dev);
  info.inode = static_cast<std::uint64_t>(st.st_ino);
  info.modified_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 +
                     static_cast<std::int64_t>(st.st_mtim.tv_nsec);
  info.owner = static_cast<std::uint32_t>(st.st_uid);
  info.group = static_cast<std::uint32_t>(st.st_gid);
  return info;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

Status WriteAll(int fd, std::string_view bytes, const std::string& path) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(ErrnoError("write", path, errno));
    }
    done += static_cast<size_t>(n);
  }
  return Ok();
}

// The file system through Linux calls (O_PATH anchors, *at calls).
class LinuxFileSystem final : public FileSystem {
 public:
  Result<std::string> ReadFile(const std::string& path) override;
  Status CreateFileIfMissing(const std::string& path) override;
  Status ReplaceFile(const std::string& path, std::string_view bytes) override;
  Status ReplaceKnownFile(const std::string& path, std::string_view bytes,
                          const FileInfo& replaced) override;
  Result<FileInfo> Stat(const std::string& path) override;
  Result<FileInfo> LinkStat(const std::string& path) override;
  Result<std::string> RealPath(const std::string& path) override;
  Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) override;
  Status MakeDirectories(const std::string& path) override;
  Status RemoveFile(const std::string& path) override;
  Result<bool> ContentEquals(const std::string& path, std::string_view bytes) override;
  void AnchorAt(const std::string& directory) override;
  Status KeepCopy(const std::string& from, const std::string& to) override;
  Status AppendToFile(const std::string& path, std::string_view bytes) override;
  Status RemoveDirectory(const std::string& path) override;

  LinuxFileSystem() = default;
  LinuxFileSystem(const LinuxFileSystem&) = delete;
  LinuxFileSystem& operator=(const LinuxFileSystem&) = delete;
  ~LinuxFileSystem() override;

 private:
  // A path as a directory descriptor and a name for the *at calls: relative to the anchor
  // when it lies under it, else the path itself.
  struct AtPath {
    int directory;
    const char* name;
  };
  AtPath Locate(const std::string& path) const;

  // Writes `bytes` to a new temporary file beside `path` with the given mode and owner, then
  // renames it over `path`.
  Status WriteAndRename(const std::string& path, std::string_view bytes, mode_t mode,
                        const FileInfo* owner);

  const mode_t umask_ = ProcessUmask();
  std::uint64_t temp_counter_ = 0;
  std::string anchor_;  // without a trailing slash; empty when there is none
  int anchor_fd_ = -1;
};

}  // namespace

std::unique_ptr<FileSystem> NewMachineFileSystem() { return std::make_unique<LinuxFileSystem>(); }

LinuxFileSystem::~LinuxFileSystem() {
  if (anchor_fd_ >= 0) ::close(anchor_fd_);
}

void LinuxFileSystem::AnchorAt(const std::string& directory) {
  if (anchor_fd_ >= 0) ::close(anchor_fd_);
  anchor_.clear();
  anchor_fd_ = -1;
  std::string path = directory;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  // Only an absolute path can be matched against the paths to come; any failure just leaves
  // the lookups as they were.
  if (path.size() < 2 || path.front() != '/') return;
  anchor_fd_ = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (anchor_fd_ >= 0) anchor_ = std::move(path);
}

LinuxFileSystem::AtPath LinuxFileSystem::Locate(const std::string& path) const {
  if (anchor_fd_ >= 0 && path.size() > anchor_.size() + 1 && path.starts_with(anchor_) &&
      path[anchor_.size()] == '/') {
    const char* name = path.c_str() + anchor_.size() + 1;
    // "a//b" stays as it was: an empty first component would make the name absolute.
    if (*name != '/') return {anchor_fd_, name};
  }
  return {AT_FDCWD, path.c_str()};
}

Result<std::string> LinuxFileSystem::ReadFile(const std::string& path) {
  // O_NONBLOCK so that opening a FIFO does not wait for a writer; it is refused below.
  const AtPath at = Locate(path);
  FileDescriptor fd(::openat(at.directory, at.name, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return std::unexpected(ErrnoError("open", path, errno));
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return std::unexpected(ErrnoError("stat", path, errno));
  if (!S_ISREG(st.st_mode)) {
    return std::unexpected(Error(ErrorKind::kNotRegularFile, "open", path, "not a regular file"));
  }
  // One byte of room past the size the file had, so that the read which meets the end
  // normally finds it without growing the buffer; a file that grew meanwhile is read whole.
  std::string bytes;
  size_t done = 0;
  size_t capacity = static_cast<size_t>(st.st_size) + 1;
  for (;;) {
    if (done == capacity) capacity += capacity / 2 + 4096;
    bytes.resize_and_overwrite(capacity, [capacity](char*, size_t) { return capacity; });
    const ssize_t n = ::read(fd.get(), bytes.data() + done, capacity - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(ErrnoError("read", path, errno));
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

Status LinuxFileSystem::CreateFileIfMissing(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() >= 0 || errno == EEXIST) return Ok();
  return std::unexpected(ErrnoError("create", path, errno));
}

Status LinuxFileSystem::ReplaceFile(const std::string& path, std::string_view bytes) {
  struct stat old_st;
  const AtPath at = Locate(path);
  if (::fstatat(at.directory, at.name, &old_st, 0) != 0) {
    return WriteAndRename(path, bytes, 0666 & ~umask_, nullptr);
  }
  const FileInfo info = InfoOf(old_st);
  return WriteAndRename(path, bytes, info.mode, &info);
}

Status LinuxFileSystem::ReplaceKnownFile(const std::string& path, std::string_view bytes,
                                         const FileInfo& replaced) {
  return WriteAndRename(path, bytes, replaced.mode, &replaced);
}

Status LinuxFileSystem::WriteAndRename(const std::string& path, std::string_view bytes, mode_t mode,
                                       const FileInfo* owner) {
  static const uid_t user = ::geteuid();
  static const gid_t group = ::getegid();
  static const std::string process = std::to_string(::getpid());

  // Created with the final mode at once where the umask lets it through; fchmod otherwise.
  std::string temp;
  int raw_fd = -1;
  for (int attempt = 0; raw_fd < 0; ++attempt) {
    temp = DirectoryOf(path) + "/" + std::string(kTempFilePrefix) + process + "-" +
           std::to_string(++temp_counter_);
    const AtPath at = Locate(temp);
    raw_fd = ::openat(at.directory, at.name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    // A leftover of a killed run may hold the name; any other failure is final.
    if (raw_fd < 0 && (errno != EEXIST || attempt == 100)) {
      return std::unexpected(ErrnoError("create temporary file", temp, errno));
    }
  }
  FileDescriptor fd(raw_fd);
  const AtPath temp_at = Locate(temp);
  auto fail = [&](Error error) -> Status {
    ::unlinkat(temp_at.directory, temp_at.name, 0);
    return std::unexpected(std::move(error));
  };
  if (auto written = WriteAll(fd.get(), bytes, temp); !written) return fail(written.error());
  if ((mode & umask_) != 0 && ::fchmod(fd.get(), mode) != 0) {
    return fail(ErrnoError("chmod", temp, errno));
  }
  if (owner != nullptr && (owner->owner != user || owner->group != group) &&
      ::fchown(fd.get(), owner->owner, owner->group) != 0) {
    // Best effort: only a privileged process may give a file away; the mode still holds.
  }
  if (fd.Close() != 0) return fail(ErrnoError("write", temp, errno));
  const AtPath path_at = Locate(path);
  if (::renameat(temp_at.directory, temp_at.name, path_at.directory, path_at.name) != 0) {
    return fail(ErrnoError("rename", path, errno));
  }
  return Ok();
}

Result<FileInfo> LinuxFileSystem::Stat(const std::string& path) {
  struct stat st;
  const AtPath at = Locate(path);
  if (::fstatat(at.directory, at.name, &st, 0) != 0) {
    return std::unexpected(ErrnoError("stat", path, errno));
  }
  return InfoOf(st);
}

Result<FileInfo> LinuxFileSystem::LinkStat(const std::string& path) {
  struct stat st;
  const AtPath at = Locate(path);
  if (::fstatat(at.directory, at.name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
    return std::unexpected(ErrnoError("stat", path, errno));
  }
  return InfoOf(st);
}

Result<std::string> LinuxFileSystem::RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                       &std::free);
  if (!resolved) return std::unexpected(ErrnoError("resolve", path, errno));
  return std::string(resolved.get());
}

Result<std::vector<DirectoryEntry>> LinuxFileSystem::ListDirectory(const std::string& path) {
  std::unique_ptr<DIR, DirectoryCloser> dir(::opendir(path.c_str()));
  if (!dir) return std::unexpected(ErrnoError("list", path, errno));
  std::vector<DirectoryEntry> entries;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (entry == nullptr) {
      if (errno != 0) return std::unexpected(ErrnoError("list", path, errno));
      break;
    }
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    FileType type;
    switch (entry->d_type) {
      case DT_REG:
        type = FileType::kRegular;
        break;
      case DT_DIR:
        type = FileType::kDirectory;
        break;
      case DT_LNK:
        type = FileType::kSymlink;
        break;
      case DT_UNKNOWN: {
        struct stat st;
        const std::string full = path + "/" + name;
        type = ::lstat(full.c_str(), &st) == 0 ? TypeOf(st.st_mode) : FileType::kOther;
        break;
      }
      default:
        type = FileType::kOther;
        break;
    }
    entries.push_back(DirectoryEntry{name, type});
  }
  return entries;
}

Status LinuxFileSystem::MakeDirectories(const std::string& path) {
  std::string partial;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    partial = path.substr(0, slash);
    pos = slash + 1;
    if (partial.empty()) continue;
    if (::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) {
      return std::unexpected(ErrnoError("mkdir", partial, errno));
    }
  }
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return std::unexpected(Error(ErrorKind::kIo, "mkdir", path, "not a directory"));
  }
  return Ok();
}

Status LinuxFileSystem::RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return std::unexpected(ErrnoError("remove", path, errno));
  return Ok();
}

Result<bool> LinuxFileSystem::ContentEquals(const std::string& path, std::string_view bytes) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return std::unexpected(ErrnoError("open", path, errno));
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return std::unexpected(ErrnoError("stat", path, errno));
  if (!S_ISREG(st.st_mode)) {
    return std::unexpected(Error(ErrorKind::kNotRegularFile, "open", path, "not a regular file"));
  }
  if (static_cast<std::uint64_t>(st.st_size) != bytes.size()) return false;
  std::string chunk(1 << 20, '\0');
  size_t compared = 0;
  for (;;) {
    const ssize_t n = ::read(fd.get(), chunk.data(), chunk.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(ErrnoError("read", path, errno));
    }
    if (n == 0) return compared == bytes.size();
    const auto count = static_cast<size_t>(n);
    if (compared + count > bytes.size() ||
        bytes.compare(compared, count, std::string_view(chunk.data(), count)) != 0) {
      return false;
    }
    compared += count;
  }
}

Status LinuxFileSystem::KeepCopy(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) == 0) return Ok();
  // Another file system, or one without hard links: the bytes are copied instead.
  if (errno == EXDEV || errno == EPERM || errno == EMLINK || errno == EOPNOTSUPP) {
    return FileSystem::KeepCopy(from, to);
  }
  return std::unexpected(ErrnoError("link", to, errno));
}

Status LinuxFileSystem::AppendToFile(const std::string& path, std::string_view bytes) {
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (fd.get() < 0) return std::unexpected(ErrnoError("open", path, errno));
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd.get(), bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(ErrnoError("write", path, errno));
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  if (fd.Close() != 0) return std::unexpected(ErrnoError("close", path, errno));
  return Ok();
}

Status LinuxFileSystem::RemoveDirectory(const std::string& path) {
  if (::rmdir(path.c_str()) != 0) return std::unexpected(ErrnoError("rmdir", path, errno));
  return Ok();
}

}  // namespace quelbo
