#pragma once

#include <functional>

#include "platform/clock.h"
#include "run/step_scheduler.h"

namespace quelbo {

// An event loop without a window: its only events are the scheduler's due steps. It sleeps
// only when the next step is really timed (the 10 and 100 ms pauses), never for a next pass.
class HeadlessLoop final : public EventLoopPort {
 public:
  HeadlessLoop(StepScheduler& scheduler, Clock& clock);
  HeadlessLoop(const HeadlessLoop&) = delete;
  HeadlessLoop& operator=(const HeadlessLoop&) = delete;
  ~HeadlessLoop() override;

  void ProcessPendingEvents() override;

  enum class Outcome { kIdle, kStopRequested, kStalled };

  // Drives the scheduler until no step is armed or running (kIdle), until `stop_requested`
  // answers true between two steps (kStopRequested), or until only disabled steps are armed,
  // so that nothing can ever run again (kStalled).
  Outcome Run(const std::function<bool()>& stop_requested = {});

 private:
  StepScheduler& scheduler_;
  Clock& clock_;
};

}  // namespace quelbo
