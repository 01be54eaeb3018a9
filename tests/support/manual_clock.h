#pragma once

#include "platform/clock.h"

namespace quelbo::testing {

// Time that moves only when told to.
class ManualClock final : public Clock {
 public:
  TimePoint Now() const override { return now_; }
  void SleepUntil(TimePoint deadline) override {
    if (deadline > now_) now_ = deadline;
  }
  void Advance(Milliseconds by) { now_ += by; }

 private:
  TimePoint now_{};
};

}  // namespace quelbo::testing
