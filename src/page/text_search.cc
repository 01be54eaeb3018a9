#include "page/text_search.h"

#include <cstring>
#include <string_view>

#include "page/pattern_search.h"

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quelbo {
namespace {

constexpr size_t npos = std::u16string_view::npos;

// The first position p in [from, end) where data[p] == first and data[p + gap] == last;
// `end` if there is none. All positions up to end - 1 + gap must be readable.
size_t NextPairPlain(const char16_t* data, size_t from, size_t end, size_t gap, char16_t first,
                     char16_t last) {
  for (size_t i = from; i < end; ++i) {
    if (data[i] == first && data[i + gap] == last) return i;
  }
  return end;
}

#if defined(__SSE2__)
size_t NextPairSse2(const char16_t* data, size_t from, size_t end, size_t gap, char16_t first,
                    char16_t last) {
  const __m128i first_units = _mm_set1_epi16(static_cast<short>(first));
  const __m128i last_units = _mm_set1_epi16(static_cast<short>(last));
  size_t i = from;
  for (; i + 8 <= end; i += 8) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + gap));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi16(head, first_units), _mm_cmpeq_epi16(tail, last_units))));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask)) / 2;
  }
  return NextPairPlain(data, i, end, gap, first, last);
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) size_t NextPairAvx2(const char16_t* data, size_t from, size_t end,
                                                    size_t gap, char16_t first, char16_t last) {
  const __m256i first_units = _mm256_set1_epi16(static_cast<short>(first));
  const __m256i last_units = _mm256_set1_epi16(static_cast<short>(last));
  size_t i = from;
  for (; i + 16 <= end; i += 16) {
    const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
    const __m256i tail = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + gap));
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(
        _mm256_cmpeq_epi16(head, first_units), _mm256_cmpeq_epi16(tail, last_units))));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask)) / 2;
  }
  return NextPairSse2(data, i, end, gap, first, last);
}
#endif

using NextPairFunction = size_t (*)(const char16_t*, size_t, size_t, size_t, char16_t, char16_t);

// The widest filter this processor runs, chosen once.
NextPairFunction NextPair() {
  static const NextPairFunction chosen = [] {
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx2")) return &NextPairAvx2;
#endif
#if defined(__SSE2__)
    return &NextPairSse2;
#else
    return &NextPairPlain;
#endif
  }();
  return chosen;
}

size_t FindUnit(std::u16string_view text, char16_t unit, size_t from) {
  const size_t n = text.size();
  if (from >= n) return npos;
  const size_t at = NextPair()(text.data(), from, n, 0, unit, unit);
  return at < n ? at : npos;
}

}  // namespace

TextSearcher::TextSearcher(std::u16string_view pattern) : pattern_(pattern) {}

size_t TextSearcher::FindIn(std::u16string_view text, size_t from) const {
  return pattern_search::Find(text, pattern_, from, failure_, NextPair(), FindUnit);
}

std::optional<size_t> FindText(std::u16string_view text, std::u16string_view sought) {
  if (text.empty()) return std::nullopt;
  if (sought.empty()) return 0;
  const size_t at = TextSearcher(sought).FindIn(text);
  if (at == npos) return std::nullopt;
  return at;
}

}  // namespace quelbo
