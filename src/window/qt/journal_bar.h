#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "run/session.h"

class QCheckBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace quelbo {

// The row below the window's designed area: 预览 (a run that writes nothing and lists what
// would change), 撤销 (take back the last run on this site) and the switch of the run journal.
// A preview's pages fill a read-only list as they are found; selecting one shows its diff.
// Outcomes go to the status line, as everything else does.
// REQUIRES: `session` and `window` outlive the bar; the bar becomes a child of `window`,
// placed under what the window holds now, and the window grows by its height.
class JournalBar final : public QWidget {
 public:
  // Sits at `top` (the bottom of the designed area), above the window's status bar.
  JournalBar(Session& session, QWidget& window, int top);
  JournalBar(const JournalBar&) = delete;
  JournalBar& operator=(const JournalBar&) = delete;
  ~JournalBar() override;

 private:
  void Preview();
  void Undo();
  void ShowDiff(int row);
  void SetListShown(bool shown);
  void RefreshUndoButton();
  // Whether a closed run can be taken back, and the journal's size on the button's tip.
  void FindJournaledRuns();

  Session& session_;
  QWidget& window_;
  int top_ = 0;            // where the bar begins
  int window_height_ = 0;  // the window's height without the bar
  QPushButton* preview_button_ = nullptr;
  QPushButton* undo_button_ = nullptr;
  QCheckBox* journal_box_ = nullptr;
  QListWidget* pages_ = nullptr;
  QPlainTextEdit* diff_ = nullptr;
  std::vector<std::string> diffs_;  // of the pages in the list, by row
  bool has_journaled_run_ = false;  // a closed run on this site can be taken back
  ControlPanel::ObserverId observer_ = 0;
};

}  // namespace quelbo
