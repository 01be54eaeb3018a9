#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace quelbo {

// TextSearcher's twin for a page's own bytes: finds an exact byte string in time linear in the
// bytes searched whatever the pattern. A vectorised filter on the pattern's first and last
// bytes proposes candidates; once checking them has cost a few times the stretch searched, the
// search goes on with Knuth-Morris-Pratt.
class ByteSearcher {
 public:
  // REQUIRES: `pattern` is not empty and outlives the searcher.
  explicit ByteSearcher(std::string_view pattern);

  // Index of the first occurrence that starts at or after `from`, or npos.
  size_t FindIn(std::string_view bytes, size_t from = 0) const;

  size_t size() const { return pattern_.size(); }

 private:
  std::string_view pattern_;
  mutable std::vector<size_t> failure_;  // built on first use: most searches never need it
};

}  // namespace quelbo
