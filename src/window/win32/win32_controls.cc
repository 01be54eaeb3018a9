#include "window/win32/win32_controls.h"

#include <commctrl.h>

#include <string>

#include "panel/settings_fields.h"
#include "window/presenter/window_layout.h"

namespace quelbo {
namespace {

// Every child clips its siblings, so that the block-set panel, raised over the fields it
// covers, is not painted over by them.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

struct WindowKind {
  const wchar_t* window_class;
  DWORD style;
  DWORD extended_style = 0;
};

WindowKind KindOfWindow(Control control) {
  switch (KindOf(control)) {
    case ControlKind::kSingleLineText:
      return {L"EDIT", kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::kMultiLineText: {
      DWORD style = kChild | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                    ES_WANTRETURN | ES_NOHIDESEL;
      // The report of skipped pages is the run's to write.
      if (control == kSkippedPages) style |= ES_READONLY;
      return {L"EDIT", style, WS_EX_CLIENTEDGE};
    }
    case ControlKind::kCheckBox:
      // Not automatic: a click asks the model, and the box shows what the model then holds.
      return {L"BUTTON", kChild | WS_TABSTOP | BS_CHECKBOX};
    case ControlKind::kOption:
      return {L"BUTTON", kChild | WS_TABSTOP | BS_RADIOBUTTON};
    case ControlKind::kLabel:
      // Entry names and messages are shown as they are: "&" is no mnemonic.
      return {L"STATIC", kChild | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS};
    case ControlKind::kCommand:
      return {L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON};
    case ControlKind::kProgressBar:
      return {PROGRESS_CLASSW, kChild};
    case ControlKind::kFrame:
      return {kPanelClassName, kChild | WS_BORDER | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::kForm:
      break;
  }
  return {L"STATIC", kChild};
}

void RegisterPanelClass(WNDPROC procedure) {
  WNDCLASSEXW panel_class{};
  panel_class.cbSize = sizeof(panel_class);
  panel_class.lpfnWndProc = procedure;
  panel_class.hInstance = ::GetModuleHandleW(nullptr);
  panel_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  // It lies over other fields when shown; they must not show through.
  panel_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  panel_class.lpszClassName = kPanelClassName;
  ::RegisterClassExW(&panel_class);  // fails harmlessly when already registered
}

}  // namespace

std::optional<Control> ControlOfId(int id) {
  const int index = id - 100;
  if (index < 0 || static_cast<size_t>(index) >= kControlCount) return std::nullopt;
  return static_cast<Control>(index);
}

HWND CreateControlWindow(Control control, HWND parent, WNDPROC panel_procedure) {
  if (KindOf(control) == ControlKind::kFrame) RegisterPanelClass(panel_procedure);
  const WindowKind kind = KindOfWindow(control);
  const std::string_view name = ControlName(control);
  const std::wstring wide_name(name.begin(), name.end());
  HWND window = ::CreateWindowExW(kind.extended_style, kind.window_class, wide_name.c_str(),
                                  kind.style, 0, 0, 0, 0, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(control))),
                                  ::GetModuleHandleW(nullptr), nullptr);
  return window;
}

std::optional<COLORREF> TextColour(Control control) {
  const auto colour = DesignTextColour(control);
  if (!colour) return std::nullopt;
  return RGB(colour->red, colour->green, colour->blue);
}

}  // namespace quelbo
