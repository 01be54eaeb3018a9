#include "window/presenter/progress_ticks.h"

#include <algorithm>
#include <cmath>

namespace quelbo {

int ProgressTicks(const ProgressBarState& state) {
  const double span = state.max - state.min;
  if (!std::isfinite(span) || !std::isfinite(state.value) || !(span > 0)) return 0;
  const double fraction = std::clamp((state.value - state.min) / span, 0.0, 1.0);
  return static_cast<int>(std::lround(fraction * kProgressTicks));
}

}  // namespace quelbo
