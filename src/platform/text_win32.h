#pragma once

#include <string>
#include <string_view>

#include "base/status.h"

// How the Windows siblings meet the wide-character (W) calls: UTF-8 paths with "/" at the seam,
// UTF-16 with "\" beneath it; never the ANSI code page.

namespace quelbo::win32 {

// A UTF-8 path for the W calls: "\" separators, and the "\\?\" prefix for an absolute path
// that is long or has a name ending in "." or " ", so that paths beyond 260 characters and
// such names work too.
std::wstring WidePath(std::string_view path);
std::wstring Wide(std::string_view utf8);
// A wide path or text as UTF-8, "\" read as "/" where `path` is set.
std::string Utf8(std::wstring_view wide, bool path = false);

// The last error of the calling thread as an Error; missing files and folders are kNotFound.
Error LastError(std::string operation, std::string path);
Error ErrorFrom(unsigned long code, std::string operation, std::string path);

}  // namespace quelbo::win32
