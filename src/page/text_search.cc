#include "page/text_search.h"

#include <cstring>
#include <string_view>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quelbo {
namespace {

constexpr size_t npos = std::u16string_view::npos;

// Candidate checks may cost this many code units per code unit scanned, plus a few pattern
// lengths, before the search falls back to the automaton. Calls that each end at a match are
// then linear together too: they cover disjoint stretches at least a pattern long.
constexpr size_t kCheckBudgetFactor = 4;
constexpr size_t kCheckBudgetPatterns = 8;

bool SameUnits(const char16_t* a, const char16_t* b, size_t count) {
  return std::memcmp(a, b, count * sizeof(char16_t)) == 0;
}

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
__attribute__((target("avx2"))) size_t NextPairAvx2(const char16_t* data, size_t from,
                                                    size_t end, size_t gap, char16_t first,
                                                    char16_t last) {
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
  const size_t m = pattern_.size();
  const size_t n = text.size();
  if (from > n || n - from < m) return npos;
  if (m == 1) return FindUnit(text, pattern_[0], from);

  const char16_t* data = text.data();
  const char16_t first = pattern_.front();
  const char16_t last = pattern_.back();
  const size_t end = n - m + 1;  // one past the last possible start
  size_t spent = 0;
  auto check = [&](size_t pos) {
    spent += m;
    return SameUnits(data + pos + 1, pattern_.data() + 1, m - 2);
  };
  auto over_budget = [&](size_t pos) {
    return spent > kCheckBudgetFactor * (pos - from) + kCheckBudgetPatterns * m;
  };

  const NextPairFunction next_pair = NextPair();
  for (size_t i = from;; ++i) {
    i = next_pair(data, i, end, m - 1, first, last);
    if (i >= end) return npos;
    if (check(i)) return i;
    if (over_budget(i)) return FindWithAutomaton(text, i + 1);
  }
}

size_t TextSearcher::FindWithAutomaton(std::u16string_view text, size_t from) const {
  const size_t m = pattern_.size();
  if (failure_.empty()) {
    failure_.assign(m, 0);
    for (size_t q = 1, k = 0; q < m; ++q) {
      while (k > 0 && pattern_[q] != pattern_[k]) k = failure_[k - 1];
      if (pattern_[q] == pattern_[k]) ++k;
      failure_[q] = k;
    }
  }
  size_t matched = 0;
  for (size_t i = from; i < text.size();) {
    if (matched == 0) {
      // Nothing matched yet: jump straight to the next possible first unit.
      i = FindUnit(text, pattern_[0], i);
      if (i == npos) return npos;
    }
    if (text[i] == pattern_[matched]) {
      ++i;
      if (++matched == m) return i - m;
    } else if (matched > 0) {
      matched = failure_[matched - 1];
    } else {
      ++i;
    }
  }
  return npos;
}

std::optional<size_t> FindText(std::u16string_view text, std::u16string_view sought) {
  if (text.empty()) return std::nullopt;
  if (sought.empty()) return 0;
  const size_t at = TextSearcher(sought).FindIn(text);
  if (at == npos) return std::nullopt;
  return at;
}

}  // namespace quelbo
