#include "platform/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/errors_posix.h"

namespace quelbo {

SiteRunLock::~SiteRunLock() {
  if (fd_ >= 0) ::close(fd_);
}

Status SiteRunLock::Acquire(const std::string& lock_directory, const std::string& site) {
  if (fd_ >= 0 && site == site_) return Ok();
  std::string directory = lock_directory;
  while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  for (size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
    const std::string partial = directory.substr(0, slash);
    if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
      return std::unexpected(ErrnoError("lock", partial, errno));
    }
    if (slash == std::string::npos) break;
  }
  const std::string path = directory + "/" + LockFileNameOf(site);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return std::unexpected(ErrnoError("lock", path, errno));
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) {
      return std::unexpected(
          Error(ErrorKind::kBusy, "lock", site, "another run is working on this site"));
    }
    return std::unexpected(ErrnoError("lock", path, error));
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  site_ = site;
  return Ok();
}

}  // namespace quelbo
