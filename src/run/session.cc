#include "run/session.h"

#include "base/paths.h"
#include "base/text_codec.h"
#include "panel/panel_reactions.h"
#include "run/excluded_dir_filter.h"
#include "run/settings_text.h"
#include "settings/journal_switch.h"
#include "settings/save_substitutes.h"
#include "settings/settings_io.h"

namespace quelbo {
namespace {

// A status-line text of the session's language, its {0} filled with `detail`.
std::u16string Said(std::string_view pattern, std::string_view detail = {}) {
  return FromUtf8(Filled(pattern, {detail}));
}

}  // namespace

Result<std::unique_ptr<Session>> Session::Create(FileSystem& fs, const Clock& clock,
                                                 SessionPaths paths) {
  auto root = SiteRoot::Open(fs, paths.root);
  if (!root) return std::unexpected(root.error());
  std::string given_root = paths.root;
  return std::unique_ptr<Session>(
      new Session(fs, clock, std::move(*root), std::move(given_root), paths));
}

Session::Session(FileSystem& fs, const Clock& clock, SiteRoot root, std::string given_root,
                 const SessionPaths& paths)
    : texts_(TextsIn(paths.language)),
      store_(fs, paths.config_directory, paths.read_only),
      scheduler_(clock),
      root_(std::move(root)),
      given_root_(std::move(given_root)),
      walker_(panel_, scheduler_, fs, root_, report_, texts_),
      pages_(panel_, scheduler_, fs, root_, report_, texts_),
      controller_(panel_, scheduler_, store_, report_, texts_),
      // In the configuration directory, so that nothing is ever made in the site for it.
      lock_directory_(paths.config_directory + "locks"),
      fs_(fs),
      journal_(fs, RunsDirectory(store_)),
      undo_(fs, root_, journal_, scheduler_, texts_) {
  ConnectPanelToStore(panel_, store_, texts_);
  // The window shows the report from the panel, as it shows everything else.
  report_.AddSkipListener([this](const SkippedPage& page) {
    panel_.AppendText(kSkippedPages,
                      FilledUtf16(texts_.skipped_list_entry, {page.entry, page.reason}) + u"\r\n");
  });
  walker_.InstallSteps();
  pages_.InstallSteps();
  controller_.SetPageInWork([this] { return pages_.StepInWork(); });
  pages_.SetEndListener([this] {
    // A Start during the run lists the pages again, and TakeNextPage finds none meanwhile: the
    // run goes on once they are listed.
    if (!walker_.Listing()) WorkEnded();
  });
  undo_.InstallStep();
  undo_.SetEndListener([this] {
    WorkEnded();
    ShowUndoOutcome();
  });
}

Session::~Session() { journal_.End(); }

bool Session::ReopenSite() {
  auto root = SiteRoot::Open(fs_, given_root_);
  if (!root) {
    panel_.SetText(kStatusLine, Said(texts_.site_folder_gone, root.error().Message()));
    return false;
  }
  root_ = std::move(*root);
  return true;
}

bool Session::LockSite(bool preview) {
  const Status locked = site_lock_.Acquire(lock_directory_, root_.path(), !preview);
  if (locked || (preview && locked.error().kind() == ErrorKind::kNotFound)) return true;
  panel_.SetText(kStatusLine, locked.error().kind() == ErrorKind::kBusy
                                  ? Said(texts_.site_busy, ShownPath(locked.error().path()))
                                  : Said(texts_.site_unlockable, locked.error().Message()));
  return false;
}

bool Session::StartRun(bool preview) {
  if (work_ == Work::kUndo || (preview && work_ == Work::kRun)) {
    panel_.SetText(kStatusLine, Said(work_ == Work::kUndo ? texts_.undo_going_on_no_start
                                                          : texts_.run_going_on_no_preview));
    return false;
  }
  // A Start during a run, going or stopped, goes on in the folder, the lock and the journal of
  // the run, so that one undo takes the whole run back.
  const bool going_on = work_ == Work::kRun;
  // A stopped preview ends here: the texts it cleaned are the user's again before anything reads
  // or saves them.
  if (work_ == Work::kPreview) controller_.RestoreTypedTexts();
  if (!going_on) {
    journal_.End();
    if (!ReopenSite()) return false;
  }
  preview_.Reset();
  pages_.SetPreview(preview ? &preview_ : nullptr);
  walker_.SetPreview(preview);
  const bool started =
      LockSite(preview) && (preview || OpenJournal()) && controller_.StartRun(/*save=*/!preview);
  if (!started) {
    if (!going_on) WorkEnded();
    return false;
  }
  work_ = preview ? Work::kPreview : Work::kRun;
  return true;
}

bool Session::OpenJournal() {
  pages_.SetJournal(&journal_);
  if (journal_.active() || !JournalOn(store_)) return true;
  const auto begun = journal_.Begin(root_.path(), "run", "", SettingsText(panel_),
                                    std::chrono::system_clock::now());
  if (!begun) {
    panel_.SetText(kStatusLine, Said(texts_.journal_not_started, begun.error().Message()));
  }
  return begun.has_value();
}

bool Session::BeginRun() {
  pages_.SetPreview(nullptr);
  if (!LockSite(false) || !OpenJournal()) {
    WorkEnded();
    return false;
  }
  work_ = Work::kRun;
  return true;
}

void Session::WorkEnded() {
  if (work_ == Work::kPreview) controller_.RestoreTypedTexts();
  journal_.End();
  site_lock_.Release();
  work_ = Work::kNone;
}

bool Session::stopped() const {
  return (work_ == Work::kRun || work_ == Work::kPreview) &&
         panel_.Text(Control::Command4) == u"继续";
}

void Session::EndStoppedRun() {
  controller_.EndRun();
  pages_.RunEnded();
  WorkEnded();
}

Status Session::StartUndo(const std::string& id) {
  // An undo takes back what a stopped run did so far: the run ends first, so that it cannot go
  // on afterwards, unjournaled, over the pages just restored.
  if (stopped()) EndStoppedRun();
  if (work_ != Work::kNone) {
    panel_.SetText(kStatusLine,
                   Said(work_ == Work::kUndo ? texts_.undo_going_on : texts_.run_going_on_no_undo));
    return std::unexpected(Error(ErrorKind::kBusy, "undo", root_.path(), "work is going on"));
  }
  if (!ReopenSite()) {
    return std::unexpected(Error(ErrorKind::kNotFound, "undo", given_root_, "no such folder"));
  }
  if (!LockSite(false)) {
    return std::unexpected(
        Error(ErrorKind::kBusy, "undo", root_.path(), "another run is working on this site"));
  }
  std::string chosen = id;
  if (chosen.empty()) {
    if (const auto last = LastRun()) chosen = last->id;
  }
  Status started =
      chosen.empty()
          ? std::unexpected(Error(ErrorKind::kNotFound, "undo", root_.path(), "no run to undo"))
          : undo_.Start(chosen, JournalOn(store_), std::chrono::system_clock::now());
  if (!started) {
    site_lock_.Release();
    panel_.SetText(kStatusLine, chosen.empty()
                                    ? Said(texts_.no_run_to_undo)
                                    : Said(texts_.undo_failed, started.error().Message()));
    return started;
  }
  work_ = Work::kUndo;
  panel_.SetText(kStatusLine, Said(texts_.undoing));
  return Ok();
}

Result<UndoOutcome> Session::Undo(const std::string& id) {
  if (auto started = StartUndo(id); !started) return std::unexpected(started.error());
  while (undo_.active()) {
    if (scheduler_.RunDue() == 0) undo_.Stop();  // nothing can drive it any further
  }
  return undo_.outcome();
}

void Session::ShowUndoOutcome() {
  const UndoOutcome& outcome = undo_.outcome();
  const std::string_view opening = outcome.stopped        ? texts_.undo_stopped_status
                                   : outcome.restored > 0 ? texts_.undo_done_status
                                                          : texts_.undo_nothing_status;
  std::string summary = Filled(opening, {Counted(outcome.restored, texts_.page)});
  if (!outcome.changed_since.empty()) {
    summary +=
        Filled(texts_.undo_changed_since, {Counted(outcome.changed_since.size(), texts_.page)});
  }
  if (!outcome.failed.empty()) {
    summary += Filled(texts_.undo_failed_pages, {Counted(outcome.failed.size(), texts_.page)});
  }
  if (outcome.damaged_lines > 0) {
    summary += Filled(texts_.undo_damaged_lines, {std::to_string(outcome.damaged_lines)});
  }
  if (outcome.missing_lines > 0) {
    summary += Filled(texts_.undo_missing_lines, {std::to_string(outcome.missing_lines)});
  }
  if (!outcome.unjournaled.empty()) summary += texts_.undo_unjournaled;
  panel_.SetText(kStatusLine, FromUtf8(summary));
}

std::optional<JournaledRun> Session::LastRun() { return LastRunOn(journal_, root_.path()); }

void Session::LoadSettings() { quelbo::LoadSettings(panel_, store_, texts_); }

void Session::Click(Control command) {
  switch (command) {
    case Control::Command1:
      // Start cleans line breaks and spaces after its save, which code page 936 always holds.
      if (StartRun()) substituted_ = FieldsSavedWithSubstitutes(panel_, SaveKind::kEverySetting);
      break;
    case Control::Command2:
      ClickCommand2(panel_);
      break;
    case Control::Command3:
      TestExcludedDirectoryFilter(panel_, scheduler_);
      break;
    case Control::Command4:
      if (work_ == Work::kUndo) {
        undo_.Stop();
        break;
      }
      // Continue with no run going on takes pages from the list as a run does, so it is one.
      if (work_ == Work::kNone && panel_.Text(Control::Command4) == u"继续" && !BeginRun()) break;
      controller_.ToggleRun();
      pages_.Stopped();  // a stopped run leaves no page waiting, nor one read ahead
      break;
    case Control::Command5:
      ClickCommand5(panel_);
      break;
    case Control::Command6:
      if (auto saved = SaveExtraBlockSets(panel_, store_); !saved) {
        panel_.SetText(kStatusLine, SaveFailure(saved.error(), texts_));
      } else {
        substituted_ = FieldsSavedWithSubstitutes(panel_, SaveKind::kExtraBlockSets);
      }
      break;
    case Control::Command7:
      // The page in the current-page field again, as a run: it goes on with the pages left.
      if (work_ == Work::kUndo || work_ == Work::kPreview) break;
      if (work_ == Work::kNone && !BeginRun()) break;
      controller_.RerunCurrentPage();
      break;
    default:
      break;
  }
}

}  // namespace quelbo
