#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

// Whole text files in code page 936, as the configuration list files are kept.

namespace quelbo {

// The whole file decoded from code page 936. A missing file is first created empty (its
// directory must exist) and reads as the empty text.
[[nodiscard]] Result<std::u16string> ReadTextFile(FileSystem& fs, const std::string& path);

// Replaces the file by `text` in code page 936 followed by CR LF; the CR LF is always added,
// after an empty text too. The replacement is atomic: the old content stays on failure. A file
// that already holds those bytes is left as it is (see ReplaceFileUnlessSame).
[[nodiscard]] Status WriteTextFile(FileSystem& fs, std::u16string_view text,
                                   const std::string& path);

// Replaces the file by `bytes` unless `old_bytes`, what it was just read to hold, are the same
// and ReplaceFile would not refuse it: a save that changes nothing then writes and syncs
// nothing, and a read-only file fails it as before.
[[nodiscard]] Status ReplaceFileUnlessSame(FileSystem& fs, const std::string& path,
                                           std::string_view bytes,
                                           const Result<std::string>& old_bytes);

// Creates the directory and every missing parent; a trailing separator makes no difference.
[[nodiscard]] Status MakeDirectoryPath(FileSystem& fs, const std::string& path);

}  // namespace quelbo
