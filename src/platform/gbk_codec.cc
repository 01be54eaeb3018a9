#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <memory>

#include "platform/text_codec.h"

namespace quelbo {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// One converter per thread, reset before each use; opening one per page would dominate the
// cost of small pages.
UConverter* Converter() {
  thread_local ConverterPtr converter = [] {
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr opened(ucnv_open("windows-936-2000", &status));
    if (U_FAILURE(status) || !opened) std::abort();  // ICU data is part of the installation
    ucnv_setFallback(opened.get(), false);
    return opened;
  }();
  ucnv_reset(converter.get());
  return converter.get();
}

// Callbacks that note the problem and then substitute as ICU does by default.
void NoteBadBytes(const void* context, UConverterToUnicodeArgs* args, const char* code_units,
                  int32_t length, UConverterCallbackReason reason, UErrorCode* status) {
  if (reason <= UCNV_IRREGULAR) *static_cast<bool*>(const_cast<void*>(context)) = true;
  UCNV_TO_U_CALLBACK_SUBSTITUTE(nullptr, args, code_units, length, reason, status);
}

void NoteUnmappable(const void* context, UConverterFromUnicodeArgs* args, const UChar* code_units,
                    int32_t length, UChar32 code_point, UConverterCallbackReason reason,
                    UErrorCode* status) {
  if (reason <= UCNV_IRREGULAR) *static_cast<bool*>(const_cast<void*>(context)) = true;
  UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, code_units, length, code_point, reason, status);
}

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

EncodedBytes Encode(std::u16string_view text) {
  EncodedBytes result;
  if (text.empty()) return result;
  UConverter* converter = Converter();
  bool unmappable = false;
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setFromUCallBack(converter, NoteUnmappable, &unmappable, nullptr, nullptr, &status);
  // Code page 936 needs at most two bytes per UTF-16 code unit; the loop is only a safeguard.
  result.bytes.resize(text.size() * 2 + 16);
  size_t written = 0;
  const UChar* source = text.data();
  const UChar* source_end = source + text.size();
  for (;;) {
    char* target = result.bytes.data() + written;
    status = U_ZERO_ERROR;
    ucnv_fromUnicode(converter, &target, result.bytes.data() + result.bytes.size(), &source,
                     source_end, nullptr, true, &status);
    written = static_cast<size_t>(target - result.bytes.data());
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
    result.bytes.resize(result.bytes.size() * 2);
  }
  result.bytes.resize(written);
  result.complete = U_SUCCESS(status) && !unmappable;
  return result;
}

}  // namespace

DecodedText DecodeGbk(std::string_view bytes) {
  DecodedText result;
  if (IsAscii(bytes)) {
    result.text.assign(bytes.begin(), bytes.end());
    return result;
  }
  UConverter* converter = Converter();
  bool bad_bytes = false;
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setToUCallBack(converter, NoteBadBytes, &bad_bytes, nullptr, nullptr, &status);
  // One byte gives at most one code unit, a pair at most two; the loop is only a safeguard.
  result.text.resize(bytes.size() + 16);
  size_t written = 0;
  const char* source = bytes.data();
  const char* source_end = source + bytes.size();
  for (;;) {
    UChar* target = result.text.data() + written;
    status = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, result.text.data() + result.text.size(), &source,
                   source_end, nullptr, true, &status);
    written = static_cast<size_t>(target - result.text.data());
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
    result.text.resize(result.text.size() * 2);
  }
  result.text.resize(written);
  result.well_formed = U_SUCCESS(status) && !bad_bytes;
  if (!result.well_formed) {
    result.round_trips = false;
  } else {
    // Some byte pairs share a character with another pair; only a re-encoding can tell.
    const EncodedBytes again = Encode(result.text);
    result.round_trips = again.complete && again.bytes == bytes;
  }
  return result;
}

EncodedBytes EncodeGbk(std::u16string_view text) {
  bool ascii = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
  if (ascii) return EncodedBytes{std::string(text.begin(), text.end()), true};
  return Encode(text);
}

}  // namespace quelbo
