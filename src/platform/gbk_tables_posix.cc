#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
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

// Notes where ICU substituted for anything: the first code unit of each substitute.
struct SubstitutedNote {
  const UChar* start;
  std::vector<size_t> at;
};

void NoteSubstituted(const void* context, UConverterToUnicodeArgs* args, const char* code_units,
                     int32_t length, UConverterCallbackReason reason, UErrorCode* status) {
  auto* note = static_cast<SubstitutedNote*>(const_cast<void*>(context));
  if (reason <= UCNV_IRREGULAR) note->at.push_back(static_cast<size_t>(args->target - note->start));
  UCNV_TO_U_CALLBACK_SUBSTITUTE(nullptr, args, code_units, length, reason, status);
}

// ICU's reading of each input, as the decoding entry of its first character. The inputs are
// `width` bytes each, decoded in one call; the caller ends each input so that the next one
// starts afresh. A call per input cost as much as the rest of a short run.
std::vector<uint32_t> DecodeFirstCharacters(UConverter* converter, const std::string& inputs,
                                            size_t width) {
  std::vector<UChar> units(inputs.size() * 2);
  std::vector<int32_t> offsets(units.size());
  SubstitutedNote note{units.data(), {}};
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(converter);
  ucnv_setToUCallBack(converter, NoteSubstituted, &note, nullptr, nullptr, &status);
  UChar* target = units.data();
  const char* source = inputs.data();
  ucnv_toUnicode(converter, &target, units.data() + units.size(), &source,
                 inputs.data() + inputs.size(), offsets.data(), true, &status);
  Require(U_SUCCESS(status), "decoding failed");
  const auto written = static_cast<size_t>(target - units.data());
  std::vector<bool> substituted(written);
  for (const size_t at : note.at) {
    Require(at < written, "a substitute outside the output");
    substituted[at] = true;
  }

  const size_t count = inputs.size() / width;
  std::vector<uint32_t> entries(count);
  std::vector<int> first_units(count);  // code units written for each input's first byte
  for (size_t u = 0; u < written; ++u) {
    Require(offsets[u] >= 0 && static_cast<size_t>(offsets[u]) < inputs.size(), "bad offset");
    const size_t input = static_cast<size_t>(offsets[u]) / width;
    if (static_cast<size_t>(offsets[u]) % width != 0) continue;
    Require(++first_units[input] == 1 && !U16_IS_SURROGATE(units[u]),
            "a character is not one BMP code unit");
    entries[input] = units[u] | (width > 1 ? kTwoBytes : 0);
    if (substituted[u]) entries[input] |= kMalformed | kNoRoundTrip;
  }
  for (size_t u = 0; u < written; ++u) {
    // Every character gives at least one code unit, so when one comes from the second byte,
    // that byte did not belong to the first character.
    if (static_cast<size_t>(offsets[u]) % width == 1) {
      entries[static_cast<size_t>(offsets[u]) / width] &= ~kTwoBytes;
    }
  }
  for (const int units_of_first : first_units) {
    Require(units_of_first == 1, "a character is not one BMP code unit");
  }
  return entries;
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

// Every code unit, encoded by ICU a few thousand at a time; the offsets tell which unit wrote
// which byte. Trail surrogates come before lead surrogates, so that no two of them form a pair
// and each is encoded as a surrogate standing alone; the last lead surrogate is followed by
// U+E000 in its call, as in the whole sequence, so that none ends a call. Calls of this size
// keep the buffers small: a megabyte of fresh memory for one call costs more in page faults
// than the calls it saves.
void FillEncoding(UConverter* converter, Tables& tables) {
  std::vector<UChar> units;
  units.reserve(0x10000);
  for (uint32_t unit = 0; unit < 0xD800; ++unit) units.push_back(static_cast<UChar>(unit));
  for (uint32_t unit = 0xDC00; unit < 0xE000; ++unit) units.push_back(static_cast<UChar>(unit));
  for (uint32_t unit = 0xD800; unit < 0xDC00; ++unit) units.push_back(static_cast<UChar>(unit));
  for (uint32_t unit = 0xE000; unit < 0x10000; ++unit) units.push_back(static_cast<UChar>(unit));

  constexpr size_t kChunk = 0x1000;
  std::vector<bool> unmappable(0x10000);
  std::vector<char> bytes((kChunk + 1) * 4);
  std::vector<int32_t> offsets(bytes.size());
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setFromUCallBack(converter, NoteUnmappableCodePoint, &unmappable, nullptr, nullptr, &status);
  for (size_t from = 0; from < units.size();) {
    size_t to = std::min(from + kChunk, units.size());
    if (to < units.size() && U16_IS_LEAD(units[to - 1])) ++to;  // see above
    ucnv_reset(converter);
    char* target = bytes.data();
    const UChar* source = units.data() + from;
    ucnv_fromUnicode(converter, &target, bytes.data() + bytes.size(), &source, units.data() + to,
                     offsets.data(), true, &status);
    Require(U_SUCCESS(status), "encoding failed");

    const auto written = static_cast<size_t>(target - bytes.data());
    for (size_t i = 0; i < written; ++i) {
      Require(offsets[i] >= 0 && static_cast<size_t>(offsets[i]) < to - from, "bad offset");
      uint32_t& entry = tables.encode[units[from + static_cast<size_t>(offsets[i])]];
      const uint32_t length = entry >> kLengthShift;
      Require(length < 2, "a code unit takes more than two bytes");
      entry |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * length);
      entry = (entry & 0xFFFFu) | ((length + 1) << kLengthShift);
    }
    from = to;
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
  // Row by row (a lead byte with every byte after it), each pair followed by 0x00, which is no
  // character's second byte: a pair whose second byte starts a character of its own ends
  // there, and the next pair starts afresh. One call for all the pairs would take a megabyte of
  // fresh memory, whose page faults cost more than the calls it saves.
  std::string pairs(256 * 3, '\0');
  for (size_t row = 0; row < tables->decode_last.size(); ++row) {
    const auto first = static_cast<unsigned char>(0x80 + row);
    for (size_t next = 0; next < 256; ++next) {
      pairs[next * 3] = static_cast<char>(first);
      pairs[next * 3 + 1] = static_cast<char>(next);
    }
    const std::vector<uint32_t> decoded = DecodeFirstCharacters(converter.get(), pairs, 3);
    for (size_t next = 0; next < 256; ++next) {
      uint32_t entry = decoded[next];
      const int second = (entry & kTwoBytes) != 0 ? static_cast<int>(next) : -1;
      if (!EncodesTo(*tables, static_cast<char16_t>(entry), first, second)) entry |= kNoRoundTrip;
      tables->decode[row * 256 + next] = entry;
    }
  }
  // A byte at the end of the input, each decoded alone: an unfinished pair is a different
  // error from a pair broken off by 0x00.
  for (size_t row = 0; row < tables->decode_last.size(); ++row) {
    const auto first = static_cast<unsigned char>(0x80 + row);
    uint32_t entry =
        DecodeFirstCharacters(converter.get(), std::string(1, static_cast<char>(first)), 1).front();
    if (!EncodesTo(*tables, static_cast<char16_t>(entry), first, -1)) entry |= kNoRoundTrip;
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
