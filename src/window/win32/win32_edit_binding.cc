#include "window/win32/win32_edit_binding.h"

#include <algorithm>

#include "window/presenter/line_breaks.h"

namespace quelbo {
namespace {

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

bool IsBreak(char16_t unit) {
  return unit == u'\r' || unit == u'\n' || unit == u'\u2028' || unit == u'\u2029';
}

// Every line break as CR LF, the only break a multi-line EDIT shows.
std::u16string CrLfForm(std::u16string_view model) {
  std::u16string text;
  text.reserve(model.size() + model.size() / 16);
  for (size_t i = 0; i < model.size(); ++i) {
    const char16_t unit = model[i];
    if (!IsBreak(unit)) {
      text += unit;
      continue;
    }
    text += u"\r\n";
    if (unit == u'\r' && i + 1 < model.size() && model[i + 1] == u'\n') ++i;
  }
  return text;
}

}  // namespace

std::u16string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  const int copied = ::GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

EditBinding::EditBinding(ControlPanel& panel, Control control, HWND edit, bool multi_line)
    : panel_(panel),
      control_(control),
      edit_(edit),
      multi_line_(multi_line),
      // What the control was created with (its name) counts as shown, so that a model text
      // that is empty from the start still replaces it.
      shown_model_(WindowText(edit)),
      shown_edit_(shown_model_) {
  // The default limit (30,000 characters) would cut a page list or a long rule.
  ::SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
}

void EditBinding::Refresh() {
  const std::u16string_view model = panel_.Text(control_);
  if (model == shown_model_) return;
  std::u16string wanted = multi_line_ ? CrLfForm(model) : std::u16string(model);
  shown_model_ = std::u16string(model);
  shown_version_ = panel_.TextVersion(control_);
  if (wanted == shown_edit_) return;
  const ChangedRange range = FindChangedRange(shown_edit_, wanted);
  Replace(range.start, range.before_end, wanted.substr(range.start, range.after_end - range.start));
  shown_edit_ = std::move(wanted);
}

void EditBinding::Replace(size_t start, size_t end, const std::u16string& text) {
  writing_ = true;
  if (!multi_line_ || (start == 0 && end == shown_edit_.size())) {
    const std::u16string whole = shown_edit_.substr(0, start) + text + shown_edit_.substr(end);
    ::SetWindowTextW(edit_, Wide(whole));
    writing_ = false;
    return;
  }
  DWORD selection_start = 0;
  DWORD selection_end = 0;
  ::SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&selection_start),
                 reinterpret_cast<LPARAM>(&selection_end));
  const LRESULT first_line = ::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0);
  ::SendMessageW(edit_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(edit_, EM_SETSEL, start, static_cast<LPARAM>(end));
  ::SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(text)));
  // The user's selection moves with the text around it.
  const auto moved = [&](DWORD position) -> WPARAM {
    if (position <= start) return position;
    if (position >= end) return position - end + start + text.size();
    return start + text.size();
  };
  ::SendMessageW(edit_, EM_SETSEL, moved(selection_start),
                 static_cast<LPARAM>(moved(selection_end)));
  const LRESULT now_first = ::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0);
  ::SendMessageW(edit_, EM_LINESCROLL, 0, first_line - now_first);
  ::SendMessageW(edit_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(edit_, nullptr, TRUE);
  writing_ = false;
}

void EditBinding::OnChange() {
  if (writing_) return;
  std::u16string typed = WindowText(edit_);
  if (!multi_line_) {
    shown_edit_ = typed;
    shown_model_ = typed;
    panel_.SetText(control_, std::move(typed));
    return;
  }
  // The edit as the user sees it: the range of characters (a break one each) that changed.
  const std::u16string before = ToDisplay(shown_model_);
  const std::u16string after = ToDisplay(typed);
  size_t front = 0;
  const size_t shorter = std::min(before.size(), after.size());
  while (front < shorter && before[front] == after[front]) ++front;
  size_t back = 0;
  while (back < shorter - front &&
         before[before.size() - 1 - back] == after[after.size() - 1 - back]) {
    ++back;
  }
  TextEdit edit =
      ToModelEdit(shown_model_, front, before.size() - front - back,
                  std::u16string_view(after).substr(front, after.size() - front - back));
  // Since the last frame a run may have taken lines from the top of the text: the edit goes
  // where it belongs in the text as it is now, so that nothing taken comes back.
  const std::u16string_view current = panel_.Text(control_);
  const bool only_front_dropped =
      panel_.TextVersion(control_) == shown_version_ && current.size() <= shown_model_.size();
  const size_t dropped = only_front_dropped ? shown_model_.size() - current.size() : 0;
  shown_model_ = ApplyEdit(shown_model_, edit);  // what the control shows now
  std::u16string updated = shown_model_;
  if (only_front_dropped && edit.position >= dropped) {
    edit.position -= dropped;
    updated = ApplyEdit(current, edit);
  }
  shown_edit_ = std::move(typed);
  panel_.SetText(control_, std::move(updated));
  shown_version_ = panel_.TextVersion(control_);
}

}  // namespace quelbo
