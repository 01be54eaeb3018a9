#pragma once

#include <string>
#include <string_view>

#include "platform/text_codec.h"

// How paths are spelled: components joined by "/". An entry of the page lists names a page
// relative to the site root and may separate its components by "\" as well.

namespace quelbo {

inline constexpr char kPathSeparator = '/';
// What joins a subdirectory's name and a page's name in an entry.
inline constexpr char16_t kEntrySeparator = u'/';

// `directory`, "/", `name`.
std::string JoinPath(std::string_view directory, std::string_view name);

// Trailing separators removed; the root "/" stays as it is.
std::string WithoutTrailingSeparators(std::string path);

// The relative path an entry names, "\" read as "/", in file-name bytes (UTF-8); incomplete
// when the entry holds a lone surrogate.
EncodedBytes EntryPath(std::u16string_view entry);

}  // namespace quelbo
