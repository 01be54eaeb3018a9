#include "window/qt/widget_factory.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QString>
#include <limits>

#include "panel/settings_fields.h"
#include "window/presenter/progress_ticks.h"
#include "window/presenter/window_layout.h"
#include "window/qt/command_button.h"
#include "window/qt/multi_line_field.h"

namespace quelbo {
namespace {

// Disabled fields keep the system's grey, so that a switched-off block set looks switched off.
void SetTextColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Active, role, colour);
  palette.setColor(QPalette::Inactive, role, colour);
  widget.setPalette(palette);
}

QWidget* MakeWidgetOfKind(Control control, QWidget* parent) {
  switch (KindOf(control)) {
    case ControlKind::kSingleLineText: {
      auto* edit = new QLineEdit(parent);
      // The default limit would cut a long model text the moment the user edits it.
      edit->setMaxLength(std::numeric_limits<int>::max());
      return edit;
    }
    case ControlKind::kMultiLineText: {
      auto* edit = new MultiLineField(parent);
      edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      // The run lists are rewritten by the run all the time; an undo history of them would
      // only grow and could bring back entries the run has taken.
      if (control == kPendingPages || control == kDirectoryQueue || control == kCollectedFiles) {
        edit->setUndoRedoEnabled(false);
      }
      // The report of skipped pages is the run's to write.
      if (control == kSkippedPages) edit->setReadOnly(true);
      return edit;
    }
    case ControlKind::kCheckBox:
      return new QCheckBox(parent);
    case ControlKind::kOption:
      return new QRadioButton(parent);
    case ControlKind::kLabel: {
      auto* label = new QLabel(parent);
      // Entry names and messages are shown as they are, never as markup.
      label->setTextFormat(Qt::PlainText);
      return label;
    }
    case ControlKind::kCommand:
      return new CommandButton(parent);
    case ControlKind::kProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setRange(0, kProgressTicks);
      bar->setTextVisible(false);
      return bar;
    }
    case ControlKind::kFrame: {
      auto* frame = new QFrame(parent);
      frame->setFrameStyle(QFrame::Box | QFrame::Plain);
      // It lies over other fields when shown; they must not show through.
      frame->setAutoFillBackground(true);
      return frame;
    }
    case ControlKind::kForm:
      break;
  }
  return nullptr;
}

}  // namespace

std::optional<QColor> TextColour(Control control) {
  const auto colour = DesignTextColour(control);
  if (!colour) return std::nullopt;
  return QColor(colour->red, colour->green, colour->blue);
}

QWidget* MakeControlWidget(Control control, QWidget* parent) {
  QWidget* widget = MakeWidgetOfKind(control, parent);
  if (widget == nullptr) return nullptr;
  widget->setObjectName(QString::fromLatin1(ControlName(control)));
  if (const auto colour = TextColour(control)) {
    const QPalette::ColorRole role =
        KindOf(control) == ControlKind::kLabel ? QPalette::WindowText : QPalette::Text;
    SetTextColour(*widget, role, *colour);
  }
  return widget;
}

}  // namespace quelbo
