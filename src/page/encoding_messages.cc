#include "page/encoding_messages.h"

#include <algorithm>
#include <cstdio>

#include "base/text_codec.h"

namespace quelbo {
namespace {

std::u16string Number(size_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

template <typename Char>
size_t LineAt(std::basic_string_view<Char> text, size_t at) {
  return 1 + static_cast<size_t>(
                 std::count(text.begin(), text.begin() + static_cast<ptrdiff_t>(at), Char{'\n'}));
}

// A declaration as the page writes it: ASCII, from its word through its label.
std::u16string Written(std::string_view bytes, const Declaration& declaration) {
  const std::string_view written = bytes.substr(declaration.at, declaration.length);
  return std::u16string(written.begin(), written.end());
}

std::u16string_view EncodingName(bool utf8) { return utf8 ? u"UTF-8" : u"GBK"; }

bool IsLead(char16_t unit) { return (unit & 0xFC00) == 0xD800; }
bool IsTrail(char16_t unit) { return (unit & 0xFC00) == 0xDC00; }

// "U+00A9 “©”"; a lone surrogate has no form to show.
std::u16string Describe(std::u16string_view character) {
  char32_t code_point = character[0];
  if (character.size() == 2) {
    code_point = 0x10000 + ((char32_t{character[0]} - 0xD800) << 10) + (character[1] - 0xDC00u);
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code_point));
  std::u16string described(hex, hex + std::char_traits<char>::length(hex));
  if (character.size() == 2 || (!IsLead(character[0]) && !IsTrail(character[0]))) {
    described += u" “" + std::u16string(character) + u"”";
  }
  return described;
}

}  // namespace

std::u16string InvalidBytesReason(std::string_view bytes, bool utf8) {
  const size_t at = utf8 ? FirstMalformedUtf8Byte(bytes) : FirstUnfaithfulGbkByte(bytes);
  std::u16string reason = u"不是有效的" + std::u16string(EncodingName(utf8)) + u"编码";
  if (at != std::string_view::npos) {
    reason += u"（第" + Number(LineAt(bytes, at)) + u"行，字节偏移" + Number(at) + u"）";
  }
  return reason + u"，未改动";
}

std::u16string UnencodableReason(std::u16string_view text, bool utf8,
                                 std::optional<std::string_view> original, bool original_utf8) {
  const size_t at = utf8 ? FirstUnencodableUtf8Unit(text) : FirstUnencodableGbkUnit(text);
  if (at == std::u16string_view::npos) {
    return utf8 ? u"含有无法写成UTF-8的字符，未改动" : u"含有GBK无法表示的字符，未改动";
  }
  const size_t length = at + 1 < text.size() && IsLead(text[at]) && IsTrail(text[at + 1]) ? 2 : 1;
  const std::u16string_view character = text.substr(at, length);
  const std::u16string what =
      (utf8 ? u"无法写成UTF-8的字符 " : u"GBK无法表示的字符 ") + Describe(character);
  size_t line = 0;
  if (!original) {
    line = LineAt(text, at);
  } else {
    const std::u16string read = (original_utf8 ? DecodeUtf8(*original) : DecodeGbk(*original)).text;
    const size_t found = std::u16string_view(read).find(character);
    if (found == std::u16string_view::npos) return u"替换内容含有" + what + u"，未改动";
    line = LineAt(std::u16string_view(read), found);
  }
  return u"含有" + what + u"（第" + Number(line) + u"行），未改动";
}

std::u16string DeclaresOtherEncodingReason(std::string_view bytes, const Declaration& declaration) {
  const bool utf8 = declaration.charset == Charset::kUtf8;
  // Appended rather than "text" + string: g++ 12 for Windows warns of an overlapping copy there.
  std::u16string garbled = u"按";
  garbled += EncodingName(!utf8);
  garbled += u"读入会变成乱码，未改动";
  if (declaration.form == DeclarationForm::kByteOrderMark) {
    return u"页面以UTF-8字节顺序标记开头，" + garbled;
  }
  return u"页面第" + Number(LineAt(bytes, declaration.at)) + u"行声明的是" +
         std::u16string(EncodingName(utf8)) + u"编码（" + Written(bytes, declaration) + u"），" +
         garbled;
}

std::u16string DetectedInvalidBytesReason(std::string_view bytes, bool utf8,
                                          const Declaration& declaration) {
  const std::u16string reason = InvalidBytesReason(bytes, utf8);
  if (declaration.charset != (utf8 ? Charset::kUtf8 : Charset::kGbk)) return reason;
  const std::u16string read_as = u"读作" + std::u16string(EncodingName(utf8)) + u"，但";
  if (declaration.form == DeclarationForm::kByteOrderMark) {
    return u"按页面开头的UTF-8字节顺序标记" + read_as + reason;
  }
  return u"按第" + Number(LineAt(bytes, declaration.at)) + u"行的声明（" +
         Written(bytes, declaration) + u"）" + read_as + reason;
}

}  // namespace quelbo
