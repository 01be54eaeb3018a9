#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/errors_posix.h"
#include "platform/run_lock.h"

namespace quelbo {

Status MakeLockDirectory(const std::string& directory) {
  // Only the last folder's answer counts: a parent that cannot be made may exist all the same.
  for (size_t slash = directory.find('/', 1); slash != std::string::npos;
       slash = directory.find('/', slash + 1)) {
    (void)::mkdir(directory.substr(0, slash).c_str(), 0700);
  }
  if (::mkdir(directory.c_str(), 0700) == 0) return Ok();
  const int error = errno;
  struct stat info;
  if (::stat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return Ok();
  return std::unexpected(ErrnoError("mkdir", directory, error));
}

Status FileLock::Acquire(const std::string& path, bool create) {
  // Read-only when nothing may be made: flock needs no write access, and a read-only
  // configuration directory still lets a preview see whether a run holds the site.
  const int flags = create ? O_RDWR | O_CREAT : O_RDONLY;
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) return std::unexpected(ErrnoError("lock", path, errno));
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) {
      return std::unexpected(Error(ErrorKind::kBusy, "lock", path, "held by another process"));
    }
    return std::unexpected(ErrnoError("lock", path, error));
  }
  Release();
  fd_ = fd;
  return Ok();
}

void FileLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace quelbo
