#include "window/win32/win32_journal_bar.h"

#include "base/text_codec.h"
#include "panel/settings_fields.h"
#include "settings/journal_switch.h"
#include "window/presenter/status_texts.h"
#include "window/win32/win32_edit_binding.h"

namespace quelbo {
namespace {

constexpr wchar_t kBarClassName[] = L"QuelboJournalBar";
// At 96 DPI: the row of buttons, and the list below it while a preview is shown.
constexpr int kRowHeight = 30;
constexpr int kListHeight = 220;

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// A diff's lines as an EDIT shows them: UTF-16, CR LF.
std::u16string ForEdit(const std::string& utf8) {
  std::u16string text;
  for (char16_t unit : FromUtf8(utf8)) {
    if (unit == u'\n') text += u'\r';
    text += unit;
  }
  return text;
}

HWND Child(HWND parent, HFONT font, const wchar_t* window_class, const wchar_t* text, DWORD style,
           DWORD extended_style = 0) {
  HWND child = ::CreateWindowExW(extended_style, window_class, text,
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0,
                                 parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  return child;
}

}  // namespace

Win32JournalBar::Win32JournalBar(Session& session, Win32MainWindow& window)
    : session_(session), window_(window) {
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
  preview_button_ = Child(bar_, window_.Font(), L"BUTTON", L"预览", WS_TABSTOP | BS_PUSHBUTTON);
  undo_button_ = Child(bar_, window_.Font(), L"BUTTON", L"撤销", WS_TABSTOP | BS_PUSHBUTTON);
  journal_box_ =
      Child(bar_, window_.Font(), L"BUTTON", L"保留撤销记录", WS_TABSTOP | BS_AUTOCHECKBOX);
  pages_ = Child(bar_, window_.Font(), L"LISTBOX", L"",
                 WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE);
  diff_ = Child(bar_, window_.Font(), L"EDIT", L"",
                WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL |
                    ES_AUTOVSCROLL,
                WS_EX_CLIENTEDGE);
  ::SendMessageW(diff_, EM_SETLIMITTEXT, 0, 0);
  for (HWND control : {preview_button_, undo_button_, journal_box_, pages_, diff_}) {
    window_.AddTabStop(control);
  }
  ::SendMessageW(journal_box_, BM_SETCHECK, JournalOn(session_.store()) ? BST_CHECKED : 0, 0);

  session_.preview().AddListener([this](const PreviewReport::Change& change) {
    const std::u16string line = PreviewLine(change.page);
    ::SendMessageW(pages_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line)));
    diffs_.push_back(
        PageDiff(change.page.entry, change.old_bytes, change.new_bytes, change.encodings));
  });
  // A run's first replaced page makes it a run that can be taken back.
  observer_ = session_.panel().AddObserver([this](Control control) {
    if (control == kStatusLine && !::IsWindowEnabled(undo_button_) &&
        session_.journal().pages() > 0) {
      RefreshUndoButton();
    }
  });
  SetListShown(false);
  RefreshUndoButton();
}

Win32JournalBar::~Win32JournalBar() {
  session_.panel().RemoveObserver(observer_);
  ::SetWindowLongPtrW(bar_, GWLP_USERDATA, 0);
}

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
  if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
    return ::SendMessageW(::GetParent(hwnd), message, wparam, lparam);
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

void Win32JournalBar::OnCommand(HWND control, int code) {
  if (control == preview_button_ && code == BN_CLICKED) return Preview();
  if (control == undo_button_ && code == BN_CLICKED) return Undo();
  if (control == pages_ && code == LBN_SELCHANGE) {
    return ShowDiff(static_cast<int>(::SendMessageW(pages_, LB_GETCURSEL, 0, 0)));
  }
  if (control == journal_box_ && code == BN_CLICKED) {
    const bool on = ::SendMessageW(journal_box_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (auto saved = SetJournalOn(session_.store(), on); !saved) {
      ::SendMessageW(journal_box_, BM_SETCHECK, on ? BST_UNCHECKED : BST_CHECKED, 0);
      session_.panel().SetText(kStatusLine, u"配置保存失败：" + FromUtf8(saved.error().Message()));
    }
  }
}

void Win32JournalBar::Preview() {
  ::SendMessageW(pages_, LB_RESETCONTENT, 0, 0);
  diffs_.clear();
  ::SetWindowTextW(diff_, L"");
  SetListShown(true);
  session_.StartRun(/*preview=*/true);
}

void Win32JournalBar::Undo() {
  SetListShown(false);
  (void)session_.Undo();  // the outcome is on the status line
  RefreshUndoButton();
}

void Win32JournalBar::ShowDiff(int row) {
  if (row < 0 || static_cast<size_t>(row) >= diffs_.size()) {
    ::SetWindowTextW(diff_, L"");
    return;
  }
  ::SetWindowTextW(diff_, Wide(ForEdit(diffs_[static_cast<size_t>(row)])));
}

int Win32JournalBar::Scaled(int pixels) const { return ::MulDiv(pixels, window_.Dpi(), 96); }

void Win32JournalBar::SetListShown(bool shown) {
  const int width = window_.DesignedAreaWidth();
  const int row = Scaled(kRowHeight);
  const int list = shown ? Scaled(kListHeight) : 0;
  const int button_top = Scaled(3);
  const int button_height = row - 2 * button_top;
  ::MoveWindow(preview_button_, Scaled(4), button_top, Scaled(75), button_height, TRUE);
  ::MoveWindow(undo_button_, Scaled(83), button_top, Scaled(75), button_height, TRUE);
  ::MoveWindow(journal_box_, Scaled(170), button_top, Scaled(160), button_height, TRUE);
  ::MoveWindow(pages_, Scaled(4), row, width / 3 - Scaled(4), list - Scaled(4), TRUE);
  ::MoveWindow(diff_, width / 3 + Scaled(2), row, width - width / 3 - Scaled(6), list - Scaled(4),
               TRUE);
  ::ShowWindow(pages_, shown ? SW_SHOWNA : SW_HIDE);
  ::ShowWindow(diff_, shown ? SW_SHOWNA : SW_HIDE);
  ::MoveWindow(bar_, 0, window_.DesignedAreaBottom(), width, row + list, TRUE);
  window_.ReserveBelowDesignedArea(row + list);
}

void Win32JournalBar::RefreshUndoButton() {
  // A closed run on this site, or the open one once it has replaced a page, can be taken back.
  const bool can_undo = session_.journal().pages() > 0 || session_.LastRun().has_value();
  ::EnableWindow(undo_button_, can_undo);
}

}  // namespace quelbo
