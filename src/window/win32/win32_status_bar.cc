#include "window/win32/win32_status_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "window/win32/win32_font.h"


namespace quelbo {
namespace {

constexpr int kSitePart = 0;
constexpr int kSummaryPart = 1;
constexpr int kNotePart = 3;
constexpr int kPartCount = 4;

// The width `text` needs in the bar's font, with the part's margins.
int TextWidth(HWND bar, const std::u16string& text) {
  return text.empty() ? 0 : TextWidthIn(bar, text) + 12;
}

}  // namespace

Win32StatusBar::Win32StatusBar(HWND parent)
    : hwnd_(::CreateWindowExW(0, STATUSCLASSNAMEW, L"",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP |
                                  SBARS_TOOLTIPS,
                              0, 0, 0, 0, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr)),
      // A button of the form's, over its part, so that Tab reaches it and Enter presses it.
      skipped_(::CreateWindowExW(
          0, L"BUTTON", L"", WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_PUSHBUTTON | BS_FLAT, 0,
          0, 0, 0, parent,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSkippedButtonId)),
          ::GetModuleHandleW(nullptr), nullptr)) {
  PlaceParts();
}

int Win32StatusBar::Height() const {
  RECT rect;
  ::GetWindowRect(hwnd_, &rect);
  return rect.bottom - rect.top;
}

void Win32StatusBar::Fit() {
  ::SendMessageW(hwnd_, WM_SIZE, 0, 0);
  ::SendMessageW(skipped_, WM_SETFONT, static_cast<WPARAM>(::SendMessageW(hwnd_, WM_GETFONT, 0, 0)),
                 TRUE);
  PlaceParts();
}

void Win32StatusBar::Show(const StatusBarView& view) {
  site_ = view.site;
  SetPart(kSitePart, message_.empty() ? site_ : message_);
  SetPart(kSummaryPart, view.summary);
  SetPart(kSkippedPart, view.skipped);
  SetPart(kNotePart, view.note);
  ::SendMessageW(hwnd_, SB_SETTIPTEXTW, kNotePart,
                 reinterpret_cast<LPARAM>(texts_[kNotePart].c_str()));
  ::SetWindowTextW(skipped_, reinterpret_cast<const wchar_t*>(view.skipped.c_str()));
  ::EnableWindow(skipped_, view.skipped_enabled);
  ::ShowWindow(skipped_, view.skipped.empty() ? SW_HIDE : SW_SHOWNA);
}

void Win32StatusBar::ShowMessage(const std::u16string& message) {
  message_ = message;
  SetPart(kSitePart, message_.empty() ? site_ : message_);
  // Whole in the part's tip, which the bar shows when the part cuts it.
  ::SendMessageW(hwnd_, SB_SETTIPTEXTW, kSitePart,
                 reinterpret_cast<LPARAM>(texts_[kSitePart].c_str()));
}

std::u16string Win32StatusBar::PartText(int part) const {
  return part >= 0 && part < kPartCount ? texts_[part] : std::u16string();
}

void Win32StatusBar::SetPart(int part, const std::u16string& text) {
  if (texts_[part] == text) return;
  const bool width_changes = TextWidth(hwnd_, texts_[part]) != TextWidth(hwnd_, text);
  texts_[part] = text;
  if (width_changes) PlaceParts();
  ::SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(part),
                 reinterpret_cast<LPARAM>(texts_[part].c_str()));
}

void Win32StatusBar::PlaceParts() {
  // The counts keep their widths. The note, at the right, leaves the folder at least a quarter
  // of the bar: a longer one is cut at its end and shown whole in its tip. The folder takes
  // what the others leave; a long path is cut at its end.
  RECT client;
  ::GetClientRect(hwnd_, &client);
  int widths[kPartCount];
  int right = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
  const int counts =
      TextWidth(hwnd_, texts_[kSummaryPart]) + TextWidth(hwnd_, texts_[kSkippedPart]);
  const int note_room = std::max(right - counts - static_cast<int>(client.right / 4), 0);
  for (int part = kPartCount - 1; part > kSitePart; --part) {
    widths[part] = right;
    const int width = TextWidth(hwnd_, texts_[part]);
    right -= part == kNotePart ? std::min(width, note_room) : width;
  }
  widths[kSitePart] = std::max(right, 0);
  ::SendMessageW(hwnd_, SB_SETPARTS, kPartCount, reinterpret_cast<LPARAM>(widths));
  for (int part = 0; part < kPartCount; ++part) {
    ::SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(part),
                   reinterpret_cast<LPARAM>(texts_[part].c_str()));
  }
  RECT part;
  ::SendMessageW(hwnd_, SB_GETRECT, kSkippedPart, reinterpret_cast<LPARAM>(&part));
  ::MapWindowPoints(hwnd_, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&part), 2);
  ::SetWindowPos(skipped_, HWND_TOP, part.left, part.top, part.right - part.left,
                 part.bottom - part.top, SWP_NOACTIVATE);
}

}  // namespace quelbo
