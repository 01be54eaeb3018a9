#include "run/excluded_dir_filter.h"

#include <gtest/gtest.h>

#include "panel/settings_fields.h"
#include "platform/clock.h"
#include "support/manual_clock.h"

namespace quelbo {
namespace {

struct FilterCase {
  const char* name;
  std::u16string excluded;
  std::u16string queue;  // as listed, each name followed by CR LF
  std::u16string kept;   // the queue after the filter
};

class FilterCases : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterCases, KeepTheExpectedNamesInReverseOrder) {
  ControlPanel panel;
  testing::ManualClock clock;
  StepScheduler scheduler(clock);
  panel.SetText(field::excludedDirs, GetParam().excluded);
  panel.SetText(kDirectoryQueue, GetParam().queue);
  FilterExcludedDirectories(panel, scheduler);
  EXPECT_EQ(panel.Text(kDirectoryQueue), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilterCases,
    ::testing::Values(
        FilterCase{"one_entry_after_start", u"images|#", u"css\r\nimages\r\nimages2\r\njs\r\n",
                   u"js\r\ncss\r\n"},
        FilterCase{"two_active_entries", u"a|b", u"a1\r\nab\r\nxyz\r\n", u"xyz\r\na1\r\n"},
        FilterCase{"inactive_entry_ignored", u"#old|x", u"old\r\nxa\r\nb\r\n", u"b\r\nold\r\n"},
        FilterCase{"only_inactive_entries_drop_all", u"#old", u"a\r\nb\r\n", u""},
        FilterCase{"case_matters", u"Images", u"images\r\n", u"images\r\n"},
        FilterCase{"spaces_around_entries", u"  css  |#", u"css\r\njs\r\n", u"js\r\n"},
        FilterCase{"empty_entry_occurs_everywhere", u"|#", u"a\r\n", u""},
        FilterCase{"chinese_names", u"图片|#", u"图片\r\n文章\r\n", u"文章\r\n"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(ExcludedDirFilter, YieldsOncePerComparisonAndPerName) {
  ControlPanel panel;
  testing::ManualClock clock;
  StepScheduler scheduler(clock);
  struct CountingLoop : EventLoopPort {
    int yields = 0;
    void ProcessPendingEvents() override { ++yields; }
  } loop;
  scheduler.SetEventLoop(&loop);
  panel.SetText(field::excludedDirs, u"a|b|#");
  panel.SetText(kDirectoryQueue, u"x\r\ny\r\n");  // names x, y and ""
  FilterExcludedDirectories(panel, scheduler);
  EXPECT_EQ(loop.yields, 3 * 3 + 3);
}

TEST(ExcludedDirFilter, TestCommandShowsCountsAndEndsWithOkle) {
  ControlPanel panel;
  testing::ManualClock clock;
  StepScheduler scheduler(clock);
  std::vector<std::u16string> captions;
  panel.AddObserver([&](Control c) {
    if (c == Control::Form1) captions.emplace_back(panel.Text(Control::Form1));
  });
  panel.SetText(field::excludedDirs, u"a|b");
  panel.SetText(kDirectoryQueue, u"x\r\nab\r\n");
  TestExcludedDirectoryFilter(panel, scheduler);
  EXPECT_EQ(captions, (std::vector<std::u16string>{u"1", u"2"}));
  EXPECT_EQ(panel.Text(kDirectoryQueue), u"x\r\n###\r\n###");
  EXPECT_EQ(panel.Text(kStatusLine), u"okle");

  // Empty queue: only the markers; the caption keeps what it had.
  panel.SetText(kDirectoryQueue, u"");
  TestExcludedDirectoryFilter(panel, scheduler);
  EXPECT_EQ(panel.Text(kDirectoryQueue), u"###\r\n###");
  EXPECT_EQ(panel.Text(Control::Form1), u"2");
}

TEST(ExcludedDirFilter, CountStopsAtItsSixteenBitLimitWithoutFailing) {
  ControlPanel panel;
  testing::ManualClock clock;
  StepScheduler scheduler(clock);
  std::u16string excluded;
  for (int i = 0; i < 32800; ++i) excluded += u"z|";
  panel.SetText(field::excludedDirs, excluded);
  panel.SetText(kDirectoryQueue, u"name\r\n");
  int last = 0;
  FilterExcludedDirectories(panel, scheduler, [&](int count) { last = count; });
  EXPECT_EQ(last, 32767);
  EXPECT_EQ(panel.Text(kDirectoryQueue), u"name\r\n");
}

}  // namespace
}  // namespace quelbo
