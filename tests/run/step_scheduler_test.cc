#include "run/step_scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "run/headless_loop.h"
#include "support/manual_clock.h"
#include "support/step_names.h"
#include "support/step_scheduler_probe.h"

namespace quelbo {
namespace {

class StepSchedulerTest : public ::testing::Test {
 protected:
  StepSchedulerTest() {
    for (size_t i = 0; i < kStepCount; ++i) {
      const auto step = static_cast<Step>(i);
      scheduler_.SetOperation(step, [this, step] {
        log_.push_back(std::string(testing::StepName(step)));
        if (auto it = bodies_.find(step); it != bodies_.end()) it->second();
      });
    }
  }

  testing::ManualClock clock_;
  StepScheduler scheduler_{clock_};
  HeadlessLoop loop_{scheduler_, clock_};
  std::vector<std::string> log_;
  std::map<Step, std::function<void()>> bodies_;
};

TEST_F(StepSchedulerTest, StartsWithEveryStepEnabledAndNoneArmed) {
  for (size_t i = 0; i < kStepCount; ++i) {
    EXPECT_TRUE(testing::StepSchedulerProbe::IsEnabled(scheduler_, static_cast<Step>(i)));
    EXPECT_FALSE(scheduler_.IsArmed(static_cast<Step>(i)));
  }
  EXPECT_TRUE(scheduler_.Idle());
  EXPECT_EQ(scheduler_.RunDue(), 0);
}

TEST_F(StepSchedulerTest, NextPassRunsOnceWithoutTheClockMoving) {
  bodies_[Step::du] = [this] { scheduler_.Disarm(Step::du); };
  scheduler_.Arm(Step::du, 1);
  EXPECT_EQ(scheduler_.RunDue(), 1);
  EXPECT_EQ(scheduler_.RunDue(), 0);
  EXPECT_EQ(log_, std::vector<std::string>{"du"});
}

TEST_F(StepSchedulerTest, AnArmedStepIsDueOncePerIntervalUntilDisarmed) {
  scheduler_.Arm(Step::quyi, 10);
  EXPECT_EQ(scheduler_.RunDue(), 0);
  clock_.Advance(Milliseconds(9));
  EXPECT_EQ(scheduler_.RunDue(), 0);
  clock_.Advance(Milliseconds(1));
  EXPECT_EQ(scheduler_.RunDue(), 1);
  EXPECT_EQ(scheduler_.RunDue(), 0);
  clock_.Advance(Milliseconds(10));
  EXPECT_EQ(scheduler_.RunDue(), 1);
  scheduler_.Disarm(Step::quyi);
  clock_.Advance(Milliseconds(100));
  EXPECT_EQ(scheduler_.RunDue(), 0);
}

TEST_F(StepSchedulerTest, EnabledFlagAndIntervalAreIndependent) {
  scheduler_.Disable(Step::Timer1);
  scheduler_.Arm(Step::Timer1, 1);
  EXPECT_EQ(scheduler_.RunDue(), 0);  // armed while disabled: nothing visible
  EXPECT_TRUE(scheduler_.IsArmed(Step::Timer1));
  scheduler_.Enable(Step::Timer1);
  EXPECT_EQ(scheduler_.RunDue(), 1);

  scheduler_.Disable(Step::Timer2);
  scheduler_.Arm(Step::Timer2, 1);
  scheduler_.Disarm(Step::Timer2);
  scheduler_.Enable(Step::Timer2);
  EXPECT_EQ(scheduler_.RunDue(), 1);  // only Timer1, still armed
  EXPECT_EQ(log_, (std::vector<std::string>{"Timer1", "Timer1"}));
}

TEST_F(StepSchedulerTest, ARunningStepIsNotStartedAgainDuringItsOwnYields) {
  int depth = 0;
  bodies_[Step::du] = [&] {
    ++depth;
    EXPECT_EQ(depth, 1);
    for (int i = 0; i < 3; ++i) scheduler_.Yield();  // du stays armed while it lists
    scheduler_.Arm(Step::Timer1, 1);
    scheduler_.Disarm(Step::du);
    --depth;
  };
  bodies_[Step::Timer4] = [this] { scheduler_.Disarm(Step::Timer4); };
  bodies_[Step::Timer1] = [this] { scheduler_.Disarm(Step::Timer1); };
  scheduler_.Arm(Step::du, 1);
  scheduler_.Arm(Step::Timer4, 1);  // due too: may run inside du's yields
  EXPECT_EQ(loop_.Run(), HeadlessLoop::Outcome::kIdle);
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "du"), 1);
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "Timer4"), 1);
  EXPECT_EQ(log_.back(), "Timer1");
}

TEST_F(StepSchedulerTest, StepsDueTogetherRunEarliestDeadlineFirst) {
  scheduler_.Arm(Step::Timer2, 100);
  clock_.Advance(Milliseconds(50));
  scheduler_.Arm(Step::Timer3, 10);
  clock_.Advance(Milliseconds(60));
  bodies_[Step::Timer2] = [this] { scheduler_.Disarm(Step::Timer2); };
  bodies_[Step::Timer3] = [this] { scheduler_.Disarm(Step::Timer3); };
  EXPECT_EQ(scheduler_.RunDue(), 2);
  EXPECT_EQ(log_, (std::vector<std::string>{"Timer3", "Timer2"}));
}

TEST_F(StepSchedulerTest, AStepDisarmedByAnEarlierOneOfThePassDoesNotRun) {
  bodies_[Step::du] = [this] {
    scheduler_.Disarm(Step::du);
    scheduler_.Disarm(Step::Timer1);
  };
  scheduler_.Arm(Step::du, 1);
  scheduler_.Arm(Step::Timer1, 1);
  scheduler_.RunDue();
  EXPECT_EQ(log_, std::vector<std::string>{"du"});
}

TEST_F(StepSchedulerTest, LoopSleepsOnlyForTimedPauses) {
  // A chain of a hundred next-pass steps takes no clock time; one 100 ms pause takes 100 ms.
  int left = 100;
  bodies_[Step::Timer1] = [&] {
    scheduler_.Disarm(Step::Timer1);
    if (--left > 0)
      scheduler_.Arm(Step::Timer1, 1);
    else
      scheduler_.Arm(Step::quyi, 100);
  };
  bodies_[Step::quyi] = [this] { scheduler_.Disarm(Step::quyi); };
  const TimePoint start = clock_.Now();
  scheduler_.Arm(Step::Timer1, 1);
  EXPECT_EQ(loop_.Run(), HeadlessLoop::Outcome::kIdle);
  EXPECT_EQ(clock_.Now() - start, Milliseconds(100));
  EXPECT_EQ(log_.size(), 101u);
}

TEST_F(StepSchedulerTest, LoopReportsStallAndStopRequests) {
  scheduler_.Disable(Step::Timer6);
  scheduler_.Arm(Step::Timer6, 1);
  EXPECT_EQ(loop_.Run(), HeadlessLoop::Outcome::kStalled);
  scheduler_.Enable(Step::Timer6);
  EXPECT_EQ(loop_.Run([] { return true; }), HeadlessLoop::Outcome::kStopRequested);
  EXPECT_TRUE(log_.empty());
}

}  // namespace
}  // namespace quelbo
