#include "platform/memory_limits.h"

#include <unistd.h>

#include <algorithm>

namespace quelbo {

std::uint64_t LargestReadableFile() {
  static const std::uint64_t limit = [] {
    constexpr std::uint64_t kAbsolute = std::uint64_t{1} << 30;
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long page_size = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page_size <= 0) return kAbsolute;
    const std::uint64_t memory =
        static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
    return std::min(kAbsolute, memory / 4);
  }();
  return limit;
}

}  // namespace quelbo
