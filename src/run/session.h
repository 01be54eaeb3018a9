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
};

// One program run: the panel, the configuration store, the scheduler with every step
// installed, and the commands. Both front ends build one and only present it.
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
  // Start, or a preview: the same walk and page steps, but a page that would change is only
  // reported in preview() and never written. Unless a run is going on, the site folder is
  // looked up again first (see ReopenSite). A run (not a preview) opens a journal first when
  // the journal is on; when it cannot, the status line says why and nothing starts. Returns
  // whether the run was started.
  bool StartRun(bool preview = false);

  // Takes back run `id`, or the newest run on this site when `id` is empty, in the site folder
  // looked up again (see ReopenSite); the outcome is also summed up on the status line. The open run's journal is closed first. Refused while
  // a run is going on.
  Result<UndoOutcome> Undo(const std::string& id = {});
  // The newest run on this site that can be taken back.
  std::optional<JournaledRun> LastRun();
  // Closes the journal of the last run, if one is open (a run ends when the next starts).
  void EndJournal() { journal_.End(); }

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
  const ConfigStore& store() const { return store_; }

 private:
  Session(FileSystem& fs, const Clock& clock, SiteRoot root, std::string given_root,
          std::string config_directory);
  // Opens a journal for the pages about to be written, unless one is open or the journal is
  // off; false (the status line says why) when it cannot be opened.
  bool OpenJournal();

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
  // Held from the first Start until the session ends.
  SiteRunLock site_lock_;
  FileSystem& fs_;
  PreviewReport preview_;
  RunJournal journal_;
};

}  // namespace quelbo
