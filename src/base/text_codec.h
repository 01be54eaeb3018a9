#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Conversions between bytes and text (UTF-16 code units). Decoding never fails: malformed input
// becomes U+FFFD and is flagged, so callers that must not alter a file can refuse it.

namespace quelbo {

struct DecodedText {
  std::u16string text;
  bool well_formed = true;  // every byte sequence was valid in the encoding
  bool round_trips = true;  // encoding `text` again gives back exactly the input bytes
};

struct EncodedBytes {
  std::string bytes;
  bool complete = true;  // every character had a form in the encoding (no substitutes written)
};

// Code page 936: a lead byte starts a double-byte character when a trail byte follows it.
constexpr bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
constexpr bool IsGbkTrailByte(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// Code page 936 through ICU's "windows-936-2000" converter, where 0x80 is the euro sign.
DecodedText DecodeGbk(std::string_view bytes);
EncodedBytes EncodeGbk(std::u16string_view text);

// Strict UTF-8: overlong forms, encoded surrogates and values above U+10FFFF are malformed
// (each maximal bad subsequence decodes to one U+FFFD). A lone surrogate in the text is
// written as U+FFFD and makes the result incomplete.
DecodedText DecodeUtf8(std::string_view bytes);
EncodedBytes EncodeUtf8(std::u16string_view text);

// Where a conversion stops being exact, for messages that point at the cause. Bytes: the
// offset of the first byte whose character is malformed or does not encode back to the same
// bytes. Text: the index of the first code unit without a form in the encoding (a lone
// surrogate; for code page 936 also a character it lacks). npos when there is none.
size_t FirstUnfaithfulGbkByte(std::string_view bytes);
size_t FirstMalformedUtf8Byte(std::string_view bytes);
size_t FirstUnencodableGbkUnit(std::u16string_view text);
size_t FirstUnencodableUtf8Unit(std::u16string_view text);

// Plain conversions for names and messages; invalid input is replaced, not reported.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view bytes);

}  // namespace quelbo
