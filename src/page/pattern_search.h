#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

namespace quelbo::pattern_search {

// Candidate checks may cost this many units per unit scanned, plus a few pattern lengths,
// before the search falls back to the automaton. Calls that each end at a match are then
// linear together too: they cover disjoint stretches at least a pattern long.
inline constexpr size_t kCheckBudgetFactor = 4;
inline constexpr size_t kCheckBudgetPatterns = 8;

// The search both searchers share, over code units (char16_t) or bytes (char). `next_pair(data,
// from, end, gap, first, last)` is the first position p in [from, end) with data[p] == first and
// data[p + gap] == last, or `end`; `find_unit(text, unit, from)` the first `unit` at or after
// `from`, or npos. `failure` is the automaton's table, built here on first use.
// REQUIRES: `pattern` is not empty.
template <typename Unit, typename NextPair, typename FindUnit>
size_t Find(std::basic_string_view<Unit> text, std::basic_string_view<Unit> pattern, size_t from,
            std::vector<size_t>& failure, NextPair next_pair, FindUnit find_unit) {
  constexpr size_t npos = std::basic_string_view<Unit>::npos;
  const size_t m = pattern.size();
  const size_t n = text.size();
  if (from > n || n - from < m) return npos;
  if (m == 1) return find_unit(text, pattern[0], from);

  const Unit* data = text.data();
  const size_t end = n - m + 1;  // one past the last possible start
  size_t spent = 0;
  size_t i = from;
  for (;; ++i) {
    i = next_pair(data, i, end, m - 1, pattern.front(), pattern.back());
    if (i >= end) return npos;
    spent += m;
    if (std::memcmp(data + i + 1, pattern.data() + 1, (m - 2) * sizeof(Unit)) == 0) return i;
    if (spent > kCheckBudgetFactor * (i - from) + kCheckBudgetPatterns * m) break;
  }

  // Knuth-Morris-Pratt from the next position on.
  if (failure.empty()) {
    failure.assign(m, 0);
    for (size_t q = 1, k = 0; q < m; ++q) {
      while (k > 0 && pattern[q] != pattern[k]) k = failure[k - 1];
      if (pattern[q] == pattern[k]) ++k;
      failure[q] = k;
    }
  }
  size_t matched = 0;
  for (i = i + 1; i < n;) {
    if (matched == 0) {
      // Nothing matched yet: jump straight to the next possible first unit.
      i = find_unit(text, pattern[0], i);
      if (i == npos) return npos;
    }
    if (text[i] == pattern[matched]) {
      ++i;
      if (++matched == m) return i - m;
    } else if (matched > 0) {
      matched = failure[matched - 1];
    } else {
      ++i;
    }
  }
  return npos;
}

}  // namespace quelbo::pattern_search
