#pragma once

#include <cstdint>

namespace quelbo {

// The largest file the program reads whole: rewriting a page holds several copies of it at
// once, so a page above 1 GiB or above a quarter of the machine's memory is refused unread.
std::uint64_t LargestReadableFile();

}  // namespace quelbo
