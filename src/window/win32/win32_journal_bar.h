#pragma once

#include <cstdint>
#include <string_view>

#include "window/presenter/window_presenter.h"
#include "window/win32/win32_main_window.h"
#include "window/win32/windows_api.h"

namespace quelbo {

// The row below the window's designed area, as the presenter says: 预览, 撤销 (or 重做) and the
// journal switch; below them, while a preview is open, the pages it found and the coloured diff
// of the page selected.
// REQUIRES: `presenter` and `window` outlive the bar; the window makes room for it.
class Win32JournalBar {
 public:
  Win32JournalBar(WindowPresenter& presenter, Win32MainWindow& window);
  Win32JournalBar(const Win32JournalBar&) = delete;
  Win32JournalBar& operator=(const Win32JournalBar&) = delete;
  ~Win32JournalBar();

  // A control of the bar by its name: "previewButton", "undoButton", "journalSwitch",
  // "previewPages", "previewDiff"; null for another name.
  HWND Find(std::string_view name) const;
  // Brings the buttons and the list up to date, and the window's room for them.
  void Refresh();

 private:
  static LRESULT CALLBACK BarProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(HWND control, int code);
  void DrawDiffLine(const DRAWITEMSTRUCT& item) const;
  void ShowDiff(int row);
  void Place();
  int Scaled(int pixels) const;

  WindowPresenter& presenter_;
  Win32MainWindow& window_;
  HWND bar_ = nullptr;
  HWND preview_button_ = nullptr;
  HWND undo_button_ = nullptr;
  HWND journal_box_ = nullptr;
  HWND pages_ = nullptr;
  HWND diff_ = nullptr;
  HWND tip_ = nullptr;  // an owner-drawn list: one line of the diff an item, coloured by kind
  bool list_shown_ = false;
  std::uint64_t generation_ = 0;  // the preview the list shows
};

}  // namespace quelbo
