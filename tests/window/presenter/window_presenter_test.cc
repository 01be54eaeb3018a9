#include "window/presenter/window_presenter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text_codec.h"
#include "support/session_fixture.h"

namespace quelbo {
namespace {

class WindowPresenterTest : public testing::SessionTest {
 protected:
  WindowPresenterTest() {
    PlainSettings(1, false);
    panel().SetText(field::pair1Find, u"a");
    panel().SetText(field::pair1Replace, u"b");
    panel().SetText(Control::Command4, u"停止");
  }
  ControlPanel& panel() { return session_->panel(); }
  void Pages(int count) {
    for (int i = 0; i < count; ++i) PageFile("p" + std::to_string(i) + ".htm", "a");
  }
  // The status bar's counts and the row's buttons, as one line to compare.
  std::u16string Shown() {
    const StatusBarView bar = presenter_.StatusBar();
    const JournalRowView row = presenter_.JournalRow();
    return bar.summary + bar.skipped + (bar.skipped_enabled ? u"+" : u"") + u"|" +
           (row.preview_enabled ? u"预览" : u"") + (row.undo_enabled ? row.undo_caption : u"");
  }

  WindowPresenter presenter_{*session_, clock_};
};

TEST_F(WindowPresenterTest, WhatTheBarAndTheRowSayThroughARunAStopAPreviewAndAnUndo) {
  Pages(3);
  PageFile("bad.htm", "\xD6\xD0");  // not UTF-8: skipped
  EXPECT_EQ(presenter_.StatusBar().site, u"网站目录：" + FromUtf8(session_->root_path()));
  struct Step {
    std::function<void()> act;
    std::u16string shown;
  };
  const Step steps[] = {
      {[] {}, u"|预览"},
      {[&] { presenter_.Click(Control::Command1); }, u"已处理 0 页，改动 0 页，跳过 0 页|"},
      {[&] {
         for (int i = 0; i < 4; ++i) session_->scheduler().RunDue();  // bad.htm, then p0.htm
         presenter_.Click(Control::Command4);
         clock_.Advance(WindowPresenter::kCountsInterval);
       },
       u"已处理 1 页，改动 1 页，跳过 0 页|撤销"},  // stopped: no preview; 撤销 would end it
      {[&] {
         presenter_.Click(Control::Command4);
         RunUntilIdle();
       },
       u"已处理 3 页，改动 3 页，跳过 1 页+|预览撤销"},
      {[&] { presenter_.Preview(); }, u"预览中…已查看 0 页，将改动 0 页，跳过 0 页|"},
      {[&] { RunUntilIdle(); }, u"预览完毕：将改动 0 页，跳过 1 页+|预览撤销"},
      {[&] {
         testing::WriteBytes(Site("p1.htm"), "edited");
         presenter_.Undo();
         presenter_.Undo();                    // ignored while the undo goes on
         presenter_.Click(Control::Command1);  // likewise
       },
       u"撤销中…已查看 0 / 3 页，未恢复 0 页|"},
      {[&] { RunUntilIdle(); }, u"撤销完毕：恢复 2 页，未恢复 1 页+|预览重做"},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(Shown(), step.shown);
  }
  EXPECT_EQ(testing::ReadBytes(Site("p0.htm")), "a");
  EXPECT_EQ(testing::ReadBytes(Site("p1.htm")), "edited");
  EXPECT_EQ(panel().Text(kSkippedPages), u"p1.htm：运行后已被改动，未恢复\r\n");
  EXPECT_TRUE(
      presenter_.JournalRow().undo_tip.starts_with(u"重做上一次撤销掉的运行（撤销记录：2 次运行"));
}

TEST_F(WindowPresenterTest, APreviewSaysItIsOneListsItsPagesAndWritesNothing) {
  Pages(2);
  // The rules as typed, unsaved; nothing in the configuration directory changes, nor appears.
  const auto configuration = [&] {
    std::string files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_ / "config"))
      files += entry.path().string() + ":" +
               (entry.is_regular_file() ? testing::ReadBytes(entry.path().string()) : "") + "\n";
    return files;
  };
  const std::string before = configuration();
  presenter_.Preview();
  presenter_.Click(Control::Command1);  // ignored while the preview goes on
  RunUntilIdle();
  EXPECT_EQ(presenter_.StatusBar().summary, u"预览完毕：将改动 2 页，");
  EXPECT_EQ(panel().Text(kStatusLine), u"预览完毕：将改动 2 页");
  ASSERT_EQ(presenter_.preview_pages(), 2u);
  EXPECT_EQ(presenter_.PreviewLine(1), u"p0.htm  替换1×1");
  EXPECT_EQ(presenter_.PreviewDiff(1).back().text, u"b[无换行]");
  EXPECT_TRUE(presenter_.preview_shown());
  EXPECT_EQ(testing::ReadBytes(Site("p0.htm")), "a");
  EXPECT_EQ(configuration(), before);
}

TEST_F(WindowPresenterTest, CountsMovePageByPageAtMostFourTimesASecond) {
  Pages(6);
  presenter_.Click(Control::Command1);
  session_->scheduler().RunDue();  // listed
  EXPECT_EQ(presenter_.StatusBar().summary, u"已处理 0 页，改动 0 页，");
  for (int i = 0; i < 4; ++i) session_->scheduler().RunDue();  // two pages staged
  EXPECT_EQ(presenter_.StatusBar().summary, u"已处理 0 页，改动 0 页，");
  EXPECT_EQ(presenter_.CountsHeldFor(), WindowPresenter::kCountsInterval);
  clock_.Advance(WindowPresenter::kCountsInterval);
  // Processed page by page; changed once the batch is written.
  EXPECT_EQ(presenter_.StatusBar().summary, u"已处理 2 页，改动 0 页，");
  EXPECT_EQ(presenter_.CountsHeldFor(), WindowPresenter::kCountsInterval);  // asked again
  RunUntilIdle();
  EXPECT_EQ(presenter_.StatusBar().summary, u"已处理 6 页，改动 6 页，");  // the last at once
  EXPECT_EQ(presenter_.CountsHeldFor(), std::nullopt);
}

}  // namespace
}  // namespace quelbo
