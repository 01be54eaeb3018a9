#include "page/charset_tokens.h"

#include <cstring>

#include "page/replacement_rules.h"

namespace quelbo {
namespace {

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
bool IsTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

// Whether `at` starts a character. Bytes below 0x40 are never part of a double-byte character,
// so decoding can restart right after the last one of them before `at`.
bool StartsCharacter(std::string_view bytes, size_t at) {
  size_t i = at;
  while (i > 0 && static_cast<unsigned char>(bytes[i - 1]) >= 0x40) --i;
  while (i < at) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const bool pair = IsLeadByte(byte) && i + 1 < bytes.size() &&
                      IsTrailByte(static_cast<unsigned char>(bytes[i + 1]));
    i += pair ? 2 : 1;
  }
  return i == at;
}

bool ContainsToken(std::string_view bytes, std::string_view token) {
  size_t from = 0;
  while (from < bytes.size()) {
    const void* hit = ::memmem(bytes.data() + from, bytes.size() - from, token.data(), token.size());
    if (hit == nullptr) return false;
    const auto at = static_cast<size_t>(static_cast<const char*>(hit) - bytes.data());
    if (StartsCharacter(bytes, at)) return true;
    from = at + 1;
  }
  return false;
}

}  // namespace

std::u16string RewriteCharsetTokens(std::u16string page, bool read_utf8, bool write_utf8) {
  if (read_utf8 && !write_utf8) return ReplaceAll(std::move(page), u"utf-8", u"gb2312");
  if (!read_utf8 && write_utf8) {
    page = ReplaceAll(std::move(page), u"gb2312", u"utf-8");
    return ReplaceAll(std::move(page), u"gbk", u"utf-8");
  }
  return page;
}

bool DeclaresGb2312(std::string_view page_bytes) {
  return ContainsToken(page_bytes, "charset=gb2312") ||
         ContainsToken(page_bytes, "charset=\"gb2312");
}

}  // namespace quelbo
