#pragma once

#include <functional>

#include "panel/control_panel.h"
#include "run/step_scheduler.h"

namespace quelbo {

// Keeps in the directory queue each name that is not empty and in which at least one active
// entry of the excluded-directory setting does not occur; the kept names come out in reverse
// order. An entry is active when it holds no "#" after StripLineBreaks. The setting is read
// again for every name, and the filter yields once per comparison and once per name.
// `on_count` is told each new count (the test command shows it as the window caption).
void FilterExcludedDirectories(ControlPanel& panel, StepScheduler& scheduler,
                               const std::function<void(int)>& on_count = {});

// The "ceshi" command: runs the filter on the directory queue as it stands, showing each count
// in the window caption, then appends the end markers.
void TestExcludedDirectoryFilter(ControlPanel& panel, StepScheduler& scheduler);

}  // namespace quelbo
