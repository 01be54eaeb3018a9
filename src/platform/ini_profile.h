#pragma once

#include <span>
#include <string>
#include <string_view>

#include "base/ini_text.h"
#include "platform/file_system.h"

// Profile (INI) files in code page 936 (the text rules are in base/ini_text.h). The file is
// read whole on every call.

namespace quelbo {

// The value of `key` in `section`, with blanks around it and one pair of matching enclosing
// quotes (single or double) dropped, cut to kIniValueCapacity bytes and at a NUL byte.
// A missing or unreadable file, section or key gives `default_value`.
std::u16string ReadIniValue(FileSystem& fs, std::u16string_view section, std::u16string_view key,
                            std::u16string_view default_value, const std::string& path);

// Sets `key` in `section`: an existing key's line is rewritten in place, a new key is appended
// after the last non-blank line of its section, a missing section is appended at the end and a
// missing file is created. Written lines end in CR LF; every other line is kept byte for byte.
// The file is replaced atomically. Line breaks inside the value are dropped, since they would
// split the line.
[[nodiscard]] Status WriteIniValue(FileSystem& fs, std::u16string_view section,
                                   std::u16string_view key, std::u16string_view value,
                                   const std::string& path);

struct IniAssignment {
  std::u16string_view key;
  std::u16string_view value;
};
// WriteIniValue for each assignment in turn, with one replacement of the file for all of them:
// the same bytes in the end, and a failure leaves the file as it was.
[[nodiscard]] Status WriteIniValues(FileSystem& fs, std::u16string_view section,
                                    std::span<const IniAssignment> assignments,
                                    const std::string& path);

// Removes `key` from `section`, every other line kept byte for byte; a missing file, section
// or key is left as it is.
Status RemoveIniValue(FileSystem& fs, std::u16string_view section, std::u16string_view key,
                      const std::string& path);

}  // namespace quelbo
