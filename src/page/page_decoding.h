#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "base/texts.h"

// Turning a page's bytes into its text, in the encoding the switches (or the detection that
// set them) chose, or saying why the page must be left untouched.

namespace quelbo {

struct PageEncodings {
  bool read_utf8 = false;
  bool write_utf8 = false;
  bool detect = false;  // the switches come from charset detection
  const Texts* texts = nullptr;  // the language of the reasons; the form's when null
};

struct DecodedPage {
  std::u16string text;
  bool utf8 = false;  // the encoding the page was read in
};

// Decodes `bytes` in the read encoding. With detection, bytes that are not valid there but
// valid in the other encoding are read in the other one. Without detection, a page that is
// converted (read and write encodings differ) but declares the other encoding (by the
// declaration that decides, charset_declarations.h: a UTF-8 byte-order mark outranks a meta
// tag), is valid in it and is not plain ASCII is refused: reading it as it stands would garble
// it. The error is the reason for the page's report (encoding_messages.h), naming the
// declaration that decided and its line.
// The texts a page's reasons are said in.
inline const Texts& ReasonTexts(const PageEncodings& encodings) {
  return encodings.texts != nullptr ? *encodings.texts : TextsIn(kFormLanguage);
}

std::expected<DecodedPage, std::u16string> DecodePage(std::string_view bytes,
                                                      PageEncodings encodings);

}  // namespace quelbo
