#pragma once

#include <array>
#include <bitset>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "panel/control_panel.h"
#include "window/win32/win32_edit_binding.h"
#include "window/win32/win32_status_bar.h"
#include "window/win32/windows_api.h"

namespace quelbo {

class Session;

// The program's one window, Form1, as native Win32 controls. It shows the panel model and
// writes the user's edits into it, and keeps no state of its own: every control is a child
// window known by its control name, showing that control's model value. Model changes are shown
// at the next frame, all at once, however often they were written. Positions are the design
// twips at the window's DPI, and follow it when the window moves to a monitor of another DPI.
// REQUIRES: `panel` outlives the window; used on the thread that made it.
class Win32MainWindow {
 public:
  // Called on a click of Command1 … Command7.
  using CommandHandler = std::function<void(Control)>;

  // Made hidden; Show() shows it.
  Win32MainWindow(ControlPanel& panel, CommandHandler on_command);
  Win32MainWindow(const Win32MainWindow&) = delete;
  Win32MainWindow& operator=(const Win32MainWindow&) = delete;
  ~Win32MainWindow();

  void Show(int show_command);
  // Called when the user closes the window, before it goes; the program then ends.
  void OnClose(std::function<void()> on_close) { on_close_ = std::move(on_close); }

  HWND hwnd() const { return hwnd_; }
  // The window of a control by its name ("Text1", "Command4"...); null for an unknown name.
  HWND Find(std::string_view name) const;
  HWND Find(Control control) const { return windows_[Index(control)]; }
  int Dpi() const { return dpi_; }
  // The font of the controls.
  HFONT Font() const { return font_; }
  Win32StatusBar& status_bar() { return *status_bar_; }

  // The designed area, in pixels at the window's DPI; what the window adds lies below it.
  int DesignedAreaWidth() const;
  int DesignedAreaBottom() const;
  // Makes room for `height` pixels right below the designed area, above the status bar: the
  // window grows or shrinks by the change.
  void ReserveBelowDesignedArea(int height);
  // A control added below the designed area that Tab visits too, when in sight.
  void AddTabStop(HWND control) { extra_tab_stops_.push_back(control); }

  // Shows pending model changes now rather than at the next frame.
  void RefreshNow();
  // Shows the session's site folder, run summary and save notes in the status bar.
  // REQUIRES: `session` outlives the window, and its panel is the window's.
  void ShowSession(const Session& session);

  // Tab and Shift+Tab over the controls in sight, Enter on a focused command, the arrow keys
  // in the option group: keys that act on the window whichever control has the focus. Returns
  // whether `message` was such a key, which is then not dispatched.
  bool HandleKey(const MSG& message);

 private:
  static constexpr UINT_PTR kRefreshTimer = 1;
  // One frame at 30 Hz, as in the Qt window.
  static constexpr UINT kFrameMilliseconds = 33;
  // A control is refreshed again only after this many times its last refresh took.
  static constexpr int kRefreshCostShare = 10;

  static LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Colour(HDC dc, HWND control, bool edit);
  void OnCommand(int id, int code);

  void CreateControls();
  void Layout();
  void UseFont();
  void Refresh(Control control);
  void RefreshOptions();
  void RefreshFrame1();
  void RefreshProgressBar();
  void RefreshStatusBar();
  void MarkDirty(Control control);
  // Refreshes the controls marked changed; all of them, or only those not held back by the
  // cost of their last refresh.
  void Flush(bool all);
  // Shows the skipped pages in place of the pending-page list, or the list again.
  void ShowSkippedPages(bool shown);
  void MoveFocus(bool forward);
  void MoveInOptions(HWND focused, bool forward);
  // The outer size of a window whose client area holds the designed area, what lies below it
  // and the status bar.
  SIZE OuterSize() const;

  ControlPanel& panel_;
  CommandHandler on_command_;
  std::function<void()> on_close_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  HFONT font_ = nullptr;
  std::array<HWND, kControlCount> windows_{};
  std::array<std::unique_ptr<EditBinding>, kControlCount> bindings_;
  std::unique_ptr<Win32StatusBar> status_bar_;
  const Session* session_ = nullptr;
  std::uint64_t shown_run_ = 0;  // the run whose summary the status bar shows
  bool skipped_shown_ = false;
  std::bitset<kControlCount> dirty_;
  bool refresh_scheduled_ = false;
  std::array<std::chrono::steady_clock::time_point, kControlCount> not_before_{};
  int reserved_below_ = 0;
  std::vector<HWND> extra_tab_stops_;
  HWND last_focus_ = nullptr;  // given back when the window is activated again
  ControlPanel::ObserverId observer_ = 0;
};

}  // namespace quelbo
