#pragma once

#include "platform/clock.h"
#include "run/step_scheduler.h"
#include "window/presenter/loop_turns.h"
#include "window/win32/windows_api.h"

namespace quelbo {

// Drives a StepScheduler from the Win32 message loop, as the Qt driver does from Qt's: a step
// due now runs at the loop's next pass (a posted message: a timer could not fire sooner than
// 10 ms), a later one at its timer. Due passes follow each other for a short slice; then the
// waiting input, paint and timer messages run, so the window stays live during a run. A
// step's yields run the message loop, every few milliseconds at most (see LoopTurns).
// Registers itself as the scheduler's event loop and change listener for its lifetime.
// REQUIRES: `scheduler` and `clock` outlive the driver; it is used on the thread that made it.
class Win32StepDriver final : public EventLoopPort {
 public:
  Win32StepDriver(StepScheduler& scheduler, const Clock& clock);
  Win32StepDriver(const Win32StepDriver&) = delete;
  Win32StepDriver& operator=(const Win32StepDriver&) = delete;
  ~Win32StepDriver() override;

  void ProcessPendingEvents() override;

  // Lets go of the scheduler for good: no step runs from here on. For closing the window.
  void Stop();

 private:
  static constexpr UINT_PTR kTimerId = 1;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void Retime();
  void RunDue();

  StepScheduler& scheduler_;
  const Clock& clock_;
  LoopTurns loop_turns_;
  HWND hwnd_ = nullptr;  // message-only: it receives the driver's timer and posted passes
  bool posted_ = false;
  bool timer_set_ = false;
  bool letting_input_run_ = false;
  bool stopped_ = false;
};

}  // namespace quelbo
