#include "page/text_search.h"

#include <cstring>
#include <string_view>

#include "page/pair_filter.h"
#include "page/pattern_search.h"

namespace quelbo {
namespace {

size_t FindUnit(std::u16string_view text, char16_t unit, size_t from) {
  const size_t n = text.size();
  if (from >= n) return std::u16string_view::npos;
  const size_t at = pair_filter::Widest<char16_t>()(text.data(), from, n, 0, unit, unit);
  return at < n ? at : std::u16string_view::npos;
}

}  // namespace

TextSearcher::TextSearcher(std::u16string_view pattern) : pattern_(pattern) {}

size_t TextSearcher::FindIn(std::u16string_view text, size_t from) const {
  return pattern_search::Find(text, pattern_, from, failure_, pair_filter::Widest<char16_t>(),
                              FindUnit);
}

std::optional<size_t> FindText(std::u16string_view text, std::u16string_view sought) {
  if (text.empty()) return std::nullopt;
  if (sought.empty()) return 0;
  const size_t at = TextSearcher(sought).FindIn(text);
  if (at == std::u16string_view::npos) return std::nullopt;
  return at;
}

}  // namespace quelbo
