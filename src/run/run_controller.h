#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "panel/control_panel.h"
#include "run/run_report.h"
#include "run/step_scheduler.h"
#include "settings/config_store.h"

namespace quelbo {

// The commands that start, suspend and resume a run.
class RunController {
 public:
  RunController(ControlPanel& panel, StepScheduler& scheduler, const ConfigStore& store,
                RunReport& report, const Texts& texts = TextsIn(kFormLanguage));

  // Start: saves every setting as typed, then cleans the excluded-directory list and the six
  // single-line pair texts, then arms the listing. When the settings cannot be saved the
  // status line says why and nothing is started; returns whether the run was started.
  // A preview (`save` false) saves nothing; its cleaned texts are given back as typed by
  // RestoreTypedTexts when it ends, so that the Start after it does what it showed.
  bool StartRun(bool save = true);
  // Puts back the texts a preview cleaned, each still as the preview left it.
  void RestoreTypedTexts();

  // Continue/Stop by Command4's caption: "继续" re-enables the seven steps and arms
  // TakeNextPage, or the step that finishes the page in work (see SetPageInWork); anything
  // else disables and disarms them. NextDirectory is never touched.
  void ToggleRun();

  // Asked by Continue: the step that carries on with the page a Stop caught between its
  // steps (taken, not yet written). Continue arms that step rather than TakeNextPage, which
  // would take the next entry and leave the page in work unprocessed.
  void SetPageInWork(std::function<std::optional<Step>()> step) { page_in_work_ = std::move(step); }

  // Ends a stopped run: no step stays armed, and Command4 reads "停止" as in a fresh window.
  void EndRun();

  // Processes the entry in the current-page field again.
  void RerunCurrentPage();

 private:
  ControlPanel& panel_;
  StepScheduler& scheduler_;
  const ConfigStore& store_;
  RunReport& report_;
  const Texts& texts_;
  std::function<std::optional<Step>()> page_in_work_;
  struct TypedText {
    Control field;
    std::u16string typed, cleaned;
  };
  std::vector<TypedText> typed_;  // of the preview in work
};

}  // namespace quelbo
