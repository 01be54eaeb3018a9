#pragma once

// Byte classes of 32 bytes as bit masks (bit i for byte i), for the vector checks of the
// codecs. Only for functions compiled for AVX2 (target("avx2")) on a processor that has it.

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

#include <cstdint>

namespace quelbo::avx2 {

// Whether each byte of `v` is at least `low` (unsigned).
__attribute__((target("avx2"), always_inline)) inline uint32_t AtLeast(__m256i v,
                                                                        unsigned char low) {
  const __m256i floor = _mm256_set1_epi8(static_cast<char>(low));
  return static_cast<uint32_t>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_max_epu8(v, floor), v)));
}

// Whether each byte of `v` is `byte`.
__attribute__((target("avx2"), always_inline)) inline uint32_t Equal(__m256i v,
                                                                      unsigned char byte) {
  return static_cast<uint32_t>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(byte)))));
}

}  // namespace quelbo::avx2

#endif
