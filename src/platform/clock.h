#pragma once

#include <chrono>
#include <thread>

namespace quelbo {

using TimePoint = std::chrono::steady_clock::time_point;
using Milliseconds = std::chrono::milliseconds;

// The time source of the step scheduler; tests move a manual clock by hand.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual TimePoint Now() const = 0;
  // Waits until `deadline` (a manual clock simply jumps there).
  virtual void SleepUntil(TimePoint deadline) = 0;
};

class SteadyClock final : public Clock {
 public:
  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
  void SleepUntil(TimePoint deadline) override { std::this_thread::sleep_until(deadline); }
};

}  // namespace quelbo
