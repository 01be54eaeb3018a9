#include "platform/beneath_root_posix.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <string>

namespace quelbo {
namespace {

std::atomic<bool> openat2_missing{false};

int OpenAt2(int root_fd, const char* relative, int flags, mode_t mode, std::uint64_t resolve) {
  open_how how{};
  how.flags = static_cast<unsigned int>(flags);
  how.mode = (flags & O_CREAT) != 0 ? mode : 0;
  how.resolve = resolve;
  for (;;) {
    const long fd = ::syscall(SYS_openat2, root_fd, relative, &how, sizeof how);
    // The kernel asks for a retry when a rename elsewhere raced the lookup.
    if (fd < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    return static_cast<int>(fd);
  }
}

// Closes an intermediate descriptor of the walk.
class WalkStep {
 public:
  explicit WalkStep(int fd) : fd_(fd) {}
  WalkStep(const WalkStep&) = delete;
  WalkStep& operator=(const WalkStep&) = delete;
  ~WalkStep() {
    if (owned_ && fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  void Replace(int fd) {
    if (owned_ && fd_ >= 0) ::close(fd_);
    fd_ = fd;
    owned_ = true;
  }

 private:
  int fd_;
  bool owned_ = false;
};

}  // namespace

int OpenBeneathByWalk(int root_fd, const char* relative, int flags, mode_t mode) {
  const std::string path = relative;
  WalkStep directory(root_fd);
  size_t start = 0;
  for (;;) {
    const size_t slash = path.find('/', start);
    const std::string component = path.substr(start, slash - start);
    if (component == "..") {
      errno = ELOOP;
      return -1;
    }
    if (slash == std::string::npos) {
      return ::openat(directory.get(), component.empty() ? "." : component.c_str(),
                      flags | O_NOFOLLOW, mode);
    }
    if (!component.empty() && component != ".") {
      const int next = ::openat(directory.get(), component.c_str(),
                                O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (next < 0) return -1;
      directory.Replace(next);
    }
    start = slash + 1;
  }
}

namespace {

int OpenBeneathResolving(int root_fd, const char* relative, int flags, mode_t mode,
                         std::uint64_t resolve) {
  if (!openat2_missing.load(std::memory_order_relaxed)) {
    const int fd = OpenAt2(root_fd, relative, flags, mode, resolve);
    if (fd >= 0 || errno != ENOSYS) return fd;
    openat2_missing.store(true, std::memory_order_relaxed);
  }
  return OpenBeneathByWalk(root_fd, relative, flags, mode);
}

}  // namespace

int OpenBeneath(int root_fd, const char* relative, int flags, mode_t mode) {
  return OpenBeneathResolving(root_fd, relative, flags, mode,
                              RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS);
}

int OpenBeneathWithoutLinks(int root_fd, const char* relative, int flags) {
  return OpenBeneathResolving(root_fd, relative, flags, 0,
                              RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS);
}

bool LeftTheRoot(int errno_value) { return errno_value == EXDEV || errno_value == ELOOP; }

}  // namespace quelbo
