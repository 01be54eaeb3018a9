#include <cstdint>
#include <cstdio>

#include "platform/run_lock.h"

namespace quelbo {

std::string LockFileNameOf(const std::string& site) {
  // FNV-1a: stable across builds and machines, unlike std::hash.
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : site) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.lock", static_cast<unsigned long long>(hash));
  return name;
}

Status SiteRunLock::Acquire(const std::string& lock_directory, const std::string& site,
                            bool create) {
  if (held() && site == site_) return Ok();
  std::string directory = lock_directory;
  while (directory.size() > 1 && (directory.back() == '/' || directory.back() == '\\')) {
    directory.pop_back();
  }
  const Status made = create ? MakeLockDirectory(directory) : Ok();
  lock_.Release();  // of another site
  if (auto taken = lock_.Acquire(directory + "/" + LockFileNameOf(site), create); !taken) {
    // The folder's own refusal names the cause: the lock file is then merely not found.
    if (!made) return made;
    if (taken.error().kind() != ErrorKind::kBusy) return taken;
    return std::unexpected(
        Error(ErrorKind::kBusy, "lock", site, "another run is working on this site"));
  }
  site_ = site;
  return Ok();
}

bool FileLock::HeldElsewhere(const std::string& path) {
  FileLock probe;
  const Status taken = probe.Acquire(path, false);
  return !taken && taken.error().kind() == ErrorKind::kBusy;
}

}  // namespace quelbo
