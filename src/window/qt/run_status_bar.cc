#include "window/qt/run_status_bar.h"

#include <QLabel>
#include <QResizeEvent>

#include "base/text_codec.h"
#include "window/presenter/status_texts.h"
#include "window/presenter/window_texts.h"
#include "window/qt/command_button.h"

namespace quelbo {
namespace {

QString Text(const std::u16string& text) { return QString::fromStdU16String(text); }

}  // namespace

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
    setVisible(!text.isEmpty());
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
      message_(new ElidedLabel(Qt::ElideRight, this)),
      note_(new ElidedLabel(Qt::ElideRight, this)),
      summary_(new QLabel(this)),
      skipped_(new CommandButton(this)) {
  setObjectName(QStringLiteral("statusBar"));
  site_->setObjectName(QStringLiteral("siteFolder"));
  message_->setObjectName(QStringLiteral("statusMessage"));
  note_->setObjectName(QStringLiteral("saveNote"));
  summary_->setObjectName(QStringLiteral("runSummary"));
  skipped_->setObjectName(QStringLiteral("skippedCount"));
  note_->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0)"));
  message_->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0)"));
  summary_->setTextFormat(Qt::PlainText);
  skipped_->setCheckable(true);
  skipped_->setFlat(true);
  skipped_->setToolTip(Text(FromUtf8(kWindowTexts.skipped_tip)));
  addWidget(site_, 1);
  addWidget(message_, 1);
  addWidget(note_, 1);
  addPermanentWidget(summary_);
  addPermanentWidget(skipped_);
  skipped_->setText(Text(SkippedCountText(0)));
  // Tall enough for all it may show, so that the form above it never moves.
  setFixedHeight(sizeHint().height());
  message_->hide();
  note_->hide();
  summary_->hide();
  skipped_->hide();
}

void RunStatusBar::Show(const StatusBarView& view) {
  if (view == shown_) return;
  if (view.site != shown_.site) site_->SetFullText(Text(view.site));
  if (view.note != shown_.note) note_->SetFullText(Text(view.note));
  summary_->setText(Text(view.summary));
  summary_->setVisible(!view.summary.empty());
  skipped_->setText(Text(view.skipped));
  skipped_->setVisible(!view.skipped.empty());
  skipped_->setEnabled(view.skipped_enabled);
  shown_ = view;
}

void RunStatusBar::ShowMessage(const QString& message) {
  message_->SetFullText(message);
  site_->setVisible(message.isEmpty());
}

}  // namespace quelbo
