#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/status.h"
#include "platform/handle_win32.h"

// What a rewritten file keeps of the file it replaces besides its bytes, as ReplaceFileW would
// keep it: its creation time, its permissions (the DACL of its security descriptor, copied as
// it is, inherited entries and protection included), its alternate data streams, and its
// attributes (hidden, system, not indexed). They are copied onto the new file before the one
// rename that puts it in place, so a file that cannot take them is never renamed; ReplaceFileW
// itself is not used because, when it fails, it may leave the file gone and the new content
// under the temporary name, which a rename never does.
//
// Not kept: the owner (a new file belongs to whoever writes it; only an administrator may give
// it to another), the audit entries (SACL, which need a privilege to read), compression and
// encryption (a new file takes those of its folder).

namespace quelbo::win32 {

struct FileDetails {
  FILETIME creation{};
  std::vector<BYTE> security;         // self-relative security descriptor: the DACL
  std::vector<std::wstring> streams;  // ":name:$DATA" of each named data stream
};

// The details of the file at `path`, links followed; nothing when there is no file there.
// kReadOnly when it has the read-only attribute (such a file is left alone).
[[nodiscard]] Result<std::optional<FileDetails>> ReadFileDetails(const std::string& path);

// Gives the new file `file` (open for writing, DACL and attributes; named `temp`) the details
// of the file at `path`. Each stream copied is left open in `streams`, to be flushed with the
// file.
[[nodiscard]] Status CopyFileDetails(const FileDetails& details, const std::string& path,
                                     HANDLE file, const std::string& temp,
                                     std::vector<Handle>& streams);

// The attributes a new file takes from the file it replaces (`replaced`, or none when there was
// none): hidden, system and not indexed as they were, and "changed since the last backup".
DWORD AttributesReplacing(std::optional<DWORD> replaced);

}  // namespace quelbo::win32
