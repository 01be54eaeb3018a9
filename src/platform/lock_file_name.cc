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

}  // namespace quelbo
