#pragma once

#include <QPlainTextEdit>

namespace quelbo {

// A multi-line field. Tab and Shift+Tab move the focus instead of typing a tab character:
// a key that moves the focus never changes a rule. (A tab can still come in by paste.) The
// field with the focus is framed in the highlight colour, as a one-line field is.
class MultiLineField final : public QPlainTextEdit {
 public:
  explicit MultiLineField(QWidget* parent);

  // The height, in pixels, that the field leaves for its lines.
  int LineAreaHeight() const;

  // Shows only whole lines: the strip below the last whole line that fits is kept empty and
  // painted like the field, so that no line shows cut. Call again after the field's size or
  // font changes.
  void ShowWholeLines();

 protected:
  bool event(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  static constexpr int kDocumentMargin = 1;
};

}  // namespace quelbo
