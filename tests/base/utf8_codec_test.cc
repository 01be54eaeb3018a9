#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "base/text_codec.h"
#include "support/temp_dir.h"

namespace quelbo {
namespace {

using testing::Hex;
using namespace std::string_view_literals;

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

struct MalformedUtf8Case {
  const char* name;
  std::string bytes;
  std::u16string text;  // what lenient decoding gives
};

class Utf8Malformed : public ::testing::TestWithParam<MalformedUtf8Case> {};

TEST_P(Utf8Malformed, IsFlaggedAndReplaced) {
  const DecodedText decoded = DecodeUtf8(GetParam().bytes);
  EXPECT_FALSE(decoded.well_formed);
  EXPECT_FALSE(decoded.round_trips);
  EXPECT_EQ(decoded.text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Malformed,
    ::testing::Values(
        MalformedUtf8Case{"overlong_slash", "a\xC0\xAF", u"a\uFFFD\uFFFD"},
        MalformedUtf8Case{"overlong_three", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        MalformedUtf8Case{"encoded_surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        MalformedUtf8Case{"above_max", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        MalformedUtf8Case{"truncated_at_end", "ab\xE4\xB8", u"ab\uFFFD"},
        MalformedUtf8Case{"stray_continuation", "\x80z", u"\uFFFDz"},
        MalformedUtf8Case{"gbk_bytes", "\xD6\xD0\xCE\xC4", u"\uFFFD\uFFFD\uFFFD\uFFFD"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(Utf8Codec, LoneSurrogateMakesEncodingIncomplete) {
  const EncodedBytes encoded = EncodeUtf8(std::u16string{u'a', u'\xDC00', u'b'});
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

// --- Agreement with a plain reference ------------------------------------------------------

bool IsScalarValue(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

// The UTF-8 form of a scalar value: a lead byte marking the length, then six bits a byte.
std::string FormOf(char32_t c) {
  const size_t length = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
  if (length == 1) return std::string(1, static_cast<char>(c));
  std::string form(length, '\0');
  for (size_t i = length - 1; i > 0; --i, c >>= 6) form[i] = static_cast<char>(0x80 | (c & 0x3F));
  const unsigned marker = 0xFF00u >> length;  // 0xC0, 0xE0 or 0xF0
  form[0] = static_cast<char>((marker | c) & 0xFF);
  return form;
}

// Whether `bytes` are the form of a scalar value, found by reading the bits the lead byte
// announces and writing that value again: anything overlong, out of range or a surrogate
// fails to come back the same.
bool IsFormOf(std::string_view bytes, char32_t& c) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (bytes.size() != length) return false;
  c = length == 1 ? lead : lead & (0x7Fu >> length);
  for (size_t i = 1; i < length; ++i) c = (c << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3Fu);
  return IsScalarValue(c) && FormOf(c) == bytes;
}

// Every beginning (one to three bytes) of the form of some scalar value.
class FormBeginnings {
 public:
  FormBeginnings() : known_(size_t{3} << 24) {
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
      if (!IsScalarValue(c)) continue;
      const std::string form = FormOf(c);
      for (size_t k = 1; k < form.size(); ++k)
        known_[Key(std::string_view(form).substr(0, k))] = true;
    }
  }
  bool Contains(std::string_view bytes) const { return known_[Key(bytes)]; }

 private:
  static size_t Key(std::string_view bytes) {
    size_t key = bytes.size() - 1;
    for (const char b : bytes) key = (key << 8) | static_cast<unsigned char>(b);
    return key;
  }
  std::vector<bool> known_;
};

void AppendUtf16(std::u16string& text, char32_t c) {
  if (c < 0x10000) {
    text += static_cast<char16_t>(c);
  } else {
    text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
}

// At each position the form of a scalar value, or else one U+FFFD for the longest run of
// bytes that begins one (at least a byte).
DecodedText ReferenceDecode(std::string_view bytes) {
  static const FormBeginnings beginnings;
  DecodedText result;
  size_t i = 0;
  while (i < bytes.size()) {
    char32_t c = 0;
    size_t length = 1;
    while (length <= 4 && i + length <= bytes.size() && !IsFormOf(bytes.substr(i, length), c)) {
      ++length;
    }
    if (length <= 4 && i + length <= bytes.size()) {
      AppendUtf16(result.text, c);
      i += length;
      continue;
    }
    size_t bad = 1;
    while (bad < 3 && i + bad < bytes.size() && beginnings.Contains(bytes.substr(i, bad + 1))) {
      ++bad;
    }
    result.text += u'\uFFFD';
    result.well_formed = false;
    i += bad;
  }
  result.round_trips = result.well_formed;
  return result;
}

EncodedBytes ReferenceEncode(std::u16string_view text) {
  EncodedBytes result;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
      result.complete = false;
    }
    result.bytes += FormOf(c);
  }
  return result;
}

::testing::AssertionResult SameDecoding(std::string_view bytes) {
  const DecodedText expected = ReferenceDecode(bytes);
  const DecodedText actual = DecodeUtf8(bytes);
  // The check without decoding finds the first fault: well-formed bytes before it.
  const size_t fault = FirstMalformedUtf8Byte(bytes);
  const bool fault_found_right =
      fault == std::string_view::npos
          ? expected.well_formed
          : !expected.well_formed && ReferenceDecode(bytes.substr(0, fault)).well_formed;
  if (actual.text == expected.text && actual.well_formed == expected.well_formed &&
      actual.round_trips == expected.round_trips && fault_found_right) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "bytes " << Hex(bytes) << ": " << actual.text.size()
                                       << " code units, reference " << expected.text.size();
}

::testing::AssertionResult SameEncoding(std::u16string_view text) {
  const EncodedBytes expected = ReferenceEncode(text);
  const EncodedBytes actual = EncodeUtf8(text);
  if (actual.bytes == expected.bytes && actual.complete == expected.complete) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << Hex(actual.bytes) << " (" << actual.complete << "), reference " << Hex(expected.bytes)
         << " (" << expected.complete << ")";
}

TEST(Utf8AgainstReference, DecodesEveryInputOfOneOrTwoBytesAlike) {
  for (int first = 0; first < 256; ++first) {
    const std::string one(1, static_cast<char>(first));
    ASSERT_TRUE(SameDecoding(one));
    for (int second = 0; second < 256; ++second) {
      ASSERT_TRUE(SameDecoding(one + static_cast<char>(second)));
    }
  }
}

// The edges of every range a lead byte allows for the byte after it.
TEST(Utf8AgainstReference, DecodesEveryTripleAndQuadOfTellingBytesAlike) {
  const std::string_view telling =
      "\x00\x41\x7F\x80\x8F\x90\x9F\xA0\xBF\xC0\xC1\xC2\xDF\xE0\xE1\xEC\xED\xEE\xEF\xF0"
      "\xF1\xF3\xF4\xF5\xFF"sv;
  // Also amid Chinese text, across the 32-byte blocks of the vector check and inside one.
  std::string chinese;
  for (int n = 0; n < 11; ++n) chinese += "\xE4\xB8\xAD";  // U+4E2D
  for (const char a : telling) {
    for (const char b : telling) {
      for (const char c : telling) {
        const std::string triple{a, b, c};
        ASSERT_TRUE(SameDecoding(triple));
        ASSERT_TRUE(SameDecoding(chinese.substr(3) + triple + chinese + chinese));
        ASSERT_TRUE(SameDecoding(chinese + triple + chinese + chinese));
      }
    }
  }
  const std::string_view few = "\x41\x80\x90\xA0\xBF\xC2\xE0\xED\xEF\xF0\xF4\xF5"sv;
  for (const char a : few) {
    for (const char b : few) {
      for (const char c : few) {
        for (const char d : few) ASSERT_TRUE(SameDecoding(std::string{a, b, c, d}));
      }
    }
  }
}

TEST(Utf8AgainstReference, DecodesRandomBytesAlike) {
  std::mt19937 random(8);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<size_t> length(0, 40);
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    for (size_t n = length(random); n > 0; --n) {
      const int b = byte(random);
      // Half ASCII, half from 0x80 up, where all the cases are.
      bytes += static_cast<char>(b % 2 == 0 ? b / 2 : 0x80 + b / 2);
    }
    ASSERT_TRUE(SameDecoding(bytes));
  }
}

// Long texts of every length of form, with runs of ASCII, then a few bytes damaged.
TEST(Utf8AgainstReference, DecodesDamagedTextsAlike) {
  std::mt19937 random(16);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<size_t> run(0, 20);
  const std::vector<std::pair<uint32_t, uint32_t>> ranges = {{0x20, 0x7E},     {0x80, 0x7FF},
                                                             {0x800, 0xD7FF},  {0x4E00, 0x9FA5},
                                                             {0xE000, 0xFFFF}, {0x10000, 0x10FFFF}};
  for (int round = 0; round < 300; ++round) {
    std::u16string text;
    while (text.size() < 2000) {
      const auto [low, high] = ranges[text.size() % ranges.size()];
      std::uniform_int_distribution<uint32_t> pick(low, high);
      for (size_t n = run(random); n > 0; --n) AppendUtf16(text, pick(random));
    }
    std::string bytes = EncodeUtf8(text).bytes;
    for (int d = 0; d < round % 4; ++d) {
      bytes[static_cast<size_t>(byte(random)) * bytes.size() / 256] =
          static_cast<char>(byte(random));
    }
    ASSERT_TRUE(SameDecoding(bytes));
  }
}

TEST(Utf8AgainstReference, EncodesEveryCodeUnitAlike) {
  std::u16string all;
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    const std::u16string one(1, static_cast<char16_t>(unit));
    ASSERT_TRUE(SameEncoding(one));
    ASSERT_TRUE(SameEncoding(one + u'x'));
    all += one;
  }
  EXPECT_TRUE(SameEncoding(all));
}

TEST(Utf8AgainstReference, EncodesRandomTextsAlike) {
  std::mt19937 random(32);
  const std::vector<std::pair<char16_t, char16_t>> ranges = {
      {0x20, 0x7E},     {0x80, 0x7FF},    {0x800, 0xFFFF},  {0x4E00, 0x9FA5},
      {0xD800, 0xDBFF}, {0xDC00, 0xDFFF}, {0xD800, 0xDFFF}, {0x00, 0xFFFF}};
  std::uniform_int_distribution<size_t> pick(0, ranges.size() - 1);
  std::uniform_int_distribution<size_t> runs(0, 12);
  std::uniform_int_distribution<size_t> run(1, 12);
  for (int round = 0; round < 20000; ++round) {
    std::u16string text;
    for (size_t n = runs(random); n > 0; --n) {
      const auto [low, high] = ranges[pick(random)];
      std::uniform_int_distribution<int> unit(low, high);
      for (size_t k = run(random); k > 0; --k) text += static_cast<char16_t>(unit(random));
    }
    ASSERT_TRUE(SameEncoding(text));
  }
}

}  // namespace
}  // namespace quelbo
