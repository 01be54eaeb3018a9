#include "window/qt/journal_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "base/text_codec.h"
#include "panel/settings_fields.h"
#include "settings/journal_switch.h"
#include "window/presenter/status_texts.h"

namespace quelbo {
namespace {

constexpr int kListHeight = 220;

QString Text(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

JournalBar::JournalBar(Session& session, QWidget& window, int top)
    : QWidget(&window),
      session_(session),
      window_(window),
      top_(top),
      window_height_(window.height()) {
  setObjectName(QStringLiteral("journalBar"));
  preview_button_ = new QPushButton(QStringLiteral("预览"), this);
  preview_button_->setObjectName(QStringLiteral("previewButton"));
  undo_button_ = new QPushButton(QStringLiteral("撤销"), this);
  undo_button_->setObjectName(QStringLiteral("undoButton"));
  journal_box_ = new QCheckBox(QStringLiteral("保留撤销记录"), this);
  journal_box_->setObjectName(QStringLiteral("journalSwitch"));
  journal_box_->setChecked(JournalOn(session_.store()));
  pages_ = new QListWidget(this);
  pages_->setObjectName(QStringLiteral("previewPages"));
  diff_ = new QPlainTextEdit(this);
  diff_->setObjectName(QStringLiteral("previewDiff"));
  diff_->setReadOnly(true);
  diff_->setLineWrapMode(QPlainTextEdit::NoWrap);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(preview_button_);
  buttons->addWidget(undo_button_);
  buttons->addWidget(journal_box_);
  buttons->addStretch();
  auto* splitter = new QSplitter(this);
  splitter->addWidget(pages_);
  splitter->addWidget(diff_);
  splitter->setObjectName(QStringLiteral("previewArea"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 2, 4, 2);
  column->addLayout(buttons);
  column->addWidget(splitter, 1);

  QObject::connect(preview_button_, &QPushButton::clicked, this, [this] { Preview(); });
  QObject::connect(undo_button_, &QPushButton::clicked, this, [this] { Undo(); });
  QObject::connect(journal_box_, &QCheckBox::clicked, this, [this](bool on) {
    if (auto saved = SetJournalOn(session_.store(), on); !saved) {
      journal_box_->setChecked(!on);
      session_.panel().SetText(kStatusLine, u"配置保存失败：" + FromUtf8(saved.error().Message()));
    }
  });
  QObject::connect(pages_, &QListWidget::currentRowChanged, this,
                   [this](int row) { ShowDiff(row); });

  session_.preview().AddListener([this](const PreviewReport::Change& change) {
    pages_->addItem(Text(PreviewLine(change.page)));
    diffs_.push_back(
        PageDiff(change.page.entry, change.old_bytes, change.new_bytes, change.encodings));
  });
  // A run's first replaced page makes it a run that can be taken back.
  observer_ = session_.panel().AddObserver([this](Control control) {
    if (control == kStatusLine && !undo_button_->isEnabled() && session_.journal().pages() > 0) {
      RefreshUndoButton();
    }
  });
  FindJournaledRuns();
  SetListShown(false);
  RefreshUndoButton();
}

JournalBar::~JournalBar() { session_.panel().RemoveObserver(observer_); }

void JournalBar::Preview() {
  pages_->clear();
  diffs_.clear();
  diff_->clear();
  SetListShown(true);
  session_.StartRun(/*preview=*/true);
}

void JournalBar::Undo() {
  SetListShown(false);
  (void)session_.Undo();  // the outcome is on the status line
  FindJournaledRuns();
  RefreshUndoButton();
}

void JournalBar::ShowDiff(int row) {
  if (row < 0 || static_cast<size_t>(row) >= diffs_.size()) return diff_->clear();
  const std::string& text = diffs_[static_cast<size_t>(row)];
  diff_->setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void JournalBar::SetListShown(bool shown) {
  const int row_height = preview_button_->sizeHint().height() + 6;
  const int height = row_height + (shown ? kListHeight : 0);
  pages_->parentWidget()->setVisible(shown);
  setGeometry(0, top_, window_.width(), height);
  window_.resize(window_.width(), window_height_ + height);
}

void JournalBar::RefreshUndoButton() {
  undo_button_->setEnabled(has_journaled_run_ || session_.journal().pages() > 0);
}

void JournalBar::FindJournaledRuns() {
  has_journaled_run_ = session_.LastRun().has_value();
  std::uint64_t bytes = 0;
  const std::vector<JournaledRun> runs = session_.journal().ListRuns();
  for (const JournaledRun& run : runs) bytes += run.bytes;
  undo_button_->setToolTip(QStringLiteral("撤销上一次运行（撤销记录：%1 次运行，%2 MB）")
                               .arg(runs.size())
                               .arg(static_cast<double>(bytes) / 1e6, 0, 'f', 1));
}

}  // namespace quelbo
