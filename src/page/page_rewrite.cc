#include "page/page_rewrite.h"

#include "page/block_replacer.h"
#include "page/charset_tokens.h"
#include "page/replacement_rules.h"
#include "platform/text_codec.h"

namespace quelbo {
namespace {

constexpr char16_t kByteOrderMark = u'\uFEFF';

}  // namespace

std::expected<std::string, std::u16string> RewritePageBytes(std::string bytes,
                                                            PageEncodings encodings,
                                                            const ControlPanel& rules,
                                                            RewriteCounts* counts) {
  const bool read_utf8 = encodings.read_utf8;
  const bool write_utf8 = encodings.write_utf8;
  DecodedText decoded = read_utf8 ? DecodeUtf8(bytes) : DecodeGbk(bytes);
  if (!decoded.round_trips) {
    return std::unexpected(read_utf8 ? u"不是有效的UTF-8编码，未改动"
                                     : u"不是有效的GBK编码，未改动");
  }
  std::string().swap(bytes);

  std::u16string text =
      RewriteCharsetTokens(std::move(decoded.text), read_utf8, write_utf8,
                           counts != nullptr ? &(*counts)[RewriteRule::kCharsetNames] : nullptr);
  text = ApplyReplacementRules(std::move(text), rules, counts);
  text = ApplyBlockSets(std::move(text), rules, counts);

  // A byte-order mark carried over from a UTF-8 page has no code page 936 form.
  if (!write_utf8 && !text.empty() && text.front() == kByteOrderMark) text.erase(0, 1);
  EncodedBytes encoded = write_utf8 ? EncodeUtf8(text) : EncodeGbk(text);
  if (!encoded.complete) {
    return std::unexpected(write_utf8 ? u"含有无法写成UTF-8的字符，未改动"
                                      : u"含有GBK无法表示的字符，未改动");
  }
  return std::move(encoded.bytes);
}

}  // namespace quelbo
