#include "window/qt/qt_step_driver.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <limits>
#include <utility>

namespace quelbo {

QtStepDriver::QtStepDriver(StepScheduler& scheduler, const Clock& clock)
    : scheduler_(scheduler), clock_(clock), loop_turns_(clock) {
  timer_.setSingleShot(true);
  // A coarse timer may fire a little early, which would cost an empty pass per timed step.
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { OnTimeout(); });
  scheduler_.SetEventLoop(this);
  scheduler_.SetChangeListener([this] { OnSchedulerChanged(); });
  Retime();
}

QtStepDriver::~QtStepDriver() { Stop(); }

void QtStepDriver::Stop() {
  if (stopped_) return;
  stopped_ = true;
  timer_.stop();
  scheduler_.SetChangeListener({});
  scheduler_.SetEventLoop(nullptr);
}

void QtStepDriver::ProcessPendingEvents() {
  if (!loop_turns_.Due()) return;
  // The timer is brought up to date before the loop may fire it inside this step.
  if (std::exchange(retime_wanted_, false)) Retime();
  QCoreApplication::processEvents();
  loop_turns_.Turned();
}

void QtStepDriver::Retime() {
  if (stopped_) return;
  const auto deadline = scheduler_.NextDeadline();
  if (!deadline) {
    timer_.stop();
    return;
  }
  // Rounded up: woken before the deadline, the pass would find nothing due.
  const auto wait = std::chrono::ceil<Milliseconds>(*deadline - clock_.Now()).count();
  const int milliseconds =
      static_cast<int>(std::clamp<decltype(wait)>(wait, 0, std::numeric_limits<int>::max()));
  // Steps re-arm themselves at "next pass" on every run; restarting an already due timer would
  // only churn the dispatcher.
  if (milliseconds == 0 && timer_.isActive() && timer_.interval() == 0) return;
  timer_.start(milliseconds);
}

void QtStepDriver::OnSchedulerChanged() {
  // A slice changes the steps several times a page; the timer only matters where the event
  // loop can fire it, so within a slice it is retimed before each loop turn and at the end.
  if (in_slice_) {
    retime_wanted_ = true;
  } else {
    Retime();
  }
}

void QtStepDriver::OnTimeout() {
  const bool outer_slice = std::exchange(in_slice_, true);
  scheduler_.RunSlice([this] { return stopped_; });
  in_slice_ = outer_slice;
  retime_wanted_ = false;
  Retime();
}

}  // namespace quelbo
