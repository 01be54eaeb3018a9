#include "window/qt/journal_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "base/text_codec.h"
#include "window/presenter/window_texts.h"
#include "window/qt/command_button.h"

namespace quelbo {
namespace {

QString Text(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Removed lines on red, added ones on green, hunk heads grey.
QTextBlockFormat LineFormat(DiffViewLine::Kind kind) {
  QTextBlockFormat format;
  switch (kind) {
    case DiffViewLine::Kind::kRemoved:
      format.setBackground(QColor(255, 220, 220));
      break;
    case DiffViewLine::Kind::kAdded:
      format.setBackground(QColor(220, 255, 220));
      break;
    case DiffViewLine::Kind::kHunk:
      format.setBackground(QColor(230, 230, 230));
      break;
    case DiffViewLine::Kind::kKept:
      break;
  }
  return format;
}

}  // namespace

JournalBar::JournalBar(WindowPresenter& presenter, QWidget* parent)
    : QWidget(parent),
      presenter_(presenter),
      preview_button_(new CommandButton(this)),
      undo_button_(new CommandButton(this)),
      journal_box_(
          new QCheckBox(QString::fromStdU16String(FromUtf8(kWindowTexts.keep_journal)), this)),
      list_area_(new QSplitter(this)),
      pages_(new QListWidget(list_area_)),
      diff_(new QPlainTextEdit(list_area_)) {
  setObjectName(QStringLiteral("journalBar"));
  preview_button_->setText(QString::fromStdU16String(FromUtf8(kWindowTexts.preview)));
  preview_button_->setObjectName(QStringLiteral("previewButton"));
  undo_button_->setObjectName(QStringLiteral("undoButton"));
  journal_box_->setObjectName(QStringLiteral("journalSwitch"));
  list_area_->setObjectName(QStringLiteral("previewArea"));
  pages_->setObjectName(QStringLiteral("previewPages"));
  diff_->setObjectName(QStringLiteral("previewDiff"));
  diff_->setReadOnly(true);
  diff_->setLineWrapMode(QPlainTextEdit::NoWrap);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(preview_button_);
  buttons->addWidget(undo_button_);
  buttons->addWidget(journal_box_);
  buttons->addStretch();
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 2, 4, 2);
  column->addLayout(buttons);
  column->addWidget(list_area_, 1);

  QObject::connect(preview_button_, &QPushButton::clicked, this, [this] {
    presenter_.Preview();
    Refresh();
  });
  QObject::connect(undo_button_, &QPushButton::clicked, this, [this] {
    presenter_.Undo();
    Refresh();
  });
  QObject::connect(journal_box_, &QCheckBox::clicked, this, [this](bool on) {
    presenter_.SetJournalOn(on);
    Refresh();
  });
  QObject::connect(pages_, &QListWidget::currentRowChanged, this,
                   [this](int row) { ShowDiff(row); });
  Refresh();
}

int JournalBar::RowHeight() const { return preview_button_->sizeHint().height() + 6; }

void JournalBar::Refresh() {
  const JournalRowView row = presenter_.JournalRow();
  preview_button_->setEnabled(row.preview_enabled);
  undo_button_->setEnabled(row.undo_enabled);
  undo_button_->setText(Text(row.undo_caption));
  undo_button_->setToolTip(Text(row.undo_tip));
  journal_box_->setChecked(row.journal_on);
  list_area_->setVisible(presenter_.preview_shown());
  if (presenter_.preview_generation() != generation_) {
    generation_ = presenter_.preview_generation();
    pages_->clear();
    diff_->clear();
  }
  // The pages found since the last refresh, so the list grows as the preview goes.
  for (size_t i = static_cast<size_t>(pages_->count()); i < presenter_.preview_pages(); ++i) {
    pages_->addItem(Text(presenter_.PreviewLine(i)));
  }
}

void JournalBar::ShowDiff(int row) {
  diff_->clear();
  if (row < 0) return;
  QTextCursor cursor(diff_->document());
  bool first = true;
  for (const DiffViewLine& line : presenter_.PreviewDiff(static_cast<size_t>(row))) {
    if (!first) cursor.insertBlock();
    first = false;
    cursor.setBlockFormat(LineFormat(line.kind));
    cursor.insertText(Text(line.text));
  }
  diff_->moveCursor(QTextCursor::Start);
}

}  // namespace quelbo
