#pragma once

#include "panel/control_panel.h"
#include "run/run_report.h"
#include "run/step_scheduler.h"
#include "settings/config_store.h"

namespace quelbo {

// The commands that start, suspend and resume a run.
class RunController {
 public:
  RunController(ControlPanel& panel, StepScheduler& scheduler, const ConfigStore& store,
                RunReport& report);

  // Start: saves every setting as typed, then cleans the excluded-directory list and the six
  // single-line pair texts, then arms the listing. When the settings cannot be saved the
  // status line says why and nothing is started; returns whether the run was started.
  // A preview (`save` false) saves nothing and works with the fields as they are.
  bool StartRun(bool save = true);

  // Continue/Stop by Command4's caption: "继续" re-enables the seven steps and arms
  // TakeNextPage; anything else disables and disarms them. NextDirectory is never touched.
  void ToggleRun();

  // Processes the entry in the current-page field again.
  void RerunCurrentPage();

 private:
  ControlPanel& panel_;
  StepScheduler& scheduler_;
  const ConfigStore& store_;
  RunReport& report_;
};

}  // namespace quelbo
