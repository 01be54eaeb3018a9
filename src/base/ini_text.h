#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Profile (INI) text in code page 936, one value at a time: reading a value out of a file's
// bytes and making the bytes with a value set or removed. Section and key names compare
// without regard to ASCII case.

namespace quelbo {

// Longest value read back, in bytes; a double-byte character is never cut in half.
inline constexpr size_t kIniValueCapacity = 255;

// The value of `key` in `section` of the profile `bytes`, with blanks around it and one pair
// of matching enclosing quotes (single or double) dropped, cut to kIniValueCapacity bytes and
// at a NUL byte. A missing section or key gives `default_value`, cut the same way.
std::u16string IniValueIn(std::string_view bytes, std::u16string_view section,
                          std::u16string_view key, std::u16string_view default_value);

// `bytes` with `key` set in `section`: an existing key's line is rewritten in place, a new key
// is appended after the last non-blank line of its section, a missing section is appended at
// the end. Written lines end in CR LF; every other line is kept byte for byte. Line breaks
// inside the value are dropped, since they would split the line.
std::string WithIniValue(std::string_view bytes, std::u16string_view section,
                         std::u16string_view key, std::u16string_view value);

// `bytes` without the line of `key` in `section`, every other line kept byte for byte; nothing
// when the section or key is missing.
std::optional<std::string> WithoutIniValue(std::string_view bytes, std::u16string_view section,
                                           std::u16string_view key);

}  // namespace quelbo
