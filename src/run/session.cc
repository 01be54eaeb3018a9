#include "run/session.h"

#include "panel/panel_reactions.h"
#include "base/text_codec.h"
#include "run/excluded_dir_filter.h"
#include "run/settings_text.h"
#include "settings/journal_switch.h"
#include "settings/save_substitutes.h"
#include "settings/settings_io.h"

namespace quelbo {

Result<std::unique_ptr<Session>> Session::Create(FileSystem& fs, const Clock& clock,
                                                 SessionPaths paths) {
  auto root = SiteRoot::Open(fs, paths.root);
  if (!root) return std::unexpected(root.error());
  return std::unique_ptr<Session>(new Session(fs, clock, std::move(*root), std::move(paths.root),
                                              std::move(paths.config_directory)));
}

Session::Session(FileSystem& fs, const Clock& clock, SiteRoot root, std::string given_root,
                 std::string config_directory)
    : store_(fs, config_directory),
      scheduler_(clock),
      root_(std::move(root)),
      given_root_(std::move(given_root)),
      walker_(panel_, scheduler_, fs, root_, report_),
      pages_(panel_, scheduler_, fs, root_, report_),
      controller_(panel_, scheduler_, store_, report_),
      fs_(fs),
      journal_(fs, RunsDirectory(store_)) {
  ConnectPanelToStore(panel_, store_);
  // The window shows the report from the panel, as it shows everything else.
  report_.AddSkipListener([this](const SkippedPage& page) {
    panel_.AppendText(kSkippedPages, page.entry + u"：" + page.reason + u"\r\n");
  });
  walker_.InstallSteps();
  pages_.InstallSteps();
  controller_.SetPageInWork([this] { return pages_.StepInWork(); });
  // In the configuration directory, so that nothing is ever made in the site for it.
  controller_.SetStartGuard([this, locks = std::move(config_directory) + "locks"] {
    return site_lock_.Acquire(locks, root_.path());
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

bool Session::StartRun(bool preview) {
  // A Start during a run goes on in the folder and the journal of the run, so that one undo
  // takes the whole run back.
  const bool going_on = !scheduler_.Idle();
  if (!going_on && !ReopenSite()) return false;
  if (!going_on) journal_.End();
  preview_.Reset();
  pages_.SetPreview(preview ? &preview_ : nullptr);
  if (!preview && !OpenJournal()) return false;
  const bool started = controller_.StartRun();
  if (!started && !going_on) journal_.End();
  return started;
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

Result<UndoOutcome> Session::Undo(const std::string& id) {
  if (!scheduler_.Idle()) {
    panel_.SetText(kStatusLine, u"运行中，不能撤销");
    return std::unexpected(Error(ErrorKind::kIo, "undo", root_.path(), "a run is going on"));
  }
  if (!ReopenSite()) {
    return std::unexpected(Error(ErrorKind::kNotFound, "undo", given_root_, "no such folder"));
  }
  journal_.End();
  std::string chosen = id;
  if (chosen.empty()) {
    const auto last = LastRun();
    if (!last) {
      panel_.SetText(kStatusLine, u"没有可撤销的运行");
      return std::unexpected(Error(ErrorKind::kNotFound, "undo", root_.path(), "no run to undo"));
    }
    chosen = last->id;
  }
  auto outcome = UndoRun(fs_, root_, journal_, chosen, std::chrono::system_clock::now());
  if (!outcome) {
    panel_.SetText(kStatusLine, u"撤销失败：" + FromUtf8(outcome.error().Message()));
    return outcome;
  }
  std::u16string summary =
      u"撤销完毕：恢复 " + FromUtf8(std::to_string(outcome->restored)) + u" 个页面";
  if (!outcome->changed_since.empty()) {
    summary += u"，" + FromUtf8(std::to_string(outcome->changed_since.size())) +
               u" 个页面运行后已被改动，未恢复";
  }
  if (!outcome->failed.empty()) {
    summary += u"，" + FromUtf8(std::to_string(outcome->failed.size())) + u" 个页面无法恢复";
  }
  panel_.SetText(kStatusLine, summary);
  return outcome;
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
      controller_.ToggleRun();
      pages_.Stopped();  // a stopped run leaves no page waiting, nor one read ahead
      break;
    case Control::Command5:
      ClickCommand5(panel_);
      break;
    case Control::Command6:
      if (auto saved = SaveExtraBlockSets(panel_, store_); !saved) {
        panel_.SetText(kStatusLine, u"配置保存失败：" + FromUtf8(saved.error().Message()));
      } else {
        substituted_ = FieldsSavedWithSubstitutes(panel_, SaveKind::kExtraBlockSets);
      }
      break;
    case Control::Command7:
      pages_.SetPreview(nullptr);
      if (OpenJournal()) controller_.RerunCurrentPage();
      break;
    default:
      break;
  }
}

}  // namespace quelbo
