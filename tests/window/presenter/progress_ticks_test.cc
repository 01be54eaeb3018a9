#include "window/presenter/progress_ticks.h"

#include <gtest/gtest.h>

#include <limits>

namespace quelbo {
namespace {

TEST(ProgressTicks, MapsAnyRangeOntoTheBarAndShowsNothingForAnEmptyOne) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  struct Case {
    double min, max, value;
    int ticks;
  };
  const Case cases[] = {
      {0, 100, 0, 0},
      {0, 100, 50, kProgressTicks / 2},
      {0, 6, 6, kProgressTicks},
      {0, 3, 1, 3333},
      {10, 20, 15, kProgressTicks / 2},
      {0, 1e12, 1e12, kProgressTicks},  // beyond int range
      {0, 0, 0, 0},                     // found count 0: max not above min
      {0, -1, 0, 0},                    // found count -1
      {0, -3, -3, 0},
      {0, 10, 20, kProgressTicks},  // the model refuses this, the bar would stay full
      {0, 10, -5, 0},
      {0, kInf, 5, 0},
      {kNaN, 10, 5, 0},
      {0, 10, kNaN, 0},
  };
  for (const Case& c : cases) {
    ProgressBarState state;
    state.min = c.min;
    state.max = c.max;
    state.value = c.value;
    EXPECT_EQ(ProgressTicks(state), c.ticks) << c.min << " " << c.max << " " << c.value;
  }
}

}  // namespace
}  // namespace quelbo
