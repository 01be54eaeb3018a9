#include "window/qt/qt_step_driver.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <string>
#include <vector>

#include "support/manual_clock.h"
#include "support/qt_step_driver_probe.h"

namespace quelbo {
namespace {

using std::chrono::steady_clock;
using testing::QtStepDriverProbe;

bool Waiting(const QtStepDriver& driver) { return QtStepDriverProbe::Waiting(driver); }

class QtStepDriverTest : public ::testing::Test {
 protected:
  // Runs Qt's event loop until `done` or a generous limit; true when done.
  bool RunUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
      if (done()) loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
  }

  SteadyClock clock_;
  StepScheduler scheduler_{clock_};
  QtStepDriver driver_{scheduler_, clock_};
  std::vector<std::string> log_;
};

TEST_F(QtStepDriverTest, RunsAChainOfNextPassStepsAndATimedStep) {
  constexpr int kPages = 200;
  int pages = 0;
  steady_clock::time_point armed_pause{};
  steady_clock::time_point ran_pause{};
  scheduler_.SetOperation(Step::Timer1, [&] {
    scheduler_.Disarm(Step::Timer1);
    if (pages == kPages) {
      armed_pause = steady_clock::now();
      scheduler_.Arm(Step::quyi, 10);
      return;
    }
    scheduler_.Arm(Step::Timer2, kNextPass);
  });
  scheduler_.SetOperation(Step::Timer2, [&] {
    scheduler_.Disarm(Step::Timer2);
    ++pages;
    scheduler_.Arm(Step::Timer1, kNextPass);
  });
  scheduler_.SetOperation(Step::quyi, [&] {
    scheduler_.Disarm(Step::quyi);
    ran_pause = steady_clock::now();
  });

  scheduler_.Arm(Step::Timer1, kNextPass);
  EXPECT_TRUE(Waiting(driver_));
  ASSERT_TRUE(RunUntil([&] { return scheduler_.Idle(); }));
  EXPECT_EQ(pages, kPages);
  EXPECT_GE(ran_pause - armed_pause, std::chrono::milliseconds(10));
  EXPECT_FALSE(Waiting(driver_));
}

TEST_F(QtStepDriverTest, YieldsLetPendingEventsAndOtherDueStepsRun) {
  std::vector<std::string> seen;
  scheduler_.SetOperation(Step::du, [&] {
    scheduler_.Disarm(Step::du);
    QTimer::singleShot(0, [&] { seen.push_back("event"); });
    scheduler_.Arm(Step::Timer4, kNextPass);
    scheduler_.Arm(Step::du, kNextPass);  // never started again during its own run
    for (int i = 0; i < 3; ++i) scheduler_.Yield();
    seen.push_back("du end");
    scheduler_.Disarm(Step::du);
  });
  scheduler_.SetOperation(Step::Timer4, [&] {
    scheduler_.Disarm(Step::Timer4);
    seen.push_back("Timer4");
  });
  scheduler_.Arm(Step::du, kNextPass);
  ASSERT_TRUE(RunUntil([&] { return scheduler_.Idle(); }));
  const std::vector<std::string> expected = {"event", "Timer4", "du end"};
  EXPECT_EQ(seen, expected);
}

// A listing yields once per name: the loop has a turn at the first yield, then only once a
// few milliseconds have passed, so that a long listing is not spent turning the loop.
TEST(QtStepDriver, YieldsTurnTheLoopEveryFewMillisecondsAtMost) {
  testing::ManualClock clock;
  StepScheduler scheduler(clock);
  QtStepDriver driver(scheduler, clock);
  int handled = 0;
  auto post_and_yield = [&] {
    QTimer::singleShot(0, [&] { ++handled; });
    scheduler.Yield();
  };
  post_and_yield();  // the first yield turns the loop
  EXPECT_EQ(handled, 1);
  clock.Advance(LoopTurns::kEvery / 2);
  post_and_yield();  // too soon: the event waits
  EXPECT_EQ(handled, 1);
  clock.Advance(LoopTurns::kEvery / 2);
  post_and_yield();  // both events now
  EXPECT_EQ(handled, 3);
}

TEST_F(QtStepDriverTest, WaitsOnlyForStepsThatCanBecomeDue) {
  scheduler_.Arm(Step::Timer6, 20);
  EXPECT_TRUE(Waiting(driver_));
  scheduler_.Disable(Step::Timer6);  // Stop: armed, but disabled
  EXPECT_FALSE(Waiting(driver_));
  bool ran = false;
  scheduler_.SetOperation(Step::Timer6, [&] {
    scheduler_.Disarm(Step::Timer6);
    ran = true;
  });
  QTimer::singleShot(5, [&] { scheduler_.Enable(Step::Timer6); });  // Continue, from the loop
  ASSERT_TRUE(RunUntil([&] { return ran; }));
  EXPECT_FALSE(Waiting(driver_));
}

// A step that re-arms itself for the next pass forever: passes follow each other without the
// event loop only for a bounded number (the clock stands still) or a bounded time (each pass
// takes a millisecond), so an event posted meanwhile, such as Stop, is handled soon.
TEST(QtStepDriver, AnEndlessChainOfPassesLetsTheEventLoopIn) {
  struct Case {
    const char* name;
    Milliseconds pass_cost;
    int most_passes_before_the_event;
  };
  const Case cases[] = {{"clock standing still", Milliseconds(0), 512},
                        {"a millisecond a pass", Milliseconds(1), 6}};
  for (const Case& c : cases) {
    testing::ManualClock clock;
    StepScheduler scheduler(clock);
    QtStepDriver driver(scheduler, clock);
    int passes = 0;
    scheduler.SetOperation(Step::Timer1, [&] {
      ++passes;
      clock.Advance(c.pass_cost);
      scheduler.Arm(Step::Timer1, kNextPass);
    });
    scheduler.Arm(Step::Timer1, kNextPass);
    int passes_before_the_event = -1;
    QTimer::singleShot(0, [&] {
      passes_before_the_event = passes;
      scheduler.Disable(Step::Timer1);
    });
    QTest::qWait(20);
    EXPECT_GE(passes_before_the_event, 0) << c.name;
    EXPECT_LE(passes_before_the_event, c.most_passes_before_the_event) << c.name;
    EXPECT_EQ(passes, passes_before_the_event) << c.name;
  }
}

TEST(QtStepDriver, AWakeUpBeforeTheDeadlineWaitsAgain) {
  testing::ManualClock clock;
  StepScheduler scheduler(clock);
  QtStepDriver driver(scheduler, clock);
  int runs = 0;
  scheduler.SetOperation(Step::quyi, [&] {
    scheduler.Disarm(Step::quyi);
    ++runs;
  });
  scheduler.Arm(Step::quyi, 10);
  QTest::qWait(30);  // real time passes, the scheduler's clock does not
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(Waiting(driver));
  clock.Advance(Milliseconds(10));
  QTest::qWait(30);
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(Waiting(driver));
}

}  // namespace
}  // namespace quelbo
