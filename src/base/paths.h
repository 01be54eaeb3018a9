#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "base/text_codec.h"

// How paths are spelled: components joined by "/". An entry of the page lists names a page
// relative to the site root and may separate its components by "\" as well.

namespace quelbo {

inline constexpr char kPathSeparator = '/';
// What separates the components of a path shown to the user: what the system's own programs
// show, "\" on Windows.
#ifdef _WIN32
inline constexpr char kShownSeparator = '\\';
#else
inline constexpr char kShownSeparator = '/';
#endif
// What joins a subdirectory's name and a page's name in an entry.
inline constexpr char16_t kEntrySeparator = u'/';

inline std::string JoinPath(std::string_view directory, std::string_view name) {
  return std::string(directory).append(1, kPathSeparator).append(name);
}

// A path as the user is shown it.
inline std::string ShownPath(std::string path) {
  std::replace(path.begin(), path.end(), kPathSeparator, kShownSeparator);
  return path;
}

// Trailing separators removed; the root "/" stays as it is.
inline std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
  return path;
}

// The relative path an entry names, "\" read as "/", in file-name bytes (UTF-8); incomplete
// when the entry holds a lone surrogate.
inline EncodedBytes EntryPath(std::u16string_view entry) {
  std::u16string relative(entry);
  std::replace(relative.begin(), relative.end(), u'\\', kEntrySeparator);
  return EncodeUtf8(relative);
}

}  // namespace quelbo
