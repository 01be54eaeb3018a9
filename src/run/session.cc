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

std::u16string Count(size_t n) { return FromUtf8(std::to_string(n)); }

}  // namespace

Result<std::unique_ptr<Session>> Session::Create(FileSystem& fs, const Clock& clock,
                                                 SessionPaths paths) {
  auto root = SiteRoot::Open(fs, paths.root);
  if (!root) return std::unexpected(root.error());
  return std::unique_ptr<Session>(new Session(fs, clock, std::move(*root), std::move(paths.root),
                                              std::move(paths.config_directory), paths.read_only));
}

Session::Session(FileSystem& fs, const Clock& clock, SiteRoot root, std::string given_root,
                 std::string config_directory, bool read_only)
    : store_(fs, config_directory, read_only),
      scheduler_(clock),
      root_(std::move(root)),
      given_root_(std::move(given_root)),
      walker_(panel_, scheduler_, fs, root_, report_),
      pages_(panel_, scheduler_, fs, root_, report_),
      controller_(panel_, scheduler_, store_, report_),
      // In the configuration directory, so that nothing is ever made in the site for it.
      lock_directory_(config_directory + "locks"),
      fs_(fs),
      journal_(fs, RunsDirectory(store_)),
      undo_(fs, root_, journal_, scheduler_) {
  ConnectPanelToStore(panel_, store_);
  // The window shows the report from the panel, as it shows everything else.
  report_.AddSkipListener([this](const SkippedPage& page) {
    panel_.AppendText(kSkippedPages, page.entry + u"：" + page.reason + u"\r\n");
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
    panel_.SetText(kStatusLine, u"网站目录已不存在，没有开始：" + FromUtf8(root.error().Message()));
    return false;
  }
  root_ = std::move(*root);
  return true;
}

bool Session::LockSite(bool preview) {
  const Status locked = site_lock_.Acquire(lock_directory_, root_.path(), !preview);
  if (locked || (preview && locked.error().kind() == ErrorKind::kNotFound)) return true;
  panel_.SetText(
      kStatusLine,
      locked.error().kind() == ErrorKind::kBusy
          ? u"另一个运行正在处理这个网站，没有开始：" + FromUtf8(ShownPath(locked.error().path()))
          : u"无法锁定网站，没有开始：" + FromUtf8(locked.error().Message()));
  return false;
}

bool Session::StartRun(bool preview) {
  if (work_ == Work::kUndo || (preview && work_ == Work::kRun)) {
    panel_.SetText(kStatusLine,
                   work_ == Work::kUndo ? u"撤销进行中，没有开始" : u"运行中，不能预览");
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
    panel_.SetText(kStatusLine, u"撤销记录无法写入，未开始：" + FromUtf8(begun.error().Message()));
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
    panel_.SetText(kStatusLine, work_ == Work::kUndo ? u"撤销进行中" : u"运行中，不能撤销");
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
                                    ? u"没有可撤销的运行"
                                    : u"撤销失败：" + FromUtf8(started.error().Message()));
    return started;
  }
  work_ = Work::kUndo;
  panel_.SetText(kStatusLine, u"撤销中。。。");
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
  std::u16string summary = outcome.stopped        ? u"撤销已停止：恢复 "
                           : outcome.restored > 0 ? u"撤销完毕：恢复 "
                                                  : u"没有恢复页面：恢复 ";
  summary += Count(outcome.restored) + u" 个页面";
  if (!outcome.changed_since.empty()) {
    summary += u"，" + Count(outcome.changed_since.size()) + u" 个页面运行后已被改动，未恢复";
  }
  if (!outcome.failed.empty()) {
    summary += u"，" + Count(outcome.failed.size()) + u" 个页面无法恢复";
  }
  if (outcome.damaged_lines > 0) {
    summary += u"，撤销记录有 " + Count(outcome.damaged_lines) + u" 行已损坏";
  }
  if (outcome.missing_lines > 0) {
    summary += u"，撤销记录缺少 " + Count(outcome.missing_lines) + u" 行";
  }
  if (!outcome.unjournaled.empty()) summary += u"；撤销记录无法写入，这次撤销不能再撤销";
  panel_.SetText(kStatusLine, summary);
}

std::optional<JournaledRun> Session::LastRun() { return LastRunOn(journal_, root_.path()); }

void Session::LoadSettings() { quelbo::LoadSettings(panel_, store_); }

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
        panel_.SetText(kStatusLine, SaveFailure(saved.error()));
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
