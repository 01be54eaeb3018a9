#include "window/qt/main_window.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QResizeEvent>
#include <QString>
#include <QStringView>
#include <QToolButton>
#include <utility>

#include "panel/settings_fields.h"
#include "run/session.h"
#include "window/presenter/progress_ticks.h"
#include "window/presenter/twips.h"
#include "window/presenter/window_layout.h"
#include "window/qt/app_font.h"
#include "window/qt/focus_order.h"
#include "window/qt/multi_line_field.h"
#include "window/qt/program_icon.h"
#include "window/qt/run_status_bar.h"
#include "window/qt/widget_factory.h"

namespace quelbo {
namespace {

// Smaller than this, Chinese characters stop being legible.
constexpr int kMinimumFieldPixels = 10;

QStringView View(std::u16string_view text) {
  return QStringView(text.data(), static_cast<qsizetype>(text.size()));
}

QRect ToQRect(const PixelRect& rect) { return {rect.left, rect.top, rect.width, rect.height}; }

// A line edit set to the text it already holds would lose the user's cursor position.
template <typename Widget>
void SetTextIfChanged(Widget& widget, std::u16string_view text) {
  if (widget.text() != View(text)) widget.setText(View(text).toString());
}

}  // namespace

MainWindow::MainWindow(ControlPanel& panel, CommandHandler on_command, QWidget* parent)
    : QWidget(parent),
      panel_(panel),
      on_command_(std::move(on_command)),
      dpi_(logicalDpiX()),
      refresh_queue_([this](Control control) { Refresh(control); }) {
  setObjectName(QString::fromLatin1(ControlName(Control::Form1)));
  setWindowIcon(ProgramIcon());
  CreateWidgets();
  FitMultiLineFields();
  const PixelRect client = TwipsToPixels(DesignPlacement(Control::Form1).rect, dpi_);
  const QSize size(client.width, client.height + status_bar_->height());
  setMinimumSize(size);
  resize(size);
  PlaceStatusBar();
  for (size_t i = 0; i < kControlCount; ++i) Refresh(static_cast<Control>(i));
  observer_ = panel_.AddObserver([this](Control control) { refresh_queue_.MarkDirty(control); });
}

MainWindow::~MainWindow() { panel_.RemoveObserver(observer_); }

void MainWindow::RefreshNow() {
  refresh_queue_.Flush();
  status_bar_->FlushSummary();
}

MainWindow::RefreshCounters MainWindow::Counters() const {
  return {refresh_queue_.flushes(), refresh_queue_.refreshed_controls()};
}

void MainWindow::CreateWidgets() {
  widgets_[Index(Control::Form1)] = this;
  options_ = new QButtonGroup(this);
  options_->setExclusive(true);
  // The panel first, so that its fields have a parent; each refresh of its position raises
  // it above the form's fields.
  QWidget* frame1 = MakeControlWidget(Control::Frame1, this);
  widgets_[Index(Control::Frame1)] = frame1;
  for (size_t i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    if (control == Control::Form1 || control == Control::Frame1) continue;
    const Placement placement = DesignPlacement(control);
    QWidget* widget = MakeControlWidget(control, placement.on_frame1 ? frame1 : this);
    widget->setGeometry(ToQRect(TwipsToPixels(placement.rect, dpi_)));
    widgets_[i] = widget;
    Connect(control, *widget);
  }
  status_bar_ = new RunStatusBar(this);
  QObject::connect(&status_bar_->SkippedButton(), &QToolButton::toggled, this,
                   [this](bool shown) { ShowSkippedPages(shown); });
}

void MainWindow::FitMultiLineFields() {
  // The smallest multi-line fields (block set 0's) show two whole lines, as drawn.
  const auto& smallest = static_cast<const MultiLineField&>(*widgets_[Index(field::block0Start)]);
  const QFont font =
      FontFittingLines(this->font(), smallest.LineAreaHeight(), 2, kMinimumFieldPixels);
  for (size_t i = 0; i < kControlCount; ++i) {
    if (KindOf(static_cast<Control>(i)) != ControlKind::kMultiLineText) continue;
    auto& field = static_cast<MultiLineField&>(*widgets_[i]);
    field.setFont(font);
    field.ShowWholeLines();
  }
}

void MainWindow::ShowSession(const Session& session) {
  session_ = &session;
  refresh_queue_.SetBusyCheck([&session] { return !session.scheduler().Idle(); });
  status_bar_->ShowSiteFolder(QString::fromStdString(session.root_path()));
  RefreshStatusBar();
}

void MainWindow::RefreshStatusBar() {
  if (session_ == nullptr) return;
  const RunReport& report = session_->report();
  if (report.runs() != shown_run_) {
    // A new Start: the list of skipped pages is the last run's, and gives way.
    shown_run_ = report.runs();
    status_bar_->SkippedButton().setChecked(false);
  }
  if (shown_run_ > 0) {
    status_bar_->ShowSummary({report.processed(), report.changed(), report.skipped().size()});
  }
  status_bar_->ShowSaveNote(session_->fields_saved_with_substitutes());
}

void MainWindow::ShowSkippedPages(bool shown) {
  auto& skipped = static_cast<MultiLineField&>(*widgets_[Index(kSkippedPages)]);
  QWidget& pending = *widgets_[Index(kPendingPages)];
  skipped.setGeometry(shown ? pending.geometry()
                            : ToQRect(TwipsToPixels(DesignPlacement(kSkippedPages).rect, dpi_)));
  skipped.ShowWholeLines();
  pending.setVisible(!shown);
  if (shown) skipped.raise();
}

int MainWindow::DesignedAreaBottom() const {
  return TwipsToPixels(DesignPlacement(Control::Form1).rect, dpi_).height;
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceStatusBar();
}

void MainWindow::PlaceStatusBar() {
  // Along the bottom edge, above what an enlarged window shows there (the parked panel).
  const int bar = status_bar_->height();
  status_bar_->setGeometry(0, height() - bar, width(), bar);
  status_bar_->raise();
}

bool MainWindow::focusNextPrevChild(bool next) {
  QWidget* target = NextInFocusChain(*this, focusWidget(), next);
  if (target == nullptr) return false;
  target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

void MainWindow::Connect(Control control, QWidget& widget) {
  switch (KindOf(control)) {
    case ControlKind::kSingleLineText:
      // textEdited comes from the user only, never from a refresh.
      QObject::connect(
          static_cast<QLineEdit*>(&widget), &QLineEdit::textEdited, this,
          [this, control](const QString& text) { panel_.SetText(control, text.toStdU16String()); });
      break;
    case ControlKind::kMultiLineText:
      bindings_[Index(control)] = std::make_unique<MultiLineBinding>(
          panel_, control, *static_cast<QPlainTextEdit*>(&widget));
      break;
    case ControlKind::kOption:
      options_->addButton(static_cast<QAbstractButton*>(&widget));
      [[fallthrough]];
    case ControlKind::kCheckBox:
      // clicked comes from the user only; the model runs the boxes' reactions itself.
      QObject::connect(static_cast<QAbstractButton*>(&widget), &QAbstractButton::clicked, this,
                       [this, control](bool checked) { panel_.SetTicked(control, checked); });
      break;
    case ControlKind::kCommand:
      QObject::connect(static_cast<QAbstractButton*>(&widget), &QAbstractButton::clicked, this,
                       [this, control] {
                         if (on_command_) on_command_(control);
                         RefreshStatusBar();  // a save may have left a note
                       });
      break;
    case ControlKind::kLabel:
    case ControlKind::kProgressBar:
    case ControlKind::kFrame:
    case ControlKind::kForm:
      break;
  }
}

void MainWindow::Refresh(Control control) {
  QWidget& widget = *widgets_[Index(control)];
  const std::u16string_view text = panel_.Text(control);
  switch (KindOf(control)) {
    case ControlKind::kSingleLineText:
      SetTextIfChanged(static_cast<QLineEdit&>(widget), text);
      break;
    case ControlKind::kMultiLineText:
      bindings_[Index(control)]->Refresh();
      if (control == kSkippedPages) RefreshStatusBar();
      break;
    case ControlKind::kCheckBox: {
      auto& box = static_cast<QAbstractButton&>(widget);
      SetTextIfChanged(box, text);
      box.setChecked(panel_.Ticked(control));
      break;
    }
    case ControlKind::kOption:
      RefreshOptions();
      break;
    case ControlKind::kLabel:
      SetTextIfChanged(static_cast<QLabel&>(widget), text);
      // Each step of a run writes the status line; the report has moved on with it.
      if (control == kStatusLine) RefreshStatusBar();
      break;
    case ControlKind::kCommand:
      SetTextIfChanged(static_cast<QAbstractButton&>(widget), text);
      break;
    case ControlKind::kProgressBar:
      RefreshProgressBar(static_cast<QProgressBar&>(widget));
      break;
    case ControlKind::kFrame:
      RefreshFrame1();
      break;
    case ControlKind::kForm:
      if (windowTitle() != View(text)) setWindowTitle(View(text).toString());
      break;
  }
  widget.setEnabled(panel_.Enabled(control));
}

void MainWindow::RefreshOptions() {
  const int chosen = panel_.SuffixChoice();
  for (Control option : kSuffixOptions) {
    SetTextIfChanged(static_cast<QAbstractButton&>(*widgets_[Index(option)]), panel_.Text(option));
  }
  if (chosen > 0) {
    static_cast<QAbstractButton*>(widgets_[Index(kSuffixOptions[static_cast<size_t>(chosen - 1)])])
        ->setChecked(true);
    return;
  }
  // An exclusive group keeps one button checked; the model may have none.
  options_->setExclusive(false);
  for (QAbstractButton* button : options_->buttons()) button->setChecked(false);
  options_->setExclusive(true);
}

void MainWindow::RefreshProgressBar(QProgressBar& bar) {
  const int ticks = ProgressTicks(panel_.ProgressBar());
  if (bar.value() != ticks) {
    // A progress bar repaints itself at once when its value moves, apart from the window's
    // own painting; during a run that was the window's largest cost. Held back, the change is
    // painted with the others of the frame.
    bar.setUpdatesEnabled(false);
    bar.setValue(ticks);
    bar.setUpdatesEnabled(true);
    bar.update();
  }
  bar.setVisible(panel_.ProgressBar().visible);
}

void MainWindow::RefreshFrame1() {
  const FramePosition position = panel_.Frame1Position();
  const TwipsRect size = DesignPlacement(Control::Frame1).rect;
  QWidget& frame = *widgets_[Index(Control::Frame1)];
  frame.setGeometry(
      ToQRect(TwipsToPixels({position.left, position.top, size.width, size.height}, dpi_)));
  frame.raise();
  status_bar_->raise();
}

}  // namespace quelbo
