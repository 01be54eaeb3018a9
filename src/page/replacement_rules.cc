#include "page/replacement_rules.h"

#include <vector>

#include "page/spliced_text.h"
#include "page/text_search.h"
#include "panel/settings_fields.h"

namespace quelbo {

std::u16string ReplaceAll(std::u16string text, std::u16string_view find,
                          std::u16string_view replacement, size_t* replaced) {
  return ReplaceAllFrom(std::move(text), find, replacement, 0, replaced);
}

std::u16string ReplaceAllFrom(std::u16string text, std::u16string_view find,
                              std::u16string_view replacement, size_t from, size_t* replaced) {
  if (find.empty() || text.empty()) return text;
  const TextSearcher searcher(find);
  size_t at = searcher.FindIn(text, from);
  if (at == std::u16string::npos) return text;  // the common case costs no copy

  if (replacement.size() <= find.size()) {
    // The result never grows past the text still to be searched, so it is written over the
    // text itself: a huge page is not held twice.
    char16_t* data = text.data();
    size_t written = at;
    size_t read = at;
    size_t found = 0;
    while (at != std::u16string::npos) {
      ++found;
      std::char_traits<char16_t>::move(data + written, data + read, at - read);
      written += at - read;
      std::char_traits<char16_t>::copy(data + written, replacement.data(), replacement.size());
      written += replacement.size();
      read = at + find.size();
      at = searcher.FindIn(text, read);
    }
    std::char_traits<char16_t>::move(data + written, data + read, text.size() - read);
    text.resize(written + text.size() - read);
    if (replaced != nullptr) *replaced += found;
    return text;
  }

  // Growing: the matches are found first, so that the result is sized once.
  std::vector<size_t> matches;
  while (at != std::u16string::npos) {
    matches.push_back(at);
    at = searcher.FindIn(text, at + find.size());
  }
  if (replaced != nullptr) *replaced += matches.size();
  return Spliced<char16_t>(text, matches, find.size(), replacement);
}

std::u16string StripLineBreaks(std::u16string_view text) {
  std::u16string result;
  result.reserve(text.size());
  // Removing CR LF pairs, then lone CRs, then lone LFs removes every CR and LF.
  for (char16_t c : text) {
    if (c != u'\r' && c != u'\n') result.push_back(c);
  }
  const size_t first = result.find_first_not_of(u' ');
  if (first == std::u16string::npos) return {};
  const size_t last = result.find_last_not_of(u' ');
  return result.substr(first, last - first + 1);
}

std::u16string ApplyReplacementRules(std::u16string page, const ControlPanel& panel,
                                     RewriteCounts* counts) {
  RewriteCounts unused;
  RewriteCounts& n = counts != nullptr ? *counts : unused;
  page = ReplaceAll(std::move(page), u"</li>\n", u"</li>\r\n", &n[RewriteRule::kListItemBreak]);
  for (const TextRuleFields& rule : kTextRules) {
    const std::u16string_view replacement =
        rule.replacement ? panel.Text(*rule.replacement) : std::u16string_view();
    page = ReplaceAll(std::move(page), panel.Text(rule.find), replacement, &n[rule.counted]);
  }
  return page;
}

}  // namespace quelbo
