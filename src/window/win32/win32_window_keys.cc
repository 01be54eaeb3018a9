// The keys that act on the window as a whole, whichever control has the focus.

#include <cwchar>
#include <vector>

#include "window/win32/win32_controls.h"
#include "window/win32/win32_focus_order.h"
#include "window/win32/win32_main_window.h"

namespace quelbo {
namespace {

bool IsPushButton(HWND window) {
  wchar_t window_class[16] = {};
  ::GetClassNameW(window, window_class, 16);
  const LONG type = ::GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
  return _wcsicmp(window_class, L"Button") == 0 &&
         (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

}  // namespace

bool Win32MainWindow::HandleKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  if (message.hwnd != hwnd_ && !::IsChild(hwnd_, message.hwnd)) return false;
  const bool control_key = ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0;
  HWND focused = ::GetFocus();
  const auto id = ControlOfId(::GetDlgCtrlID(focused));
  switch (message.wParam) {
    case VK_TAB:
      if (control_key) return false;
      MoveFocus(::GetKeyState(VK_SHIFT) >= 0);
      return true;
    case VK_RETURN:
      if (control_key || ::GetKeyState(VK_SHIFT) < 0 || !IsPushButton(focused)) return false;
      // A held key repeats; one press is one command.
      if ((message.lParam & (1 << 30)) == 0) ::SendMessageW(focused, BM_CLICK, 0, 0);
      return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      if (!id || KindOf(*id) != ControlKind::kOption) return false;
      MoveInOptions(focused, message.wParam == VK_RIGHT || message.wParam == VK_DOWN);
      return true;
    default:
      return false;
  }
}

void Win32MainWindow::MoveFocus(bool forward) {
  std::vector<HWND> controls;
  std::vector<HWND> options;
  for (size_t i = 0; i < kControlCount; ++i) {
    switch (KindOf(static_cast<Control>(i))) {
      case ControlKind::kOption:
        options.push_back(windows_[i]);
        [[fallthrough]];
      case ControlKind::kSingleLineText:
      case ControlKind::kMultiLineText:
      case ControlKind::kCheckBox:
      case ControlKind::kCommand:
        controls.push_back(windows_[i]);
        break;
      default:
        break;
    }
  }
  controls.insert(controls.end(), extra_tab_stops_.begin(), extra_tab_stops_.end());
  HWND target =
      NextInFocusChain(VisibleFocusChain(hwnd_, controls, options), ::GetFocus(), forward);
  if (target == nullptr) return;
  ::SetFocus(target);
  // A one-line field is entered with its text selected, as in dialogs.
  const auto id = ControlOfId(::GetDlgCtrlID(target));
  if (id && KindOf(*id) == ControlKind::kSingleLineText) {
    ::SendMessageW(target, EM_SETSEL, 0, -1);
  }
}

void Win32MainWindow::MoveInOptions(HWND focused, bool forward) {
  const size_t count = kSuffixOptions.size();
  for (size_t i = 0; i < count; ++i) {
    if (windows_[Index(kSuffixOptions[i])] != focused) continue;
    const Control next = kSuffixOptions[forward ? (i + 1) % count : (i + count - 1) % count];
    panel_.SetTicked(next, true);
    RefreshOptions();
    ::SetFocus(windows_[Index(next)]);
    return;
  }
}

}  // namespace quelbo
