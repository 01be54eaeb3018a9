#pragma once

#include "panel/control_panel.h"

namespace quelbo {

// The widget's fixed integer range; the model's range and value are doubles of any size.
inline constexpr int kProgressTicks = 10000;

// The filled part of the bar in 0 … kProgressTicks. A range whose maximum is not above its
// minimum, or that is not finite, shows an empty bar.
int ProgressTicks(const ProgressBarState& state);

}  // namespace quelbo
