#pragma once

#include "window/qt/qt_step_driver.h"

namespace quelbo::testing {

// Whether the driver waits for a step to become due, which only the tests need to read.
struct QtStepDriverProbe {
  static bool Waiting(const QtStepDriver& driver) { return driver.timer_.isActive(); }
};

}  // namespace quelbo::testing
