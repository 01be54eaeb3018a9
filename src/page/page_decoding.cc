#include "page/page_decoding.h"

#include <optional>

#include "page/charset_declarations.h"
#include "page/encoding_messages.h"
#include "base/text_codec.h"

namespace quelbo {
namespace {

DecodedText Decode(std::string_view bytes, bool utf8) {
  return utf8 ? DecodeUtf8(bytes) : DecodeGbk(bytes);
}

// The declaration by which a converted page says it is in the other encoding, where its bytes
// agree with it.
std::optional<Declaration> DeclaresOtherEncoding(std::string_view bytes, bool read_utf8) {
  const Declaration declared = DecidingDeclaration(bytes);
  const Charset other = read_utf8 ? Charset::kGbk : Charset::kUtf8;
  if (declared.charset != other || IsAscii(bytes) || !Decode(bytes, !read_utf8).round_trips) {
    return std::nullopt;
  }
  return declared;
}

}  // namespace

std::expected<DecodedPage, std::u16string> DecodePage(std::string_view bytes,
                                                      PageEncodings encodings) {
  const bool utf8 = encodings.read_utf8;
  DecodedText decoded = Decode(bytes, utf8);
  if (!decoded.round_trips) {
    if (encodings.detect) {
      std::u16string().swap(decoded.text);
      DecodedText other = Decode(bytes, !utf8);
      if (other.round_trips) return DecodedPage{std::move(other.text), !utf8};
    }
    return std::unexpected(
        encodings.detect ? DetectedInvalidBytesReason(bytes, utf8, DecidingDeclaration(bytes),
                                                      ReasonTexts(encodings))
                         : InvalidBytesReason(bytes, utf8, ReasonTexts(encodings)));
  }
  if (!encodings.detect && utf8 != encodings.write_utf8) {
    if (const auto declared = DeclaresOtherEncoding(bytes, utf8)) {
      return std::unexpected(DeclaresOtherEncodingReason(bytes, *declared, ReasonTexts(encodings)));
    }
  }
  return DecodedPage{std::move(decoded.text), utf8};
}

}  // namespace quelbo
