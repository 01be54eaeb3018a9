#include "run/list_texts.h"

#include <algorithm>
#include <string>

#include "page/replacement_rules.h"

namespace quelbo {

long long LineBreaks(std::u16string_view list) {
  return static_cast<long long>(std::count(list.begin(), list.end(), u'\n'));
}

long long FoundCountOf(long long line_breaks) { return line_breaks - 3; }

long long FoundCount(std::u16string_view list) { return FoundCountOf(LineBreaks(list)); }

std::u16string DecimalText(long long value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string FoundMessage(long long count, char16_t letter) {
  return u"共找到=    " + DecimalText(count) + u"    -行数据" + std::u16string(1, letter);
}

std::u16string DirectoryBlock(const std::vector<std::u16string>& names,
                              std::u16string_view prefix) {
  std::u16string block;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    block.append(prefix);
    block.append(*it);
    block.append(kCrLf);
  }
  block.append(kListMarker);
  return block;
}

std::u16string_view FirstLine(std::u16string_view text) { return text.substr(0, text.find(kCrLf)); }

std::u16string CollapseBlankLinePairs(std::u16string text) {
  return ReplaceAll(std::move(text), kBlankLinePair, kCrLf);
}

std::u16string WithoutChar(std::u16string_view text, char16_t c) {
  std::u16string result;
  result.reserve(text.size());
  for (char16_t unit : text) {
    if (unit != c) result.push_back(unit);
  }
  return result;
}

}  // namespace quelbo
