#include "run/step_scheduler.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace quelbo {
namespace {

// The countdown of an interval; the next-pass interval has none.
Milliseconds Countdown(int interval) {
  return Milliseconds(interval <= kNextPass ? 0 : interval);
}

}  // namespace

StepScheduler::StepScheduler(const Clock& clock) : clock_(clock) {}

void StepScheduler::SetOperation(Step step, std::function<void()> operation) {
  StateOf(step).operation = std::move(operation);
}

void StepScheduler::Arm(Step step, int milliseconds) {
  StepState& state = StateOf(step);
  state.interval = std::max(milliseconds, kNextPass);
  state.deadline = clock_.Now() + Countdown(state.interval);
  ++state.arm_count;
  Changed();
}

void StepScheduler::Disarm(Step step) {
  StateOf(step).interval = 0;
  Changed();
}

void StepScheduler::Enable(Step step) {
  StepState& state = StateOf(step);
  if (!state.enabled && state.interval > 0) {
    state.deadline = clock_.Now() + Countdown(state.interval);
  }
  state.enabled = true;
  Changed();
}

void StepScheduler::Disable(Step step) {
  StateOf(step).enabled = false;
  Changed();
}

void StepScheduler::Yield() {
  if (loop_ != nullptr) loop_->ProcessPendingEvents();
}

bool StepScheduler::IsDue(const StepState& state, TimePoint now) const {
  return state.enabled && state.interval > 0 && !state.running && state.deadline <= now;
}

int StepScheduler::RunDue() {
  const TimePoint now = clock_.Now();
  std::array<size_t, kStepCount> due;
  size_t due_count = 0;
  for (size_t i = 0; i < kStepCount; ++i) {
    if (IsDue(steps_[i], now)) due[due_count++] = i;
  }
  // Earliest deadline first, a tie in the steps' order; no allocation, unlike stable_sort.
  std::sort(due.begin(), due.begin() + due_count, [this](size_t a, size_t b) {
    return std::tie(steps_[a].deadline, a) < std::tie(steps_[b].deadline, b);
  });
  int ran = 0;
  for (size_t n = 0; n < due_count; ++n) {
    const size_t i = due[n];
    StepState& state = steps_[i];
    // An earlier step of this pass may have disarmed, disabled or started this one.
    if (!IsDue(state, now)) continue;
    const std::uint64_t arm_count = state.arm_count;
    const TimePoint started = clock_.Now();
    state.running = true;
    if (state.operation) state.operation();
    state.running = false;
    ++ran;
    // Still armed and not re-armed meanwhile: due again one interval after this run began.
    if (state.interval > 0 && state.arm_count == arm_count) {
      state.deadline = started + Countdown(state.interval);
    }
    Changed();
  }
  return ran;
}

void StepScheduler::RunSlice(const std::function<bool()>& stopped) {
  const TimePoint slice_end = clock_.Now() + kSlice;
  for (int pass = 1; RunDue() > 0 && !stopped() && pass < kSlicePasses; ++pass) {
    const auto deadline = NextDeadline();
    const TimePoint now = clock_.Now();
    if (!deadline || *deadline > now || now >= slice_end) break;
  }
}

std::optional<TimePoint> StepScheduler::NextDeadline() const {
  std::optional<TimePoint> earliest;
  for (const StepState& state : steps_) {
    if (!state.enabled || state.interval == 0 || state.running) continue;
    if (!earliest || state.deadline < *earliest) earliest = state.deadline;
  }
  return earliest;
}

bool StepScheduler::Idle() const {
  return std::none_of(steps_.begin(), steps_.end(), [](const StepState& state) {
    return state.interval > 0 || state.running;
  });
}

void StepScheduler::Changed() {
  if (on_change_) on_change_();
}

}  // namespace quelbo
