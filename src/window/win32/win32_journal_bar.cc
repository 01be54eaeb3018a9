#include "window/win32/win32_journal_bar.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "base/text_codec.h"
#include "window/presenter/status_texts.h"
#include "window/presenter/window_texts.h"

namespace quelbo {
namespace {

constexpr wchar_t kBarClassName[] = L"QuelboJournalBar";
// At 96 DPI: the row of buttons, and the list below it while a preview is shown.
constexpr int kRowHeight = 30;
constexpr int kListHeight = 220;

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

HWND Child(HWND parent, HFONT font, const wchar_t* window_class, const wchar_t* text, DWORD style,
           DWORD extended_style = 0) {
  HWND child = ::CreateWindowExW(extended_style, window_class, text,
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0,
                                 parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  return child;
}

// Removed lines on red, added ones on green, hunk heads grey.
COLORREF LineColour(DiffViewLine::Kind kind) {
  switch (kind) {
    case DiffViewLine::Kind::kRemoved:
      return RGB(255, 220, 220);
    case DiffViewLine::Kind::kAdded:
      return RGB(220, 255, 220);
    case DiffViewLine::Kind::kHunk:
      return RGB(230, 230, 230);
    case DiffViewLine::Kind::kKept:
      break;
  }
  return ::GetSysColor(COLOR_WINDOW);
}

}  // namespace

Win32JournalBar::Win32JournalBar(WindowPresenter& presenter, Win32MainWindow& window)
    : presenter_(presenter), window_(window) {
  WNDCLASSEXW bar_class{};
  bar_class.cbSize = sizeof(bar_class);
  bar_class.lpfnWndProc = &BarProc;
  bar_class.hInstance = ::GetModuleHandleW(nullptr);
  bar_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  bar_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  bar_class.lpszClassName = kBarClassName;
  ::RegisterClassExW(&bar_class);  // fails harmlessly when already registered
  bar_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kBarClassName, L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0,
                           window_.hwnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::SetWindowLongPtrW(bar_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  const HFONT font = window_.Font();
  preview_button_ = Child(bar_, font, L"BUTTON", Wide(FromUtf8(kWindowTexts.preview)),
                          WS_TABSTOP | BS_PUSHBUTTON);
  undo_button_ =
      Child(bar_, font, L"BUTTON", Wide(UndoCaption(/*redo=*/false)), WS_TABSTOP | BS_PUSHBUTTON);
  journal_box_ = Child(bar_, font, L"BUTTON", Wide(FromUtf8(kWindowTexts.keep_journal)),
                       WS_TABSTOP | BS_AUTOCHECKBOX);
  pages_ = Child(bar_, font, L"LISTBOX", L"",
                 WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE);
  diff_ = Child(bar_, font, L"LISTBOX", L"",
                WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                    LBS_NOINTEGRALHEIGHT | LBS_NOSEL,
                WS_EX_CLIENTEDGE);
  TEXTMETRICW metrics{};
  HDC dc = ::GetDC(diff_);
  HGDIOBJ old = ::SelectObject(dc, font);
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(diff_, dc);
  ::SendMessageW(diff_, LB_SETITEMHEIGHT, 0, metrics.tmHeight + 2);
  // The journal's size, on the undo button's tip.
  tip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, bar_, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = bar_;
  tool.uId = reinterpret_cast<UINT_PTR>(undo_button_);
  tool.lpszText = const_cast<wchar_t*>(L"");
  ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  for (HWND control : {preview_button_, undo_button_, journal_box_, pages_, diff_}) {
    window_.AddTabStop(control);
  }
  Refresh();
  Place();
}

Win32JournalBar::~Win32JournalBar() { ::SetWindowLongPtrW(bar_, GWLP_USERDATA, 0); }

HWND Win32JournalBar::Find(std::string_view name) const {
  if (name == "previewButton") return preview_button_;
  if (name == "undoButton") return undo_button_;
  if (name == "journalSwitch") return journal_box_;
  if (name == "previewPages") return pages_;
  if (name == "previewDiff") return diff_;
  return nullptr;
}

LRESULT CALLBACK Win32JournalBar::BarProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* bar = reinterpret_cast<Win32JournalBar*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (bar != nullptr && message == WM_COMMAND) {
    bar->OnCommand(reinterpret_cast<HWND>(lparam), HIWORD(wparam));
    return 0;
  }
  if (bar != nullptr && message == WM_DRAWITEM) {
    bar->DrawDiffLine(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
    return TRUE;
  }
  if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
    return ::SendMessageW(::GetParent(hwnd), message, wparam, lparam);
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

void Win32JournalBar::OnCommand(HWND control, int code) {
  if (control == preview_button_ && code == BN_CLICKED) presenter_.Preview();
  if (control == undo_button_ && code == BN_CLICKED) presenter_.Undo();
  if (control == journal_box_ && code == BN_CLICKED) {
    presenter_.SetJournalOn(::SendMessageW(journal_box_, BM_GETCHECK, 0, 0) == BST_CHECKED);
  }
  if (control == pages_ && code == LBN_SELCHANGE) {
    ShowDiff(static_cast<int>(::SendMessageW(pages_, LB_GETCURSEL, 0, 0)));
  }
  window_.RefreshNow();
}

void Win32JournalBar::Refresh() {
  const JournalRowView row = presenter_.JournalRow();
  ::EnableWindow(preview_button_, row.preview_enabled);
  ::EnableWindow(undo_button_, row.undo_enabled);
  ::SetWindowTextW(undo_button_, Wide(row.undo_caption));
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = bar_;
  tool.uId = reinterpret_cast<UINT_PTR>(undo_button_);
  tool.lpszText = const_cast<wchar_t*>(Wide(row.undo_tip));
  ::SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  ::SendMessageW(journal_box_, BM_SETCHECK, row.journal_on ? BST_CHECKED : BST_UNCHECKED, 0);
  if (presenter_.preview_generation() != generation_) {
    generation_ = presenter_.preview_generation();
    ::SendMessageW(pages_, LB_RESETCONTENT, 0, 0);
    ::SendMessageW(diff_, LB_RESETCONTENT, 0, 0);
  }
  // The pages found since the last refresh, so the list grows as the preview goes.
  const auto shown = static_cast<size_t>(::SendMessageW(pages_, LB_GETCOUNT, 0, 0));
  for (size_t i = shown; i < presenter_.preview_pages(); ++i) {
    const std::u16string line(presenter_.PreviewLine(i));
    ::SendMessageW(pages_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line)));
  }
  if (presenter_.preview_shown() != list_shown_) {
    list_shown_ = presenter_.preview_shown();
    Place();
  }
}

void Win32JournalBar::ShowDiff(int row) {
  ::SendMessageW(diff_, LB_RESETCONTENT, 0, 0);
  if (row < 0) return;
  int widest = 0;
  HDC dc = ::GetDC(diff_);
  HGDIOBJ old = ::SelectObject(dc, window_.Font());
  for (const DiffViewLine& line : presenter_.PreviewDiff(static_cast<size_t>(row))) {
    const auto item =
        ::SendMessageW(diff_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line.text)));
    ::SendMessageW(diff_, LB_SETITEMDATA, static_cast<WPARAM>(item),
                   static_cast<LPARAM>(line.kind));
    SIZE size{};
    ::GetTextExtentPoint32W(dc, Wide(line.text), static_cast<int>(line.text.size()), &size);
    widest = std::max(widest, static_cast<int>(size.cx));
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(diff_, dc);
  ::SendMessageW(diff_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + Scaled(8)), 0);
}

void Win32JournalBar::DrawDiffLine(const DRAWITEMSTRUCT& item) const {
  if (item.hwndItem != diff_ || item.itemID == static_cast<UINT>(-1)) return;
  const auto kind = static_cast<DiffViewLine::Kind>(item.itemData);
  HBRUSH brush = ::CreateSolidBrush(LineColour(kind));
  ::FillRect(item.hDC, &item.rcItem, brush);
  ::DeleteObject(brush);
  const auto length = ::SendMessageW(diff_, LB_GETTEXTLEN, item.itemID, 0);
  std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
  ::SendMessageW(diff_, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
  ::SetBkMode(item.hDC, TRANSPARENT);
  ::SetTextColor(item.hDC, ::GetSysColor(COLOR_WINDOWTEXT));
  RECT place = item.rcItem;
  place.left += Scaled(2);
  ::DrawTextW(item.hDC, text.c_str(), static_cast<int>(length), &place,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXPANDTABS);
}

int Win32JournalBar::Scaled(int pixels) const { return ::MulDiv(pixels, window_.Dpi(), 96); }

void Win32JournalBar::Place() {
  const int width = window_.DesignedAreaWidth();
  const int row = Scaled(kRowHeight);
  const int list = list_shown_ ? Scaled(kListHeight) : 0;
  const int button_top = Scaled(3);
  const int button_height = row - 2 * button_top;
  ::MoveWindow(preview_button_, Scaled(4), button_top, Scaled(75), button_height, TRUE);
  ::MoveWindow(undo_button_, Scaled(83), button_top, Scaled(75), button_height, TRUE);
  ::MoveWindow(journal_box_, Scaled(170), button_top, Scaled(160), button_height, TRUE);
  ::MoveWindow(pages_, Scaled(4), row, width / 3 - Scaled(4), list - Scaled(4), TRUE);
  ::MoveWindow(diff_, width / 3 + Scaled(2), row, width - width / 3 - Scaled(6), list - Scaled(4),
               TRUE);
  ::ShowWindow(pages_, list_shown_ ? SW_SHOWNA : SW_HIDE);
  ::ShowWindow(diff_, list_shown_ ? SW_SHOWNA : SW_HIDE);
  ::MoveWindow(bar_, 0, window_.DesignedAreaBottom(), width, row + list, TRUE);
  window_.ReserveBelowDesignedArea(row + list);
}

}  // namespace quelbo
