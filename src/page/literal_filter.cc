#include "page/literal_filter.h"

#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quelbo::literal_filter {
namespace {

template <size_t N>
size_t ScanPlain(const char* data, size_t from, size_t end, const Literals& literals,
                 std::uint32_t* mask) {
  for (size_t i = from; i < end; i += kBlock) {
    std::uint32_t found = 0;
    for (size_t b = 0; b < kBlock; ++b) {
      for (size_t k = 0; k < N; ++k) {
        if (data[i + b] == literals.first[k] && data[i + b + literals.gap[k]] == literals.last[k]) {
          found |= std::uint32_t{1} << b;
        }
      }
    }
    if (found != 0) {
      *mask = found;
      return i;
    }
  }
  return end;
}

#if defined(__SSE2__)
template <size_t N>
size_t ScanSse2(const char* data, size_t from, size_t end, const Literals& literals,
                std::uint32_t* mask) {
  __m128i firsts[N];
  __m128i lasts[N];
  size_t gaps[N];
  for (size_t k = 0; k < N; ++k) {
    firsts[k] = _mm_set1_epi8(literals.first[k]);
    lasts[k] = _mm_set1_epi8(literals.last[k]);
    gaps[k] = literals.gap[k];
  }
  auto half = [&](const char* at) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    __m128i any = _mm_setzero_si128();
    for (size_t k = 0; k < N; ++k) {
      const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + gaps[k]));
      any = _mm_or_si128(
          any, _mm_and_si128(_mm_cmpeq_epi8(head, firsts[k]), _mm_cmpeq_epi8(tail, lasts[k])));
    }
    return static_cast<std::uint32_t>(_mm_movemask_epi8(any));
  };
  for (size_t i = from; i < end; i += kBlock) {
    const std::uint32_t found = half(data + i) | half(data + i + 16) << 16;
    if (found != 0) {
      *mask = found;
      return i;
    }
  }
  return end;
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
template <size_t N>
__attribute__((target("avx2"))) size_t ScanAvx2(const char* data, size_t from, size_t end,
                                                const Literals& literals, std::uint32_t* mask) {
  __m256i firsts[N];
  __m256i lasts[N];
  size_t gaps[N];
  for (size_t k = 0; k < N; ++k) {
    firsts[k] = _mm256_set1_epi8(literals.first[k]);
    lasts[k] = _mm256_set1_epi8(literals.last[k]);
    gaps[k] = literals.gap[k];
  }
  for (size_t i = from; i < end; i += kBlock) {
    const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
    __m256i any = _mm256_setzero_si256();
    for (size_t k = 0; k < N; ++k) {
      const __m256i tail = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + gaps[k]));
      any = _mm256_or_si256(any, _mm256_and_si256(_mm256_cmpeq_epi8(head, firsts[k]),
                                                  _mm256_cmpeq_epi8(tail, lasts[k])));
    }
    const auto found = static_cast<std::uint32_t>(_mm256_movemask_epi8(any));
    if (found != 0) {
      *mask = found;
      return i;
    }
  }
  return end;
}
#endif

// One scan per number of strings, so that the loop over them is unrolled.
template <size_t... N>
constexpr std::array<Scan, kMaxLiterals> MakeTable(std::index_sequence<N...>, auto pick) {
  return {pick.template operator()<N + 1>()...};
}

std::array<Scan, kMaxLiterals> Choose() {
  const auto indices = std::make_index_sequence<kMaxLiterals>();
#if defined(__x86_64__) && defined(__GNUC__)
  if (__builtin_cpu_supports("avx2")) {
    return MakeTable(indices, []<size_t N>() -> Scan { return &ScanAvx2<N>; });
  }
#endif
#if defined(__SSE2__)
  return MakeTable(indices, []<size_t N>() -> Scan { return &ScanSse2<N>; });
#else
  return MakeTable(indices, []<size_t N>() -> Scan { return &ScanPlain<N>; });
#endif
}

}  // namespace

Scan Widest(size_t count) {
  static const std::array<Scan, kMaxLiterals> chosen = Choose();
  return chosen[count - 1];
}

}  // namespace quelbo::literal_filter
