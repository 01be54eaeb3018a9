#include "page/page_rewrite.h"

#include <optional>
#include <string_view>

#include "page/block_replacer.h"
#include "page/charset_tokens.h"
#include "page/encoding_messages.h"
#include "page/replacement_rules.h"
#include "base/text_codec.h"

namespace quelbo {

constexpr char16_t kByteOrderMark = u'\uFEFF';

std::expected<RewrittenPage, std::u16string> RewritePageBytes(std::string bytes,
                                                              PageEncodings encodings,
                                                              const ControlPanel& rules,
                                                              RewriteCounts* counts) {
  auto decoded = DecodePage(bytes, encodings);
  if (!decoded) return std::unexpected(std::move(decoded.error()));
  const bool read_utf8 = decoded->utf8;
  // Detection that went by the bytes rather than the declaration writes what it read.
  const bool write_utf8 = read_utf8 != encodings.read_utf8 ? read_utf8 : encodings.write_utf8;
  // A small page is kept to name the line of a character the output encoding cannot hold.
  const bool kept = bytes.size() <= kKeptBytesLimit;
  if (!kept) std::string().swap(bytes);

  std::u16string text =
      RewriteCharsetTokens(std::move(decoded->text), read_utf8, write_utf8,
                           counts != nullptr ? &(*counts)[RewriteRule::kCharsetNames] : nullptr);
  text = ApplyReplacementRules(std::move(text), rules, counts);
  text = ApplyBlockSets(std::move(text), rules, counts);

  // A byte-order mark carried over from a UTF-8 page has no code page 936 form.
  if (!write_utf8 && !text.empty() && text.front() == kByteOrderMark) text.erase(0, 1);
  EncodedBytes encoded = write_utf8 ? EncodeUtf8(text) : EncodeGbk(text);
  if (!encoded.complete) {
    const auto original = kept ? std::optional<std::string_view>(bytes) : std::nullopt;
    return std::unexpected(
        UnencodableReason(text, write_utf8, original, read_utf8, ReasonTexts(encodings)));
  }
  return RewrittenPage{std::move(encoded.bytes), 0, read_utf8, write_utf8};
}

}  // namespace quelbo
