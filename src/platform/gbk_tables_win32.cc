#include <windows.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/gbk_tables.h"
#include "base/text_codec.h"

// The code page 936 tables from Windows' own conversion (MultiByteToWideChar and
// WideCharToMultiByte, code page 936, no best fit). Windows answers only for valid input; where
// it refuses, the entries follow the rules of the Linux build's converter, so that both builds
// give the same bytes and texts for every input:
// - a lead byte 0x81-0xFE not followed by a trail byte is U+FFFD on its own, and the next byte
//   starts the next character;
// - a character without a form is written as "?", except the characters that are invisible by
//   nature (format controls, variation selectors and the like), which are left out.

namespace quelbo::gbk {
namespace {

constexpr UINT kCodePage = 936;
constexpr char16_t kReplacement = 0xFFFD;
constexpr char kSubstitute = '?';

// Characters without a form that are dropped rather than substituted.
struct Range {
  char32_t first;
  char32_t last;
};
constexpr std::array<Range, 17> kLeftOut = {{
    {0x00AD, 0x00AD},
    {0x034F, 0x034F},
    {0x061C, 0x061C},
    {0x115F, 0x1160},
    {0x17B4, 0x17B5},
    {0x180B, 0x180F},
    {0x200B, 0x200F},
    {0x202A, 0x202E},
    {0x2060, 0x206F},
    {0x3164, 0x3164},
    {0xFE00, 0xFE0F},
    {0xFEFF, 0xFEFF},
    {0xFFA0, 0xFFA0},
    {0xFFF0, 0xFFF8},
    {0x1BCA0, 0x1BCA3},
    {0x1D173, 0x1D17A},
    {0xE0000, 0xE0FFF},
}};

bool IsLeftOut(char32_t code_point) {
  for (const Range& range : kLeftOut) {
    if (code_point >= range.first && code_point <= range.last) return true;
  }
  return false;
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "code page 936 conversion: %s\n", what);
  std::abort();
}

// The one code unit Windows decodes `length` bytes to, or -1 when it refuses them.
long DecodeExactly(const char* bytes, int length, DWORD flags = MB_ERR_INVALID_CHARS) {
  wchar_t units[4];
  const int written = ::MultiByteToWideChar(kCodePage, flags, bytes, length, units, 4);
  if (written != 1) return -1;
  return static_cast<long>(units[0]);
}

// The character a byte 0x80-0xFF that starts no pair stands for by itself: some systems refuse
// such a byte (0xFF) when asked strictly, though they decode it and encode the character back
// to it; that round trip is taken as their answer.
long DecodeSingleByte(const Tables& tables, unsigned char byte) {
  const char alone = static_cast<char>(byte);
  const long strict = DecodeExactly(&alone, 1);
  if (strict >= 0 || IsGbkLeadByte(byte)) return strict;
  const long lenient = DecodeExactly(&alone, 1, 0);
  if (lenient < 0 || !EncodesTo(tables, static_cast<char16_t>(lenient), byte, -1)) return -1;
  return lenient;
}

// An encoding entry for `units` (one unit, or a surrogate pair) standing for `code_point`.
uint32_t EncodeEntry(const wchar_t* units, int count, char32_t code_point, char out[4]) {
  BOOL used_default = FALSE;
  const int written = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, count, out, 4,
                                            "?", &used_default);
  const bool surrogate = count == 1 && code_point >= 0xD800 && code_point <= 0xDFFF;
  if (written > 0 && written <= 2 && !used_default && !surrogate) {
    uint32_t entry = static_cast<unsigned char>(out[0]);
    if (written == 2) entry |= static_cast<uint32_t>(static_cast<unsigned char>(out[1])) << 8;
    return entry | (static_cast<uint32_t>(written) << kLengthShift);
  }
  if (!surrogate && IsLeftOut(code_point)) return kUnmappable;
  out[0] = kSubstitute;
  return kUnmappable | static_cast<unsigned char>(kSubstitute) | (1u << kLengthShift);
}

void FillEncoding(Tables& tables) {
  char out[4];
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    const wchar_t wide = static_cast<wchar_t>(unit);
    tables.encode[unit] = EncodeEntry(&wide, 1, static_cast<char32_t>(unit), out);
  }
}

uint32_t WithRoundTrip(const Tables& tables, uint32_t entry, unsigned char first, int second) {
  if ((entry & kMalformed) != 0 ||
      !EncodesTo(tables, static_cast<char16_t>(entry), first, second)) {
    entry |= kNoRoundTrip;
  }
  return entry;
}

}  // namespace

std::unique_ptr<Tables> BuildTables() {
  auto tables = std::make_unique<Tables>();
  FillEncoding(*tables);
  for (int first = 0x80; first <= 0xFF; ++first) {
    const size_t row = static_cast<size_t>(first - 0x80);
    const auto lead = static_cast<unsigned char>(first);
    const char alone = static_cast<char>(first);
    // A byte that is a character by itself (0x80, 0xFF), or U+FFFD for a lead byte alone.
    const long single = DecodeSingleByte(*tables, lead);
    uint32_t single_entry =
        single >= 0 ? static_cast<uint32_t>(single) : (kReplacement | kMalformed);
    if (single >= 0 && IsGbkLeadByte(lead)) Fail("a lead byte decodes alone");
    tables->decode_last[row] = WithRoundTrip(*tables, single_entry, lead, -1);
    for (int next = 0; next <= 0xFF; ++next) {
      uint32_t entry = single_entry;
      int second = -1;
      if (IsGbkLeadByte(lead) && IsGbkTrailByte(static_cast<unsigned char>(next))) {
        const char pair[2] = {alone, static_cast<char>(next)};
        const long unit = DecodeExactly(pair, 2);
        if (unit >= 0) {
          entry = static_cast<uint32_t>(unit) | kTwoBytes;
          second = next;
        }
      }
      tables->decode[row * 256 + static_cast<size_t>(next)] =
          WithRoundTrip(*tables, entry, lead, second);
    }
  }
  return tables;
}

size_t EncodeSurrogatePair(const char16_t* pair, char* out, bool& unmappable) {
  const wchar_t units[2] = {static_cast<wchar_t>(pair[0]), static_cast<wchar_t>(pair[1])};
  const char32_t code_point =
      0x10000 + ((static_cast<char32_t>(pair[0]) - 0xD800) << 10) + (pair[1] - 0xDC00u);
  char bytes[4];
  const uint32_t entry = EncodeEntry(units, 2, code_point, bytes);
  if ((entry & kUnmappable) == 0) {
    // Code page 936 has no character beyond the BMP; a converter that finds one is not 936.
    Fail("a character beyond the BMP has a form");
  }
  unmappable = true;
  const size_t length = entry >> kLengthShift & 3u;
  for (size_t i = 0; i < length; ++i) out[i] = bytes[i];
  return length;
}

}  // namespace quelbo::gbk
