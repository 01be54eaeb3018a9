#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "support/temp_dir.h"

namespace quelbo {
namespace {

using testing::Hex;

TEST(Utf8Codec, ValidTextRoundTripsByteForByte) {
  const std::string bytes =
      "\xEF\xBB\xBF<meta charset=utf-8>\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80 \xC2\xA9\r\n";
  const DecodedText decoded = DecodeUtf8(bytes);
  EXPECT_TRUE(decoded.well_formed);
  EXPECT_TRUE(decoded.round_trips);
  EXPECT_EQ(decoded.text.front(), u'\uFEFF');  // the byte-order mark stays a character
  const EncodedBytes encoded = EncodeUtf8(decoded.text);
  EXPECT_TRUE(encoded.complete);
  EXPECT_EQ(Hex(encoded.bytes), Hex(bytes));
}

struct MalformedCase {
  const char* name;
  std::string bytes;
  std::u16string text;  // what lenient decoding gives
};

class Utf8Malformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(Utf8Malformed, IsFlaggedAndReplaced) {
  const DecodedText decoded = DecodeUtf8(GetParam().bytes);
  EXPECT_FALSE(decoded.well_formed);
  EXPECT_FALSE(decoded.round_trips);
  EXPECT_EQ(decoded.text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Malformed,
    ::testing::Values(
        MalformedCase{"overlong_slash", "a\xC0\xAF", u"a\uFFFD\uFFFD"},
        MalformedCase{"overlong_three", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        MalformedCase{"encoded_surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        MalformedCase{"above_max", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        MalformedCase{"truncated_at_end", "ab\xE4\xB8", u"ab\uFFFD"},
        MalformedCase{"stray_continuation", "\x80z", u"\uFFFDz"},
        MalformedCase{"gbk_bytes", "\xD6\xD0\xCE\xC4", u"\uFFFD\uFFFD\uFFFD\uFFFD"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(Utf8Codec, LoneSurrogateMakesEncodingIncomplete) {
  const EncodedBytes encoded = EncodeUtf8(u"a\xDC00" u"b");
  EXPECT_FALSE(encoded.complete);
  EXPECT_EQ(Hex(encoded.bytes), "61 EF BF BD 62");
}

TEST(Utf8Codec, LongAsciiRunsAroundMultibyteCharacters) {
  std::string bytes(1000, 'x');
  bytes += "\xE4\xB8\xAD";
  bytes += std::string(13, 'y');
  const DecodedText decoded = DecodeUtf8(bytes);
  ASSERT_TRUE(decoded.well_formed);
  EXPECT_EQ(decoded.text.size(), 1014u);
  EXPECT_EQ(decoded.text[1000], u'中');
  EXPECT_EQ(EncodeUtf8(decoded.text).bytes, bytes);
}

}  // namespace
}  // namespace quelbo
