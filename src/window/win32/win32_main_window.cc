#include "window/win32/win32_main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "base/text_codec.h"
#include "panel/settings_fields.h"
#include "run/session.h"
#include "window/win32/win32_journal_bar.h"
#include "window/presenter/progress_ticks.h"
#include "window/presenter/twips.h"
#include "window/presenter/window_layout.h"
#include "window/win32/win32_controls.h"
#include "window/win32/win32_font.h"

namespace quelbo {
namespace {

constexpr wchar_t kFormClassName[] = L"QuelboForm1";
constexpr int kProgramIconId = 1;

const wchar_t* Wide(std::u16string_view text, std::u16string& buffer) {
  buffer.assign(text);
  return reinterpret_cast<const wchar_t*>(buffer.c_str());
}

// Whether `text` fits the width of the static control `window` in its font.
bool FitsIn(HWND window, std::u16string_view text) {
  RECT client;
  ::GetClientRect(window, &client);
  return TextWidthIn(window, text) <= client.right;
}

void SetTextIfChanged(HWND window, std::u16string_view text) {
  if (WindowText(window) == text) return;
  std::u16string buffer;
  ::SetWindowTextW(window, Wide(text, buffer));
}

void Place(HWND window, const PixelRect& rect) {
  ::SetWindowPos(window, nullptr, rect.left, rect.top, rect.width, rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void RegisterFormClass(WNDPROC procedure) {
  WNDCLASSEXW form_class{};
  form_class.cbSize = sizeof(form_class);
  form_class.lpfnWndProc = procedure;
  form_class.hInstance = ::GetModuleHandleW(nullptr);
  form_class.hIcon = ::LoadIconW(form_class.hInstance, MAKEINTRESOURCEW(kProgramIconId));
  form_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  form_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form_class.lpszClassName = kFormClassName;
  ::RegisterClassExW(&form_class);  // fails harmlessly when already registered
}

}  // namespace

Win32MainWindow::Win32MainWindow(ControlPanel& panel, CommandHandler on_command)
    : panel_(panel),
      on_command_(std::move(on_command)),
      refresh_plan_(
          clock_, [this](Control control) { Refresh(control); },
          [this](Milliseconds delay) {
            ::SetTimer(hwnd_, kRefreshTimer, static_cast<UINT>(delay.count()), nullptr);
          }) {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  RegisterFormClass(&FormProc);
  hwnd_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kFormClassName, L"",
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                            ::GetModuleHandleW(nullptr), nullptr);
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  dpi_ = static_cast<int>(::GetDpiForWindow(hwnd_));
  if (dpi_ <= 0) dpi_ = 96;
  CreateControls();
  Layout();
  UseFont();
  // The client area at design size, with the status bar below it.
  const SIZE outer = OuterSize();
  ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (size_t i = 0; i < kControlCount; ++i) Refresh(static_cast<Control>(i));
  refresh_plan_.SetUnseenCheck([this](Control control) { return Unseen(control); });
  observer_ = panel_.AddObserver([this](Control control) { refresh_plan_.MarkDirty(control); });
}

Win32MainWindow::~Win32MainWindow() {
  panel_.RemoveObserver(observer_);
  if (::IsWindow(hwnd_)) {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
  if (font_ != nullptr) ::DeleteObject(font_);
}

void Win32MainWindow::CreateControls() {
  windows_[Index(Control::Form1)] = hwnd_;
  // The panel first, so that its fields have a parent.
  HWND frame1 = CreateControlWindow(Control::Frame1, hwnd_, &PanelProc);
  windows_[Index(Control::Frame1)] = frame1;
  for (size_t i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    if (control == Control::Form1 || control == Control::Frame1) continue;
    HWND window = CreateControlWindow(control, DesignPlacement(control).on_frame1 ? frame1 : hwnd_,
                                      &PanelProc);
    windows_[i] = window;
    const ControlKind kind = KindOf(control);
    if (kind == ControlKind::kSingleLineText || kind == ControlKind::kMultiLineText) {
      bindings_[i] = std::make_unique<EditBinding>(panel_, control, window,
                                                   kind == ControlKind::kMultiLineText);
    }
    if (kind == ControlKind::kProgressBar) {
      ::SendMessageW(window, PBM_SETRANGE32, 0, kProgressTicks);
    }
  }
  status_bar_ = std::make_unique<Win32StatusBar>(hwnd_);
  extra_tab_stops_.push_back(status_bar_->skipped_button());
}

void Win32MainWindow::Layout() {
  for (size_t i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    if (control == Control::Form1 || control == Control::Frame1) continue;
    if (control == kSkippedPages && skipped_shown_) continue;
    Place(windows_[i], TwipsToPixels(DesignPlacement(control).rect, dpi_));
  }
  RefreshFrame1();
  if (skipped_shown_) ShowSkippedPages(true);
}

void Win32MainWindow::UseFont() {
  // As large as lets block set 0's fields show two whole lines, as drawn.
  HFONT font = FontFittingLines(windows_[Index(field::block0Start)], 2, dpi_);
  for (HWND window : windows_) {
    if (window != hwnd_) ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  ::SendMessageW(status_bar_->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  for (HWND control : extra_tab_stops_) {
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (font_ != nullptr) ::DeleteObject(font_);
  font_ = font;
  status_bar_->Fit();
}

SIZE Win32MainWindow::OuterSize() const {
  RECT outer{0, 0, DesignedAreaWidth(),
             DesignedAreaBottom() + reserved_below_ + status_bar_->Height()};
  ::AdjustWindowRectExForDpi(&outer, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT,
                             static_cast<UINT>(dpi_));
  return {outer.right - outer.left, outer.bottom - outer.top};
}

int Win32MainWindow::DesignedAreaWidth() const {
  return TwipsToPixels(DesignPlacement(Control::Form1).rect, dpi_).width;
}

int Win32MainWindow::DesignedAreaBottom() const {
  return TwipsToPixels(DesignPlacement(Control::Form1).rect, dpi_).height;
}

void Win32MainWindow::ReserveBelowDesignedArea(int height) {
  RECT window;
  ::GetWindowRect(hwnd_, &window);
  const int change = height - reserved_below_;
  reserved_below_ = height;
  ::SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left,
                 window.bottom - window.top + change, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MainWindow::Show(int show_command) {
  ::ShowWindow(hwnd_, show_command);
  ::UpdateWindow(hwnd_);
  MoveFocus(true);
}

HWND Win32MainWindow::Find(std::string_view name) const {
  for (size_t i = 0; i < kControlCount; ++i) {
    if (ControlName(static_cast<Control>(i)) == name) return windows_[i];
  }
  return nullptr;
}

void Win32MainWindow::ShowSession(Session& session, const Clock& clock) {
  presenter_ = std::make_unique<WindowPresenter>(session, clock);
  refresh_plan_.SetBusyCheck([&session] { return !session.scheduler().Idle(); });
  journal_bar_ = std::make_unique<Win32JournalBar>(*presenter_, *this);
  RefreshChrome();
}

void Win32MainWindow::RefreshNow() {
  refresh_plan_.FlushAll();
  RefreshChrome();
}

void Win32MainWindow::Refresh(Control control) {
  HWND window = windows_[Index(control)];
  const std::u16string_view text = panel_.Text(control);
  switch (KindOf(control)) {
    case ControlKind::kSingleLineText:
    case ControlKind::kMultiLineText:
      bindings_[Index(control)]->Refresh();
      if (control == kSkippedPages) RefreshChrome();
      break;
    case ControlKind::kCheckBox:
      SetTextIfChanged(window, text);
      ::SendMessageW(window, BM_SETCHECK, panel_.Ticked(control) ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case ControlKind::kOption:
      RefreshOptions();
      break;
    case ControlKind::kLabel:
      SetTextIfChanged(window, text);
      if (control != kStatusLine) break;
      // A message that does not fit the status line shows whole in the status bar.
      status_bar_->ShowMessage(FitsIn(window, text) ? std::u16string() : std::u16string(text));
      // Each step of a run writes the status line; the report has moved on with it.
      RefreshChrome();
      break;
    case ControlKind::kCommand:
      SetTextIfChanged(window, text);
      if (control == Control::Command4) RefreshChrome();  // a stop or a continue
      break;
    case ControlKind::kProgressBar:
      RefreshProgressBar();
      break;
    case ControlKind::kFrame:
      RefreshFrame1();
      break;
    case ControlKind::kForm:
      SetTextIfChanged(window, text);
      break;
  }
  const bool enabled = panel_.Enabled(control);
  if ((::IsWindowEnabled(window) != FALSE) != enabled) ::EnableWindow(window, enabled);
}

void Win32MainWindow::RefreshOptions() {
  const int chosen = panel_.SuffixChoice();
  for (size_t i = 0; i < kSuffixOptions.size(); ++i) {
    HWND option = windows_[Index(kSuffixOptions[i])];
    SetTextIfChanged(option, panel_.Text(kSuffixOptions[i]));
    const bool checked = chosen == static_cast<int>(i) + 1;
    ::SendMessageW(option, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void Win32MainWindow::RefreshProgressBar() {
  HWND bar = windows_[Index(Control::ProgressBar1)];
  const int ticks = ProgressTicks(panel_.ProgressBar());
  if (::SendMessageW(bar, PBM_GETPOS, 0, 0) != ticks)
    ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(ticks), 0);
  ::ShowWindow(bar, panel_.ProgressBar().visible ? SW_SHOWNA : SW_HIDE);
}

bool Win32MainWindow::Unseen(Control control) const {
  HWND window = windows_[Index(control)];
  if (::GetFocus() == window) return false;
  if (!::IsWindowVisible(window)) return true;
  RECT area{};
  RECT client{};
  RECT overlap{};
  ::GetWindowRect(window, &area);
  ::MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&area), 2);
  ::GetClientRect(hwnd_, &client);
  return !::IntersectRect(&overlap, &area, &client);
}

void Win32MainWindow::RefreshFrame1() {
  const FramePosition position = panel_.Frame1Position();
  const TwipsRect size = DesignPlacement(Control::Frame1).rect;
  const PixelRect rect =
      TwipsToPixels({position.left, position.top, size.width, size.height}, dpi_);
  // Raised above the fields it covers; the status bar stays above it.
  ::SetWindowPos(windows_[Index(Control::Frame1)], HWND_TOP, rect.left, rect.top, rect.width,
                 rect.height, SWP_NOACTIVATE);
  for (HWND above : {status_bar_->hwnd(), status_bar_->skipped_button()}) {
    ::SetWindowPos(above, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  refresh_plan_.ShowHeld();
}

void Win32MainWindow::RefreshChrome() {
  if (!presenter_) return;
  // Shown with the system's own separators.
  StatusBarView view = presenter_->StatusBar();
  std::replace(view.site.begin(), view.site.end(), u'/', u'\\');
  status_bar_->Show(view);
  journal_bar_->Refresh();
  if (presenter_->skipped_shown() != skipped_shown_) ShowSkippedPages(presenter_->skipped_shown());
  if (const auto held = presenter_->CountsHeldFor()) {
    ::SetTimer(hwnd_, kCountsTimer, static_cast<UINT>(held->count()), nullptr);
  }
}

void Win32MainWindow::ShowSkippedPages(bool shown) {
  skipped_shown_ = shown;
  HWND skipped = windows_[Index(kSkippedPages)];
  HWND pending = windows_[Index(kPendingPages)];
  const PixelRect place =
      TwipsToPixels(DesignPlacement(shown ? kPendingPages : kSkippedPages).rect, dpi_);
  ::SetWindowPos(skipped, shown ? HWND_TOP : HWND_BOTTOM, place.left, place.top, place.width,
                 place.height, SWP_NOACTIVATE);
  ::ShowWindow(pending, shown ? SW_HIDE : SW_SHOWNA);
  refresh_plan_.ShowHeld();
}

LRESULT CALLBACK Win32MainWindow::FormProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* window = reinterpret_cast<Win32MainWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  return window->Handle(message, wparam, lparam);
}

LRESULT CALLBACK Win32MainWindow::PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // The panel's fields report to the form, as the form's own do.
  switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return ::SendMessageW(::GetParent(hwnd), message, wparam, lparam);
    default:
      return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

LRESULT Win32MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_NOTIFY:
      return 0;
    case WM_CTLCOLOREDIT:
      return Colour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam), true);
    case WM_CTLCOLORSTATIC:
      return Colour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam), false);
    case WM_TIMER:
      ::KillTimer(hwnd_, wparam);
      if (wparam == kRefreshTimer) refresh_plan_.OnTimer();
      if (wparam == kCountsTimer) RefreshChrome();
      return 0;
    case WM_SIZE:
      status_bar_->Fit();
      refresh_plan_.ShowHeld();  // an enlarged window shows what lies beyond the designed area
      return 0;
    case WM_GETMINMAXINFO: {
      // Never smaller than the designed area and what lies below it.
      if (status_bar_ == nullptr) break;
      const SIZE outer = OuterSize();
      reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = {outer.cx, outer.cy};
      return 0;
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wparam);
      Layout();
      UseFont();
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        last_focus_ = ::GetFocus();
      } else if (last_focus_ != nullptr && ::IsWindow(last_focus_)) {
        ::SetFocus(last_focus_);
        return 0;
      }
      break;
    case WM_CLOSE:
      // Closing ends the program at once; nothing is saved.
      if (on_close_) on_close_();
      ::DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wparam, lparam);
}

LRESULT Win32MainWindow::Colour(HDC dc, HWND control, bool edit) {
  const auto id = ControlOfId(::GetDlgCtrlID(control));
  const auto colour = id ? TextColour(*id) : std::nullopt;
  // A read-only or disabled field asks as a static does; disabled fields keep the system's
  // grey, so that a switched-off block set looks switched off.
  const bool field = id && (KindOf(*id) == ControlKind::kSingleLineText ||
                            KindOf(*id) == ControlKind::kMultiLineText);
  const int background = edit || (field && ::IsWindowEnabled(control) &&
                                  (::GetWindowLongW(control, GWL_STYLE) & ES_READONLY) == 0)
                             ? COLOR_WINDOW
                             : COLOR_BTNFACE;
  if (colour && ::IsWindowEnabled(control)) ::SetTextColor(dc, *colour);
  ::SetBkColor(dc, ::GetSysColor(background));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(background));
}

void Win32MainWindow::OnCommand(int id, int code) {
  if (id == Win32StatusBar::kSkippedButtonId && code == BN_CLICKED) {
    if (presenter_) presenter_->ShowSkipped(!skipped_shown_);
    RefreshChrome();
    return;
  }
  const auto control = ControlOfId(id);
  if (!control) return;
  switch (KindOf(*control)) {
    case ControlKind::kSingleLineText:
    case ControlKind::kMultiLineText:
      if (code == EN_CHANGE) bindings_[Index(*control)]->OnChange();
      // A field beyond the window's edge can still take the focus (Tab, Shift+Tab).
      if (code == EN_SETFOCUS) refresh_plan_.ShowHeld();
      break;
    case ControlKind::kCheckBox:
      // The model runs the boxes' reactions itself.
      if (code == BN_CLICKED) panel_.SetTicked(*control, !panel_.Ticked(*control));
      break;
    case ControlKind::kOption:
      if (code == BN_CLICKED) panel_.SetTicked(*control, true);
      break;
    case ControlKind::kCommand:
      if (code != BN_CLICKED) break;
      if (presenter_) {
        presenter_->Click(*control);
      } else if (on_command_) {
        on_command_(*control);
      }
      RefreshChrome();  // a save may have left a note
      break;
    default:
      break;
  }
}

}  // namespace quelbo
