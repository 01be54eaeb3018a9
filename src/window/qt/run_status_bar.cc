#include "window/qt/run_status_bar.h"

#include <QLabel>
#include <QResizeEvent>
#include <QToolButton>
#include <algorithm>

#include "window/presenter/status_texts.h"

namespace quelbo {

// A label that gives way to its neighbours: a text too long for its room is cut, with "…",
// and shown whole in its tool tip.
class ElidedLabel final : public QLabel {
 public:
  ElidedLabel(Qt::TextElideMode mode, QWidget* parent) : QLabel(parent), mode_(mode) {
    setTextFormat(Qt::PlainText);
    setMinimumWidth(40);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  }
  void SetFullText(const QString& text) {
    full_ = text;
    setToolTip(text);
    Elide();
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QLabel::resizeEvent(event);
    Elide();
  }

 private:
  void Elide() { setText(fontMetrics().elidedText(full_, mode_, contentsRect().width())); }
  Qt::TextElideMode mode_;
  QString full_;
};

RunStatusBar::RunStatusBar(QWidget* parent)
    : QStatusBar(parent),
      // A long folder path is cut in its middle, so that both its start and its name show.
      site_(new ElidedLabel(Qt::ElideMiddle, this)),
      note_(new ElidedLabel(Qt::ElideRight, this)),
      summary_(new QLabel(this)),
      skipped_(new QToolButton(this)) {
  setObjectName(QStringLiteral("statusBar"));
  site_->setObjectName(QStringLiteral("siteFolder"));
  note_->setObjectName(QStringLiteral("saveNote"));
  summary_->setObjectName(QStringLiteral("runSummary"));
  skipped_->setObjectName(QStringLiteral("skippedCount"));
  note_->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0)"));
  summary_->setTextFormat(Qt::PlainText);
  skipped_->setCheckable(true);
  skipped_->setAutoRaise(true);
  skipped_->setToolTip(QStringLiteral("显示或收起跳过的页面及原因"));
  summary_timer_.setSingleShot(true);
  QObject::connect(&summary_timer_, &QTimer::timeout, this, [this] { FlushSummary(); });
  addWidget(site_, 1);
  addWidget(note_, 1);
  addPermanentWidget(summary_);
  addPermanentWidget(skipped_);
  // Tall enough for all it may show, so that the form above it never moves.
  setFixedHeight(sizeHint().height());
  note_->hide();
  summary_->hide();
  skipped_->hide();
}

void RunStatusBar::ShowSiteFolder(const QString& path) {
  site_->SetFullText(QString::fromStdU16String(SiteFolderText(path.toStdU16String())));
}

void RunStatusBar::ShowSummary(const Summary& summary) {
  if (summary_shown_ == summary) {
    summary_held_.reset();
    summary_timer_.stop();
    return;
  }
  if (!summary_shown_ || since_summary_.hasExpired(kSummaryMilliseconds)) {
    Draw(summary);
    return;
  }
  summary_held_ = summary;
  if (!summary_timer_.isActive()) {
    summary_timer_.start(static_cast<int>(
        kSummaryMilliseconds - std::min<qint64>(since_summary_.elapsed(), kSummaryMilliseconds)));
  }
}

void RunStatusBar::FlushSummary() {
  if (summary_held_) Draw(*summary_held_);
}

void RunStatusBar::Draw(const Summary& summary) {
  summary_held_.reset();
  summary_timer_.stop();
  since_summary_.restart();
  summary_shown_ = summary;
  summary_->setText(QString::fromStdU16String(RunSummaryText(summary.processed, summary.changed)));
  skipped_->setText(QString::fromStdU16String(SkippedCountText(summary.skipped)));
  skipped_->setEnabled(summary.skipped > 0);
  summary_->show();
  skipped_->show();
}

void RunStatusBar::ShowSaveNote(const std::vector<Control>& fields) {
  if (fields == note_fields_) return;
  note_fields_ = fields;
  if (fields.empty()) {
    note_->hide();
    note_->SetFullText({});
    return;
  }
  note_->SetFullText(QString::fromStdU16String(SaveNoteText(fields)));
  note_->show();
}

}  // namespace quelbo
