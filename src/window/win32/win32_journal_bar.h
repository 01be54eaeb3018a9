#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run/session.h"
#include "window/win32/win32_main_window.h"
#include "window/win32/windows_api.h"

namespace quelbo {

// The row below the window's designed area, as in the Qt window: 预览 (a run that writes
// nothing and lists what would change), 撤销 (take back the last run on this site) and the
// switch of the run journal. A preview's pages fill a list as they are found; selecting one
// shows its diff beside it. Outcomes go to the status line, as everything else does.
// REQUIRES: `session` and `window` outlive the bar; the window makes room for it.
class Win32JournalBar {
 public:
  Win32JournalBar(Session& session, Win32MainWindow& window);
  Win32JournalBar(const Win32JournalBar&) = delete;
  Win32JournalBar& operator=(const Win32JournalBar&) = delete;
  ~Win32JournalBar();

  // A control of the bar by its name: "previewButton", "undoButton", "journalSwitch",
  // "previewPages", "previewDiff"; null for another name.
  HWND Find(std::string_view name) const;

 private:
  static LRESULT CALLBACK BarProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(HWND control, int code);
  void Preview();
  void Undo();
  void ShowDiff(int row);
  void SetListShown(bool shown);
  void RefreshUndoButton();
  int Scaled(int pixels) const;

  Session& session_;
  Win32MainWindow& window_;
  HWND bar_ = nullptr;
  HWND preview_button_ = nullptr;
  HWND undo_button_ = nullptr;
  HWND journal_box_ = nullptr;
  HWND pages_ = nullptr;
  HWND diff_ = nullptr;
  std::vector<std::string> diffs_;  // of the pages in the list, by row
  ControlPanel::ObserverId observer_ = 0;
};

}  // namespace quelbo
