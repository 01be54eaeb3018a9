#pragma once

#include <string>
#include <string_view>

// How stored texts are turned back into settings.

namespace quelbo {

// The number at the start of a value, read leniently: leading blanks skipped, reading stops
// at the first character that cannot continue a number; an empty or non-numeric value is 0.
// So " 1", "1.0" and "1abc" are 1.
double ValueNumber(std::u16string_view value);

// A stored flag is on only when its number is exactly 1.
bool IsStoredOn(std::u16string_view value);

// Drops the line break that a save appends to a list file, at most two breaks in all: one
// final CR LF, then a final LF, then a final CR, each looking at the result of the one before.
std::u16string StripTrailingBreak(std::u16string_view text);

}  // namespace quelbo
