#include "base/texts.h"

#include <vector>

#include "base/text_codec.h"

namespace quelbo {

extern const Texts kEnglishTexts;
extern const Texts kChineseTexts;

const Texts& TextsIn(Language language) {
  return language == Language::kChinese ? kChineseTexts : kEnglishTexts;
}

namespace {

// Values are put in as they are: a page's name may hold what UTF-8 cannot carry.
template <typename Char>
std::basic_string<Char> FilledWith(std::basic_string_view<Char> pattern,
                                   std::initializer_list<std::basic_string_view<Char>> values) {
  const std::vector<std::basic_string_view<Char>> given(values);
  std::basic_string<Char> text;
  text.reserve(pattern.size());
  for (size_t at = 0; at < pattern.size(); ++at) {
    const size_t close = pattern.find('}', at);
    if (pattern[at] == '{' && close != std::basic_string_view<Char>::npos && close - at == 2 &&
        pattern[at + 1] >= '0' && static_cast<size_t>(pattern[at + 1] - '0') < given.size()) {
      text += given[static_cast<size_t>(pattern[at + 1] - '0')];
      at = close;
    } else {
      text += pattern[at];
    }
  }
  return text;
}

}  // namespace

std::string Filled(std::string_view pattern, std::initializer_list<std::string_view> values) {
  return FilledWith(pattern, values);
}

std::u16string FilledUtf16(std::string_view pattern,
                           std::initializer_list<std::u16string_view> values) {
  return FilledWith(std::u16string_view(FromUtf8(pattern)), values);
}

std::string Counted(size_t count, const Noun& noun) {
  return std::to_string(count) + " " + std::string(count == 1 ? noun.one : noun.many);
}

}  // namespace quelbo
