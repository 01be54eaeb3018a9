// The code page 936 and UTF-8 codecs on any bytes and any UTF-16 text. Code page 936 is checked
// against ICU's "windows-936-2000" converter called directly, the whole input at once, which is
// what the codec promises to give. UTF-8 is checked against a reference built from the
// definition: a valid sequence is the shortest encoding of a Unicode scalar value, and each
// maximal subpart of an invalid stretch becomes one U+FFFD.
//
// Input: any bytes. They are decoded as GBK and as UTF-8, and read as UTF-16 in two ways (unit
// pairs little-endian, and as field text, see fuzz_support.h) for the encoders.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>

#include "fuzz_support.h"
#include "base/text_codec.h"
#include "support/icu_gbk.h"

namespace quelbo::fuzz {
namespace {

constexpr size_t kMaxTextUnits = 1 << 14;

bool IsSurrogate(std::uint32_t code_point) { return code_point >= 0xD800 && code_point <= 0xDFFF; }

// The UTF-8 form of a code point, straight from the bit layout of the encoding.
std::string EncodeCodePoint(std::uint32_t cp) {
  std::string out;
  auto put = [&out](std::uint32_t byte) { out.push_back(static_cast<char>(byte)); };
  if (cp <= 0x7F) {
    put(cp);
  } else if (cp <= 0x7FF) {
    put(0xC0 | (cp >> 6));
    put(0x80 | (cp & 0x3F));
  } else if (cp <= 0xFFFF) {
    put(0xE0 | (cp >> 12));
    put(0x80 | ((cp >> 6) & 0x3F));
    put(0x80 | (cp & 0x3F));
  } else {
    put(0xF0 | (cp >> 18));
    put(0x80 | ((cp >> 12) & 0x3F));
    put(0x80 | ((cp >> 6) & 0x3F));
    put(0x80 | (cp & 0x3F));
  }
  return out;
}

// The scalar value whose shortest encoding is exactly `bytes`, if there is one: the bits are
// collected for the length the lead byte announces, and the result must encode back the same.
std::optional<std::uint32_t> ScalarEncodedAs(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::uint32_t cp;
  if (bytes.size() == 1 && lead < 0x80) {
    cp = lead;
  } else if (bytes.size() == 2 && (lead & 0xE0) == 0xC0) {
    cp = lead & 0x1Fu;
  } else if (bytes.size() == 3 && (lead & 0xF0) == 0xE0) {
    cp = lead & 0x0Fu;
  } else if (bytes.size() == 4 && (lead & 0xF8) == 0xF0) {
    cp = lead & 0x07u;
  } else {
    return std::nullopt;
  }
  for (size_t i = 1; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if ((byte & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (byte & 0x3Fu);
  }
  if (cp > 0x10FFFF || IsSurrogate(cp) || EncodeCodePoint(cp) != bytes) return std::nullopt;
  return cp;
}

// Every proper beginning of a valid sequence (one to three bytes), found by encoding every
// scalar value once. Packed as length and bytes into one number.
std::uint32_t Pack(std::string_view bytes) {
  std::uint32_t packed = static_cast<std::uint32_t>(bytes.size()) << 24;
  for (size_t i = 0; i < bytes.size(); ++i) {
    packed |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  }
  return packed;
}

const std::unordered_set<std::uint32_t>& ProperPrefixes() {
  static const auto* prefixes = [] {
    auto* set = new std::unordered_set<std::uint32_t>;
    for (std::uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
      if (IsSurrogate(cp)) continue;
      const std::string bytes = EncodeCodePoint(cp);
      for (size_t length = 1; length < bytes.size(); ++length) {
        set->insert(Pack(std::string_view(bytes).substr(0, length)));
      }
    }
    return set;
  }();
  return *prefixes;
}

struct ReferenceUtf8 {
  std::u16string text;
  bool well_formed = true;
};

ReferenceUtf8 ReferenceDecodeUtf8(std::string_view bytes) {
  ReferenceUtf8 result;
  size_t i = 0;
  while (i < bytes.size()) {
    std::optional<std::uint32_t> cp;
    size_t length = 1;
    for (; length <= 4 && i + length <= bytes.size(); ++length) {
      cp = ScalarEncodedAs(bytes.substr(i, length));
      if (cp) break;
    }
    if (cp) {
      if (*cp < 0x10000) {
        result.text.push_back(static_cast<char16_t>(*cp));
      } else {
        result.text.push_back(static_cast<char16_t>(0xD800 + ((*cp - 0x10000) >> 10)));
        result.text.push_back(static_cast<char16_t>(0xDC00 + ((*cp - 0x10000) & 0x3FF)));
      }
      i += length;
      continue;
    }
    // The maximal subpart: the longest beginning of a valid sequence, at least one byte.
    size_t bad = 1;
    for (size_t n = 3; n > 1; --n) {
      if (i + n <= bytes.size() && ProperPrefixes().contains(Pack(bytes.substr(i, n)))) {
        bad = n;
        break;
      }
    }
    result.text.push_back(u'\uFFFD');
    result.well_formed = false;
    i += bad;
  }
  return result;
}

// UTF-8 of a UTF-16 text, each lone surrogate written as U+FFFD.
struct ReferenceEncoded {
  std::string bytes;
  std::u16string decoded;  // the text with each lone surrogate replaced
  bool complete = true;
};

ReferenceEncoded ReferenceEncodeUtf8(std::u16string_view text) {
  ReferenceEncoded result;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      result.bytes += EncodeCodePoint(0x10000 + ((unit - 0xD800u) << 10) + (text[i + 1] - 0xDC00u));
      result.decoded += text.substr(i, 2);
      ++i;
    } else if (IsSurrogate(unit)) {
      result.bytes += EncodeCodePoint(0xFFFD);
      result.decoded += u'\uFFFD';
      result.complete = false;
    } else {
      result.bytes += EncodeCodePoint(unit);
      result.decoded += unit;
    }
  }
  return result;
}

// --- Code page 936 against ICU --------------------------------------------------------

std::string DescribeEncoded(std::string_view bytes, bool complete) {
  return DescribeBytes(bytes) + (complete ? "" : " (incomplete)");
}

std::string Flags(bool well_formed, bool round_trips) {
  return std::string(well_formed ? "" : " (malformed)") + (round_trips ? "" : " (no round trip)");
}

// Where a conversion first fails: nowhere exactly when it is exact, and everything before that
// point converts exactly.
template <typename ExactBefore>
void CheckFirstFault(const std::string& what, size_t at, bool exact, ExactBefore exact_before) {
  if ((at == std::string_view::npos) != exact) {
    Mismatch("first fault in " + what, exact ? "none" : "a position",
             exact ? "a position" : "none");
  } else if (!exact && !exact_before(at)) {
    Mismatch("first fault in " + what, "exact before " + std::to_string(at), "not exact");
  }
}

void CheckGbkBytes(std::string_view bytes) {
  const DecodedText decoded = DecodeGbk(bytes);
  const DecodedText icu = IcuDecodeGbk(bytes);
  if (decoded.text != icu.text || decoded.well_formed != icu.well_formed ||
      decoded.round_trips != icu.round_trips) {
    Mismatch("GBK decoding of " + DescribeBytes(bytes),
             Describe(icu.text) + Flags(icu.well_formed, icu.round_trips),
             Describe(decoded.text) + Flags(decoded.well_formed, decoded.round_trips));
  }
  const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii && (decoded.text != std::u16string(bytes.begin(), bytes.end()) ||
                !decoded.well_formed || !decoded.round_trips)) {
    Mismatch("GBK decoding of ASCII " + DescribeBytes(bytes), "the same characters, round trip",
             Describe(decoded.text));
  }
  if (decoded.round_trips && !decoded.well_formed) {
    Mismatch("GBK decoding of " + DescribeBytes(bytes), "round trip only when well formed",
             "round trip of malformed bytes");
  }
  const EncodedBytes again = EncodeGbk(decoded.text);
  const bool same = again.complete && again.bytes == bytes;
  if (decoded.round_trips != same) {
    Mismatch("GBK round trip of " + DescribeBytes(bytes) + " via " + Describe(decoded.text),
             decoded.round_trips ? "the same bytes again" : "flagged as round trip",
             DescribeEncoded(again.bytes, again.complete));
  }
  CheckFirstFault("GBK bytes " + DescribeBytes(bytes), FirstUnfaithfulGbkByte(bytes),
                  decoded.round_trips,
                  [&](size_t n) { return DecodeGbk(bytes.substr(0, n)).round_trips; });
  if (!decoded.well_formed) return;
  // Every character read from valid bytes has a form of its own, which reads back as the same
  // character, even where the input spelled it another way.
  const DecodedText back = DecodeGbk(again.bytes);
  if (!again.complete || !back.well_formed || !back.round_trips || back.text != decoded.text) {
    Mismatch("GBK encoding of the text read from " + DescribeBytes(bytes),
             Describe(decoded.text) + " again, complete and round trip",
             Describe(back.text) + " via " + DescribeEncoded(again.bytes, again.complete) +
                 (back.round_trips ? "" : " (no round trip)"));
  }
}

void CheckUtf8Bytes(std::string_view bytes) {
  const DecodedText decoded = DecodeUtf8(bytes);
  CheckFirstFault("UTF-8 bytes " + DescribeBytes(bytes), FirstMalformedUtf8Byte(bytes),
                  decoded.well_formed,
                  [&](size_t n) { return DecodeUtf8(bytes.substr(0, n)).well_formed; });
  const ReferenceUtf8 reference = ReferenceDecodeUtf8(bytes);
  if (decoded.well_formed != reference.well_formed) {
    Mismatch("UTF-8 well-formedness of " + DescribeBytes(bytes),
             reference.well_formed ? "well formed" : "malformed",
             decoded.well_formed ? "well formed" : "malformed");
  }
  if (decoded.text != reference.text) {
    Mismatch("UTF-8 decoding of " + DescribeBytes(bytes), Describe(reference.text),
             Describe(decoded.text));
  }
  // Strict UTF-8 has one spelling per character: valid bytes, and only they, come back.
  const EncodedBytes again = EncodeUtf8(decoded.text);
  const bool same = again.complete && again.bytes == bytes;
  if (same != reference.well_formed || decoded.round_trips != reference.well_formed) {
    Mismatch("UTF-8 round trip of " + DescribeBytes(bytes),
             reference.well_formed ? "the same bytes again, flagged as round trip"
                                   : "other bytes, not flagged as round trip",
             DescribeBytes(again.bytes) + (decoded.round_trips ? " (flagged as round trip)" : ""));
  }
}

void CheckText(std::u16string_view text) {
  const EncodedBytes utf8 = EncodeUtf8(text);
  const ReferenceEncoded reference = ReferenceEncodeUtf8(text);
  if (utf8.bytes != reference.bytes || utf8.complete != reference.complete) {
    Mismatch("UTF-8 encoding of " + Describe(text),
             DescribeEncoded(reference.bytes, reference.complete),
             DescribeEncoded(utf8.bytes, utf8.complete));
  }
  const DecodedText utf8_back = DecodeUtf8(utf8.bytes);
  if (!utf8_back.well_formed || utf8_back.text != reference.decoded) {
    Mismatch("UTF-8 decoding of the encoding of " + Describe(text), Describe(reference.decoded),
             Describe(utf8_back.text));
  }

  CheckFirstFault("UTF-8 encoding of " + Describe(text), FirstUnencodableUtf8Unit(text),
                  utf8.complete, [&](size_t n) { return EncodeUtf8(text.substr(0, n)).complete; });
  const EncodedBytes gbk = EncodeGbk(text);
  CheckFirstFault("GBK encoding of " + Describe(text), FirstUnencodableGbkUnit(text), gbk.complete,
                  [&](size_t n) { return EncodeGbk(text.substr(0, n)).complete; });
  const EncodedBytes icu = IcuEncodeGbk(text);
  if (gbk.bytes != icu.bytes || gbk.complete != icu.complete) {
    Mismatch("GBK encoding of " + Describe(text), DescribeEncoded(icu.bytes, icu.complete),
             DescribeEncoded(gbk.bytes, gbk.complete));
  }
  const DecodedText gbk_back = DecodeGbk(gbk.bytes);
  if (!gbk_back.well_formed) {
    Mismatch("GBK decoding of the encoding of " + Describe(text), "well formed",
             "malformed " + DescribeBytes(gbk.bytes));
  }
  if (gbk.complete && (gbk_back.text != text || !gbk_back.round_trips)) {
    Mismatch("GBK round trip of " + Describe(text) + " via " + DescribeBytes(gbk.bytes),
             Describe(text), Describe(gbk_back.text));
  }
}

}  // namespace
}  // namespace quelbo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  using namespace quelbo::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckGbkBytes(bytes);
  CheckUtf8Bytes(bytes);
  std::u16string units(size / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  CheckText(units);
  CheckText(TextFromBytes(bytes, kMaxTextUnits));
  return 0;
}
