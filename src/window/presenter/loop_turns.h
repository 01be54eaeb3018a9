#pragma once

#include "platform/clock.h"

namespace quelbo {

// How often a long step's yields give a window's event loop a turn. A listing yields once per
// name, and a turn of a window's loop (polling, timers, posted events) costs microseconds,
// which over a hundred thousand names was a fifth of a run. A turn at most every few
// milliseconds keeps input and repaints as prompt as the scheduler's slices do.
class LoopTurns {
 public:
  static constexpr Milliseconds kEvery{4};

  // REQUIRES: `clock` outlives this.
  explicit LoopTurns(const Clock& clock) : clock_(clock) {}

  // Whether a yield now should turn the loop: the first one does, and then one once `kEvery`
  // has passed since the last turn ended.
  bool Due() const { return !turned_ || clock_.Now() >= next_; }
  void Turned() {
    turned_ = true;
    next_ = clock_.Now() + kEvery;
  }

 private:
  const Clock& clock_;
  bool turned_ = false;
  TimePoint next_{};
};

}  // namespace quelbo
