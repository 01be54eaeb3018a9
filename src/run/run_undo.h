#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "page/page_files.h"
#include "platform/run_lock.h"
#include "run/replacement_batch.h"
#include "run/run_journal.h"
#include "run/run_report.h"
#include "run/step_scheduler.h"

namespace quelbo {

// What taking a run back did.
struct UndoOutcome {
  std::string undone;   // the id of the run taken back
  std::string journal;  // the id of the undo's own journal; empty when it keeps none
  // Why this undo cannot itself be taken back, when its journal could not be written (empty
  // when it is journaled, or when the journal is off).
  std::string unjournaled;
  size_t restored = 0;   // pages given back the bytes they held before the run
  size_t unchanged = 0;  // pages that held those bytes already: never replaced, or undone before
  std::vector<std::u16string> changed_since;  // edited since the run: left alone
  std::vector<SkippedPage> failed;            // could not be restored, and why
  size_t damaged_lines = 0;                   // lines of the journal without a page's form
  size_t missing_lines = 0;                   // lines run.txt counts and pages.txt lacks
  bool stopped = false;                       // stopped before every page was looked at

  // Whether every page the run journaled now holds its old bytes, as far as the journal says.
  bool Complete() const {
    return changed_since.empty() && failed.empty() && damaged_lines == 0 && missing_lines == 0 &&
           !stopped;
  }
};

// The newest journaled run on `site` that can be taken back, if any.
std::optional<JournaledRun> LastRunOn(const RunJournal& journal, const std::string& site);

// Takes a journaled run back in steps, as a run rewrites pages: the step `undo` looks at one
// page each time it runs, newest first (a page replaced twice goes back through its middle
// state), and restored pages are replaced a batch at a time, as a run's are (one flush per
// batch). A page gets its old bytes back only when it still holds exactly what the run wrote
// and the kept bytes are exactly what it held before (size and digest): a page that holds its
// old bytes already needs nothing; one edited since, or whose kept bytes are missing or
// damaged, is left alone and reported. The undo keeps a journal of its own when asked to, so
// that it can be taken back in turn; when that journal cannot be written, it restores all the
// same and says that it cannot be taken back.
class RunUndo {
 public:
  // REQUIRES: everything given outlives the undo.
  RunUndo(FileSystem& fs, const SiteRoot& root, RunJournal& journal, StepScheduler& scheduler,
          const Texts& texts = TextsIn(kFormLanguage));

  // Registers the step `undo` with the scheduler.
  void InstallStep();

  // Begins taking back run `id` and arms the step. Fails without touching anything when the
  // run is unknown, belongs to another site, or is held by another process (kBusy).
  // REQUIRES: !active(), no run of `journal` open, the caller holds the site's lock.
  [[nodiscard]] Status Start(const std::string& id, bool keep_journal,
                             std::chrono::system_clock::time_point now);
  bool active() const { return active_; }
  // Progress: pages looked at, of the pages the run journaled.
  size_t done() const { return done_; }
  size_t total() const { return pages_.size(); }

  // Ends the undo after the page in work: the pages looked at so far are restored (their batch
  // is committed), the others keep the run's bytes; the outcome says it was stopped.
  void Stop();
  // Told when the undo ends, by itself or stopped; outcome() then says what it did.
  void SetEndListener(std::function<void()> listener) { on_end_ = std::move(listener); }
  const UndoOutcome& outcome() const { return outcome_; }

  void TakeBackNextPage();  // the step `undo`

 private:
  void TakeBack(const JournaledPage& line);
  void FinishWrites();
  // Drops the undo's journal, which could not be written, and goes on without one.
  void GoOnUnjournaled(const Error& error);
  // Why a page the undo could not write stays as the run left it.
  std::u16string Unrestored(const Error& error) const;
  void Finish();

  FileSystem& fs_;
  const SiteRoot& root_;
  RunJournal& journal_;
  StepScheduler& scheduler_;
  const Texts& texts_;
  ReplacementBatch batch_;
  FileLock held_;  // the journal of the run taken back, kept from being removed meanwhile
  std::vector<JournaledPage> pages_;
  size_t done_ = 0;
  bool active_ = false;
  UndoOutcome outcome_;
  std::function<void()> on_end_;
};

}  // namespace quelbo
