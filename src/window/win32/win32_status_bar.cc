#include "window/win32/win32_status_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "window/presenter/status_texts.h"

namespace quelbo {
namespace {

constexpr int kSitePart = 0;
constexpr int kSummaryPart = 1;
constexpr int kNotePart = 3;
constexpr int kPartCount = 4;

// The width `text` needs in the bar's font, with the part's margins.
int TextWidth(HWND bar, const std::u16string& text) {
  if (text.empty()) return 0;
  HDC dc = ::GetDC(bar);
  HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(bar, WM_GETFONT, 0, 0)));
  SIZE size{};
  ::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.c_str()),
                          static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(bar, dc);
  return size.cx + 12;
}

}  // namespace

Win32StatusBar::Win32StatusBar(HWND parent)
    : hwnd_(::CreateWindowExW(0, STATUSCLASSNAMEW, L"",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP, 0, 0, 0, 0,
                              parent, nullptr, ::GetModuleHandleW(nullptr), nullptr)) {
  PlaceParts();
}

int Win32StatusBar::Height() const {
  RECT rect;
  ::GetWindowRect(hwnd_, &rect);
  return rect.bottom - rect.top;
}

void Win32StatusBar::Fit() {
  ::SendMessageW(hwnd_, WM_SIZE, 0, 0);
  PlaceParts();
}

void Win32StatusBar::ShowSiteFolder(const std::u16string& path) {
  SetPart(kSitePart, SiteFolderText(path));
}

void Win32StatusBar::ShowSummary(size_t processed, size_t changed, size_t skipped) {
  SetPart(kSummaryPart, RunSummaryText(processed, changed));
  SetPart(kSkippedPart, SkippedCountText(skipped));
}

void Win32StatusBar::ShowSaveNote(const std::vector<Control>& fields) {
  SetPart(kNotePart, SaveNoteText(fields));
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
  // The folder takes what the others leave; a long path is cut at its end.
  RECT client;
  ::GetClientRect(hwnd_, &client);
  int widths[kPartCount];
  int right = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
  for (int part = kPartCount - 1; part > kSitePart; --part) {
    widths[part] = right;
    right -= TextWidth(hwnd_, texts_[part]);
  }
  widths[kSitePart] = std::max(right, 0);
  ::SendMessageW(hwnd_, SB_SETPARTS, kPartCount, reinterpret_cast<LPARAM>(widths));
  for (int part = 0; part < kPartCount; ++part) {
    ::SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(part),
                   reinterpret_cast<LPARAM>(texts_[part].c_str()));
  }
}

}  // namespace quelbo
