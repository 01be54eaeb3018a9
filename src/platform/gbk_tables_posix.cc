#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/utf16.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/gbk_tables.h"

// The code page 936 tables from ICU's "windows-936-2000" converter (fallbacks off), asked about
// every byte, every pair of bytes and every UTF-16 code unit. The tables record ICU's answers
// as they are, including its replacement characters, substitute bytes and which bytes it
// consumes on an error, so that the results are those of the converter itself. Characters
// outside the BMP, which have no form in code page 936, go to ICU one at a time for the
// substitute it writes in their place.

namespace quelbo::gbk {
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

void NoteUnmappable(const void* context, UConverterFromUnicodeArgs* args, const UChar* code_units,
                    int32_t length, UChar32 code_point, UConverterCallbackReason reason,
                    UErrorCode* status) {
  if (reason <= UCNV_IRREGULAR) *static_cast<bool*>(const_cast<void*>(context)) = true;
  UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, code_units, length, code_point, reason, status);
}

}  // namespace

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

}  // namespace quelbo::gbk
