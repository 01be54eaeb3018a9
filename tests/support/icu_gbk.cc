#include "support/icu_gbk.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace quelbo {
namespace {

void Check(UErrorCode status, const char* what) {
  if (U_SUCCESS(status)) return;
  std::fprintf(stderr, "ICU reference: %s failed: %s\n", what, u_errorName(status));
  std::abort();
}

// Opened once; reset before each use.
UConverter* Converter() {
  static UConverter* const converter = [] {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* opened = ucnv_open("windows-936-2000", &status);
    Check(status, "ucnv_open");
    ucnv_setFallback(opened, false);
    return opened;
  }();
  ucnv_reset(converter);
  return converter;
}

// ICU's own substitution, noting whether it had to substitute for anything.
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

}  // namespace

EncodedBytes IcuEncodeGbk(std::u16string_view text) {
  UConverter* converter = Converter();
  bool unmappable = false;
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setFromUCallBack(converter, NoteUnmappable, &unmappable, nullptr, nullptr, &status);
  std::string bytes(text.size() * 4 + 16, '\0');
  char* target = bytes.data();
  const UChar* source = text.data();
  ucnv_fromUnicode(converter, &target, bytes.data() + bytes.size(), &source,
                   text.data() + text.size(), nullptr, true, &status);
  Check(status, "ucnv_fromUnicode");
  bytes.resize(static_cast<size_t>(target - bytes.data()));
  return {bytes, !unmappable};
}

DecodedText IcuDecodeGbk(std::string_view bytes) {
  UConverter* converter = Converter();
  bool bad_bytes = false;
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setToUCallBack(converter, NoteBadBytes, &bad_bytes, nullptr, nullptr, &status);
  std::u16string text(bytes.size() * 2 + 16, u'\0');
  UChar* target = text.data();
  const char* source = bytes.data();
  ucnv_toUnicode(converter, &target, text.data() + text.size(), &source,
                 bytes.data() + bytes.size(), nullptr, true, &status);
  Check(status, "ucnv_toUnicode");
  text.resize(static_cast<size_t>(target - text.data()));
  DecodedText result{text, !bad_bytes, false};
  if (result.well_formed) {
    const EncodedBytes again = IcuEncodeGbk(result.text);
    result.round_trips = again.complete && again.bytes == bytes;
  }
  return result;
}

}  // namespace quelbo
