#include "window/run_status_bar.h"

#include <QLabel>
#include <QResizeEvent>
#include <QToolButton>
#include <algorithm>

#include "panel/settings_fields.h"

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

namespace {

QString What(Control field) {
  using namespace field;
  switch (field) {
    case pair1Find:
      return QStringLiteral("替换前1");
    case pair1Replace:
      return QStringLiteral("替换后1");
    case pair2Find:
      return QStringLiteral("替换前2");
    case pair2Replace:
      return QStringLiteral("替换后2");
    case pair3Find:
      return QStringLiteral("替换前3");
    case pair3Replace:
      return QStringLiteral("替换后3");
    case pair4Find:
      return QStringLiteral("替换前4");
    case pair4Replace:
      return QStringLiteral("替换后4");
    case deleteText:
      return QStringLiteral("删除内容");
    case excludedDirs:
      return QStringLiteral("不替换目录");
    case block0Start:
      return QStringLiteral("版块1开始");
    case block0End:
      return QStringLiteral("版块1结束");
    case block0Replace:
      return QStringLiteral("版块1替换");
    case block1Start:
      return QStringLiteral("版块2开始");
    case block1End:
      return QStringLiteral("版块2结束");
    case block1Replace:
      return QStringLiteral("版块2替换");
    case block2Start:
      return QStringLiteral("版块3开始");
    case block2End:
      return QStringLiteral("版块3结束");
    case block2Replace:
      return QStringLiteral("版块3替换");
    default:
      return {};
  }
}

}  // namespace

QString FieldDescription(Control field) {
  const QString name = QString::fromLatin1(ControlName(field));
  const QString what = What(field);
  return what.isEmpty() ? name : QStringLiteral("%1（%2）").arg(what, name);
}

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
  site_->SetFullText(QStringLiteral("网站目录：") + path);
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
  summary_->setText(
      QStringLiteral("已处理 %1 页，改动 %2 页，").arg(summary.processed).arg(summary.changed));
  skipped_->setText(QStringLiteral("跳过 %1 页").arg(summary.skipped));
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
  QStringList names;
  for (Control field : fields) names << FieldDescription(field);
  note_->SetFullText(
      QStringLiteral("%1 含GBK无法保存的字符，已存为“?”").arg(names.join(QStringLiteral("、"))));
  note_->show();
}

}  // namespace quelbo
