#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "panel/control.h"
#include "window/win32/windows_api.h"

namespace quelbo {

// The bar below the form, in parts: the site folder being worked on; from a Start on, what the
// run did to its pages (processed, changed), kept until the next Start whatever the status line
// says; the skipped count, a click on which shows or hides the list of skipped pages; and a
// note when the last save stored "?" for characters code page 936 cannot hold.
class Win32StatusBar {
 public:
  // The part a click on which shows or hides the skipped pages.
  static constexpr int kSkippedPart = 2;

  explicit Win32StatusBar(HWND parent);
  Win32StatusBar(const Win32StatusBar&) = delete;
  Win32StatusBar& operator=(const Win32StatusBar&) = delete;

  HWND hwnd() const { return hwnd_; }
  int Height() const;
  // Follows the parent's new size.
  void Fit();

  void ShowSiteFolder(const std::u16string& path);
  void ShowSummary(size_t processed, size_t changed, size_t skipped);
  void ShowSaveNote(const std::vector<Control>& fields);
  // The text of part `part`, as shown.
  std::u16string PartText(int part) const;

 private:
  void SetPart(int part, const std::u16string& text);
  void PlaceParts();

  HWND hwnd_;
  std::u16string texts_[4];
};

}  // namespace quelbo
