#pragma once

#include <memory>
#include <string>
#include <vector>

#include "panel/control_panel.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/run_lock.h"
#include "run/directory_walker.h"
#include "run/page_processor.h"
#include "run/preview_report.h"
#include "run/run_controller.h"
#include "run/run_journal.h"
#include "run/run_report.h"
#include "run/run_undo.h"
#include "run/step_scheduler.h"
#include "settings/config_store.h"

namespace quelbo {

struct SessionPaths {
  std::string root;              // the directory the run works on
  std::string config_directory;  // ends in "/"
  // Only previews: the configuration is read and never written (nor made when missing).
  bool read_only = false;
  // Of what the session says: the status line, the reasons it gives for skipped pages.
  Language language = kFormLanguage;
};

// One program run: the panel, the configuration store, the scheduler with every step
// installed, and the commands. Both front ends build one and only present it.
//
// One piece of work at a time: a run, a preview or an undo. Each takes the site's lock when it
// starts and gives it back when it ends, so an idle session holds nothing: a run from its Start
// until TakeNextPage finds no page left (stopped or not, it is still working), a preview alike,
// an undo until its last page or its Stop. A run's journal is begun after the lock is taken
// and ends with the run. A preview writes nothing at all: no settings, no lock file, no journal.
class Session {
 public:
  // REQUIRES: `fs` and `clock` outlive the session. Fails when the root cannot be resolved.
  [[nodiscard]] static Result<std::unique_ptr<Session>> Create(FileSystem& fs, const Clock& clock,
                                                               SessionPaths paths);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  // The start-up load of every setting (before the window is shown).
  void LoadSettings();

  // A click of one of the command buttons Command1 to Command7.
  void Click(Control command);

  // Replaces (or reports) the pages whose new content still waits to be made durable; for a
  // front end that ends the run itself. Stop and the run's end do it on their own.
  void FinishWrites() { pages_.FinishWrites(); }

  enum class Work { kNone, kRun, kPreview, kUndo };
  // What is going on now.
  Work work() const { return work_; }
  // A run or preview that Command4 stopped: it still counts as working until it ends.
  bool stopped() const;
  // Ends a stopped run or preview where it stands: the pages it wrote stay written and
  // journaled, the rest of its list is dropped, Command4 reads "停止", the lock goes.
  // REQUIRES: stopped().
  void EndStoppedRun();

  // Start, or a preview: the same walk and page steps, but a page that would change is only
  // reported in preview() and never written, and nothing is saved. A run opens a journal
  // first when the journal is on. Unless a run is going on (working or stopped: then the Start
  // stays in its folder and journal), the site folder is looked up again first (see
  // ReopenSite). When anything keeps it from starting (another piece of work, the site's lock,
  // the journal, the save, the folder) the status line says why and nothing starts. Returns
  // whether it started.
  bool StartRun(bool preview = false);

  // Starts taking back run `id`, or the newest run on this site when `id` is empty, in steps
  // on the scheduler (undo() shows the progress), in the site folder looked up again; its
  // outcome is summed up on the status line when it ends. A stopped run or preview is ended
  // first (see EndStoppedRun). Refused while other work goes on or another process holds the
  // site (kBusy); the status line says why.
  [[nodiscard]] Status StartUndo(const std::string& id = {});
  // Stops the undo after the page in work.
  void StopUndo() { undo_.Stop(); }
  const RunUndo& undo() const { return undo_; }
  // StartUndo, then the undo's steps until it ends, for a caller without a loop of its own.
  Result<UndoOutcome> Undo(const std::string& id = {});
  // The newest run on this site that can be taken back.
  std::optional<JournaledRun> LastRun();

  ControlPanel& panel() { return panel_; }
  StepScheduler& scheduler() { return scheduler_; }
  const StepScheduler& scheduler() const { return scheduler_; }
  RunReport& report() { return report_; }
  const RunReport& report() const { return report_; }
  // Looks the site folder up again by the path it was given, so that a folder renamed away and
  // replaced by another at that path is not worked on in its new place; false (the status line
  // says why) when there is no folder there any more.
  bool ReopenSite();
  // The site folder the run works on, absolute.
  const std::string& root_path() const { return root_.path(); }
  // The settings fields that the last successful save stored with "?" in place of characters
  // code page 936 cannot hold: the next start reads "?" there.
  const std::vector<Control>& fields_saved_with_substitutes() const { return substituted_; }
  RunController& controller() { return controller_; }
  PreviewReport& preview() { return preview_; }
  RunJournal& journal() { return journal_; }
  const Texts& texts() const { return texts_; }
  const ConfigStore& store() const { return store_; }

 private:
  Session(FileSystem& fs, const Clock& clock, SiteRoot root, std::string given_root,
          const SessionPaths& paths);
  // Takes the site's lock for a piece of work; false (the status line says why) when another
  // process holds it. A preview makes no lock file: where there is none, nobody holds the site.
  bool LockSite(bool preview);
  // Continue or the re-run command with no run going on: a run begins (lock, journal); false
  // (the status line says why) when it cannot.
  bool BeginRun();
  // Opens a journal for the pages about to be written, unless one is open or the journal is
  // off; false (the status line says why) when it cannot be opened.
  bool OpenJournal();
  // A run or preview found no page left, or an undo ended: the work ends, the lock goes.
  void WorkEnded();
  void ShowUndoOutcome();

  const Texts& texts_;
  ControlPanel panel_;
  ConfigStore store_;
  StepScheduler scheduler_;
  RunReport report_;
  SiteRoot root_;
  std::string given_root_;  // the path the site folder was given by
  DirectoryWalker walker_;
  PageProcessor pages_;
  RunController controller_;
  std::vector<Control> substituted_;
  SiteRunLock site_lock_;
  std::string lock_directory_;
  FileSystem& fs_;
  PreviewReport preview_;
  RunJournal journal_;
  RunUndo undo_;
  Work work_ = Work::kNone;
};

}  // namespace quelbo
