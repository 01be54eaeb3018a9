#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/run_lock.h"
#include "platform/text_win32.h"

// The Windows sibling: the same lock file, held by LockFileEx on a handle that the system
// closes (and so unlocks) when the process ends. The handle is kept as a C runtime descriptor
// so that both systems share one class.

namespace quelbo {

SiteRunLock::~SiteRunLock() {
  if (fd_ >= 0) ::_close(fd_);
}

Status SiteRunLock::Acquire(const std::string& lock_directory, const std::string& site) {
  if (fd_ >= 0 && site == site_) return Ok();
  std::string directory = lock_directory;
  while (directory.size() > 1 && (directory.back() == '/' || directory.back() == '\\')) {
    directory.pop_back();
  }
  // Each folder on the way is made when missing; a drive or share name simply fails here, and
  // a real failure shows when the lock file cannot be made.
  for (size_t slash = directory.find_first_of("/\\", 1);;
       slash = directory.find_first_of("/\\", slash + 1)) {
    ::CreateDirectoryW(win32::WidePath(directory.substr(0, slash)).c_str(), nullptr);
    if (slash == std::string::npos) break;
  }
  const std::string path = directory + "/" + LockFileNameOf(site);
  HANDLE file = ::CreateFileW(win32::WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::unexpected(win32::LastError("lock", path));
  OVERLAPPED whole{};
  if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                    MAXDWORD, &whole)) {
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
      return std::unexpected(
          Error(ErrorKind::kBusy, "lock", site, "another run is working on this site"));
    }
    return std::unexpected(win32::ErrorFrom(error, "lock", path));
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDWR);
  if (fd < 0) {
    ::CloseHandle(file);
    return std::unexpected(Error(ErrorKind::kIo, "lock", path, "no descriptor for the lock"));
  }
  if (fd_ >= 0) ::_close(fd_);
  fd_ = fd;
  site_ = site;
  return Ok();
}

}  // namespace quelbo
