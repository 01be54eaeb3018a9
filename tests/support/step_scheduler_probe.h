#pragma once

#include "run/step_scheduler.h"

namespace quelbo::testing {

// A step's enabled flag and interval, which only the tests need to read.
struct StepSchedulerProbe {
  static bool IsEnabled(const StepScheduler& scheduler, Step step) {
    return scheduler.StateOf(step).enabled;
  }
  static int Interval(const StepScheduler& scheduler, Step step) {
    return scheduler.StateOf(step).interval;
  }
};

}  // namespace quelbo::testing
