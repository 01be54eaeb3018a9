#include "support/window_items.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "base/text_codec.h"
#include "support/temp_dir.h"

namespace quelbo::testing {
namespace {

using A = Act;

constexpr std::u16string_view kAllDone = u"已处理 300 页，改动 300 页，跳过 0 页";

constexpr ItemStep kContinueLosesNoPage[] = {
    {A::kClick, "Command1"}, {A::kUntilTaken, {}, 20},
    {A::kClick, "Command4"}, {A::kUntilIdle},
    {A::kClick, "Command4"}, {A::kUntilIdle, {}, 0, kAllDone, 1, 1, u"撤销"},
};
constexpr ItemStep kUndoEndsAStoppedRun[] = {
    {A::kClick, "Command1"},
    {A::kUntilTaken, {}, 20},
    {A::kClick, "Command4", 0, {}, 0, 1},
    {A::kClick, "previewButton"},  // ignored
    {A::kClick, "undoButton", 0, {}, 0, 0, {}, {}, -1, "Command4", u"停止"},
    {A::kUntilIdle, {}, 0, {}, 1, 1, u"重做", u"页，未恢复 0 页", -1, "Label1", u"撤销完毕"},
    {A::kClick, "Command4"},
    {A::kClick, "Command4"},  // nothing left to go on with
    {A::kUntilIdle},
};
constexpr ItemStep kSecondStartIsOneJournalRun[] = {
    {A::kClick, "Command1"}, {A::kUntilTaken, {}, 20},  {A::kClick, "Command1"},
    {A::kUntilIdle},         {A::kClick, "undoButton"}, {A::kUntilIdle, {}, 0, {}, 1, 1, u"重做"},
};
// In steps, with 停止; nothing else counts meanwhile; the button then says what it will do.
constexpr ItemStep kUndoInSteps[] = {
    {A::kClick, "Command1"},
    {A::kUntilIdle, {}, 0, {}, 1, 1, u"撤销"},
    {A::kClick, "undoButton"},
    {A::kUntilUndone, {}, 100, {}, 0, 0},
    {A::kSiteLocked, {}, 1},
    {A::kClick, "undoButton"},
    {A::kClick, "Command1"},
    {A::kClick, "previewButton"},
    {A::kUntilIdle, {}, 0, u"撤销完毕：恢复 300 页，未恢复 0 页", 1, 1, u"重做"},
    {A::kClick, "undoButton"},
    {A::kUntilUndone, {}, 100},
    {A::kClick,
     "Command4",
     0,
     {},
     1,
     1,
     u"撤销",
     u"页，未恢复 0 页",
     -1,
     "runSummary",
     u"重做已停止"},
    {A::kClick, "undoButton"},  // takes the part redone back
    {A::kUntilIdle, {}, 0, {}, 1, 1, u"重做"},
};
constexpr ItemStep kLockOnlyWhileWorking[] = {
    {A::kClick, "previewButton"},
    {A::kSiteLocked, {}, 0},
    {A::kUntilIdle},
    {A::kClick, "Command1"},
    {A::kUntilTaken, {}, 20},
    {A::kSiteLocked, {}, 1},
    {A::kClick, "Command4"},
    {A::kSiteLocked, {}, 1},
    {A::kClick, "Command4"},
    {A::kUntilIdle},
    {A::kSiteLocked, {}, 0},
};
constexpr ItemStep kPreviewSaysItIsOne[] = {
    {A::kClick, "previewButton", 0, {}, 0, 0},
    {A::kUntilIdle,
     {},
     0,
     u"预览完毕：将改动 300 页，跳过 0 页",
     1,
     0,
     {},
     {},
     300,
     "Label1",
     u"预览完毕：将改动 300 页"},
};
constexpr ItemStep kUndoNamesThePagesLeftAlone[] = {
    {A::kClick, "Command1"},
    {A::kUntilIdle},
    {A::kEditPage, "p7.htm"},
    {A::kClick, "undoButton"},
    {A::kUntilIdle, {}, 0, u"撤销完毕：恢复 299 页，未恢复 1 页"},
    {A::kEnter,
     "skippedCount",
     0,
     {},
     -1,
     -1,
     {},
     {},
     -1,
     "skippedPages",
     u"p7.htm：运行后已被改动，未恢复"},
};
constexpr ItemStep kEnterPressesTheRowsButtons[] = {
    {A::kEnter, "previewButton", 0, {}, 0, 0},
    {A::kUntilIdle, {}, 0, u"预览完毕：将改动 300 页，跳过 0 页"},
    {A::kClick, "Command1"},
    {A::kUntilIdle},
    {A::kEnter, "undoButton"},
    {A::kUntilIdle, {}, 0, u"撤销完毕：恢复 300 页，未恢复 0 页", 1, 1, u"重做"},
};
constexpr ItemStep kCountsMovePageByPage[] = {
    {A::kClick, "Command1"},
    // Pages taken are processed; none is changed before its batch is written.
    {A::kUntilCounted, {}, 0, {}, -1, -1, {}, u"页，改动 0 页，跳过 0 页"},
    {A::kUntilIdle, {}, 0, u"已处理 1000 页，改动 1000 页，跳过 0 页"},
};
constexpr ItemStep kEachStartLooksTheFolderUp[] = {
    {A::kReplaceSite},
    {A::kClick, "Command1"},
    {A::kUntilIdle, {}, 0, kAllDone},
};

constexpr WindowItem kItems[] = {
    {"1: 继续 finishes the page in work", kContinueLosesNoPage, 'b', 1},
    {"2: 撤销 ends a stopped run, which cannot go on", kUndoEndsAStoppedRun, 'a', 2},
    {"3: a second 开始 stays in the run's journal", kSecondStartIsOneJournalRun, 'a', 2},
    {"4: an undo in steps, a redo stopped, taken back", kUndoInSteps, 'a', 4},
    {"5: the site's lock only while working", kLockOnlyWhileWorking, 'b', 1},
    {"6: a preview says it is one and writes nothing", kPreviewSaysItIsOne, 'a', 0},
    {"7: an undo names the pages it left alone", kUndoNamesThePagesLeftAlone, 'a', 2},
    {"8: Enter presses 预览, 撤销 and the skipped count", kEnterPressesTheRowsButtons, 'a', 2},
    {"9: the counts move page by page", kCountsMovePageByPage, 'b', 1, 1000},
    {"10: each 开始 looks the site folder up again", kEachStartLooksTheFolderUp, 'b', 1},
};

size_t Size(int count) { return static_cast<size_t>(count); }

std::string PagePath(const std::string& site, int number) {
  std::string path = site;  // appended piece by piece: g++ 12 misjudges a chain of +
  path += "/p";
  path += std::to_string(number);
  path += ".htm";
  return path;
}

std::u16string ShownCounts(WindowDriver& window) {
  return window.Shown("runSummary") + window.Shown("skippedCount");
}

// `seen_counts`: the counts as the wait that ended the step saw them, if it kept them.
void CheckStep(WindowDriver& window, const ItemStep& step, std::u16string seen_counts) {
  const std::u16string counts = seen_counts.empty() ? ShownCounts(window) : seen_counts;
  if (!step.summary.empty()) EXPECT_EQ(counts, step.summary);
  if (!step.summary_tail.empty()) {
    EXPECT_TRUE(counts.ends_with(step.summary_tail) && !counts.starts_with(u"已处理 0 页"))
        << "counts: " << ToUtf8(counts);
  }
  if (step.preview_enabled >= 0) {
    EXPECT_EQ(window.Enabled("previewButton"), step.preview_enabled == 1);
  }
  if (step.undo_enabled >= 0) EXPECT_EQ(window.Enabled("undoButton"), step.undo_enabled == 1);
  if (!step.undo_caption.empty()) EXPECT_EQ(window.Shown("undoButton"), step.undo_caption);
  if (step.preview_rows >= 0)
    EXPECT_EQ(window.PreviewRows(), static_cast<size_t>(step.preview_rows));
  if (!step.shown_name.empty()) {
    const std::u16string shown = window.Shown(step.shown_name);
    EXPECT_TRUE(shown.starts_with(step.shown_start)) << step.shown_name << ": " << ToUtf8(shown);
  }
}

}  // namespace

std::span<const WindowItem> WindowItems() { return kItems; }

void PlayWindowItem(WindowDriver& window, const WindowItem& item, const std::string& site) {
  SCOPED_TRACE(std::string(item.title));
  for (int i = 0; i < item.pages; ++i) WriteBytes(PagePath(site, i), "a");
  Session& session = window.session();
  std::vector<std::string> edited;
  std::string replaced;
  for (const ItemStep& step : item.steps) {
    std::u16string seen_counts;
    switch (step.act) {
      case Act::kClick:
        window.Click(step.name);
        break;
      case Act::kEnter:
        window.Enter(step.name);
        break;
      case Act::kUntilTaken:
        ASSERT_TRUE(
            window.RunUntil([&] { return session.panel().ProgressBar().value >= step.count; }));
        break;
      case Act::kUntilCounted:
        // Kept as seen: a step that writes a batch may show the next counts before it returns.
        ASSERT_TRUE(window.RunUntil([&] {
          seen_counts = ShownCounts(window);
          return !seen_counts.starts_with(u"已处理 0 页");
        }));
        break;
      case Act::kUntilUndone:
        ASSERT_TRUE(window.RunUntil([&] { return session.undo().done() >= Size(step.count); }));
        break;
      case Act::kSiteLocked: {
        SiteRunLock other;
        const Status taken =
            other.Acquire(session.store().directory() + "locks", session.root_path());
        EXPECT_EQ(!taken.has_value(), step.count == 1);
        break;
      }
      case Act::kUntilIdle:
        ASSERT_TRUE(window.RunUntil([&] { return session.scheduler().Idle(); }));
        break;
      case Act::kEditPage:
        WriteBytes(site + "/" + std::string(step.name), "edited");
        edited.emplace_back(step.name);
        break;
      case Act::kReplaceSite:
        replaced = site + ".old";
        std::filesystem::rename(PathOf(site), PathOf(replaced));
        ASSERT_TRUE(MakeDirectory(site));
        for (int i = 0; i < item.pages; ++i) WriteBytes(PagePath(site, i), "a");
        break;
    }
    CheckStep(window, step, seen_counts);
  }
  int wrong = 0;
  for (int i = 0; i < item.pages; ++i) {
    const std::string page = PagePath(site, i);
    const bool was_edited =
        std::find(edited.begin(), edited.end(), page.substr(site.size() + 1)) != edited.end();
    if (ReadBytes(page) != (was_edited ? "edited" : std::string(1, item.pages_end))) ++wrong;
    if (!replaced.empty() && ReadBytes(PagePath(replaced, i)) != "a") ++wrong;
  }
  EXPECT_EQ(wrong, 0) << "pages that do not hold what they should";
  if (item.journal_runs >= 0) {
    EXPECT_EQ(session.journal().ListRuns().size(), static_cast<size_t>(item.journal_runs));
  }
}

}  // namespace quelbo::testing
