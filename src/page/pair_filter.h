#pragma once

#include <cstddef>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

// The candidate filter of the searches (pattern_search.h): the first position p in [from, end)
// where data[p] == first and data[p + gap] == last, or `end` if there is none; all positions up
// to end - 1 + gap must be readable. Over bytes (char) or code units (char16_t), as wide as the
// processor allows.

namespace quelbo::pair_filter {

template <typename Unit>
using Function = size_t (*)(const Unit*, size_t, size_t, size_t, Unit, Unit);

template <typename Unit>
size_t Plain(const Unit* data, size_t from, size_t end, size_t gap, Unit first, Unit last) {
  for (size_t i = from; i < end; ++i) {
    if (data[i] == first && data[i + gap] == last) return i;
  }
  return end;
}

#if defined(__SSE2__)
template <typename Unit>
__m128i Splat128(Unit unit) {
  if constexpr (sizeof(Unit) == 1) return _mm_set1_epi8(static_cast<char>(unit));
  return _mm_set1_epi16(static_cast<short>(unit));
}

template <typename Unit>
__m128i Equal128(__m128i a, __m128i b) {
  if constexpr (sizeof(Unit) == 1) return _mm_cmpeq_epi8(a, b);
  return _mm_cmpeq_epi16(a, b);
}

template <typename Unit>
size_t Sse2(const Unit* data, size_t from, size_t end, size_t gap, Unit first, Unit last) {
  constexpr size_t kUnits = 16 / sizeof(Unit);
  const __m128i firsts = Splat128(first);
  const __m128i lasts = Splat128(last);
  size_t i = from;
  for (; i + kUnits <= end; i += kUnits) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + gap));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(Equal128<Unit>(head, firsts), Equal128<Unit>(tail, lasts))));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask)) / sizeof(Unit);
  }
  return Plain(data, i, end, gap, first, last);
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
template <typename Unit>
__attribute__((target("avx2"), always_inline)) inline __m256i Splat256(Unit unit) {
  if constexpr (sizeof(Unit) == 1) return _mm256_set1_epi8(static_cast<char>(unit));
  return _mm256_set1_epi16(static_cast<short>(unit));
}

template <typename Unit>
__attribute__((target("avx2"), always_inline)) inline __m256i Equal256(__m256i a, __m256i b) {
  if constexpr (sizeof(Unit) == 1) return _mm256_cmpeq_epi8(a, b);
  return _mm256_cmpeq_epi16(a, b);
}

template <typename Unit>
__attribute__((target("avx2"))) size_t Avx2(const Unit* data, size_t from, size_t end, size_t gap,
                                            Unit first, Unit last) {
  constexpr size_t kUnits = 32 / sizeof(Unit);
  const __m256i firsts = Splat256(first);
  const __m256i lasts = Splat256(last);
  size_t i = from;
  for (; i + kUnits <= end; i += kUnits) {
    const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
    const __m256i tail = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + gap));
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_and_si256(Equal256<Unit>(head, firsts), Equal256<Unit>(tail, lasts))));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask)) / sizeof(Unit);
  }
  return Sse2(data, i, end, gap, first, last);
}
#endif

// The widest filter this processor runs, chosen once.
template <typename Unit>
Function<Unit> Widest() {
  static const Function<Unit> chosen = [] {
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx2")) return &Avx2<Unit>;
#endif
#if defined(__SSE2__)
    return &Sse2<Unit>;
#else
    return &Plain<Unit>;
#endif
  }();
  return chosen;
}

}  // namespace quelbo::pair_filter
