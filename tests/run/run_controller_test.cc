#include "run/run_controller.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ini_profile.h"
#include "support/session_fixture.h"
#include "support/step_names.h"
#include "support/step_scheduler_probe.h"

namespace quelbo {
namespace {

using Strings = std::vector<std::u16string>;

class RunControllerTest : public testing::SessionTest {
 protected:
  ControlPanel& panel() { return session_->panel(); }
  StepScheduler& scheduler() { return session_->scheduler(); }
  RunController& controller() { return session_->controller(); }
  std::u16string StoredExcluded() {
    return ReadIniValue(fs_, u"HTML", u"不替换目录", u"<missing>",
                        session_->store().PathOf(kIniFileName));
  }
};

TEST_F(RunControllerTest, StartStoresRawValuesThenCleansTheFields) {
  PlainSettings(1, false);
  panel().SetText(field::excludedDirs, u"images");
  panel().SetText(field::pair1Find, u" find\r\nme ");
  ASSERT_TRUE(controller().StartRun());
  EXPECT_EQ(panel().Text(field::excludedDirs), u"images|#");
  EXPECT_EQ(StoredExcluded(), u"images");
  EXPECT_EQ(panel().Text(field::pair1Find), u"findme");
  EXPECT_EQ(testing::StepSchedulerProbe::Interval(scheduler(), Step::du), 1);
  RunUntilIdle();

  ASSERT_TRUE(controller().StartRun());
  EXPECT_EQ(panel().Text(field::excludedDirs), u"images|#|#");
  EXPECT_EQ(StoredExcluded(), u"images|#");
}

TEST_F(RunControllerTest, ExcludedListOfBlanksBecomesEmptyWithoutMarker) {
  PlainSettings(1, false);
  panel().SetText(field::excludedDirs, u"  \r\n ");
  ASSERT_TRUE(controller().StartRun());
  EXPECT_EQ(panel().Text(field::excludedDirs), u"");
}

TEST_F(RunControllerTest, DoubleSeparatorsCollapseOnce) {
  PlainSettings(1, false);
  panel().SetText(field::excludedDirs, u"a|||b|");
  ASSERT_TRUE(controller().StartRun());
  EXPECT_EQ(panel().Text(field::excludedDirs), u"a||b|#");
}

TEST_F(RunControllerTest, UnsavableSettingsStopTheStart) {
  PlainSettings(1, false);
  session_->LoadSettings();
  PlainSettings(1, false);
  const std::string list_file = session_->store().PathOf("tihuanhou.txt");
  testing::Remove(list_file);
  ASSERT_TRUE(testing::MakeDirectory(list_file));
  panel().SetText(field::pair1Find, u" x ");
  EXPECT_FALSE(controller().StartRun());
  EXPECT_TRUE(panel().Text(kStatusLine).starts_with(u"配置保存失败，没有开始："));
  EXPECT_EQ(panel().Text(field::pair1Find), u" x ");  // nothing cleaned
  EXPECT_TRUE(scheduler().Idle());
}

TEST_F(RunControllerTest, ContinueBeforeAnyStartFinishesAtOnce) {
  session_->LoadSettings();
  EXPECT_EQ(panel().Text(Control::Command4), u"停止");
  controller().ToggleRun();  // Stop
  EXPECT_EQ(panel().Text(Control::Command4), u"继续");
  controller().ToggleRun();  // Continue
  EXPECT_EQ(panel().Text(Control::Command4), u"停止");
  TakeStatuses();
  RunUntilIdle();
  EXPECT_EQ(TakeStatuses().back(), u"本目录内页面全部处理完毕了");
}

TEST_F(RunControllerTest, StopDisablesAndDisarmsSevenStepsButNeverNextDirectory) {
  panel().SetText(Control::Command4, u"停止");
  for (size_t i = 0; i < kStepCount; ++i) scheduler().Arm(static_cast<Step>(i), 100);
  controller().ToggleRun();
  for (size_t i = 0; i < kStepCount; ++i) {
    const auto step = static_cast<Step>(i);
    const bool untouched = step == Step::Timer5 || step == Step::undo;
    EXPECT_EQ(testing::StepSchedulerProbe::IsEnabled(scheduler(), step), untouched)
        << testing::StepName(step);
    EXPECT_EQ(scheduler().IsArmed(step), untouched) << testing::StepName(step);
  }
  controller().ToggleRun();
  for (size_t i = 0; i < kStepCount; ++i) {
    EXPECT_TRUE(testing::StepSchedulerProbe::IsEnabled(scheduler(), static_cast<Step>(i)));
  }
  EXPECT_EQ(testing::StepSchedulerProbe::Interval(scheduler(), Step::Timer1), 1);
}

TEST_F(RunControllerTest, StopAndContinueBetweenPagesProcessesEveryPageOnce) {
  PlainSettings(1, false);
  for (int i = 0; i < 5; ++i) PageFile("p" + std::to_string(i) + ".htm", "x");
  panel().SetText(Control::Command4, u"停止");
  ASSERT_TRUE(controller().StartRun());
  for (int i = 0; i < 3; ++i) scheduler().RunDue();       // listing, then one whole page
  controller().ToggleRun();                               // Stop
  EXPECT_EQ(loop_->Run(), HeadlessLoop::Outcome::kIdle);  // nothing armed any more
  EXPECT_EQ(taken_pages_.size(), 1u);
  controller().ToggleRun();  // Continue
  RunUntilIdle();
  EXPECT_EQ(taken_pages_.size(), 5u);
  EXPECT_EQ(session_->report().processed(), 5u);
}

TEST_F(RunControllerTest, ContinueFinishesThePageAStopCaughtBetweenItsSteps) {
  struct Case {
    bool detect;
    int passes;  // listing, then the page steps before the Stop
    Step waiting;
  };
  const Case cases[] = {{false, 2, Step::Timer2}, {true, 2, Step::Timer3}, {true, 3, Step::Timer2}};
  for (const Case& c : cases) {
    PlainSettings(1, false);
    panel().SetTicked(field::autoDetectCharset, c.detect);
    panel().SetText(field::pair1Find, u"x");
    panel().SetText(field::pair1Replace, u"y");
    for (int i = 0; i < 2; ++i) PageFile("p" + std::to_string(i) + ".htm", "x");
    panel().SetText(Control::Command4, u"停止");
    taken_pages_.clear();
    ASSERT_TRUE(controller().StartRun());
    for (int i = 0; i < c.passes; ++i) scheduler().RunDue();  // p1 taken, not yet written
    controller().ToggleRun();                                 // Stop
    controller().ToggleRun();                                 // Continue
    EXPECT_TRUE(scheduler().IsArmed(c.waiting)) << c.passes;
    EXPECT_FALSE(scheduler().IsArmed(Step::Timer1)) << c.passes;
    RunUntilIdle();
    EXPECT_EQ(taken_pages_, (Strings{u"p1.htm", u"p0.htm"})) << c.passes;
    EXPECT_EQ(session_->report().processed(), 2u) << c.passes;
    EXPECT_EQ(testing::ReadBytes(Site("p1.htm")), "y") << c.passes;
  }
}

TEST_F(RunControllerTest, EachStartLooksTheSiteFolderUpAgain) {
  for (bool replaced : {true, false}) {
    PlainSettings(1, false);
    panel().SetText(field::pair1Find, u"x");
    panel().SetText(field::pair1Replace, u"y");
    PageFile("p.htm", "x");
    const std::string renamed = dir_ / ("renamed" + std::to_string(replaced));
    std::filesystem::rename(testing::PathOf(site_), testing::PathOf(renamed));
    if (replaced) {
      Dir("");  // another folder by the same path
      PageFile("p.htm", "x");
    }
    EXPECT_EQ(session_->StartRun(), replaced);
    RunUntilIdle();
    EXPECT_EQ(testing::ReadBytes(renamed + "/p.htm"), "x") << replaced;  // left where it went
    if (replaced) {
      EXPECT_EQ(testing::ReadBytes(Site("p.htm")), "y");
    }
  }
  EXPECT_TRUE(panel().Text(kStatusLine).starts_with(u"网站目录已不存在，没有开始："));
}

TEST_F(RunControllerTest, StopWhileNextDirectoryIsArmedThenContinueInterleaves) {
  PlainSettings(1, true);
  Dir("A");
  PageFile("A/a.htm", "x");
  PageFile("r.htm", "x");
  panel().SetText(Control::Command4, u"停止");
  ASSERT_TRUE(controller().StartRun());
  scheduler().RunDue();  // du
  scheduler().RunDue();  // Timer4 arms Timer5
  controller().ToggleRun();
  EXPECT_EQ(scheduler().RunDue(), 1);  // NextDirectory still runs and arms ListDirectoryFiles
  EXPECT_TRUE(scheduler().IsArmed(Step::Timer6));
  EXPECT_EQ(scheduler().RunDue(), 0);  // which waits
  controller().ToggleRun();
  RunUntilIdle();
  // The walk and the page loop ran side by side; every listed page was processed.
  EXPECT_NE(std::find(taken_pages_.begin(), taken_pages_.end(), u"A/a.htm"), taken_pages_.end());
}

TEST_F(RunControllerTest, RerunProcessesTheCurrentPageAgain) {
  PlainSettings(1, false);
  panel().SetText(field::pair1Find, u"a");
  panel().SetText(field::pair1Replace, u"ab");
  PageFile("p.htm", "a");
  Start();
  EXPECT_EQ(testing::ReadBytes(Site("p.htm")), "ab");
  panel().SetText(kCurrentPage, u"p.htm");
  controller().RerunCurrentPage();
  RunUntilIdle();
  EXPECT_EQ(testing::ReadBytes(Site("p.htm")), "abb");
}

TEST_F(RunControllerTest, StartDuringARunListsAgainInTheSameJournalRun) {
  PlainSettings(1, false);
  panel().SetText(field::pair1Find, u"x");
  panel().SetText(field::pair1Replace, u"y");
  PageFile("p.htm", "x");
  PageFile("q.htm", "x");
  ASSERT_TRUE(session_->StartRun());
  for (int i = 0; i < 3; ++i) scheduler().RunDue();  // listed, then q.htm written
  ASSERT_TRUE(session_->StartRun());
  RunUntilIdle();
  // Pages already processed in the run are listed and processed again.
  EXPECT_EQ(taken_pages_.size(), 3u);
  EXPECT_EQ(session_->journal().ListRuns().size(), 1u);
  ASSERT_TRUE(session_->Undo());  // one undo takes the whole run back
  EXPECT_EQ(testing::ReadBytes(Site("p.htm")) + testing::ReadBytes(Site("q.htm")), "xx");
}

}  // namespace
}  // namespace quelbo
