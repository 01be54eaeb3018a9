#include <windows.h>

#include <algorithm>

#include "platform/memory_limits.h"

namespace quelbo {

std::uint64_t LargestReadableFile() {
  static const std::uint64_t limit = [] {
    constexpr std::uint64_t kAbsolute = std::uint64_t{1} << 30;
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!::GlobalMemoryStatusEx(&status) || status.ullTotalPhys == 0) return kAbsolute;
    return std::min(kAbsolute, static_cast<std::uint64_t>(status.ullTotalPhys) / 4);
  }();
  return limit;
}

}  // namespace quelbo
