#pragma once

#include <string>

#include "window/presenter/window_presenter.h"
#include "window/win32/windows_api.h"

namespace quelbo {

// The bar below the form, in parts, as the presenter words it: the site folder (or, while the
// status line holds a message too long for it, that message, whole in the part's tip); the
// run's counts; the skipped count, a button over its part that shows or hides the skipped
// pages; and the save note.
class Win32StatusBar {
 public:
  // The part the skipped count's button lies over, and the button's command id.
  static constexpr int kSkippedPart = 2;
  static constexpr int kSkippedButtonId = 90;

  explicit Win32StatusBar(HWND parent);
  Win32StatusBar(const Win32StatusBar&) = delete;
  Win32StatusBar& operator=(const Win32StatusBar&) = delete;

  HWND hwnd() const { return hwnd_; }
  HWND skipped_button() const { return skipped_; }
  int Height() const;
  // Follows the parent's new size.
  void Fit();

  void Show(const StatusBarView& view);
  // A status-line message that does not fit the status line; empty for none.
  void ShowMessage(const std::u16string& message);
  // The text of part `part`, as shown.
  std::u16string PartText(int part) const;

 private:
  void SetPart(int part, const std::u16string& text);
  void PlaceParts();

  HWND hwnd_;
  HWND skipped_;
  std::u16string texts_[4];
  std::u16string site_;
  std::u16string message_;
};

}  // namespace quelbo
