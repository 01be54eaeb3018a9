#pragma once

#include <cstddef>
#include <string_view>

#include "base/ascii_runs.h"

namespace quelbo {

// Where the characters of a valid page start, asked in increasing order so that each byte is
// looked at no more than twice in all: in code page 936 a trail byte (0x40-0xFE) can look like
// ASCII or like a lead byte, so an occurrence counts only where a character starts. Valid
// bytes leave no doubt about widths: 0x81-0xFE leads two bytes, any other byte is one
// character.
class CharacterStarts {
 public:
  CharacterStarts(std::string_view bytes, bool utf8) : bytes_(bytes), utf8_(utf8) {}

  // Whether a character starts at `at` (the end counts). REQUIRES: `at` never less than the
  // last position asked about with a true answer, nor than one past a false one.
  bool At(size_t at) {
    // UTF-8 is self-synchronising: valid text matches valid text only at whole characters.
    if (utf8_) return true;
    const auto* bytes = reinterpret_cast<const unsigned char*>(bytes_.data());
    if (next_ < at) {
      // A byte below 0x40 is neither a lead nor a trail byte: a character starts right after
      // the last one before `at`, so the walk need not cover the whole page.
      size_t after_single = at;
      while (after_single > next_ && bytes[after_single - 1] >= 0x40) --after_single;
      next_ = after_single;
    }
    while (next_ < at) {
      if (bytes[next_] < 0x80) {
        next_ += ascii::Count(bytes + next_, at - next_);
      } else {
        next_ += bytes[next_] >= 0x81 && bytes[next_] <= 0xFE ? 2 : 1;
      }
    }
    return next_ == at;
  }

 private:
  std::string_view bytes_;
  bool utf8_;
  size_t next_ = 0;
};

// Whether an occurrence of `pattern` in a valid page can only start at a character: in UTF-8
// always; in code page 936 when its first byte is below the trail bytes (0x40), as "<" is.
// REQUIRES: `pattern` is not empty.
inline bool StartsOnlyAtCharacters(std::string_view pattern, bool utf8) {
  return utf8 || static_cast<unsigned char>(pattern.front()) < 0x40;
}

}  // namespace quelbo
