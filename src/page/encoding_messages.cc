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

std::u16string InvalidBytesReason(std::string_view bytes, bool utf8, const Texts& texts) {
  const size_t at = utf8 ? FirstMalformedUtf8Byte(bytes) : FirstUnfaithfulGbkByte(bytes);
  const std::u16string where =
      at == std::string_view::npos
          ? std::u16string()
          : FilledUtf16(texts.where_in_bytes, {Number(LineAt(bytes, at)), Number(at)});
  return FilledUtf16(texts.not_valid_in, {EncodingName(utf8), where});
}

std::u16string UnencodableReason(std::u16string_view text, bool utf8,
                                 std::optional<std::string_view> original, bool original_utf8,
                                 const Texts& texts) {
  const std::string_view cannot = utf8 ? texts.utf8_cannot_write : texts.gbk_cannot_hold;
  const size_t at = utf8 ? FirstUnencodableUtf8Unit(text) : FirstUnencodableGbkUnit(text);
  if (at == std::u16string_view::npos) {
    return FilledUtf16(texts.unencodable_somewhere, {FilledUtf16(cannot, {})});
  }
  const size_t length = at + 1 < text.size() && IsLead(text[at]) && IsTrail(text[at + 1]) ? 2 : 1;
  const std::u16string_view character = text.substr(at, length);
  const std::u16string what =
      FilledUtf16(cannot, {FilledUtf16(texts.described, {Describe(character)})});
  size_t line = 0;
  if (!original) {
    line = LineAt(text, at);
  } else {
    const std::u16string read = (original_utf8 ? DecodeUtf8(*original) : DecodeGbk(*original)).text;
    const size_t found = std::u16string_view(read).find(character);
    if (found == std::u16string_view::npos) return FilledUtf16(texts.replacement_holds, {what});
    line = LineAt(std::u16string_view(read), found);
  }
  return FilledUtf16(texts.page_holds, {what, Number(line)});
}

std::u16string DeclaresOtherEncodingReason(std::string_view bytes, const Declaration& declaration,
                                           const Texts& texts) {
  const bool utf8 = declaration.charset == Charset::kUtf8;
  const std::u16string garbled = FilledUtf16(texts.garbled_as, {EncodingName(!utf8)});
  if (declaration.form == DeclarationForm::kByteOrderMark) {
    return FilledUtf16(texts.begins_with_bom, {garbled});
  }
  return FilledUtf16(texts.declares_on_line, {Number(LineAt(bytes, declaration.at)),
                                              EncodingName(utf8), Written(bytes, declaration),
                                              garbled});
}

std::u16string DetectedInvalidBytesReason(std::string_view bytes, bool utf8,
                                          const Declaration& declaration, const Texts& texts) {
  const std::u16string reason = InvalidBytesReason(bytes, utf8, texts);
  if (declaration.charset != (utf8 ? Charset::kUtf8 : Charset::kGbk)) return reason;
  if (declaration.form == DeclarationForm::kByteOrderMark) {
    return FilledUtf16(texts.read_by_bom, {EncodingName(utf8), reason});
  }
  return FilledUtf16(texts.read_by_declaration, {Number(LineAt(bytes, declaration.at)),
                                                 Written(bytes, declaration), EncodingName(utf8),
                                                 reason});
}

}  // namespace quelbo
