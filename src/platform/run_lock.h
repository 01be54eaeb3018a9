#pragma once

#include <string>

#include "base/status.h"

namespace quelbo {

// An advisory lock on one file (flock; LockFileEx on Windows), held until Release or the
// object's end; the system drops it when the process ends, however it ends, so a killed
// program leaves nothing to clean up. Two locks on one file never hold at once, even in one
// process.
class FileLock {
 public:
  FileLock() = default;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock() { Release(); }

  // Takes the lock of the file at `path`, which is made when missing if `create` (else
  // kNotFound: nothing is written). kBusy when another lock holds it.
  [[nodiscard]] Status Acquire(const std::string& path, bool create);
  void Release();
  bool held() const { return fd_ >= 0; }

  // Whether some other lock holds the file at `path` now (false when there is no such file).
  static bool HeldElsewhere(const std::string& path);

 private:
  int fd_ = -1;
};

// Keeps a second run off a site while this one may still touch it: a FileLock on a file named
// after the site's real path, kept in a directory of the program's own (never in the site).
class SiteRunLock {
 public:
  // Takes the lock of `site` (a resolved path) in `lock_directory`; fine when this object
  // holds it already. With `create`, the directory and the file are made when missing;
  // without, nothing is written, and a missing lock file means that nobody holds it:
  // kNotFound. kBusy when another process holds it.
  [[nodiscard]] Status Acquire(const std::string& lock_directory, const std::string& site,
                               bool create = true);
  void Release() { lock_.Release(); }
  bool held() const { return lock_.held(); }

 private:
  FileLock lock_;
  std::string site_;
};

// The name of the lock file of a site: a hash of its resolved path.
std::string LockFileNameOf(const std::string& site);

// Makes `directory` and its missing parents for a lock file; fails when `directory` is not a
// folder afterwards (a read-only disk, a file in its place), naming it.
[[nodiscard]] Status MakeLockDirectory(const std::string& directory);

}  // namespace quelbo
