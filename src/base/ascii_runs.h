#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Copying runs of ASCII between bytes and UTF-16 code units, sixteen or eight at a time. Both
// encodings keep ASCII as it is, and most of a page is markup, so the codecs spend most of their
// time here on a typical page.

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

// The number of ASCII bytes at the start of [p, p + n).
inline size_t Count(const unsigned char* p, size_t n) {
  size_t i = 0;
#if defined(__SSE2__)
  for (; n - i >= 16; i += 16) {
    const int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
    if (high != 0) return i + static_cast<size_t>(std::countr_zero(static_cast<unsigned>(high)));
  }
#endif
  for (; i < n && p[i] < 0x80; ++i) {
  }
  return i;
}

// Copies the ASCII bytes at the start of [p, p + n) to `out` as code units; returns how many.
inline size_t Widen(const unsigned char* p, size_t n, char16_t* out) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; n - i >= 16; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    if (_mm_movemask_epi8(bytes) != 0) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(bytes, zero));
  }
#endif
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
#if defined(__SSE2__)
  const __m128i high_bits = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  for (; n - i >= 16; i += 16) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 8));
    const __m128i beyond_ascii = _mm_and_si128(_mm_or_si128(low, high), high_bits);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(beyond_ascii, zero)) != 0xFFFF) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(low, high));
  }
#endif
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
