#include "page/text_search.h"

#include <cstring>
#include <string_view>

#if defined(__SSE2__)
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

size_t FindUnit(std::u16string_view text, char16_t unit, size_t from) {
  const char16_t* data = text.data();
  const size_t n = text.size();
  size_t i = from;
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(unit));
  for (; i + 8 <= n; i += 8) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(block, wanted));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / 2;
  }
#endif
  for (; i < n; ++i) {
    if (data[i] == unit) return i;
  }
  return npos;
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

  size_t i = from;
#if defined(__SSE2__)
  const __m128i first_units = _mm_set1_epi16(static_cast<short>(first));
  const __m128i last_units = _mm_set1_epi16(static_cast<short>(last));
  for (; i + 8 <= end; i += 8) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + m - 1));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi16(head, first_units), _mm_cmpeq_epi16(tail, last_units))));
    while (mask != 0) {
      const size_t pos = i + static_cast<size_t>(__builtin_ctz(mask)) / 2;
      if (check(pos)) return pos;
      if (over_budget(pos)) return FindWithAutomaton(text, pos + 1);
      mask &= mask - 1;  // each unit sets two mask bits
      mask &= mask - 1;
    }
  }
#endif
  for (; i < end; ++i) {
    if (data[i] == first && data[i + m - 1] == last) {
      if (check(i)) return i;
      if (over_budget(i)) return FindWithAutomaton(text, i + 1);
    }
  }
  return npos;
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
