#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/beneath_root_posix.h"
#include "platform/errors_posix.h"
#include "platform/extended_attributes_posix.h"
#include "platform/file_system.h"

namespace quelbo {
namespace {

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
  // Gives the descriptor up, still open, to the caller.
  int Release() { return std::exchange(fd_, -1); }
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
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
  info.links = static_cast<std::uint64_t>(st.st_nlink);
  return info;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether the file may be replaced: a file without any write bit is one its owner asked to be
// left alone, and one the running user may not write is not ours to swap for a new file.
Status CheckWritable(int directory, const std::string& name, const FileInfo& info,
                     const std::string& path) {
  if ((info.mode & 0222) == 0) {
    return std::unexpected(Error(ErrorKind::kReadOnly, "replace", path, "read-only file"));
  }
  // The usual case settles it from the mode: the owner with its write bit (an access list
  // never narrows the owner's bits).
  static const uid_t user = ::geteuid();
  if (info.owner == user && (info.mode & 0200) != 0) return Ok();
  if (::faccessat(directory, name.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES) {
    return std::unexpected(
        Error(ErrorKind::kReadOnly, "replace", path, "no write permission for this user"));
  }
  return Ok();
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

// The rest of an open regular file, `st` being what fstat said of it.
Result<std::string> ReadOpenFile(int fd, const struct stat& st, const std::string& path) {
  // One byte of room past the size the file had, so that the read which meets the end
  // normally finds it without growing the buffer; a file that grew meanwhile is read whole.
  std::string bytes;
  size_t done = 0;
  const auto size = static_cast<size_t>(st.st_size);
  size_t capacity = size + 1;
  for (;;) {
    if (done == capacity) capacity += capacity / 2 + 4096;
    bytes.resize_and_overwrite(capacity, [capacity](char*, size_t) { return capacity; });
    const ssize_t n = ::read(fd, bytes.data() + done, capacity - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(ErrnoError("read", path, errno));
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
    // A read that stops short exactly at the size fstat gave met the end: asking again would
    // only hear so. A file changed after that is told by its state (size, time of change)
    // where it matters, before it is replaced.
    if (done < capacity && done == size) break;
  }
  bytes.resize(done);
  return bytes;
}

// The file system through Linux calls (O_PATH anchors, openat2 beneath the site, *at calls).
class LinuxFileSystem final : public FileSystem {
 public:
  Result<std::string> ReadFile(const std::string& path) override;
  std::optional<FileRead> ReadUnlinkedFile(const std::string& path, std::uint64_t largest) override;
  Status CreateFileIfMissing(const std::string& path) override;
  Status ReplaceFile(const std::string& path, std::string_view bytes) override;
  Status ReplaceKnownFile(const std::string& path, std::string_view bytes,
                          const FileInfo& replaced) override;
  Result<FileInfo> Stat(const std::string& path) override;
  Result<FileInfo> LinkStat(const std::string& path) override;
  Result<std::string> RealPath(const std::string& path) override;
  Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& path) override;
  Status MakeDirectories(const std::string& path) override;
  Status MakeNewDirectory(const std::string& path) override;
  Result<std::string> ReadFileBeneath(const std::string& directory,
                                      const std::string& relative) override;
  Status SyncFileSystemOf(const std::string& path) override;
  Status RemoveFile(const std::string& path) override;
  Result<bool> ContentEquals(const std::string& path, std::string_view bytes) override;
  Status CheckReplaceable(const std::string& path) override;
  void AnchorAt(const std::string& directory) override;
  Status StageReplacement(const std::string& path, std::string_view bytes,
                          const FileInfo& replaced) override;
  std::vector<Status> CommitStaged() override;
  void DiscardStaged() override;
  Status KeepCopy(const std::string& from, const std::string& to) override;
  Status AppendToFile(const std::string& path, std::string_view bytes) override;
  Status RemoveDirectory(const std::string& path) override;

  LinuxFileSystem();
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
  // Opens a path; beneath the anchor when it lies under it (see OpenBeneath).
  int Open(const std::string& path, int flags, mode_t mode = 0) const;
  // The error of a failed Open: kOutsideRoot when the lookup would have left the anchor.
  Error OpenError(std::string operation, const std::string& path, int errno_value) const;

  // A new file written to its temporary file, waiting for its sync and rename.
  struct Staged;
  // Writes `bytes` to a new temporary file beside `path` with the given mode. With `replaced`
  // (the file as read), the owner and extended attributes are carried over, and the file is
  // refused when it is read-only now. A `batched` file is closed at once, for the batch's one
  // sync to write; otherwise it stays open for its own sync.
  Result<std::unique_ptr<Staged>> Stage(const std::string& path, std::string_view bytes,
                                        mode_t mode, const FileInfo* replaced, bool batched);
  // Syncs the staged files, renames each over its file unless it is no longer the file that
  // was read, then syncs their directories; one outcome per staged file.
  static std::vector<Status> Commit(std::vector<std::unique_ptr<Staged>> staged);
  // Stage and Commit of one file.
  Status WriteAndRename(const std::string& path, std::string_view bytes, mode_t mode,
                        const FileInfo* replaced);

  std::vector<std::unique_ptr<Staged>> staged_;

  const mode_t umask_ = ProcessUmask();

  std::uint64_t temp_counter_ = 0;
  std::string anchor_;  // without a trailing slash; empty when there is none
  int anchor_fd_ = -1;
  // The folder KeepCopy last made a name in, open.
  std::string keep_folder_path_;
  int keep_folder_ = -1;
  // The file ReadUnlinkedFile read last, still open: the replacement staged for it takes the
  // file's state and extended attributes from it instead of opening the file once more.
  std::string held_path_;
  FileDescriptor held_{-1};
};

struct LinuxFileSystem::Staged {
  std::string path;
  std::string name;
  std::string temp_name;
  std::shared_ptr<FileDescriptor> directory;  // shared by the files staged in it
  std::string directory_path;
  // Open until the commit for a file committed alone (synced by itself); a batch's files are
  // closed once written, so that a batch is not bounded by the number of open files.
  std::unique_ptr<FileDescriptor> file;
  bool temp_exists = false;
  std::optional<FileInfo> replaced;

  ~Staged() {
    // Not renamed: the temporary file goes (a killed process leaves it to the next run).
    if (temp_exists) ::unlinkat(directory->get(), temp_name.c_str(), 0);
  }
  Error Changed() const {
    return Error(ErrorKind::kChanged, "replace", path, "changed during the run");
  }
};

}  // namespace

std::unique_ptr<FileSystem> NewMachineFileSystem() { return std::make_unique<LinuxFileSystem>(); }

LinuxFileSystem::LinuxFileSystem() = default;

LinuxFileSystem::~LinuxFileSystem() {
  if (anchor_fd_ >= 0) ::close(anchor_fd_);
  if (keep_folder_ >= 0) ::close(keep_folder_);
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
  if (anchor_fd_ >= 0 && path == anchor_) return {anchor_fd_, "."};
  if (anchor_fd_ >= 0 && path.size() > anchor_.size() + 1 && path.starts_with(anchor_) &&
      path[anchor_.size()] == '/') {
    const char* name = path.c_str() + anchor_.size() + 1;
    // "a//b" stays as it was: an empty first component would make the name absolute.
    if (*name != '/') return {anchor_fd_, name};
  }
  return {AT_FDCWD, path.c_str()};
}

int LinuxFileSystem::Open(const std::string& path, int flags, mode_t mode) const {
  const AtPath at = Locate(path);
  if (at.directory == anchor_fd_) return OpenBeneath(anchor_fd_, at.name, flags, mode);
  return ::openat(at.directory, at.name, flags, mode);
}

Error LinuxFileSystem::OpenError(std::string operation, const std::string& path,
                                 int errno_value) const {
  if (Locate(path).directory == anchor_fd_ && LeftTheRoot(errno_value)) {
    return Error(ErrorKind::kOutsideRoot, std::move(operation), path,
                 "leads outside the site directory");
  }
  return ErrnoError(std::move(operation), path, errno_value);
}

Result<std::string> LinuxFileSystem::ReadFile(const std::string& path) {
  // O_NONBLOCK so that opening a FIFO does not wait for a writer; it is refused below.
  FileDescriptor fd(Open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return std::unexpected(OpenError("open", path, errno));
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return std::unexpected(ErrnoError("stat", path, errno));
  if (!S_ISREG(st.st_mode)) {
    return std::unexpected(Error(ErrorKind::kNotRegularFile, "open", path, "not a regular file"));
  }
  return ReadOpenFile(fd.get(), st, path);
}

std::optional<FileRead> LinuxFileSystem::ReadUnlinkedFile(const std::string& path,
                                                          std::uint64_t largest) {
  held_.Reset(-1);
  const AtPath at = Locate(path);
  if (at.directory != anchor_fd_) return std::nullopt;
  FileDescriptor fd(
      OpenBeneathWithoutLinks(anchor_fd_, at.name, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st;
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<std::uint64_t>(st.st_size) > largest) {
    return std::nullopt;
  }
  auto bytes = ReadOpenFile(fd.get(), st, path);
  if (!bytes) return std::nullopt;
  held_path_ = path;
  held_.Reset(fd.Release());
  return FileRead{InfoOf(st), std::move(*bytes)};
}

Status LinuxFileSystem::CreateFileIfMissing(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() >= 0 || errno == EEXIST) return Ok();
  return std::unexpected(ErrnoError("create", path, errno));
}

Status LinuxFileSystem::ReplaceFile(const std::string& path, std::string_view bytes) {
  struct stat old_st;
  const AtPath at = Locate(path);
  if (::fstatat(at.directory, at.name, &old_st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) return std::unexpected(ErrnoError("stat", path, errno));
    return WriteAndRename(path, bytes, 0666 & ~umask_, nullptr);
  }
  if (S_ISLNK(old_st.st_mode)) {
    // Written through: a link kept on purpose (settings under version control) stays a link.
    auto target = RealPath(path);
    if (!target) return std::unexpected(target.error());
    if (at.directory == anchor_fd_ && Locate(*target).directory != anchor_fd_) {
      return std::unexpected(
          Error(ErrorKind::kOutsideRoot, "replace", path, "leads outside the site directory"));
    }
    return ReplaceFile(*target, bytes);
  }
  const FileInfo info = InfoOf(old_st);
  return WriteAndRename(path, bytes, info.mode, &info);
}

Status LinuxFileSystem::CheckReplaceable(const std::string& path) {
  struct stat st;
  const AtPath at = Locate(path);
  if (::fstatat(at.directory, at.name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
    return std::unexpected(ErrnoError("stat", path, errno));
  }
  if (!S_ISREG(st.st_mode)) {
    return std::unexpected(Error(ErrorKind::kNotRegularFile, "stat", path, "not a regular file"));
  }
  return CheckWritable(at.directory, at.name, InfoOf(st), path);
}

Status LinuxFileSystem::ReplaceKnownFile(const std::string& path, std::string_view bytes,
                                         const FileInfo& replaced) {
  return WriteAndRename(path, bytes, replaced.mode, &replaced);
}

Result<std::unique_ptr<LinuxFileSystem::Staged>> LinuxFileSystem::Stage(const std::string& path,
                                                                        std::string_view bytes,
                                                                        mode_t mode,
                                                                        const FileInfo* replaced,
                                                                        bool batched) {
  static const uid_t user = ::geteuid();
  static const gid_t group = ::getegid();
  static const std::string process = std::to_string(::getpid());

  auto staged = std::make_unique<Staged>();
  staged->path = path;
  staged->name = BaseNameOf(path);
  staged->directory_path = DirectoryOf(path);
  if (replaced != nullptr) staged->replaced = *replaced;
  // Every step below works from this descriptor of the file's directory, opened beneath the
  // site's root: a link swapped in for a directory meanwhile cannot lead the writes outside.
  // Pages come folder by folder: the last one staged is the one that shares it, if any.
  if (!staged_.empty() && staged_.back()->directory_path == staged->directory_path) {
    staged->directory = staged_.back()->directory;
  } else {
    staged->directory = std::make_shared<FileDescriptor>(
        Open(staged->directory_path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  }
  const int directory = staged->directory->get();
  if (directory < 0) return std::unexpected(OpenError("open", staged->directory_path, errno));
  // The file replaced, open for its extended attributes; its state is read from it, which
  // spares looking its name up twice. The descriptor it was just read through serves while
  // it describes the file read (the rename is refused for any other file anyway); else the
  // file is opened by its name.
  FileDescriptor old(-1);
  if (replaced != nullptr) {
    // The permissions as they are now: the user may have protected the file meanwhile. The
    // descriptor the file was just read through needs no second look: what fstat said of it
    // then is `replaced`, and the commit compares the state once more before the rename.
    FileInfo now = *replaced;
    if (held_.get() >= 0 && held_path_ == path) {
      old.Reset(held_.Release());
    } else {
      struct stat st;
      old.Reset(::openat(directory, staged->name.c_str(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
      const bool seen =
          old.get() >= 0
              ? ::fstat(old.get(), &st) == 0
              : ::fstatat(directory, staged->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
      if (!seen) return std::unexpected(staged->Changed());
      now = InfoOf(st);
    }
    if (auto writable = CheckWritable(directory, staged->name, now, path); !writable) {
      return std::unexpected(writable.error());
    }
  }

  // Created with the final mode at once where the umask lets it through; fchmod otherwise.
  int raw_fd = -1;
  for (int attempt = 0; raw_fd < 0; ++attempt) {
    staged->temp_name =
        std::string(kTempFilePrefix) + process + "-" + std::to_string(++temp_counter_);
    raw_fd = ::openat(directory, staged->temp_name.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    // A leftover of a killed run may hold the name; any other failure is final.
    if (raw_fd < 0 && (errno != EEXIST || attempt == 100)) {
      return std::unexpected(ErrnoError("create temporary file",
                                        staged->directory_path + "/" + staged->temp_name, errno));
    }
  }
  staged->file = std::make_unique<FileDescriptor>(raw_fd);
  staged->temp_exists = true;
  const std::string temp = staged->directory_path + "/" + staged->temp_name;
  if (auto written = WriteAll(raw_fd, bytes, temp); !written) {
    return std::unexpected(written.error());
  }
  if ((mode & umask_) != 0 && ::fchmod(raw_fd, mode) != 0) {
    return std::unexpected(ErrnoError("chmod", temp, errno));
  }
  if (replaced != nullptr) {
    if ((replaced->owner != user || replaced->group != group) &&
        ::fchown(raw_fd, replaced->owner, replaced->group) != 0) {
      // Best effort: only a privileged process may give a file away; the mode still holds.
    }
    // After the owner: a change of owner clears some attributes (file capabilities).
    if (old.get() >= 0) {
      if (auto kept = CopyExtendedAttributes(old.get(), raw_fd, path); !kept) {
        return std::unexpected(kept.error());
      }
    }
  }
  if (batched) {
    // No early start of the writing (sync_file_range) here: on ext4 it made each page's blocks
    // be placed and written one by one, at the run's own cost, where the batch's one sync
    // writes them all together; the run took a fifth longer on disk with it.
    if (staged->file->Close() != 0) return std::unexpected(ErrnoError("write", temp, errno));
  }
  return staged;
}

namespace {

// One sync per file system of the directories given, instead of one per file or directory:
// each costs a flush of the disk's cache. The outcome (an errno value) per directory.
std::vector<int> SyncFileSystemsOf(const std::vector<int>& directories) {
  std::vector<std::pair<dev_t, int>> synced;  // file system, and the outcome of its sync
  std::vector<int> outcomes;
  for (const int directory : directories) {
    // Files come folder by folder, and a folder's files share its descriptor: one look each.
    if (!outcomes.empty() && directory == directories[outcomes.size() - 1]) {
      outcomes.push_back(outcomes.back());
      continue;
    }
    struct stat st;
    if (::fstat(directory, &st) != 0) {
      outcomes.push_back(errno);
      continue;
    }
    auto known = std::find_if(synced.begin(), synced.end(),
                              [&](const auto& entry) { return entry.first == st.st_dev; });
    if (known == synced.end()) {
      synced.emplace_back(st.st_dev, ::syncfs(directory) == 0 ? 0 : errno);
      known = synced.end() - 1;
    }
    outcomes.push_back(known->second);
  }
  return outcomes;
}

}  // namespace

std::vector<Status> LinuxFileSystem::Commit(std::vector<std::unique_ptr<Staged>> staged) {
  std::vector<Status> outcomes(staged.size());
  // The new bytes reach the disk before any name points at them, so that a power cut leaves
  // the old file or the new one, never an empty one.
  std::vector<int> directories;
  for (const auto& file : staged) directories.push_back(file->directory->get());
  std::vector<int> data_synced;
  if (staged.size() > 1 || !staged.front()->file || staged.front()->file->get() < 0) {
    data_synced = SyncFileSystemsOf(directories);
  }
  for (size_t i = 0; i < staged.size(); ++i) {
    Staged& file = *staged[i];
    const std::string temp = file.directory_path + "/" + file.temp_name;
    int error = data_synced.empty() ? 0 : data_synced[i];
    if (data_synced.empty() && ::fdatasync(file.file->get()) != 0) error = errno;
    if (error != 0) {
      outcomes[i] = std::unexpected(ErrnoError("sync", temp, error));
    } else if (file.file && file.file->get() >= 0 && file.file->Close() != 0) {
      outcomes[i] = std::unexpected(ErrnoError("write", temp, errno));
    }
  }
  std::vector<int> renamed_in;
  for (size_t i = 0; i < staged.size(); ++i) {
    Staged& file = *staged[i];
    if (!outcomes[i]) continue;
    const int directory = file.directory->get();
    if (file.replaced) {
      // Another program's change since the file was read wins: its edit must not be lost,
      // and a file deleted meanwhile must not come back.
      // Permissions or owner changed meanwhile count too: the new file was given the old ones,
      // and a page the user has just protected is theirs to keep as it is.
      struct stat st;
      if (::fstatat(directory, file.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        outcomes[i] = std::unexpected(file.Changed());
        continue;
      }
      const FileInfo now = InfoOf(st);
      if (!now.SameFileAs(*file.replaced)) {
        outcomes[i] = std::unexpected(file.Changed());
        continue;
      }
      if (now.mode != file.replaced->mode || now.owner != file.replaced->owner ||
          now.group != file.replaced->group) {
        Status writable = CheckWritable(directory, file.name, now, file.path);
        outcomes[i] = writable ? std::unexpected(file.Changed()) : std::move(writable);
        continue;
      }
    }
    if (::renameat(directory, file.temp_name.c_str(), directory, file.name.c_str()) != 0) {
      outcomes[i] = std::unexpected(ErrnoError("rename", file.path, errno));
      continue;
    }
    file.temp_exists = false;
    if (std::find(renamed_in.begin(), renamed_in.end(), directory) == renamed_in.end()) {
      renamed_in.push_back(directory);
    }
  }
  // The new names reach the disk before the files are reported replaced.
  std::vector<int> names_synced;
  if (renamed_in.size() == 1) {
    names_synced.push_back(::fsync(renamed_in.front()) == 0 ? 0 : errno);
  } else {
    names_synced = SyncFileSystemsOf(renamed_in);
  }
  for (size_t d = 0; d < renamed_in.size(); ++d) {
    if (names_synced[d] == 0) continue;
    for (size_t i = 0; i < staged.size(); ++i) {
      if (outcomes[i] && staged[i]->directory->get() == renamed_in[d]) {
        outcomes[i] =
            std::unexpected(ErrnoError("sync", staged[i]->directory_path, names_synced[d]));
      }
    }
  }
  return outcomes;
}

Status LinuxFileSystem::WriteAndRename(const std::string& path, std::string_view bytes, mode_t mode,
                                       const FileInfo* replaced) {
  auto staged = Stage(path, bytes, mode, replaced, /*batched=*/false);
  if (!staged) return std::unexpected(staged.error());
  std::vector<std::unique_ptr<Staged>> one;
  one.push_back(std::move(*staged));
  return std::move(Commit(std::move(one)).front());
}

Status LinuxFileSystem::StageReplacement(const std::string& path, std::string_view bytes,
                                         const FileInfo& replaced) {
  auto staged = Stage(path, bytes, replaced.mode, &replaced, /*batched=*/true);
  if (!staged) return std::unexpected(staged.error());
  staged_.push_back(std::move(*staged));
  return Ok();
}

std::vector<Status> LinuxFileSystem::CommitStaged() { return Commit(std::exchange(staged_, {})); }

void LinuxFileSystem::DiscardStaged() { staged_.clear(); }  // each removes its temporary file

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
  const int fd = Open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::unexpected(OpenError("list", path, errno));
  std::unique_ptr<DIR, DirectoryCloser> dir(::fdopendir(fd));
  if (!dir) {
    const int error = errno;
    ::close(fd);
    return std::unexpected(ErrnoError("list", path, error));
  }
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
        type = ::fstatat(::dirfd(dir.get()), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0
                   ? TypeOf(st.st_mode)
                   : FileType::kOther;
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
  const std::string directory_path = DirectoryOf(path);
  FileDescriptor directory(Open(directory_path, O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() < 0) return std::unexpected(OpenError("remove", path, errno));
  if (::unlinkat(directory.get(), BaseNameOf(path).c_str(), 0) != 0) {
    return std::unexpected(ErrnoError("remove", path, errno));
  }
  return Ok();
}

Result<bool> LinuxFileSystem::ContentEquals(const std::string& path, std::string_view bytes) {
  FileDescriptor fd(Open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return std::unexpected(OpenError("open", path, errno));
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
  // Both names from open directories where it can: a run keeps many pages in one folder, and
  // walking two long paths from "/" for each was most of a link's cost.
  const AtPath source = Locate(from);
  const std::string folder = DirectoryOf(to);
  if (keep_folder_path_ != folder || keep_folder_ < 0) {
    if (keep_folder_ >= 0) ::close(keep_folder_);
    keep_folder_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    keep_folder_path_ = folder;
  }
  const std::string name = BaseNameOf(to);
  bool linked = keep_folder_ >= 0 &&
                ::linkat(source.directory, source.name, keep_folder_, name.c_str(), 0) == 0;
  // The folder may have been removed and made again since it was opened: by its path once more.
  if (!linked && (keep_folder_ < 0 || errno == ENOENT)) {
    linked = ::link(from.c_str(), to.c_str()) == 0;
  }
  if (linked) {
    // Counted after the link is made, so that no name added meanwhile is missed: the file and
    // the kept name, nothing else, or a write through a third name would change what is kept.
    struct stat st;
    const bool counted = keep_folder_ >= 0
                             ? ::fstatat(keep_folder_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0
                             : ::lstat(to.c_str(), &st) == 0;
    if (counted && st.st_nlink == 2) return Ok();
    (void)::unlink(to.c_str());
  } else if (errno != EXDEV && errno != EPERM && errno != EMLINK && errno != EOPNOTSUPP) {
    return std::unexpected(ErrnoError("link", to, errno));
  }
  // Another file system, one without hard links, or a page with other names: a copy, made
  // durable by the caller's SyncFileSystemOf with the rest of its batch.
  auto bytes = ReadFile(from);
  if (!bytes) return std::unexpected(bytes.error());
  FileDescriptor fd(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (fd.get() < 0) return std::unexpected(ErrnoError("create", to, errno));
  Status written = WriteAll(fd.get(), *bytes, to);
  if (written && fd.Close() != 0) written = std::unexpected(ErrnoError("write", to, errno));
  if (!written) (void)::unlink(to.c_str());
  return written;
}

Status LinuxFileSystem::AppendToFile(const std::string& path, std::string_view bytes) {
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (fd.get() < 0) return std::unexpected(ErrnoError("open", path, errno));
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return std::unexpected(ErrnoError("stat", path, errno));
  Status written = WriteAll(fd.get(), bytes, path);
  if (!written) {
    // A full disk may take part of the bytes: they are taken back, so that what follows
    // never continues a piece.
    (void)::ftruncate(fd.get(), st.st_size);
    return written;
  }
  if (fd.Close() != 0) {
    const int error = errno;
    (void)::truncate(path.c_str(), st.st_size);
    return std::unexpected(ErrnoError("close", path, error));
  }
  return Ok();
}

Status LinuxFileSystem::MakeNewDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return Ok();
  if (errno == EEXIST) return std::unexpected(Error(ErrorKind::kExists, "mkdir", path, "exists"));
  return std::unexpected(ErrnoError("mkdir", path, errno));
}

Result<std::string> LinuxFileSystem::ReadFileBeneath(const std::string& directory,
                                                     const std::string& relative) {
  const std::string path = directory + "/" + relative;
  FileDescriptor top(::open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (top.get() < 0) return std::unexpected(ErrnoError("open", directory, errno));
  FileDescriptor fd(
      OpenBeneathWithoutLinks(top.get(), relative.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    if (LeftTheRoot(errno)) {
      return std::unexpected(
          Error(ErrorKind::kOutsideRoot, "open", path, "a link, or a way out of " + directory));
    }
    return std::unexpected(ErrnoError("open", path, errno));
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return std::unexpected(ErrnoError("stat", path, errno));
  if (!S_ISREG(st.st_mode)) {
    return std::unexpected(Error(ErrorKind::kNotRegularFile, "open", path, "not a regular file"));
  }
  return ReadOpenFile(fd.get(), st, path);
}

Status LinuxFileSystem::SyncFileSystemOf(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return std::unexpected(ErrnoError("open", path, errno));
  if (::syncfs(fd.get()) != 0) return std::unexpected(ErrnoError("sync", path, errno));
  return Ok();
}

Status LinuxFileSystem::RemoveDirectory(const std::string& path) {
  if (::rmdir(path.c_str()) != 0) return std::unexpected(ErrnoError("rmdir", path, errno));
  return Ok();
}

}  // namespace quelbo
