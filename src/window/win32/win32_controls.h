#pragma once

#include <optional>

#include "panel/control.h"
#include "window/win32/windows_api.h"

namespace quelbo {

// The child window of each kind of control: its class, styles and its command id.

// The class of the block-set panel, registered by CreateControlWindow.
inline constexpr wchar_t kPanelClassName[] = L"QuelboPanel";

// The id a control's window has, from which WM_COMMAND tells the control.
inline int ControlId(Control control) { return 100 + static_cast<int>(Index(control)); }
std::optional<Control> ControlOfId(int id);

// Creates `control`'s window (not Form1) in `parent`, named after the control, at 0, 0 with
// no size; the layout places it. The panel's window procedure is `panel_procedure`.
HWND CreateControlWindow(Control control, HWND parent, WNDPROC panel_procedure);

// The text colour of the block-set fields and the status line; none for the others.
std::optional<COLORREF> TextColour(Control control);

}  // namespace quelbo
