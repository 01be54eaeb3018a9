#include "window/qt/multi_line_field.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QTextDocument>

namespace quelbo {

MultiLineField::MultiLineField(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  // The fields are drawn a few lines high; the frame alone sets them off.
  document()->setDocumentMargin(kDocumentMargin);
  // The strip below the lines (see ShowWholeLines) is the field's own background.
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
}

int MultiLineField::LineAreaHeight() const { return contentsRect().height() - 2 * kDocumentMargin; }

void MultiLineField::ShowWholeLines() {
  const int line = QFontMetrics(font()).lineSpacing();
  const int area = LineAreaHeight();
  // The viewport ends with the last whole line; never less than one line, however small.
  const int spare = line > 0 && area > line ? area % line + kDocumentMargin : 0;
  setViewportMargins(0, 0, 0, spare);
}

bool MultiLineField::event(QEvent* event) {
  const bool handled = QPlainTextEdit::event(event);
  // The frame is painted by the field itself, outside its viewport: the focus mark goes on it.
  if (event->type() == QEvent::Paint && hasFocus()) {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
  }
  return handled;
}

void MultiLineField::focusInEvent(QFocusEvent* event) {
  QPlainTextEdit::focusInEvent(event);
  update();
}

void MultiLineField::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  update();
}

}  // namespace quelbo
