#include "run/session.h"

#include "panel/panel_reactions.h"
#include "platform/text_codec.h"
#include "run/excluded_dir_filter.h"
#include "settings/save_substitutes.h"
#include "settings/settings_io.h"

namespace quelbo {

Result<std::unique_ptr<Session>> Session::Create(FileSystem& fs, const Clock& clock,
                                                 SessionPaths paths) {
  auto root = SiteRoot::Open(fs, paths.root);
  if (!root) return std::unexpected(root.error());
  return std::unique_ptr<Session>(
      new Session(fs, clock, std::move(*root), std::move(paths.config_directory)));
}

Session::Session(FileSystem& fs, const Clock& clock, SiteRoot root, std::string config_directory)
    : store_(fs, config_directory),
      scheduler_(clock),
      root_(std::move(root)),
      walker_(panel_, scheduler_, fs, root_, report_),
      pages_(panel_, scheduler_, fs, root_, report_),
      controller_(panel_, scheduler_, store_, report_) {
  ConnectPanelToStore(panel_, store_);
  // The window shows the report from the panel, as it shows everything else.
  report_.AddSkipListener([this](const SkippedPage& page) {
    panel_.AppendText(kSkippedPages, page.entry + u"：" + page.reason + u"\r\n");
  });
  walker_.InstallSteps();
  pages_.InstallSteps();
  // In the configuration directory, so that nothing is ever made in the site for it.
  controller_.SetStartGuard([this, locks = std::move(config_directory) + "locks"] {
    return site_lock_.Acquire(locks, root_.path());
  });
}

void Session::LoadSettings() { quelbo::LoadSettings(panel_, store_); }

void Session::Click(Control command) {
  switch (command) {
    case Control::Command1:
      // Start cleans line breaks and spaces after its save, which code page 936 always holds.
      if (controller_.StartRun()) {
        substituted_ = FieldsSavedWithSubstitutes(panel_, SaveKind::kEverySetting);
      }
      break;
    case Control::Command2:
      ClickCommand2(panel_);
      break;
    case Control::Command3:
      TestExcludedDirectoryFilter(panel_, scheduler_);
      break;
    case Control::Command4:
      controller_.ToggleRun();
      pages_.FinishWrites();  // a stopped run leaves no page waiting
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
      controller_.RerunCurrentPage();
      break;
    default:
      break;
  }
}

}  // namespace quelbo
