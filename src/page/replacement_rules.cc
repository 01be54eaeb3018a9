#include "page/replacement_rules.h"

#include "page/text_search.h"
#include "panel/settings_fields.h"

namespace quelbo {

std::u16string ReplaceAll(std::u16string text, std::u16string_view find,
                          std::u16string_view replacement) {
  if (find.empty() || text.empty()) return text;
  const TextSearcher searcher(find);
  size_t at = searcher.FindIn(text);
  if (at == std::u16string::npos) return text;  // the common case costs no copy

  if (replacement.size() <= find.size()) {
    // The result never grows past the text still to be searched, so it is written over the
    // text itself: a huge page is not held twice.
    char16_t* data = text.data();
    size_t written = 0;
    size_t read = 0;
    while (at != std::u16string::npos) {
      std::char_traits<char16_t>::move(data + written, data + read, at - read);
      written += at - read;
      std::char_traits<char16_t>::copy(data + written, replacement.data(), replacement.size());
      written += replacement.size();
      read = at + find.size();
      at = searcher.FindIn(text, read);
    }
    std::char_traits<char16_t>::move(data + written, data + read, text.size() - read);
    text.resize(written + text.size() - read);
    return text;
  }

  std::u16string result;
  result.reserve(text.size() + replacement.size() - find.size());
  size_t copied = 0;
  const std::u16string_view source = text;
  while (at != std::u16string::npos) {
    result.append(source.substr(copied, at - copied));
    result.append(replacement);
    copied = at + find.size();
    at = searcher.FindIn(source, copied);
  }
  result.append(source.substr(copied));
  return result;
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

std::u16string ApplyReplacementRules(std::u16string page, const ControlPanel& panel) {
  page = ReplaceAll(std::move(page), u"</li>\n", u"</li>\r\n");
  page = ReplaceAll(std::move(page), panel.Text(field::pair1Find), panel.Text(field::pair1Replace));
  page = ReplaceAll(std::move(page), panel.Text(field::pair2Find), panel.Text(field::pair2Replace));
  page = ReplaceAll(std::move(page), panel.Text(field::pair3Find), panel.Text(field::pair3Replace));
  page = ReplaceAll(std::move(page), panel.Text(field::deleteText), u"");
  page = ReplaceAll(std::move(page), panel.Text(field::pair4Find), panel.Text(field::pair4Replace));
  return page;
}

}  // namespace quelbo
