#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "support/temp_dir.h"

namespace quelbo {
namespace {

using testing::Hex;

struct GbkCase {
  const char* name;
  std::u16string text;
  std::string hex;
};

class GbkRoundTrip : public ::testing::TestWithParam<GbkCase> {};

TEST_P(GbkRoundTrip, EncodesToKnownBytesAndDecodesBack) {
  const EncodedBytes encoded = EncodeGbk(GetParam().text);
  EXPECT_TRUE(encoded.complete);
  EXPECT_EQ(Hex(encoded.bytes), GetParam().hex);
  const DecodedText decoded = DecodeGbk(encoded.bytes);
  EXPECT_EQ(decoded.text, GetParam().text);
  EXPECT_TRUE(decoded.well_formed);
  EXPECT_TRUE(decoded.round_trips);
}

INSTANTIATE_TEST_SUITE_P(
    KnownTexts, GbkRoundTrip,
    ::testing::Values(GbkCase{"empty", u"", ""}, GbkCase{"ascii", u"abc\r\n", "61 62 63 0D 0A"},
                      GbkCase{"chinese", u"中文", "D6 D0 CE C4"},
                      GbkCase{"key_name", u"替换前1", "CC E6 BB BB C7 B0 31"},
                      // The Windows table: 0x80 is the euro sign, 0xFF a private-use character.
                      GbkCase{"euro", u"€5", "80 35"},
                      GbkCase{"byte_ff", u"\uF8F5", "FF"},
                      // A trail byte in the ASCII letter range.
                      GbkCase{"ascii_trail_bytes", u"丄乤", "81 41 81 61"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(GbkCodec, MalformedBytesAreFlagged) {
  for (const auto& bytes : {std::string("ab\xD6"), std::string("\xA0"),
                                  std::string("\xD6\x20")}) {
    const DecodedText decoded = DecodeGbk(bytes);
    EXPECT_FALSE(decoded.well_formed) << Hex(bytes);
    EXPECT_FALSE(decoded.round_trips) << Hex(bytes);
  }
}

TEST(GbkCodec, CharacterWithoutAFormMakesEncodingIncomplete) {
  for (const auto& text : {std::u16string(u"\uFEFFabc"), std::u16string(u"a😀"),
                                    std::u16string(u"\xD800")}) {
    EXPECT_FALSE(EncodeGbk(text).complete);
  }
}

TEST(GbkCodec, LargeMixedTextRoundTrips) {
  std::u16string text;
  for (int i = 0; i < 20000; ++i) text += u"<p>中文 text 段落</p>\r\n";
  const EncodedBytes encoded = EncodeGbk(text);
  ASSERT_TRUE(encoded.complete);
  const DecodedText decoded = DecodeGbk(encoded.bytes);
  EXPECT_TRUE(decoded.round_trips);
  EXPECT_EQ(decoded.text, text);
}

}  // namespace
}  // namespace quelbo
