#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/utf16.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/ascii_runs.h"
#include "platform/text_codec.h"

// Code page 936 is decoded and encoded through tables that are filled, once per process, by
// asking ICU's "windows-936-2000" converter (fallbacks off) about every byte, every pair of
// bytes and every UTF-16 code unit. The tables record ICU's answers as they are, including its
// replacement characters, substitute bytes and which bytes it consumes on an error, so that
// the results are those of the converter itself. Code page 936 has no state: each character
// is decoded and encoded on its own, so a text is the sum of its characters. Only characters
// outside the BMP, which have no form in code page 936, still go to ICU one at a time for the
// substitute it writes in their place.

namespace quelbo {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// The converter's data is part of the ICU installation; a converter that is missing or does
// not behave as the tables need is a broken installation.
[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "code page 936 converter: %s\n", what);
  std::abort();
}

void Require(bool condition, const char* what) {
  if (!condition) Fail(what);
}

ConverterPtr OpenConverter() {
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr opened(ucnv_open("windows-936-2000", &status));
  if (U_FAILURE(status) || !opened) Fail("ICU has no windows-936-2000 converter");
  ucnv_setFallback(opened.get(), false);
  return opened;
}

// --- Table entries -------------------------------------------------------------------------

// A decoding entry: the code unit in bits 0-15 and the flags below.
constexpr uint32_t kTwoBytes = 1u << 16;     // the character took the next byte too
constexpr uint32_t kMalformed = 1u << 17;    // ICU substituted: not a character
constexpr uint32_t kNoRoundTrip = 1u << 18;  // encoding the unit gives other bytes

// An encoding entry: up to two bytes in bits 0-15, their number in bits 16-17, and whether the
// unit has no form (the bytes are then ICU's substitute, possibly none).
constexpr int kLengthShift = 16;
constexpr uint32_t kUnmappable = 1u << 18;
constexpr uint32_t kMappedPairMask = (3u << kLengthShift) | kUnmappable;
constexpr uint32_t kMappedPair = 2u << kLengthShift;

struct Tables {
  // Bytes 0x80-0xFF followed by any byte: index (first - 0x80) * 256 + next.
  std::array<uint32_t, 128 * 256> decode;
  // Bytes 0x80-0xFF as the last byte of the input.
  std::array<uint32_t, 128> decode_last;
  // Every UTF-16 code unit; a surrogate's entry is for the surrogate standing alone.
  std::array<uint32_t, 0x10000> encode;
};

// --- Building the tables from ICU ----------------------------------------------------------

// Notes whether ICU substituted for the first character, i.e. before writing any code unit.
struct FirstCharacterNote {
  const UChar* start;
  bool malformed = false;
};

void NoteFirstCharacter(const void* context, UConverterToUnicodeArgs* args, const char* code_units,
                        int32_t length, UConverterCallbackReason reason, UErrorCode* status) {
  auto* note = static_cast<FirstCharacterNote*>(const_cast<void*>(context));
  if (reason <= UCNV_IRREGULAR && args->target == note->start) note->malformed = true;
  UCNV_TO_U_CALLBACK_SUBSTITUTE(nullptr, args, code_units, length, reason, status);
}

// ICU's reading of the first character of one or two bytes, as a decoding entry.
uint32_t DecodeFirstCharacter(UConverter* converter, const char* bytes, int32_t length) {
  UChar units[8];
  int32_t offsets[8];
  FirstCharacterNote note{units};
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(converter);
  ucnv_setToUCallBack(converter, NoteFirstCharacter, &note, nullptr, nullptr, &status);
  UChar* target = units;
  const char* source = bytes;
  ucnv_toUnicode(converter, &target, units + 8, &source, bytes + length, offsets, true, &status);
  Require(U_SUCCESS(status), "decoding failed");
  const int32_t written = static_cast<int32_t>(target - units);
  int32_t first = 0;  // code units written for the first byte
  while (first < written && offsets[first] == 0) ++first;
  Require(first == 1 && !U16_IS_SURROGATE(units[0]), "a character is not one BMP code unit");
  uint32_t entry = units[0];
  // Every character gives at least one code unit, so when none comes from the second byte it
  // belonged to the first character.
  if (length == 2 && written == first) entry |= kTwoBytes;
  if (note.malformed) entry |= kMalformed | kNoRoundTrip;
  return entry;
}

void NoteUnmappableCodePoint(const void* context, UConverterFromUnicodeArgs* args,
                             const UChar* code_units, int32_t length, UChar32 code_point,
                             UConverterCallbackReason reason, UErrorCode* status) {
  if (reason <= UCNV_IRREGULAR) {
    Require(code_point >= 0 && code_point < 0x10000, "unexpected code point");
    (*static_cast<std::vector<bool>*>(
        const_cast<void*>(context)))[static_cast<size_t>(code_point)] = true;
  }
  UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, code_units, length, code_point, reason, status);
}

// Every code unit, encoded by ICU in one call; the offsets tell which unit wrote which byte.
// Trail surrogates come before lead surrogates, so that no two of them form a pair and each
// is encoded as a surrogate standing alone.
void FillEncoding(UConverter* converter, Tables& tables) {
  std::vector<UChar> units;
  units.reserve(0x10000);
  for (uint32_t unit = 0; unit < 0xD800; ++unit) units.push_back(static_cast<UChar>(unit));
  for (uint32_t unit = 0xDC00; unit < 0xE000; ++unit) units.push_back(static_cast<UChar>(unit));
  for (uint32_t unit = 0xD800; unit < 0xDC00; ++unit) units.push_back(static_cast<UChar>(unit));
  for (uint32_t unit = 0xE000; unit < 0x10000; ++unit) units.push_back(static_cast<UChar>(unit));

  std::vector<bool> unmappable(0x10000);
  std::vector<char> bytes(units.size() * 4);
  std::vector<int32_t> offsets(bytes.size());
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(converter);
  ucnv_setFromUCallBack(converter, NoteUnmappableCodePoint, &unmappable, nullptr, nullptr, &status);
  char* target = bytes.data();
  const UChar* source = units.data();
  ucnv_fromUnicode(converter, &target, bytes.data() + bytes.size(), &source,
                   units.data() + units.size(), offsets.data(), true, &status);
  Require(U_SUCCESS(status), "encoding failed");

  const auto written = static_cast<size_t>(target - bytes.data());
  for (size_t i = 0; i < written; ++i) {
    Require(offsets[i] >= 0 && static_cast<size_t>(offsets[i]) < units.size(), "bad offset");
    uint32_t& entry = tables.encode[units[static_cast<size_t>(offsets[i])]];
    const uint32_t length = entry >> kLengthShift;
    Require(length < 2, "a code unit takes more than two bytes");
    entry |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * length);
    entry = (entry & 0xFFFFu) | ((length + 1) << kLengthShift);
  }
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    if (unmappable[unit]) tables.encode[unit] |= kUnmappable;
  }
}

// Whether `unit` encodes back to exactly `first` (and `second`, for a pair).
bool EncodesTo(const Tables& tables, char16_t unit, unsigned char first, int second) {
  const uint32_t entry = tables.encode[unit];
  if ((entry & kUnmappable) != 0 || (entry & 0xFFu) != first) return false;
  if (second < 0) return (entry >> kLengthShift) == 1;
  return (entry >> kLengthShift) == 2 && ((entry >> 8) & 0xFFu) == static_cast<uint32_t>(second);
}

std::unique_ptr<Tables> BuildTables() {
  auto tables = std::make_unique<Tables>();
  const ConverterPtr converter = OpenConverter();
  FillEncoding(converter.get(), *tables);
  for (int first = 0x80; first <= 0xFF; ++first) {
    const size_t row = static_cast<size_t>(first - 0x80);
    for (int next = 0; next <= 0xFF; ++next) {
      const char bytes[2] = {static_cast<char>(first), static_cast<char>(next)};
      uint32_t entry = DecodeFirstCharacter(converter.get(), bytes, 2);
      const int second = (entry & kTwoBytes) != 0 ? next : -1;
      const auto unit = static_cast<char16_t>(entry);
      if (!EncodesTo(*tables, unit, static_cast<unsigned char>(first), second)) {
        entry |= kNoRoundTrip;
      }
      tables->decode[row * 256 + static_cast<size_t>(next)] = entry;
    }
    const char last = static_cast<char>(first);
    uint32_t entry = DecodeFirstCharacter(converter.get(), &last, 1);
    if (!EncodesTo(*tables, static_cast<char16_t>(entry), static_cast<unsigned char>(first), -1)) {
      entry |= kNoRoundTrip;
    }
    tables->decode_last[row] = entry;
  }
  return tables;
}

const Tables& GbkTables() {
  static const std::unique_ptr<Tables> tables = BuildTables();
  return *tables;
}

// --- Characters outside the BMP ------------------------------------------------------------

void NoteUnmappable(const void* context, UConverterFromUnicodeArgs* args, const UChar* code_units,
                    int32_t length, UChar32 code_point, UConverterCallbackReason reason,
                    UErrorCode* status) {
  if (reason <= UCNV_IRREGULAR) *static_cast<bool*>(const_cast<void*>(context)) = true;
  UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, code_units, length, code_point, reason, status);
}

// Encodes one surrogate pair through ICU into at most four bytes at `out`; returns how many.
size_t EncodeSurrogatePair(const char16_t* pair, char* out, bool& unmappable) {
  thread_local const ConverterPtr converter = OpenConverter();
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(converter.get());
  ucnv_setFromUCallBack(converter.get(), NoteUnmappable, &unmappable, nullptr, nullptr, &status);
  char* target = out;
  const UChar* source = pair;
  ucnv_fromUnicode(converter.get(), &target, out + 4, &source, pair + 2, nullptr, true, &status);
  Require(U_SUCCESS(status), "encoding failed");
  return static_cast<size_t>(target - out);
}

}  // namespace

DecodedText DecodeGbk(std::string_view bytes) {
  DecodedText result;
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  uint32_t flags = 0;
  // No character is shorter than a byte or longer than a code unit.
  result.text.resize_and_overwrite(size, [&](char16_t* out, size_t) {
    const uint32_t* decode = nullptr;  // the tables are built at the first non-ASCII byte
    size_t i = 0;
    size_t o = 0;
    while (i < size) {
      const size_t ascii = ascii::Widen(in + i, size - i, out + o);
      i += ascii;
      o += ascii;
      if (i == size) break;
      if (decode == nullptr) decode = GbkTables().decode.data();
      do {
        const size_t row = (in[i] - 0x80u) * 256u;
        const uint32_t entry =
            i + 1 < size ? decode[row + in[i + 1]] : GbkTables().decode_last[in[i] - 0x80u];
        out[o++] = static_cast<char16_t>(entry);
        flags |= entry;
        i += (entry & kTwoBytes) != 0 ? 2 : 1;
      } while (i < size && in[i] >= 0x80);
    }
    return o;
  });
  result.well_formed = (flags & kMalformed) == 0;
  // Characters encode independently, so the text round-trips when each character does.
  result.round_trips = (flags & kNoRoundTrip) == 0;
  return result;
}

EncodedBytes EncodeGbk(std::u16string_view text) {
  EncodedBytes result;
  const char16_t* in = text.data();
  const size_t size = text.size();
  uint32_t flags = 0;
  bool unmappable = false;
  // At most two bytes per code unit, so each step may write two bytes without looking.
  result.bytes.resize_and_overwrite(size * 2, [&](char* out, size_t) {
    const uint32_t* encode = nullptr;  // the tables are built at the first non-ASCII unit
    size_t i = 0;
    size_t o = 0;
    while (i < size) {
      const size_t ascii = ascii::Narrow(in + i, size - i, out + o);
      i += ascii;
      o += ascii;
      if (i == size) break;
      if (encode == nullptr) encode = GbkTables().encode.data();
      do {
        const char16_t unit = in[i];
        const uint32_t entry = encode[unit];
        out[o] = static_cast<char>(entry & 0xFFu);
        out[o + 1] = static_cast<char>((entry >> 8) & 0xFFu);
        // Most characters beyond ASCII have two bytes; their step does not wait for the length.
        if ((entry & kMappedPairMask) == kMappedPair) {
          o += 2;
          ++i;
          continue;
        }
        if (U16_IS_LEAD(unit) && i + 1 < size && U16_IS_TRAIL(in[i + 1])) {
          o += EncodeSurrogatePair(in + i, out + o, unmappable);
          i += 2;
          continue;
        }
        o += entry >> kLengthShift & 3u;
        flags |= entry;
        ++i;
      } while (i < size && in[i] >= 0x80);
    }
    return o;
  });
  result.complete = (flags & kUnmappable) == 0 && !unmappable;
  return result;
}

size_t FirstUnfaithfulGbkByte(std::string_view bytes) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  for (size_t i = 0; i < size;) {
    if (in[i] < 0x80) {
      ++i;
      continue;
    }
    const size_t row = (in[i] - 0x80u) * 256u;
    const uint32_t entry =
        i + 1 < size ? GbkTables().decode[row + in[i + 1]] : GbkTables().decode_last[in[i] - 0x80u];
    if ((entry & kNoRoundTrip) != 0) return i;
    i += (entry & kTwoBytes) != 0 ? 2 : 1;
  }
  return std::string_view::npos;
}

size_t FirstUnencodableGbkUnit(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0x80) continue;
    if (U16_IS_LEAD(unit) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1])) {
      char bytes[4];
      bool unmappable = false;
      (void)EncodeSurrogatePair(text.data() + i, bytes, unmappable);
      if (unmappable) return i;
      ++i;
    } else if ((GbkTables().encode[unit] & kUnmappable) != 0) {
      return i;
    }
  }
  return std::u16string_view::npos;
}

}  // namespace quelbo
