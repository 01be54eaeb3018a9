#pragma once

#include <array>
#include <string_view>

#include "run/step_scheduler.h"

namespace quelbo::testing {

// A step's name, for test logs and messages.
inline std::string_view StepName(Step step) {
  constexpr std::array<std::string_view, kStepCount> kNames = {
      "du", "Timer4", "Timer5", "Timer6", "Timer1", "quyi", "Timer3", "Timer2", "undo"};
  return kNames[static_cast<size_t>(step)];
}

}  // namespace quelbo::testing
