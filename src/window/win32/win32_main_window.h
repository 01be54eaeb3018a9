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
#include "platform/clock.h"
#include "window/presenter/refresh_plan.h"
#include "window/presenter/window_presenter.h"
#include "window/win32/win32_edit_binding.h"
#include "window/win32/win32_status_bar.h"
#include "window/win32/windows_api.h"

namespace quelbo {

class Session;
class Win32JournalBar;

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
  // Binds the window to a session through its presenter: the commands go through it, the
  // status bar and the preview and undo row below the designed area show what it says.
  // REQUIRES: `session` and `clock` outlive the window, and the session's panel is the window's.
  void ShowSession(Session& session, const Clock& clock);
  WindowPresenter* presenter() { return presenter_.get(); }
  Win32JournalBar* journal_bar() { return journal_bar_.get(); }

  // Tab and Shift+Tab over the controls in sight, Enter on a focused command, the arrow keys
  // in the option group: keys that act on the window whichever control has the focus. Returns
  // whether `message` was such a key, which is then not dispatched.
  bool HandleKey(const MSG& message);

 private:
  static constexpr UINT_PTR kRefreshTimer = 1;
  static constexpr UINT_PTR kCountsTimer = 2;  // for counts the presenter holds back

  static LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Colour(HDC dc, HWND control, bool edit);
  void OnCommand(int id, int code);

  void CreateControls();
  void Layout();
  void UseFont();
  void Refresh(Control control);
  // Whether a control lies where the user cannot see it (hidden, or beyond the window's
  // client area) and has not the focus.
  bool Unseen(Control control) const;
  void RefreshOptions();
  void RefreshFrame1();
  void RefreshProgressBar();
  // The status bar and the row below the designed area, as the presenter says now.
  void RefreshChrome();
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
  std::unique_ptr<WindowPresenter> presenter_;
  std::unique_ptr<Win32JournalBar> journal_bar_;
  bool skipped_shown_ = false;
  SteadyClock clock_;
  RefreshPlan refresh_plan_;
  int reserved_below_ = 0;
  std::vector<HWND> extra_tab_stops_;
  HWND last_focus_ = nullptr;  // given back when the window is activated again
  ControlPanel::ObserverId observer_ = 0;
};

}  // namespace quelbo
