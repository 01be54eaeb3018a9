#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace quelbo {

// Finds an exact text in others, in time linear in the text searched whatever the pattern:
// a vectorised filter on the pattern's first and last code units proposes candidates, and once
// checking candidates has cost a few times the text's length the search continues with
// Knuth-Morris-Pratt, so that no page and pattern pair can make it quadratic.
class TextSearcher {
 public:
  // REQUIRES: `pattern` is not empty and outlives the searcher.
  explicit TextSearcher(std::u16string_view pattern);

  // Index of the first occurrence that starts at or after `from`, or npos.
  size_t FindIn(std::u16string_view text, size_t from = 0) const;

  size_t size() const { return pattern_.size(); }

 private:
  std::u16string_view pattern_;
  mutable std::vector<size_t> failure_;  // built on first use: most searches never need it
};

// The system's text search: the 0-based position of the first occurrence of `sought` in
// `text`. An empty `sought` is found at 0 of any non-empty text; nothing is found in an empty
// text.
std::optional<size_t> FindText(std::u16string_view text, std::u16string_view sought);

}  // namespace quelbo
