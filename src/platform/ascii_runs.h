#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Copying runs of ASCII between bytes and UTF-16 code units, eight at a time. Both encodings
// keep ASCII as it is, and most of a page is markup, so the codecs spend most of their time
// here on a typical page.

namespace quelbo::ascii {

inline constexpr bool kWordAtATime = std::endian::native == std::endian::little;

inline uint64_t Load64(const void* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

inline void Store64(void* p, uint64_t word) { std::memcpy(p, &word, sizeof word); }

// Four bytes spread into the low halves of four 16-bit lanes.
inline uint64_t Widen4(uint64_t bytes) {
  uint64_t lanes = bytes & 0xFFFFFFFFu;
  lanes = (lanes | (lanes << 16)) & 0x0000FFFF0000FFFFull;
  return (lanes | (lanes << 8)) & 0x00FF00FF00FF00FFull;
}

// The inverse: four 16-bit lanes whose high bytes are zero, packed into four bytes.
inline uint64_t Narrow4(uint64_t lanes) {
  lanes = (lanes | (lanes >> 8)) & 0x0000FFFF0000FFFFull;
  return (lanes | (lanes >> 16)) & 0xFFFFFFFFu;
}

// Copies the ASCII bytes at the start of [p, p + n) to `out` as code units; returns how many.
inline size_t Widen(const unsigned char* p, size_t n, char16_t* out) {
  size_t i = 0;
  if constexpr (kWordAtATime) {
    for (; n - i >= 8; i += 8) {
      const uint64_t word = Load64(p + i);
      if ((word & 0x8080808080808080ull) != 0) break;
      Store64(out + i, Widen4(word));
      Store64(out + i + 4, Widen4(word >> 32));
    }
  }
  for (; i < n && p[i] < 0x80; ++i) out[i] = p[i];
  return i;
}

// Copies the ASCII code units at the start of [p, p + n) to `out` as bytes; returns how many.
inline size_t Narrow(const char16_t* p, size_t n, char* out) {
  size_t i = 0;
  if constexpr (kWordAtATime) {
    constexpr uint64_t kHigh = 0xFF80FF80FF80FF80ull;
    for (; n - i >= 8; i += 8) {
      const uint64_t low = Load64(p + i);
      const uint64_t high = Load64(p + i + 4);
      if (((low | high) & kHigh) != 0) break;
      Store64(out + i, Narrow4(low) | (Narrow4(high) << 32));
    }
  }
  for (; i < n && p[i] < 0x80; ++i) out[i] = static_cast<char>(p[i]);
  return i;
}

}  // namespace quelbo::ascii
