#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The candidate filter of the one-pass search (one_pass_rules.h): where any of a few byte
// strings may start, judged by each string's first and last byte, a block of 32 positions at a
// time, as wide as the processor allows. One pass over the page serves every string.

namespace quelbo::literal_filter {

inline constexpr size_t kMaxLiterals = 8;
inline constexpr size_t kBlock = 32;

struct Literals {
  size_t count = 0;
  std::array<char, kMaxLiterals> first{};
  std::array<char, kMaxLiterals> last{};
  std::array<size_t, kMaxLiterals> gap{};  // length - 1: from the first byte to the last
  size_t widest_gap = 0;
};

// The first block start i in from, from + kBlock, ... below `end` with a candidate: a position
// i + b (b < kBlock) where, for some string k, data[i + b] is its first byte and
// data[i + b + gap[k]] its last; bit b of `*mask` is set for each. `end` when there is none.
// REQUIRES: 1 <= literals.count <= kMaxLiterals; every block start i below `end` has
// i + kBlock + literals.widest_gap bytes readable from `data`.
using Scan = size_t (*)(const char* data, size_t from, size_t end, const Literals& literals,
                        std::uint32_t* mask);

// The widest scan this processor runs for `count` strings, chosen once.
Scan Widest(size_t count);

}  // namespace quelbo::literal_filter
