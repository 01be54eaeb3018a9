#include "base/texts.h"

#include <vector>

namespace quelbo {

extern const Texts kEnglishTexts;
extern const Texts kChineseTexts;

const Texts& TextsIn(Language language) {
  return language == Language::kChinese ? kChineseTexts : kEnglishTexts;
}

std::string Filled(std::string_view pattern, std::initializer_list<std::string_view> values) {
  const std::vector<std::string_view> given(values);
  std::string text;
  text.reserve(pattern.size());
  for (size_t at = 0; at < pattern.size(); ++at) {
    const size_t close = pattern.find('}', at);
    if (pattern[at] == '{' && close != std::string_view::npos && close - at == 2 &&
        pattern[at + 1] >= '0' && static_cast<size_t>(pattern[at + 1] - '0') < given.size()) {
      text += given[static_cast<size_t>(pattern[at + 1] - '0')];
      at = close;
    } else {
      text += pattern[at];
    }
  }
  return text;
}

std::string Counted(size_t count, const Noun& noun) {
  return std::to_string(count) + " " + std::string(count == 1 ? noun.one : noun.many);
}

}  // namespace quelbo
