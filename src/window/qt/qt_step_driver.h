#pragma once

#include <QTimer>

#include "platform/clock.h"
#include "run/step_scheduler.h"
#include "window/presenter/loop_turns.h"

namespace quelbo {
namespace testing {
struct QtStepDriverProbe;  // what the tests may read of the driver's timer
}

// Drives a StepScheduler from Qt's event loop with one timer, timed to the scheduler's next
// deadline: 0 ms for a step due now (the "next pass" of the loop, no sleeping), stopped when
// nothing can become due. A step's yields run the Qt event loop (every few milliseconds at
// most, see LoopTurns), so the window stays live while a long step runs. Registers itself as
// the scheduler's event loop and change listener for its lifetime.
// REQUIRES: a QCoreApplication exists; `scheduler` and `clock` outlive the driver; one driver
// per scheduler.
class QtStepDriver final : public EventLoopPort {
 public:
  QtStepDriver(StepScheduler& scheduler, const Clock& clock);
  QtStepDriver(const QtStepDriver&) = delete;
  QtStepDriver& operator=(const QtStepDriver&) = delete;
  ~QtStepDriver() override;

  void ProcessPendingEvents() override;

  // Lets go of the scheduler for good: no step runs from here on, though a step in the middle
  // of a yield finishes its tick. For closing the window.
  void Stop();

 private:
  friend struct testing::QtStepDriverProbe;

  void Retime();
  void OnSchedulerChanged();
  void OnTimeout();

  StepScheduler& scheduler_;
  const Clock& clock_;
  LoopTurns loop_turns_;
  QTimer timer_;
  bool stopped_ = false;
  bool in_slice_ = false;       // running steps from the timer
  bool retime_wanted_ = false;  // the steps changed within the slice
};

}  // namespace quelbo
