#include "window/qt/multi_line_field.h"

#include <QFontMetrics>
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

}  // namespace quelbo
