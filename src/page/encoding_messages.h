#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/texts.h"
#include "page/charset_declarations.h"

// Why a page is left untouched for its encoding, in words that point at the cause, in the
// language of `texts`: the status line and the run report show these. Lines are counted from 1,
// at each LF.

namespace quelbo {

// The bytes are not valid in the encoding they are read in: where they first stop being valid,
// as a line and a byte offset from the start of the file (counted from 0).
std::u16string InvalidBytesReason(std::string_view bytes, bool utf8, const Texts& texts);

// `text` has a character that the output encoding cannot hold: the first such character, as
// U+XXXX and itself, and its line in the page as read (`original`, the page's bytes, decoded
// in `original_utf8`'s encoding). A character the page does not hold came from the replacement
// texts, and the reason says so. Without the original (a large page whose bytes were let go),
// the line is counted in `text`. REQUIRES: `text` has such a character.
std::u16string UnencodableReason(std::u16string_view text, bool utf8,
                                 std::optional<std::string_view> original, bool original_utf8,
                                 const Texts& texts);

// The page's bytes declare the encoding it is not read in (`declaration`, DecidingDeclaration)
// and would turn into garbled text: the reason names the declaration and its line.
std::u16string DeclaresOtherEncodingReason(std::string_view bytes, const Declaration& declaration,
                                           const Texts& texts);

// Detection read the page in the encoding its `declaration` names (or, with none, in UTF-8)
// and the bytes are valid neither there nor in the other encoding: InvalidBytesReason, led by
// the declaration and its line where there is one.
std::u16string DetectedInvalidBytesReason(std::string_view bytes, bool utf8,
                                          const Declaration& declaration, const Texts& texts);

}  // namespace quelbo
