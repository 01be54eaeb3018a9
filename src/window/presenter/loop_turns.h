#pragma once

#include "platform/clock.h"
#include "run/step_scheduler.h"

namespace quelbo {

// How often a long step's yields give a window's event loop a turn. A listing yields once per
// name, and a turn of a window's loop (polling, timers, posted events) costs microseconds,
// which over a hundred thousand names was a fifth of a run. A turn at most once per slice of
// the scheduler keeps input and repaints as prompt as between slices.
class LoopTurns {
 public:
  static constexpr Milliseconds kEvery = StepScheduler::kSlice;

  // REQUIRES: `clock` outlives this.
  explicit LoopTurns(const Clock& clock) : clock_(clock) {}

  // Whether a yield now should turn the loop: the first one does, then one once `kEvery` has
  // passed since the last turn ended.
  bool Due() const { return clock_.Now() >= next_; }
  void Turned() { next_ = clock_.Now() + kEvery; }

 private:
  const Clock& clock_;
  TimePoint next_ = TimePoint::min();
};

}  // namespace quelbo
