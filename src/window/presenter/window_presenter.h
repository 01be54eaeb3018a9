#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "run/session.h"
#include "window/presenter/diff_view.h"
#include "window/presenter/status_texts.h"

namespace quelbo {

struct PreviewPages;

// What the window's session is busy with.
enum class Activity { kIdle, kRunning, kStopped, kUndoing };

// The bar below the window: the site folder; from the first Start (or preview, or undo) on,
// what it did to the pages and how many it left alone, kept whatever the status line says
// later; and the fields the last save stored with "?".
struct StatusBarView {
  std::u16string site;
  std::u16string summary;  // empty: hidden
  std::u16string skipped;  // the count's caption; empty: hidden
  bool skipped_enabled = false;
  std::u16string note;  // empty: hidden

  friend bool operator==(const StatusBarView&, const StatusBarView&) = default;
};

// The row below the designed area: 预览, 撤销 (or 重做) and the journal switch.
struct JournalRowView {
  bool preview_enabled = false;
  bool undo_enabled = false;
  std::u16string undo_caption;
  std::u16string undo_tip;
  bool journal_on = true;

  friend bool operator==(const JournalRowView&, const JournalRowView&) = default;
};

// Everything a window decides about a session that is not drawing: which commands count now,
// what the status bar and the row below the designed area say, and the pages a preview found.
// Both windows bind it to their controls and ask it again whenever the status line, the list
// of skipped pages or Command4 changes, after each click, and when held-back counts are due.
// REQUIRES: `session` and `clock` outlive the presenter.
class WindowPresenter {
 public:
  // The counts move page by page, but are shown at most this often.
  static constexpr Milliseconds kCountsInterval{250};

  WindowPresenter(Session& session, const Clock& clock);
  WindowPresenter(const WindowPresenter&) = delete;
  WindowPresenter& operator=(const WindowPresenter&) = delete;
  ~WindowPresenter();

  // A command button of the designed area. While an undo goes on only Command4 counts, and
  // stops it; 开始 is also ignored while a preview goes on.
  void Click(Control command);
  // 预览 and 撤销/重做: ignored unless JournalRow() enables them. An undo goes on in steps, as
  // a run does; 撤销 on a stopped run ends the run first.
  void Preview();
  void Undo();
  // The journal switch; when the setting cannot be saved it stays, and the status line says why.
  void SetJournalOn(bool on);
  // Shows the skipped pages (or those an undo left alone) in place of the pending-page list.
  void ShowSkipped(bool shown);

  Activity activity() const;
  StatusBarView StatusBar();
  // When to ask StatusBar() again: once counts newer than those it gave are due, or while work
  // goes on at most kCountsInterval from now; none when idle and all are shown.
  std::optional<Milliseconds> CountsHeldFor() const;
  JournalRowView JournalRow();
  bool skipped_shown() const { return skipped_shown_; }
  // Whether the preview's list and diff are open below the row.
  bool preview_shown() const { return preview_shown_; }

  // The pages the last preview found so far, in order, as the list shows them.
  size_t preview_pages() const;
  std::u16string_view PreviewLine(size_t row) const;
  std::vector<DiffViewLine> PreviewDiff(size_t row) const;
  // Changes with each preview, whose list starts empty.
  std::uint64_t preview_generation() const { return preview_generation_; }

 private:
  enum class Counted { kNothing, kRun, kPreview, kUndo };
  struct Counts {
    size_t processed = 0;
    size_t changed = 0;
    size_t skipped = 0;
    friend bool operator==(const Counts&, const Counts&) = default;
  };

  // Notices the end of a run or preview: rereads the journal, says a preview is done.
  void Update();
  void ReadJournal();
  // An undo ended: the pages it left alone, and why, in the list of skipped pages.
  void UndoEnded();
  UndoProgress UndoPhase() const;
  Counts CurrentCounts() const;
  StatusBarView Present(const Counts& counts) const;

  Session& session_;
  const Clock& clock_;
  Counted counted_ = Counted::kNothing;
  Activity last_activity_ = Activity::kIdle;
  std::uint64_t shown_run_ = 0;  // the report's run the skipped list belongs to
  bool skipped_shown_ = false;
  bool preview_shown_ = false;
  bool previewing_ = false;  // a preview was started and its end not yet told
  // The journal as last read: whether this site has a run to take back, and its size.
  bool can_undo_ = false;
  bool last_is_undo_ = false;
  size_t journal_runs_ = 0;
  std::uint64_t journal_bytes_ = 0;
  // The counts shown and when; newer ones wait until kCountsInterval has passed.
  std::optional<Counts> shown_counts_;
  TimePoint shown_at_{};
  bool redo_ = false;  // the last undo took an undo back
  bool journal_on_ = true;
  std::shared_ptr<PreviewPages> preview_;
  std::uint64_t preview_generation_ = 0;
};

}  // namespace quelbo
