#pragma once

#include <string>

#include "base/status.h"

namespace quelbo {

// Keeps a second run off a site while this one may still touch it. The lock is an advisory
// lock (flock) on a file named after the site's real path, kept in a directory of the
// program's own (never in the site); the system drops it when the process ends, however it
// ends, so a killed run leaves nothing to clean up.
class SiteRunLock {
 public:
  SiteRunLock() = default;
  SiteRunLock(const SiteRunLock&) = delete;
  SiteRunLock& operator=(const SiteRunLock&) = delete;
  ~SiteRunLock();

  // Takes the lock of `site` (a resolved path) in `lock_directory`, made when missing; fine
  // when this object holds it already. kBusy when another process holds it.
  Status Acquire(const std::string& lock_directory, const std::string& site);

  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  std::string site_;
};

// The name of the lock file of a site: a hash of its resolved path.
std::string LockFileNameOf(const std::string& site);

}  // namespace quelbo
