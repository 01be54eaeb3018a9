#include "window/qt/multi_line_binding.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "window/presenter/line_breaks.h"

namespace quelbo {
namespace {

class WriteGuard {
 public:
  explicit WriteGuard(bool& flag) : flag_(flag) { flag_ = true; }
  WriteGuard(const WriteGuard&) = delete;
  WriteGuard& operator=(const WriteGuard&) = delete;
  ~WriteGuard() { flag_ = false; }

 private:
  bool& flag_;
};

int ToInt(size_t value) { return static_cast<int>(value); }

}  // namespace

MultiLineBinding::MultiLineBinding(ControlPanel& panel, Control control, QPlainTextEdit& editor)
    : panel_(panel), control_(control), editor_(editor) {
  Reset(panel_.Text(control_));
  connection_ = QObject::connect(
      editor_.document(), &QTextDocument::contentsChange,
      [this](int position, int removed, int added) { OnContentsChange(position, removed, added); });
  scroll_connection_ = QObject::connect(editor_.verticalScrollBar(), &QScrollBar::valueChanged,
                                        [this](int value) { OnScrolled(value); });
}

MultiLineBinding::~MultiLineBinding() {
  QObject::disconnect(connection_);
  QObject::disconnect(scroll_connection_);
}

std::u16string_view MultiLineBinding::Shown() const {
  return std::u16string_view(shown_).substr(shown_offset_);
}

void MultiLineBinding::HoldBackLines(size_t from) {
  if (from == held_from_) return;
  held_from_ = from;
  line_limit_ = from;
}

void MultiLineBinding::OnScrolled(int value) {
  const QScrollBar& bar = *editor_.verticalScrollBar();
  if (writing_ || !cut_ || value < bar.maximum() - bar.pageStep()) return;
  line_limit_ *= 2;  // near the end of what is put in: more of the model
  Refresh();
}

void MultiLineBinding::Refresh() {
  const std::u16string_view model = panel_.Text(control_);
  const size_t end = line_limit_ != 0 ? LinesEnd(model, line_limit_) : model.size();
  if (end < model.size() || cut_) {
    cut_ = end < model.size();
    ShowChanges(model.substr(0, end));
    return;
  }
  const size_t shown_size = Shown().size();
  if (in_sync_ && panel_.TextVersion(control_) == shown_version_ && model.size() <= shown_size) {
    if (model.size() < shown_size) DropShownPrefix(shown_size - model.size());
    return;
  }
  ShowChanges(model);
}

void MultiLineBinding::Adopt(std::u16string_view model) {
  shown_.assign(model);
  shown_offset_ = 0;
  shown_version_ = panel_.TextVersion(control_);
  in_sync_ = true;
}

void MultiLineBinding::Reset(std::u16string_view model) {
  Adopt(model);
  display_length_ = DisplayLength(model);
  const WriteGuard guard(writing_);
  editor_.setPlainText(QString::fromStdU16String(ToDisplay(model)));
}

void MultiLineBinding::ShowChanges(std::u16string_view model) {
  const std::u16string_view shown = Shown();
  const ChangedRange range = FindChangedRange(shown, model);
  const size_t from = DisplayLength(shown, range.start);
  const size_t to = display_length_ - DisplayLength(shown.substr(range.before_end));
  const std::u16string middle = ToDisplay(model.substr(range.start, range.after_end - range.start));
  if (from != to || !middle.empty()) {
    const WriteGuard guard(writing_);
    QTextCursor cursor(editor_.document());
    cursor.beginEditBlock();  // see DropShownPrefix
    cursor.setPosition(ToInt(from));
    cursor.setPosition(ToInt(to), QTextCursor::KeepAnchor);
    cursor.insertText(QString::fromStdU16String(middle));
    cursor.endEditBlock();
  }
  display_length_ = display_length_ - (to - from) + middle.size();
  Adopt(model);
}

void MultiLineBinding::DropShownPrefix(size_t count) {
  const size_t characters = DisplayLength(Shown(), count);
  if (characters > 0) {
    const WriteGuard guard(writing_);
    QTextCursor cursor(editor_.document());
    // Inside an edit block the cursor does not lay out the first block to learn its x, which
    // after a front removal makes the plain-text layout rescan every block for the widest.
    cursor.beginEditBlock();
    cursor.setPosition(0);
    cursor.setPosition(ToInt(characters), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.endEditBlock();
  }
  shown_offset_ += count;
  display_length_ -= characters;
  if (ControlPanel::WorthCompacting(shown_offset_, shown_.size())) {
    shown_.erase(0, shown_offset_);
    shown_offset_ = 0;
  }
}

void MultiLineBinding::OnContentsChange(int position, int chars_removed, int chars_added) {
  if (writing_) return;
  QTextDocument& document = *editor_.document();
  // The document counts one block separator past its text.
  const size_t new_length = static_cast<size_t>(std::max(document.characterCount() - 1, 0));
  const size_t reported_added = static_cast<size_t>(std::max(chars_added, 0));
  size_t at = std::min(static_cast<size_t>(std::max(position, 0)), display_length_);
  size_t removed = std::min(static_cast<size_t>(std::max(chars_removed, 0)), display_length_ - at);
  size_t added = new_length + removed - std::min(display_length_, new_length + removed);
  if (new_length + removed != display_length_ + added || added > reported_added) {
    // A report that does not add up: take the whole text as replaced.
    at = 0;
    removed = display_length_;
    added = new_length;
  }

  QTextCursor cursor(&document);
  cursor.setPosition(ToInt(at));
  cursor.setPosition(ToInt(at + added), QTextCursor::KeepAnchor);
  const QString added_text = cursor.selectedText();
  const std::u16string_view shown = Shown();
  const TextEdit edit =
      ToModelEdit(shown, at, removed,
                  std::u16string_view(reinterpret_cast<const char16_t*>(added_text.utf16()),
                                      static_cast<size_t>(added_text.size())));
  if (edit.removed == 0 && edit.added.empty()) return;

  // The model may have moved on since the last refresh. Only a dropped front, wholly before
  // the edit, can be carried over; otherwise the model wins and the next refresh shows it.
  const size_t model_size = panel_.Text(control_).size();
  const bool carry = !cut_ && in_sync_ && panel_.TextVersion(control_) == shown_version_ &&
                     model_size <= shown.size() && edit.position >= shown.size() - model_size;
  const size_t dropped = carry ? shown.size() - model_size : 0;
  shown_ = ApplyEdit(shown, edit);
  shown_offset_ = 0;
  display_length_ = new_length;
  if (!carry) {
    in_sync_ = false;
    return;
  }

  std::u16string model = shown_.substr(dropped);
  panel_.SetText(control_, model);
  if (panel_.Text(control_) == model) {
    shown_version_ = panel_.TextVersion(control_);
  } else {
    in_sync_ = false;
  }
}

}  // namespace quelbo
