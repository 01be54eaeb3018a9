#include "window/presenter/window_presenter.h"

#include <algorithm>

#include "base/text_codec.h"
#include "settings/journal_switch.h"
#include "settings/settings_io.h"
#include "window/presenter/window_texts.h"

namespace quelbo {
// The preview's pages, kept apart so that the preview report's listener, which lives as long as
// the session, never reaches a presenter that is gone.
struct PreviewPages {
  std::vector<std::u16string> lines;
  std::vector<std::string> diffs;
};

WindowPresenter::WindowPresenter(Session& session, const Clock& clock)
    : session_(session), clock_(clock), preview_(std::make_shared<PreviewPages>()) {
  session_.preview().AddListener(
      [pages = std::weak_ptr<PreviewPages>(preview_)](const PreviewReport::Change& change) {
        const auto shared = pages.lock();
        if (!shared) return;
        shared->lines.push_back(quelbo::PreviewLine(change.page));
        shared->diffs.push_back(
            PageDiff(change.page.entry, change.old_bytes, change.new_bytes, change.encodings));
      });
  ReadJournal();
}

WindowPresenter::~WindowPresenter() = default;

Activity WindowPresenter::activity() const {
  switch (session_.work()) {
    case Session::Work::kUndo:
      return Activity::kUndoing;
    case Session::Work::kRun:
    case Session::Work::kPreview:
      return session_.stopped() ? Activity::kStopped : Activity::kRunning;
    case Session::Work::kNone:
      break;
  }
  return session_.scheduler().Idle() ? Activity::kIdle : Activity::kRunning;
}

void WindowPresenter::Click(Control command) {
  const Activity now = activity();
  if (now == Activity::kUndoing && command != Control::Command4) return;
  if (command == Control::Command1 && now == Activity::kRunning &&
      session_.work() == Session::Work::kPreview) {
    return;
  }
  if (command == Control::Command1) {
    const std::uint64_t runs = session_.report().runs();
    session_.Click(command);
    if (session_.report().runs() != runs) {
      counted_ = Counted::kRun;
      previewing_ = false;
      preview_shown_ = false;
      last_activity_ = activity();
    }
    return;
  }
  session_.Click(command);
}

void WindowPresenter::Preview() {
  if (!JournalRow().preview_enabled) return;
  preview_->lines.clear();
  preview_->diffs.clear();
  ++preview_generation_;
  preview_shown_ = true;
  if (session_.StartRun(/*preview=*/true)) {
    counted_ = Counted::kPreview;
    previewing_ = true;
    last_activity_ = activity();
  }
}

void WindowPresenter::Undo() {
  if (!JournalRow().undo_enabled) return;
  const bool redo = last_is_undo_;
  preview_shown_ = false;
  // A stopped run is ended by the session first; the status line says why one cannot start.
  if (!session_.StartUndo()) {
    ReadJournal();
    return;
  }
  counted_ = Counted::kUndo;
  redo_ = redo;
  shown_counts_.reset();
  skipped_shown_ = false;
  session_.panel().SetText(kSkippedPages, u"");
  last_activity_ = activity();
}

void WindowPresenter::UndoEnded() {
  const UndoOutcome& outcome = session_.undo().outcome();
  const std::string_view line = session_.texts().skipped_list_entry;
  const std::u16string changed = FromUtf8(kWindowTexts.changed_since_run);
  std::u16string left_alone;
  for (const std::u16string& entry : outcome.changed_since) {
    left_alone += FilledUtf16(line, {entry, changed}) + u"\r\n";
  }
  for (const SkippedPage& page : outcome.failed) {
    left_alone += FilledUtf16(line, {page.entry, page.reason}) + u"\r\n";
  }
  session_.panel().SetText(kSkippedPages, std::move(left_alone));
}

void WindowPresenter::SetJournalOn(bool on) {
  if (auto saved = quelbo::SetJournalOn(session_.store(), on); !saved) {
    session_.panel().SetText(kStatusLine, SaveFailure(saved.error(), session_.texts()));
  }
  journal_on_ = JournalOn(session_.store());
}

void WindowPresenter::ShowSkipped(bool shown) {
  skipped_shown_ = shown && CurrentCounts().skipped > 0;
}

void WindowPresenter::Update() {
  const Activity now = activity();
  if (previewing_ && now == Activity::kIdle) {
    previewing_ = false;
    session_.panel().SetText(kStatusLine, PreviewDoneText(session_.report().changed()));
  }
  if (now == last_activity_) return;
  const bool undo_ended = last_activity_ == Activity::kUndoing;
  last_activity_ = now;
  if (now != Activity::kIdle && now != Activity::kStopped) return;
  ReadJournal();  // a run that ended, or stopped, may be taken back now
  if (undo_ended) UndoEnded();
}

void WindowPresenter::ReadJournal() {
  const std::optional<JournaledRun> last = session_.LastRun();
  const std::vector<JournaledRun> runs = session_.journal().ListRuns();
  const bool open_run = session_.journal().active() && session_.journal().pages() > 0;
  can_undo_ = last.has_value() || open_run;
  // An undo of a run is taken back by a redo; an undo of an undo (a redo) by an undo again.
  size_t undos = 0;
  for (const JournaledRun* run = open_run || !last ? nullptr : &*last;
       run != nullptr && run->kind == "undo";) {
    ++undos;
    const auto undone = std::find_if(runs.begin(), runs.end(),
                                     [run](const JournaledRun& r) { return r.id == run->undoes; });
    run = undone == runs.end() ? nullptr : &*undone;
  }
  last_is_undo_ = undos % 2 == 1;
  journal_runs_ = runs.size() + (open_run ? 1 : 0);
  journal_bytes_ = 0;
  for (const JournaledRun& run : runs) journal_bytes_ += run.bytes;
  journal_on_ = JournalOn(session_.store());
}

WindowPresenter::Counts WindowPresenter::CurrentCounts() const {
  const RunReport& report = session_.report();
  switch (counted_) {
    case Counted::kNothing:
      return {};
    case Counted::kRun:
      // A page waiting for its batch is processed; it is counted changed once written.
      return {report.processed() + report.staged(), report.changed(), report.skipped().size()};
    case Counted::kPreview:
      return {report.processed(), report.changed(), report.skipped().size()};
    case Counted::kUndo: {
      const UndoOutcome& outcome = session_.undo().outcome();
      return {session_.undo().done(), outcome.restored,
              outcome.changed_since.size() + outcome.failed.size()};
    }
  }
  return {};
}

StatusBarView WindowPresenter::StatusBar() {
  Update();
  if (session_.report().runs() != shown_run_) {
    // A new Start: the list of skipped pages is the last run's, and gives way; the new counts
    // show at once.
    shown_run_ = session_.report().runs();
    skipped_shown_ = false;
    shown_counts_.reset();
  }
  const Counts counts = CurrentCounts();
  const TimePoint now = clock_.Now();
  if (!shown_counts_ || now - shown_at_ >= kCountsInterval || activity() == Activity::kIdle) {
    if (shown_counts_ != counts) shown_at_ = now;
    shown_counts_ = counts;
  }
  return Present(*shown_counts_);
}

std::optional<Milliseconds> WindowPresenter::CountsHeldFor() const {
  if (!shown_counts_) return std::nullopt;
  if (*shown_counts_ == CurrentCounts()) {
    // An undo's pages change nothing else the window watches: the bar asks on its own.
    const Activity now = activity();
    if (now == Activity::kRunning || now == Activity::kUndoing) return kCountsInterval;
    return std::nullopt;
  }
  const auto waited = std::chrono::duration_cast<Milliseconds>(clock_.Now() - shown_at_);
  return std::max(kCountsInterval - waited, Milliseconds(0));
}

StatusBarView WindowPresenter::Present(const Counts& counts) const {
  StatusBarView view;
  view.site = SiteFolderText(FromUtf8(session_.root_path()));
  view.note = SaveNoteText(session_.fields_saved_with_substitutes());
  if (const std::u16string unremoved = UnremovedRunsText(session_.journal().unremoved());
      !unremoved.empty()) {
    view.note += (view.note.empty() ? u"" : u"；") + unremoved;
  }
  switch (counted_) {
    case Counted::kNothing:
      return view;
    case Counted::kRun:
      view.summary = RunSummaryText(counts.processed, counts.changed);
      break;
    case Counted::kPreview:
      view.summary = PreviewSummaryText(!previewing_, counts.processed, counts.changed);
      break;
    case Counted::kUndo:
      view.summary = UndoSummaryText(redo_, UndoPhase(), counts.processed, session_.undo().total(),
                                     counts.changed);
      break;
  }
  view.skipped = counted_ == Counted::kUndo ? LeftAloneCountText(counts.skipped)
                                            : SkippedCountText(counts.skipped);
  view.skipped_enabled = counts.skipped > 0;
  return view;
}

JournalRowView WindowPresenter::JournalRow() {
  Update();
  const Activity now = activity();
  JournalRowView view;
  view.preview_enabled = now == Activity::kIdle;
  // 撤销 also ends a stopped run, and takes back what it did so far.
  view.undo_enabled = (now == Activity::kIdle || now == Activity::kStopped) && can_undo_;
  view.undo_caption = UndoCaption(last_is_undo_);
  view.undo_tip = UndoTip(last_is_undo_, journal_runs_, journal_bytes_);
  view.journal_on = journal_on_;
  return view;
}

UndoProgress WindowPresenter::UndoPhase() const {
  if (session_.undo().active()) return UndoProgress::kGoing;
  return session_.undo().outcome().stopped ? UndoProgress::kStopped : UndoProgress::kDone;
}

size_t WindowPresenter::preview_pages() const { return preview_->lines.size(); }

std::u16string_view WindowPresenter::PreviewLine(size_t row) const { return preview_->lines[row]; }

std::vector<DiffViewLine> WindowPresenter::PreviewDiff(size_t row) const {
  if (row >= preview_->diffs.size()) return {};
  return DiffView(preview_->diffs[row]);
}

}  // namespace quelbo
