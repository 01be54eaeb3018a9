#include "reference_rules.h"

#include "page/block_replacer.h"

namespace quelbo::fuzz {
namespace {

bool StartsAt(std::u16string_view text, size_t index, std::u16string_view sought) {
  if (index + sought.size() > text.size()) return false;
  for (size_t j = 0; j < sought.size(); ++j) {
    if (text[index + j] != sought[j]) return false;
  }
  return true;
}

}  // namespace

size_t InStr(std::u16string_view text, std::u16string_view sought) {
  if (text.empty()) return 0;
  for (size_t position = 1; position <= text.size(); ++position) {
    if (StartsAt(text, position - 1, sought)) return position;
  }
  return 0;
}

std::u16string_view Mid(std::u16string_view text, size_t start, size_t length) {
  if (start > text.size()) return {};
  return text.substr(start - 1, length);
}

std::u16string ReferenceReplaceAll(std::u16string_view text, std::u16string_view find,
                                   std::u16string_view replacement) {
  if (find.empty() || text.empty()) return std::u16string(text);
  std::u16string result;
  size_t i = 0;
  while (i < text.size()) {
    if (StartsAt(text, i, find)) {
      result += replacement;
      i += find.size();
    } else {
      result += text[i];
      ++i;
    }
  }
  return result;
}

std::u16string ReferenceCutBlock(std::u16string_view page, std::u16string_view start,
                                 std::u16string_view end) {
  // 1. Both markers looked up in the whole page.
  const size_t start_position = InStr(page, start);
  const size_t end_position = InStr(page, end);
  // 2. Neither found.
  if (start_position == 0 && end_position == 0) return std::u16string(kBlockNotFound);
  // 3. to 7.
  const size_t p = start_position;
  const std::u16string_view tail = Mid(page, p);
  const size_t k = InStr(tail, end);
  const size_t n = k + end.size();
  return std::u16string(Mid(page, p, n));
}

std::optional<std::u16string> ReferenceApplyBlockSets(std::u16string page,
                                                      const std::array<BlockSetTexts, 3>& sets,
                                                      size_t max_units) {
  for (const BlockSetTexts& set : sets) {
    if (!set.enabled || set.end.empty()) continue;
    if (InStr(page, set.start) > 0 && InStr(page, set.end) > 0) {
      const std::u16string cut = ReferenceCutBlock(page, set.start, set.end);
      page = ReferenceReplaceAll(page, cut, set.replacement);
      if (page.size() > max_units) return std::nullopt;
    }
  }
  return page;
}

std::optional<std::u16string> ReferenceApplyReplacementRules(std::u16string page,
                                                             const RuleTexts& rules,
                                                             size_t max_units) {
  page = ReferenceReplaceAll(page, u"</li>\n", u"</li>\r\n");
  for (size_t rule = 0; rule < rules.find.size(); ++rule) {
    const bool deletion = rule == 3;
    page = ReferenceReplaceAll(page, rules.find[rule],
                               deletion ? std::u16string_view() : rules.replacement[rule]);
    if (page.size() > max_units) return std::nullopt;
  }
  return page;
}

std::u16string ReferenceStripLineBreaks(std::u16string_view text) {
  std::u16string result = ReferenceReplaceAll(text, u"\r\n", u"");
  result = ReferenceReplaceAll(result, u"\r", u"");
  result = ReferenceReplaceAll(result, u"\n", u"");
  size_t first = 0;
  while (first < result.size() && result[first] == u' ') ++first;
  size_t last = result.size();
  while (last > first && result[last - 1] == u' ') --last;
  return result.substr(first, last - first);
}

std::u16string ReferenceStripTrailingBreak(std::u16string_view text) {
  std::u16string result(text);
  auto ends_in = [&result](std::u16string_view end) {
    return result.size() >= end.size() && Mid(result, result.size() - end.size() + 1) == end;
  };
  // 1. A final CR LF, 2. then a final LF, 3. then a final CR, each on what the step before left.
  if (ends_in(u"\r\n")) result.resize(result.size() - 2);
  if (ends_in(u"\n")) result.resize(result.size() - 1);
  if (ends_in(u"\r")) result.resize(result.size() - 1);
  return result;
}

}  // namespace quelbo::fuzz
