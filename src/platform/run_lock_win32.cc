#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/run_lock.h"
#include "platform/text_win32.h"

// The Windows sibling: LockFileEx on a handle that the system closes (and so unlocks) when the
// process ends. The handle is kept as a C runtime descriptor so that both systems share one
// class.

namespace quelbo {

Status MakeLockDirectory(const std::string& directory) {
  // Each folder on the way is made when missing; a drive or share name simply fails here. Only
  // the last folder's answer counts: a parent that cannot be made may exist all the same.
  for (size_t slash = directory.find_first_of("/\\", 1); slash != std::string::npos;
       slash = directory.find_first_of("/\\", slash + 1)) {
    ::CreateDirectoryW(win32::WidePath(directory.substr(0, slash)).c_str(), nullptr);
  }
  const std::wstring path = win32::WidePath(directory);
  if (::CreateDirectoryW(path.c_str(), nullptr)) return Ok();
  Error refused = win32::LastError("mkdir", directory);
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return Ok();
  }
  return std::unexpected(std::move(refused));
}

Status FileLock::Acquire(const std::string& path, bool create) {
  HANDLE file = ::CreateFileW(win32::WidePath(path).c_str(),
                              create ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::unexpected(win32::LastError("lock", path));
  OVERLAPPED whole{};
  if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                    MAXDWORD, &whole)) {
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
      return std::unexpected(Error(ErrorKind::kBusy, "lock", path, "held by another process"));
    }
    return std::unexpected(win32::ErrorFrom(error, "lock", path));
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY);
  if (fd < 0) {
    ::CloseHandle(file);
    return std::unexpected(Error(ErrorKind::kIo, "lock", path, "no descriptor for the lock"));
  }
  Release();
  fd_ = fd;
  return Ok();
}

void FileLock::Release() {
  if (fd_ >= 0) ::_close(fd_);
  fd_ = -1;
}

}  // namespace quelbo
