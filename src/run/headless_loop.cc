#include "run/headless_loop.h"

#include <algorithm>

namespace quelbo {
namespace {

// Longest single sleep, so that a stop request is noticed promptly during a timed pause.
constexpr Milliseconds kLongestSleep{50};

}  // namespace

HeadlessLoop::HeadlessLoop(StepScheduler& scheduler, Clock& clock)
    : scheduler_(scheduler), clock_(clock) {
  scheduler_.SetEventLoop(this);
}

HeadlessLoop::~HeadlessLoop() { scheduler_.SetEventLoop(nullptr); }

void HeadlessLoop::ProcessPendingEvents() { scheduler_.RunDue(); }

HeadlessLoop::Outcome HeadlessLoop::Run(const std::function<bool()>& stop_requested) {
  for (;;) {
    if (stop_requested && stop_requested()) return Outcome::kStopRequested;
    if (scheduler_.Idle()) return Outcome::kIdle;
    if (scheduler_.RunDue() > 0) continue;
    const auto deadline = scheduler_.NextDeadline();
    if (!deadline) return Outcome::kStalled;
    clock_.SleepUntil(std::min(*deadline, clock_.Now() + kLongestSleep));
  }
}

}  // namespace quelbo
