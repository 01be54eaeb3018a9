#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The candidate filter of the one-pass search (one_pass_rules.h): where any of a few byte
// strings may start, judged by two bytes of each, a block of 32 positions at a time, as wide as
// the processor allows. One pass over the page serves every string.

namespace quelbo::literal_filter {

inline constexpr size_t kMaxLiterals = 8;
inline constexpr size_t kBlock = 32;

struct Literals {
  // Adds a string: the two bytes it is known by are chosen to be rare in web pages and apart.
  // REQUIRES: `text` is not empty; count < kMaxLiterals.
  void Add(std::string_view text);

  size_t count = 0;
  // String k has byte[0][k] at offset[0][k] from its start and byte[1][k] at offset[1][k].
  std::array<std::array<char, kMaxLiterals>, 2> byte{};
  std::array<std::array<size_t, kMaxLiterals>, 2> offset{};
  size_t reach = 0;  // the largest offset, below kBlock
};

// The first block start i in from, from + kBlock, ... below `end` with a candidate: a position
// p = i + b (b < kBlock) where, for some string k, data[p + offset[0][k]] is byte[0][k] and
// data[p + offset[1][k]] is byte[1][k]; bit b of masks[k] is set for each. `end` when there is
// none. REQUIRES: 1 <= literals.count <= kMaxLiterals; every block start i below `end` has
// i + kBlock + literals.reach bytes readable from `data`; `masks` has literals.count elements.
using Scan = size_t (*)(const char* data, size_t from, size_t end, const Literals& literals,
                        std::uint32_t* masks);

// The widest scan this processor runs for `count` strings, chosen once.
Scan Widest(size_t count);

}  // namespace quelbo::literal_filter
