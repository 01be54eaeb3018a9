#include "window/presenter/refresh_plan.h"

#include <gtest/gtest.h>

#include <vector>

#include "panel/settings_fields.h"
#include "support/manual_clock.h"

namespace quelbo {
namespace {

class RefreshPlanTest : public ::testing::Test {
 protected:
  testing::ManualClock clock_;
  std::vector<Control> refreshed_;
  std::vector<Milliseconds> timers_;
  Milliseconds cost_{0};  // what each refresh takes
  RefreshPlan plan_{clock_,
                    [this](Control control) {
                      refreshed_.push_back(control);
                      clock_.Advance(cost_);
                    },
                    [this](Milliseconds delay) { timers_.push_back(delay); }};
};

TEST_F(RefreshPlanTest, ManyWritesAreOneRefreshPerControlAtTheNextFrame) {
  bool busy = false;
  plan_.SetBusyCheck([&busy] { return busy; });
  for (int i = 0; i < 100; ++i) plan_.MarkDirty(Control::Label1);
  plan_.MarkDirty(Control::Text1);
  EXPECT_EQ(timers_, (std::vector<Milliseconds>{RefreshPlan::kFrame}));
  EXPECT_TRUE(refreshed_.empty());
  plan_.OnTimer();
  EXPECT_EQ(refreshed_, (std::vector<Control>{Control::Text1, Control::Label1}));
  busy = true;  // a run goes on: longer frames
  plan_.MarkDirty(Control::Label1);
  EXPECT_EQ(timers_.back(), RefreshPlan::kBusyFrame);
  EXPECT_EQ(plan_.flushes(), 1u);
}

TEST_F(RefreshPlanTest, ACostlyControlWaitsTenTimesItsCostUnlessAllAreFlushed) {
  cost_ = Milliseconds(20);
  plan_.MarkDirty(kPendingPages);
  plan_.OnTimer();
  cost_ = Milliseconds(0);
  plan_.MarkDirty(kPendingPages);
  plan_.MarkDirty(kStatusLine);
  clock_.Advance(Milliseconds(100));
  plan_.OnTimer();  // the list waits until 200 ms after its last refresh began
  EXPECT_EQ(refreshed_, (std::vector<Control>{kPendingPages, kStatusLine}));
  EXPECT_EQ(timers_.size(), 3u);  // and a later frame is asked for
  clock_.Advance(Milliseconds(100));
  plan_.OnTimer();
  EXPECT_EQ(refreshed_.back(), kPendingPages);
  cost_ = Milliseconds(50);
  plan_.MarkDirty(kPendingPages);
  plan_.OnTimer();
  plan_.MarkDirty(kPendingPages);
  plan_.FlushAll();
  EXPECT_EQ(refreshed_.size(), 5u);
}

TEST_F(RefreshPlanTest, AnUnseenControlWaitsWithoutFramesUntilItCanBeSeen) {
  bool unseen = true;
  plan_.SetUnseenCheck([&unseen](Control control) { return unseen && control == Control::list; });
  plan_.MarkDirty(Control::list);
  plan_.MarkDirty(kStatusLine);
  plan_.OnTimer();
  EXPECT_EQ(refreshed_, (std::vector<Control>{kStatusLine}));
  EXPECT_EQ(timers_.size(), 1u);  // no frame is asked for the held one
  plan_.ShowHeld();
  EXPECT_EQ(refreshed_.size(), 1u);  // still unseen
  unseen = false;
  plan_.ShowHeld();
  EXPECT_EQ(refreshed_.back(), Control::list);
  unseen = true;
  plan_.MarkDirty(Control::list);
  plan_.OnTimer();
  plan_.FlushAll();  // shows everything, seen or not
  EXPECT_EQ(refreshed_, (std::vector<Control>{kStatusLine, Control::list, Control::list}));
}

}  // namespace
}  // namespace quelbo
