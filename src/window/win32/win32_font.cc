#include "window/win32/win32_font.h"

#include <cwchar>
#include <iterator>

namespace quelbo {
namespace {

// The sizes tried at 96 DPI: the system's usual first; below the smallest, Chinese characters
// stop being legible.
constexpr int kLargestFontPixels = 12;
constexpr int kSmallestFontPixels = 10;
// The Chinese system fonts, the one shipped with current systems first.
constexpr const wchar_t* kFontFaces[] = {L"Microsoft YaHei", L"SimSun"};

// Lines of a font, in pixels.
int LineHeight(HWND window, HFONT font) {
  HDC dc = ::GetDC(window);
  HGDIOBJ old = ::SelectObject(dc, font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(window, dc);
  return metrics.tmHeight;
}

}  // namespace

HFONT FontFittingLines(HWND field, int lines, int dpi) {
  HFONT font = nullptr;
  for (int pixels = kLargestFontPixels; pixels >= kSmallestFontPixels; --pixels) {
    if (font != nullptr) ::DeleteObject(font);
    LOGFONTW description{};
    description.lfHeight = -::MulDiv(pixels, dpi, 96);
    description.lfWeight = FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = CLEARTYPE_QUALITY;
    for (const wchar_t* face : kFontFaces) {
      wcsncpy(description.lfFaceName, face, LF_FACESIZE - 1);
      font = ::CreateFontIndirectW(&description);
      wchar_t chosen[LF_FACESIZE] = {};
      HDC dc = ::GetDC(field);
      HGDIOBJ old = ::SelectObject(dc, font);
      ::GetTextFaceW(dc, LF_FACESIZE, chosen);
      ::SelectObject(dc, old);
      ::ReleaseDC(field, dc);
      if (wcscmp(chosen, face) == 0 || face == kFontFaces[std::size(kFontFaces) - 1]) break;
      ::DeleteObject(font);
    }
    // The edit control shows whole lines only, inside a margin: the room is what it says it
    // shows with this font, not its client area.
    ::SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    RECT shown{};
    ::SendMessageW(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&shown));
    if (lines * LineHeight(field, font) <= shown.bottom - shown.top) break;
  }
  return font;
}

int TextWidthIn(HWND window, std::u16string_view text) {
  HDC dc = ::GetDC(window);
  HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)));
  SIZE size{};
  ::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()),
                          static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(window, dc);
  return size.cx;
}

}  // namespace quelbo
