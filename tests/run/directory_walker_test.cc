#include <gtest/gtest.h>
#include <unistd.h>

#include "support/session_fixture.h"

namespace quelbo {
namespace {

using Strings = std::vector<std::u16string>;

class DirectoryWalkerTest : public testing::SessionTest {
 protected:
  ControlPanel& panel() { return session_->panel(); }
  std::u16string Text(Control c) { return std::u16string(panel().Text(c)); }
  // Runs the one step that is due now.
  void Step() { ASSERT_EQ(session_->scheduler().RunDue(), 1); }
};

TEST_F(DirectoryWalkerTest, WorkedExampleWithSubdirectories) {
  PlainSettings(1, true);
  for (const char* page : {"r1.htm", "r2.htm", "A/a1.htm", "A/a2.htm", "B/b1.htm"}) {
    if (std::string(page).find('/') != std::string::npos) Dir(std::string(page).substr(0, 1));
    PageFile(page, "x");
  }
  ASSERT_TRUE(session_->controller().StartRun());

  Step();  // ListRootFiles
  EXPECT_EQ(Text(kPendingPages), u"r2.htm\r\nr1.htm\r\n###");
  EXPECT_EQ(TakeStatuses(), (Strings{u"r2.htm", u"", u"读取中请稍后..."}));
  Step();  // CollectSubdirectories
  EXPECT_EQ(Text(kDirectoryQueue), u"A\r\nB\r\n###\r\n###");
  Step();  // NextDirectory
  EXPECT_EQ(Text(kCurrentDirectory), u"A");
  EXPECT_EQ(Text(kDirectoryQueue), u"B\r\n###\r\n###");
  Step();  // ListDirectoryFiles
  EXPECT_EQ(Text(kCollectedFiles), u"A/a2.htm\r\nA/a1.htm\r\n###\r\n");
  EXPECT_EQ(Text(kEntryLine), u"");
  EXPECT_EQ(Text(kStatusLine), u"共找到=    0    -行数据C");
  Step();
  Step();
  EXPECT_EQ(Text(kCollectedFiles), u"B/b1.htm\r\n###\r\nA/a2.htm\r\nA/a1.htm\r\n###\r\n");
  EXPECT_EQ(Text(kStatusLine), u"共找到=    2    -行数据C");
  Step();  // NextDirectory at the end markers
  EXPECT_EQ(Text(kPendingPages), u"B/b1.htm\r\nA/a2.htm\r\nA/a1.htm\r\nr2.htm\r\nr1.htm\r\n###");
  EXPECT_EQ(Text(kStatusLine), u"共找到=    2    -行数据B");
  EXPECT_EQ(Text(kDirectoryQueue), u"");
  EXPECT_EQ(Text(kCollectedFiles), u"");
  EXPECT_EQ(panel().ProgressBar().max, 2);
  EXPECT_EQ(panel().ProgressBar().value, 0);
  RunUntilIdle();
  EXPECT_EQ(taken_pages_, (Strings{u"B/b1.htm", u"A/a2.htm", u"A/a1.htm", u"r2.htm", u"r1.htm"}));
  EXPECT_EQ(session_->report().processed(), 5u);
}

// The count is kept from directory to directory, yet a list edited in between is counted anew.
TEST_F(DirectoryWalkerTest, CollectedCountFollowsAnEditedList) {
  PlainSettings(1, true);
  for (const char* dir : {"A", "B"}) Dir(dir);
  PageFile("A/a.htm", "x");
  PageFile("B/b.htm", "x");
  ASSERT_TRUE(session_->controller().StartRun());
  for (int step = 0; step < 4; ++step) Step();  // through A's files
  panel().SetText(kCollectedFiles, u"x\r\ny\r\n" + Text(kCollectedFiles));
  Step();
  Step();
  EXPECT_EQ(Text(kStatusLine), u"共找到=    3    -行数据C");
}

TEST_F(DirectoryWalkerTest, RootOnly) {
  PlainSettings(1, false);
  PageFile("r1.htm", "x");
  PageFile("r2.htm", "x");
  Dir("A");
  PageFile("A/a.htm", "x");
  ASSERT_TRUE(session_->controller().StartRun());
  Step();
  EXPECT_EQ(Text(kPendingPages), u"r2.htm\r\nr1.htm\r\n###");
  EXPECT_EQ(Text(kStatusLine), u"共找到=    -1    -行数据A");
  RunUntilIdle();
  EXPECT_EQ(taken_pages_, (Strings{u"r2.htm", u"r1.htm"}));
}

TEST_F(DirectoryWalkerTest, NoPageAtAll) {
  PlainSettings(1, false);
  const double max_before = panel().ProgressBar().max;
  Start();
  EXPECT_EQ(TakeStatuses(),
            (Strings{u"共找到=    -3    -行数据A", u"页面替换中。。。", u"本目录内页面全部处理完毕了"}));
  EXPECT_EQ(panel().ProgressBar().max, max_before);  // not set up
}

TEST_F(DirectoryWalkerTest, ProgressIsSetUpAboveFiveFoundInTheRoot) {
  struct Case {
    int pages;
    long long found;
    bool set_up;
  };
  for (const Case& c : {Case{6, 3, false}, Case{9, 6, true}}) {
    PlainSettings(1, false);
    panel().SetProgressMax(100);
    for (int i = 0; i < c.pages; ++i) PageFile("p" + std::to_string(i) + ".htm", "x");
    std::vector<double> values;
    const auto id = panel().AddObserver([&](Control control) {
      if (control == Control::ProgressBar1) values.push_back(panel().ProgressBar().value);
    });
    Start();
    panel().RemoveObserver(id);
    EXPECT_EQ(panel().ProgressBar().max, c.set_up ? static_cast<double>(c.found) : 100);
    EXPECT_EQ(session_->report().processed(), static_cast<size_t>(c.pages));
    if (c.set_up) {
      // Full after the sixth page and for the last three; 0 at the end.
      EXPECT_EQ(values, (std::vector<double>{0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 0}));
    }
  }
}

TEST_F(DirectoryWalkerTest, RootWithoutSubdirectoriesLeavesABlankFirstLine) {
  PlainSettings(1, true);
  PageFile("r.htm", "x");
  ASSERT_TRUE(session_->controller().StartRun());
  Step();
  Step();
  EXPECT_EQ(Text(kDirectoryQueue), u"###\r\n###");
  Step();
  EXPECT_EQ(Text(kPendingPages), u"\r\nr.htm\r\n###");
  TakeStatuses();
  RunUntilIdle();
  EXPECT_EQ(TakeStatuses()[1], u"去空行处理完毕了");
  EXPECT_EQ(taken_pages_, Strings{u"r.htm"});
}

TEST_F(DirectoryWalkerTest, WhatIsListedAndWhatIsNot) {
  PlainSettings(1, true);
  PageFile("INDEX.HTM", "x");     // suffix without regard to case
  PageFile("x.html", "x");        // another suffix
  PageFile(".hidden.htm", "x");   // hidden
  Dir("sub/deeper");
  PageFile("sub/s.Htm", "x");
  PageFile("sub/deeper/d.htm", "x");  // two levels down
  Dir(".git");
  PageFile(".git/g.htm", "x");
  Dir("dir.htm");  // a directory is not a page
  Start();
  EXPECT_EQ(taken_pages_, (Strings{u"sub/s.Htm", u"INDEX.HTM"}));
  EXPECT_TRUE(session_->report().skipped().empty());
}

TEST_F(DirectoryWalkerTest, LinksOutsideTheSiteAreSkippedAndReportedInsideFollowed) {
  PlainSettings(1, true);
  fs_.MakeDirectories(dir_ / "elsewhere").value();
  testing::WriteBytes(dir_ / "elsewhere/e.htm", "outside");
  Dir("real");
  PageFile("real/r.htm", "x");
  if (!testing::MakeLink(dir_ / "elsewhere", Site("away"))) {
    GTEST_SKIP() << "no symbolic links here";
  }
  ASSERT_TRUE(testing::MakeLink(dir_ / "elsewhere/e.htm", Site("e.htm")));
  ASSERT_TRUE(testing::MakeLink(Site("real"), Site("alias")));
  Start();
  EXPECT_EQ(taken_pages_, (Strings{u"real/r.htm", u"alias/r.htm"}));
  EXPECT_EQ(SkippedEntries(), (Strings{u"e.htm", u"away/"}));
  EXPECT_EQ(testing::ReadBytes(dir_ / "elsewhere/e.htm"), "outside");
}

#ifndef _WIN32  // names Windows cannot hold
TEST_F(DirectoryWalkerTest, NamesThatCannotStandInAListAreSkippedAndReported) {
  PlainSettings(1, true);
  PageFile("ok #1 with spaces.htm", "x");
  PageFile("bad\xFF.htm", "x");
  PageFile("two\nlines.htm", "x");
  PageFile("sub\\p.htm", "x");  // would be opened as sub/p.htm
  for (const char* dir : {"dir\xFE", "a##b", "sub", "z"}) {
    Dir(dir);
    PageFile(std::string(dir) + "/p.htm", "x");
  }
  PageFile("sub/a#b.htm", "x");  // would lose its "#" and name sub/ab.htm
  PageFile("sub/ab.htm", "x");
  Start();
  EXPECT_EQ(taken_pages_,
            (Strings{u"z/p.htm", u"sub/p.htm", u"sub/ab.htm", u"ok #1 with spaces.htm"}));
  EXPECT_EQ(SkippedEntries(), (Strings{u"bad\uFFFD.htm", u"sub\\p.htm", u"two\nlines.htm", u"a##b/",
                                       u"dir\uFFFD/", u"sub/a#b.htm"}));
  EXPECT_EQ(testing::ReadBytes(Site("bad\xFF.htm")), "x");
}
#endif

TEST_F(DirectoryWalkerTest, QueueWithoutEndMarkersCannotMakeTheWalkEndless) {
  PlainSettings(1, true);
  Dir("a");
  PageFile("a/p.htm", "x");
  panel().SetText(kDirectoryQueue, u"a");
  session_->scheduler().Arm(quelbo::Step::Timer5, kNextPass);
  RunUntilIdle();
  EXPECT_EQ(taken_pages_, Strings{u"a/p.htm"});
}

}  // namespace
}  // namespace quelbo
