#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "base/status.h"

namespace quelbo::win32 {

// The path the system gives for an open handle (GetFinalPathNameByHandleW: every link and
// junction resolved, "\\?\" before a drive letter).
[[nodiscard]] Result<std::wstring> FinalPathOf(HANDLE opened, const std::string& path);

// Where an open handle lies: the serial number of its volume, ":", and its path on the volume
// with every link and junction resolved ("\\" for the volume's root). Unlike
// GetFinalPathNameByHandleW, which Wine answers only for paths shorter than MAX_PATH, it holds
// for names of any length.
[[nodiscard]] Result<std::wstring> PlaceOf(HANDLE opened, const std::string& path);

// Whether the resolved path `final` is the directory `top` (resolved too) or lies beneath it.
bool LiesBeneath(std::wstring_view final, std::wstring_view top);

// The directory lookups must not leave. Windows resolves every name from the top, links on the
// way included, and has no lookup confined to a directory; so what was opened is judged by
// where the system says it is, before anything is read from, listed in or moved into it.
class Anchor {
 public:
  // Anchors at `directory` (absolute); one that cannot be opened anchors nothing.
  void Set(const std::string& directory);
  // Whether `path` is spelled as the anchor or a path under it.
  bool Covers(const std::string& path) const;
  // For a covered path, kOutsideRoot unless `opened` lies beneath the anchor.
  [[nodiscard]] Status Check(HANDLE opened, const std::string& path,
                             const std::string& operation) const;
  // Whether `opened`, for a covered path, is what the path names with no link on the way.
  bool ReachedWithoutLinks(HANDLE opened, const std::string& path) const;

 private:
  std::string path_;    // "/" separators, none at the end; empty when there is no anchor
  std::wstring final_;  // as PlaceOf gives it
};

}  // namespace quelbo::win32
