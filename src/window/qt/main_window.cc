#include "window/qt/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <utility>

#include "panel/settings_fields.h"
#include "run/session.h"
#include "window/presenter/progress_ticks.h"
#include "window/presenter/twips.h"
#include "window/presenter/window_layout.h"
#include "window/qt/app_font.h"
#include "window/qt/command_button.h"
#include "window/qt/focus_order.h"
#include "window/qt/journal_bar.h"
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
      refresh_plan_(
          clock_, [this](Control control) { Refresh(control); },
          [this](Milliseconds delay) { refresh_timer_.start(static_cast<int>(delay.count())); }) {
  refresh_timer_.setSingleShot(true);
  QObject::connect(&refresh_timer_, &QTimer::timeout, this, [this] { refresh_plan_.OnTimer(); });
  chrome_timer_.setSingleShot(true);
  QObject::connect(&chrome_timer_, &QTimer::timeout, this, [this] { RefreshChrome(); });
  setObjectName(QString::fromLatin1(ControlName(Control::Form1)));
  setWindowIcon(ProgramIcon());
  CreateWidgets();
  FitMultiLineFields();
  const PixelRect client = TwipsToPixels(DesignPlacement(Control::Form1).rect, dpi_);
  const QSize size(client.width, client.height + status_bar_->height());
  setMinimumSize(size);
  resize(size);
  PlaceBelowDesign();
  for (size_t i = 0; i < kControlCount; ++i) Refresh(static_cast<Control>(i));
  refresh_plan_.SetUnseenCheck([this](Control control) { return Unseen(control); });
  // A field beyond the window's edge can still take the focus (Tab, Shift+Tab).
  QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    refresh_plan_.ShowHeld();
    // A user about to type in the list gets all of it first.
    if (now == widgets_[Index(kPendingPages)]) Refresh(kPendingPages);
  });
  observer_ = panel_.AddObserver([this](Control control) { refresh_plan_.MarkDirty(control); });
}

MainWindow::~MainWindow() { panel_.RemoveObserver(observer_); }

void MainWindow::RefreshNow() {
  refresh_plan_.FlushAll();
  RefreshChrome();
}

MainWindow::RefreshCounters MainWindow::Counters() const {
  return {refresh_plan_.flushes(), refresh_plan_.refreshed_controls()};
}

bool MainWindow::Unseen(Control control) const {
  const QWidget& widget = *widgets_[Index(control)];
  if (widget.hasFocus()) return false;
  const QRect area(widget.mapTo(this, QPoint(0, 0)), widget.size());
  return !widget.isVisibleTo(this) || !area.intersects(rect());
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
  QObject::connect(&status_bar_->SkippedButton(), &QPushButton::clicked, this, [this](bool shown) {
    if (presenter_) presenter_->ShowSkipped(shown);
    RefreshChrome();
  });
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

void MainWindow::ShowSession(Session& session, const Clock& clock) {
  presenter_ = std::make_unique<WindowPresenter>(session, clock);
  refresh_plan_.SetBusyCheck([&session] { return !session.scheduler().Idle(); });
  journal_bar_ = new JournalBar(*presenter_, this);
  journal_bar_->show();
  resize(width(), height() + journal_bar_->RowHeight());
  PlaceBelowDesign();
  RefreshChrome();
}

bool MainWindow::Running() const {
  return presenter_ && presenter_->activity() == Activity::kRunning;
}

void MainWindow::RefreshChrome() {
  if (!presenter_) return;
  if (!Running() && bindings_[Index(kPendingPages)]->HoldsLinesBack()) {
    // A run stopped or ended: the list shows whole again (see HoldBackLines).
    refresh_plan_.MarkDirty(kPendingPages);
  }
  status_bar_->Show(presenter_->StatusBar());
  journal_bar_->Refresh();
  const bool skipped = presenter_->skipped_shown();
  status_bar_->SkippedButton().setChecked(skipped);
  ShowSkippedPages(skipped);
  if (presenter_->preview_shown() != list_shown_) {
    // The list opens below the row and the window grows by it, whatever size it has.
    list_shown_ = presenter_->preview_shown();
    const int list = list_shown_ ? JournalBar::kListHeight : -JournalBar::kListHeight;
    setMinimumHeight(0);
    resize(width(), height() + list);
    PlaceBelowDesign();
  }
  if (const auto held = presenter_->CountsHeldFor()) {
    chrome_timer_.start(static_cast<int>(held->count()));
  }
}

void MainWindow::ShowSkippedPages(bool shown) {
  auto& skipped = static_cast<MultiLineField&>(*widgets_[Index(kSkippedPages)]);
  QWidget& pending = *widgets_[Index(kPendingPages)];
  if (pending.isHidden() == shown) return;
  skipped.setGeometry(shown ? pending.geometry()
                            : ToQRect(TwipsToPixels(DesignPlacement(kSkippedPages).rect, dpi_)));
  skipped.ShowWholeLines();
  pending.setVisible(!shown);
  if (shown) skipped.raise();
  refresh_plan_.ShowHeld();
}

int MainWindow::DesignedAreaBottom() const {
  return TwipsToPixels(DesignPlacement(Control::Form1).rect, dpi_).height;
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceBelowDesign();
  refresh_plan_.ShowHeld();  // an enlarged window shows what lies beyond the designed area
}

void MainWindow::PlaceBelowDesign() {
  // The row (and the list, when open) right below the designed area, the status bar along the
  // bottom edge; the window never gets so small that they overlap.
  const int designed = DesignedAreaBottom();
  const int bar = status_bar_->height();
  int below = 0;
  if (journal_bar_ != nullptr) {
    below = journal_bar_->RowHeight() + (list_shown_ ? JournalBar::kListHeight : 0);
  }
  setMinimumSize(TwipsToPixels(DesignPlacement(Control::Form1).rect, dpi_).width,
                 designed + below + bar);
  if (journal_bar_ != nullptr) {
    journal_bar_->setGeometry(0, designed, width(), std::max(height() - bar - designed, below));
    journal_bar_->raise();
  }
  // Above what an enlarged window shows there (the parked panel).
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
                         if (presenter_) {
                           presenter_->Click(control);
                         } else if (on_command_) {
                           on_command_(control);
                         }
                         RefreshChrome();  // a save may have left a note
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
      if (control == kPendingPages) {
        // Ten screens or so of the list while a run takes pages from it.
        constexpr size_t kLinesShownRunning = 200;
        const bool hold = Running() && !widget.hasFocus();
        bindings_[Index(control)]->HoldBackLines(hold ? kLinesShownRunning : 0);
      }
      bindings_[Index(control)]->Refresh();
      if (control == kSkippedPages) RefreshChrome();
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
    case ControlKind::kLabel: {
      auto& label = static_cast<QLabel&>(widget);
      SetTextIfChanged(label, text);
      if (control != kStatusLine) break;
      // A message that does not fit the status line shows whole in the status bar.
      const bool fits = label.fontMetrics().horizontalAdvance(label.text()) <= label.width();
      status_bar_->ShowMessage(fits ? QString() : label.text());
      // Each step of a run writes the status line; the report has moved on with it.
      RefreshChrome();
      break;
    }
    case ControlKind::kCommand:
      SetTextIfChanged(static_cast<QAbstractButton&>(widget), text);
      if (control == Control::Command4) RefreshChrome();  // a stop or a continue
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
  refresh_plan_.ShowHeld();
}

}  // namespace quelbo
