#pragma once

#include <QWidget>
#include <cstdint>

#include "window/presenter/window_presenter.h"

class QCheckBox;
class QListWidget;
class QPlainTextEdit;

namespace quelbo {

class CommandButton;

// The row below the window's designed area, as the presenter says: 预览, 撤销 (or 重做) and the
// journal switch; below them, while a preview is open, the pages it found and the coloured diff
// of the page selected.
// REQUIRES: `presenter` outlives the bar.
class JournalBar final : public QWidget {
 public:
  JournalBar(WindowPresenter& presenter, QWidget* parent);

  // Height of the row of buttons alone, and of the list below it when open.
  int RowHeight() const;
  static constexpr int kListHeight = 220;

  // Brings the buttons and the list up to date.
  void Refresh();

 private:
  void ShowDiff(int row);

  WindowPresenter& presenter_;
  CommandButton* preview_button_;
  CommandButton* undo_button_;
  QCheckBox* journal_box_;
  QWidget* list_area_;
  QListWidget* pages_;
  QPlainTextEdit* diff_;
  std::uint64_t generation_ = 0;  // the preview the list shows
};

}  // namespace quelbo
