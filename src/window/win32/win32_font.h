#pragma once

#include <string_view>

#include "window/win32/windows_api.h"

namespace quelbo {

// The width, in pixels, `text` takes in the font of `window`.
int TextWidthIn(HWND window, std::u16string_view text);

// The system's Chinese UI font (Microsoft YaHei, else SimSun) at the largest size, from 12
// pixels at 96 DPI down to 10, at which the edit control `field` shows `lines` whole lines.
// The caller owns the font.
HFONT FontFittingLines(HWND field, int lines, int dpi);

}  // namespace quelbo
