#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "platform/clock.h"

namespace quelbo {

namespace testing {
struct StepSchedulerProbe;  // what the tests may read of a step's state
}

// The eight steps of a run, named after the timers that drive them, and the step of an undo.
enum class Step : std::uint8_t {
  du,
  Timer4,
  Timer5,
  Timer6,
  Timer1,
  quyi,
  Timer3,
  Timer2,
  undo,
  kCount
};

inline constexpr size_t kStepCount = static_cast<size_t>(Step::kCount);

// What a yield asks of the event loop that drives the scheduler: handle every pending event
// (repaints, user input, due steps) and come back.
class EventLoopPort {
 public:
  virtual ~EventLoopPort() = default;
  virtual void ProcessPendingEvents() = 0;
};

// Runs a run's steps one at a time. Each step has an interval (0: not armed) and an enabled
// flag that never change each other. An enabled, armed step is due once its interval has
// elapsed, and again once per interval until it is disarmed. An interval of 1 ms means the next
// pass of the event loop: such a step is due at once, nothing waits for the clock.
// A step is never started again while its own operation runs, even across yields.
class StepScheduler {
 public:
  explicit StepScheduler(const Clock& clock);

  void SetOperation(Step step, std::function<void()> operation);
  void SetEventLoop(EventLoopPort* loop) { loop_ = loop; }
  // Told whenever an interval or flag changes, so that a driver can re-time its wake-up.
  void SetChangeListener(std::function<void()> listener) { on_change_ = std::move(listener); }

  // (Re)starts the countdown from now. REQUIRES: milliseconds > 0.
  void Arm(Step step, int milliseconds);
  void Disarm(Step step);
  // Enabling restarts the countdown of an armed step.
  void Enable(Step step);
  void Disable(Step step);

  bool IsArmed(Step step) const { return StateOf(step).interval > 0; }

  // Lets the event loop handle what is pending, then returns (used inside long steps).
  void Yield();

  // Runs each step that is due now once, earliest deadline first; returns how many ran.
  int RunDue();

  // Passes of RunDue that leave a step due at once, back to back without a round trip through
  // the event loop, for one short slice (or until `stopped` says so); then a driver lets its
  // loop have a turn, so that input and repaints wait at most that long.
  void RunSlice(const std::function<bool()>& stopped);
  // How long a slice may last: what input and repaints wait at most.
  static constexpr Milliseconds kSlice{4};

  // The earliest moment an enabled, armed step that is not running becomes due.
  std::optional<TimePoint> NextDeadline() const;

  // True when no step is armed and none is running: nothing more will happen by itself.
  bool Idle() const;

 private:
  friend struct testing::StepSchedulerProbe;

  // How many passes may follow each other in a slice, should the clock stand still; kSlice is
  // the bound that counts. A page of a few kilobytes takes three passes of some ten
  // microseconds each, and a turn of a window's loop between slices some tens: at 64 passes
  // the window turned its loop every twenty-odd pages, a tenth of a second over 100,000.
  static constexpr int kSlicePasses = 512;

  struct StepState {
    std::function<void()> operation;
    int interval = 0;
    bool enabled = true;
    bool running = false;
    TimePoint deadline{};
    std::uint64_t arm_count = 0;  // tells a re-arm during the step's own run
  };

  StepState& StateOf(Step step) { return steps_[static_cast<size_t>(step)]; }
  const StepState& StateOf(Step step) const { return steps_[static_cast<size_t>(step)]; }
  bool IsDue(const StepState& state, TimePoint now) const;
  void Changed();

  const Clock& clock_;
  EventLoopPort* loop_ = nullptr;
  std::function<void()> on_change_;
  std::array<StepState, kStepCount> steps_;
};

// Milliseconds of the scheduler's "next pass of the event loop".
inline constexpr int kNextPass = 1;

}  // namespace quelbo
