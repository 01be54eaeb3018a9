#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <vector>

#include "base/text_codec.h"
#include "support/icu_gbk.h"
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
                      GbkCase{"euro", u"€5", "80 35"}, GbkCase{"byte_ff", u"\uF8F5", "FF"},
                      // A trail byte in the ASCII letter range.
                      GbkCase{"ascii_trail_bytes", u"丄乤", "81 41 81 61"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(GbkCodec, MalformedBytesAreFlagged) {
  for (const auto& bytes : {std::string("ab\xD6"), std::string("\xA0"), std::string("\xD6\x20")}) {
    const DecodedText decoded = DecodeGbk(bytes);
    EXPECT_FALSE(decoded.well_formed) << Hex(bytes);
    EXPECT_FALSE(decoded.round_trips) << Hex(bytes);
  }
}

struct MalformedCase {
  const char* name;
  std::string bytes;
  std::u16string text;
};

class GbkMalformed : public ::testing::TestWithParam<MalformedCase> {};

// A lead byte without a trail byte becomes one U+FFFD, and the byte after it, when there is
// one, starts the next character.
TEST_P(GbkMalformed, LeadWithoutTrailIsReplacedAlone) {
  const DecodedText decoded = DecodeGbk(GetParam().bytes);
  EXPECT_FALSE(decoded.well_formed);
  EXPECT_FALSE(decoded.round_trips);
  EXPECT_EQ(decoded.text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GbkMalformed,
    ::testing::Values(MalformedCase{"lead_at_end", "ab\xD6", u"ab\uFFFD"},
                      MalformedCase{"lead_then_space", "\xD6 \xD6\xD0", u"\uFFFD 中"},
                      MalformedCase{"lead_then_delete", "\x81\x7F", u"\uFFFD\x7F"},
                      MalformedCase{"lead_then_ff", "\x81\xFF", u"\uFFFD\uF8F5"},
                      MalformedCase{"two_leads", "\xA0:\xFE", u"\uFFFD:\uFFFD"},
                      // Every lead and trail pair is assigned: D6 D6 is a character.
                      MalformedCase{"pair_then_lead_at_end", "\xD6\xD6\xD0", u"\u79CD\uFFFD"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(GbkCodec, CharacterWithoutAFormMakesEncodingIncomplete) {
  for (const auto& text :
       {std::u16string(u"\uFEFFabc"), std::u16string(u"a😀"), std::u16string(u"\xD800")}) {
    EXPECT_FALSE(EncodeGbk(text).complete);
  }
}

struct SubstituteCase {
  const char* name;
  std::u16string text;
  std::string hex;
};

class GbkSubstitutes : public ::testing::TestWithParam<SubstituteCase> {};

// What stands in for a character without a form: '?', or nothing for one that is invisible
// (soft hyphen, byte-order mark, variation selectors, tag characters).
TEST_P(GbkSubstitutes, AreWrittenInPlaceOfTheCharacter) {
  const EncodedBytes encoded = EncodeGbk(GetParam().text);
  EXPECT_FALSE(encoded.complete);
  EXPECT_EQ(Hex(encoded.bytes), GetParam().hex);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GbkSubstitutes,
    ::testing::Values(SubstituteCase{"latin1", u"a\u00A9b", "61 3F 62"},
                      SubstituteCase{"soft_hyphen", u"a\u00ADb", "61 62"},
                      SubstituteCase{"byte_order_mark", u"\uFEFF中", "D6 D0"},
                      SubstituteCase{"emoji", u"😀中", "3F D6 D0"},
                      SubstituteCase{"tag_character", u"a\U000E0041", "61"},
                      SubstituteCase{"lone_lead_at_end", u"中\xD83D", "D6 D0 3F"},
                      SubstituteCase{"lone_lead_then_ascii", u"\xD83Dx", "3F 78"},
                      SubstituteCase{"lone_trail", u"\xDE00\xD83D\xDE00", "3F 3F"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(GbkCodec, LargeMixedTextRoundTrips) {
  std::u16string text;
  for (int i = 0; i < 20000; ++i) text += u"<p>中文 text 段落</p>\r\n";
  const EncodedBytes encoded = EncodeGbk(text);
  ASSERT_TRUE(encoded.complete);
  const DecodedText decoded = DecodeGbk(encoded.bytes);
  EXPECT_TRUE(decoded.round_trips);
  EXPECT_EQ(decoded.text, text);
}

// --- Agreement with ICU's converter, byte for byte -----------------------------------------

std::string HexUnits(std::u16string_view text) {
  std::string hex;
  for (const char16_t unit : text) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04X ", static_cast<unsigned>(unit));
    hex += buffer;
  }
  return hex;
}

class GbkAgainstIcu : public ::testing::Test {
 protected:
  ::testing::AssertionResult SameDecoding(std::string_view bytes) {
    const DecodedText expected = IcuDecodeGbk(bytes);
    const DecodedText actual = DecodeGbk(bytes);
    // The check without decoding finds the first fault: faithful bytes before it.
    const size_t fault = FirstUnfaithfulGbkByte(bytes);
    const bool faithful = expected.well_formed && expected.round_trips;
    const DecodedText before_fault = IcuDecodeGbk(bytes.substr(0, fault));
    const bool fault_found_right =
        fault == std::string_view::npos
            ? faithful
            : !faithful && before_fault.well_formed && before_fault.round_trips;
    if (actual.text == expected.text && actual.well_formed == expected.well_formed &&
        actual.round_trips == expected.round_trips && fault_found_right) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "bytes " << Hex(bytes) << "\n  ICU:   " << HexUnits(expected.text)
           << expected.well_formed << expected.round_trips << "\n  codec: " << HexUnits(actual.text)
           << actual.well_formed << actual.round_trips;
  }

  ::testing::AssertionResult SameEncoding(std::u16string_view text) {
    const EncodedBytes expected = IcuEncodeGbk(text);
    const EncodedBytes actual = EncodeGbk(text);
    if (actual.bytes == expected.bytes && actual.complete == expected.complete) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "text " << HexUnits(text.substr(0, 64)) << "\n  ICU:   " << Hex(expected.bytes)
           << expected.complete << "\n  codec: " << Hex(actual.bytes) << actual.complete;
  }

  std::mt19937 random_{936};
};

TEST_F(GbkAgainstIcu, DecodesEveryByteAndEveryPairAlike) {
  for (int first = 0; first < 256; ++first) {
    const std::string one(1, static_cast<char>(first));
    ASSERT_TRUE(SameDecoding(one));
    for (int second = 0; second < 256; ++second) {
      ASSERT_TRUE(SameDecoding(one + static_cast<char>(second)));
    }
  }
}

// Leads, trails at both ends of their ranges, bytes that are neither, and the bytes that
// stand alone: every way a character can end early or take a byte the next one needed.
TEST_F(GbkAgainstIcu, DecodesEveryTripleOfTellingBytesAlike) {
  const std::vector<char> telling = {'\x00', '\x0A', '\x1A', '0',    '?',    '@',    'A',    '~',
                                     '\x7F', '\x80', '\x81', '\xA0', '\xA1', '\xA2', '\xAA', '\xB0',
                                     '\xD6', '\xD7', '\xF7', '\xF8', '\xFE', '\xFF'};
  for (const char a : telling) {
    for (const char b : telling) {
      for (const char c : telling) ASSERT_TRUE(SameDecoding(std::string{a, b, c}));
    }
  }
}

TEST_F(GbkAgainstIcu, DecodesRandomBytesAlike) {
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<size_t> length(0, 40);
  const char lone[] = {'\x80', '\xFF', '\x7F', '@', '?'};
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    for (size_t n = length(random_); n > 0; --n) {
      const int k = kind(random_);
      if (k < 5) {
        bytes += static_cast<char>(0x81 + byte(random_) % 0x7E);
      } else if (k < 8) {
        bytes += static_cast<char>(byte(random_) % 0x80);
      } else {
        bytes += lone[static_cast<size_t>(byte(random_)) % sizeof lone];
      }
    }
    ASSERT_TRUE(SameDecoding(bytes));
  }
}

// Long pages with markup between the text, and a few damaged bytes: the eight-byte steps
// over ASCII meet characters at every alignment.
TEST_F(GbkAgainstIcu, DecodesDamagedPagesAlike) {
  const std::u16string_view kCommon = u"的一是了我不人在有这个上们来到时大地为中国，。、“”（）！";
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> unit(0x4E00, 0x9FA5);
  std::uniform_int_distribution<size_t> run(0, 20);
  for (int round = 0; round < 200; ++round) {
    std::u16string text;
    while (text.size() < 2000) {
      text.append(run(random_), u'a' + static_cast<char16_t>(round % 26));
      // Half the rounds in the rows most text uses (common hanzi and punctuation).
      for (size_t n = run(random_); n > 0; --n) {
        text += round % 2 == 0 ? static_cast<char16_t>(unit(random_))
                               : kCommon[static_cast<size_t>(unit(random_)) % kCommon.size()];
      }
    }
    std::string bytes = EncodeGbk(text).bytes;
    const size_t damage = static_cast<size_t>(round % 4);
    for (size_t d = 0; d < damage; ++d) {
      bytes[static_cast<size_t>(byte(random_)) * bytes.size() / 256] =
          static_cast<char>(byte(random_));
    }
    ASSERT_TRUE(SameDecoding(bytes));
  }
}

TEST_F(GbkAgainstIcu, EncodesEveryCodeUnitAlike) {
  std::u16string all;
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    const std::u16string one(1, static_cast<char16_t>(unit));
    ASSERT_TRUE(SameEncoding(one));
    ASSERT_TRUE(SameEncoding(one + u'x'));
    all += one;
  }
  EXPECT_TRUE(SameEncoding(all));
}

TEST_F(GbkAgainstIcu, EncodesEveryCharacterOutsideTheBmpAlike) {
  std::u16string all;
  for (char32_t c = 0x10000; c <= 0x10FFFF; ++c) {
    all += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    all += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
  EXPECT_TRUE(SameEncoding(all));
}

TEST_F(GbkAgainstIcu, EncodesRandomTextsAlike) {
  // Runs of units of every kind the tables treat differently.
  const std::vector<std::pair<char16_t, char16_t>> ranges = {
      {0x20, 0x7E},     {0x00, 0x1F},     {0x80, 0xFF},     {0x4E00, 0x9FA5}, {0x3000, 0x303F},
      {0xE000, 0xE765}, {0x20AC, 0x20AC}, {0xF8F5, 0xF8F5}, {0x00AD, 0x00AD}, {0xFEFF, 0xFEFF},
      {0xFE00, 0xFE0F}, {0xD800, 0xDBFF}, {0xDC00, 0xDFFF}, {0x0000, 0xFFFF}};
  std::uniform_int_distribution<size_t> pick(0, ranges.size() - 1);
  std::uniform_int_distribution<size_t> runs(0, 12);
  std::uniform_int_distribution<size_t> run(1, 12);
  for (int round = 0; round < 20000; ++round) {
    std::u16string text;
    for (size_t n = runs(random_); n > 0; --n) {
      const auto [low, high] = ranges[pick(random_)];
      std::uniform_int_distribution<int> unit(low, high);
      for (size_t k = run(random_); k > 0; --k) text += static_cast<char16_t>(unit(random_));
    }
    ASSERT_TRUE(SameEncoding(text));
  }
}

}  // namespace
}  // namespace quelbo
