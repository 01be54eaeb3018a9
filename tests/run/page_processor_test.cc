#include "run/page_processor.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "panel/settings_fields.h"
#include "run/headless_loop.h"
#include "support/manual_clock.h"
#include "support/step_scheduler_probe.h"
#include "support/temp_dir.h"

namespace quelbo {
namespace {

using testing::Exists;
using testing::Hex;
using testing::ReadBytes;
using testing::WriteBytes;

std::string MakeDirectory(std::string path) {
  testing::MakeDirectory(path);
  return path;
}

class PageProcessorTest : public ::testing::Test {
 protected:
  PageProcessorTest() {
    for (Control c : {field::pair1Find, field::pair2Find, field::pair3Find, field::deleteText,
                      field::pair4Find}) {
      panel_.SetText(c, u"");
    }
    panel_.AddObserver([this](Control c) {
      if (c == kStatusLine) statuses_.emplace_back(panel_.Text(kStatusLine));
    });
    processor_.InstallSteps();
  }

  // Runs the page loop over `list` until nothing is armed.
  void RunList(std::u16string list) {
    panel_.SetText(kPendingPages, std::move(list));
    scheduler_.Arm(Step::Timer1, kNextPass);
    ASSERT_EQ(loop_.Run(), HeadlessLoop::Outcome::kIdle);
  }
  // p.htm and q.htm, listed, each holding the "a" that pair 1 changes; the loop armed.
  void StartTwoPagesToChange() {
    panel_.SetText(field::pair1Find, u"a");
    panel_.SetText(field::pair1Replace, u"b");
    for (const char* name : {"p.htm", "q.htm"}) WriteBytes(Page(name), "a");
    panel_.SetText(kPendingPages, u"p.htm\r\nq.htm\r\n###");
    scheduler_.Arm(Step::Timer1, kNextPass);
  }
  void Encodings(bool detect, bool read_utf8, bool write_utf8) {
    panel_.SetTicked(field::autoDetectCharset, detect);
    panel_.SetTicked(field::readUtf8, read_utf8);
    panel_.SetTicked(field::writeUtf8, write_utf8);
  }
  std::string Page(std::string_view name) const { return site_ + "/" + std::string(name); }
  std::vector<std::u16string> SkippedEntries() const {
    std::vector<std::u16string> entries;
    for (const auto& page : report_.skipped()) entries.push_back(page.entry);
    return entries;
  }

  testing::TempDir dir_;
  std::string site_ = MakeDirectory(dir_ / "site");
  std::unique_ptr<FileSystem> machine_fs_ = NewMachineFileSystem();
  FileSystem& fs_ = *machine_fs_;
  testing::ManualClock clock_;
  ControlPanel panel_;
  StepScheduler scheduler_{clock_};
  HeadlessLoop loop_{scheduler_, clock_};
  RunReport report_;
  SiteRoot root_ = SiteRoot::Open(fs_, site_).value();
  PageProcessor processor_{panel_, scheduler_, fs_, root_, report_};
  std::vector<std::u16string> statuses_;
};

TEST_F(PageProcessorTest, BlankLinesAreCollapsedOnceAndSkippedLineByLine) {
  Encodings(false, true, true);
  WriteBytes(Page("a.htm"), "a");
  WriteBytes(Page("b.htm"), "b");
  panel_.SetText(kPendingPages, u"a.htm\r\n\r\n\r\nb.htm\r\n###");
  processor_.TakeNextPage();
  EXPECT_EQ(panel_.Text(kCurrentPage), u"a.htm");
  EXPECT_EQ(panel_.Text(kPendingPages), u"\r\nb.htm\r\n###");
  EXPECT_TRUE(scheduler_.IsArmed(Step::Timer2));
  EXPECT_FALSE(scheduler_.IsArmed(Step::Timer1));
  processor_.TransformPage();  // the page in work done, as its step would

  processor_.TakeNextPage();
  EXPECT_EQ(panel_.Text(kStatusLine), u"去空行处理完毕了");
  EXPECT_EQ(testing::StepSchedulerProbe::Interval(scheduler_, Step::quyi), 10);
  processor_.SkipPendingLine();
  EXPECT_EQ(panel_.Text(kPendingPages), u"b.htm\r\n###");
  EXPECT_EQ(testing::StepSchedulerProbe::Interval(scheduler_, Step::Timer1), 100);
  EXPECT_FALSE(scheduler_.IsArmed(Step::quyi));

  processor_.TakeNextPage();
  EXPECT_EQ(panel_.Text(kCurrentPage), u"b.htm");
  processor_.TransformPage();
  processor_.TakeNextPage();
  EXPECT_EQ(panel_.Text(kStatusLine), u"本目录内页面全部处理完毕了");
  EXPECT_EQ(panel_.Text(kCurrentPage), u"");
  EXPECT_EQ(panel_.ProgressBar().value, 0);
  EXPECT_TRUE(scheduler_.Idle());
}

TEST_F(PageProcessorTest, StatusTextsOfAWholeRunInOrder) {
  Encodings(true, false, false);
  WriteBytes(Page("a.htm"), "<meta charset=utf-8>x");
  RunList(u"\r\na.htm\r\n###");
  EXPECT_EQ(statuses_, (std::vector<std::u16string>{
                           u"页面替换中。。。", u"去空行处理完毕了", u"页面替换中。。。",
                           u"自动识别编码", u"工作中", u"开始处理内容", u"生成UTF-8格式完毕",
                           u"工作中", u"页面替换中。。。", u"本目录内页面全部处理完毕了"}));
  // The switches show what was detected for the last page.
  EXPECT_TRUE(panel_.Ticked(field::readUtf8));
  EXPECT_TRUE(panel_.Ticked(field::writeUtf8));
}

TEST_F(PageProcessorTest, Utf8PagesKeepEveryByteAndUnchangedPagesAreNotRewritten) {
  Encodings(false, true, true);
  const std::string bytes = "\xEF\xBB\xBF<p>\xE4\xB8\xAD</p>\n</LI>\n";
  WriteBytes(Page("bom.htm"), bytes);
  const auto before = fs_.Stat(Page("bom.htm")).value();
  RunList(u"bom.htm\r\n###");
  EXPECT_EQ(Hex(ReadBytes(Page("bom.htm"))), Hex(bytes));
  EXPECT_TRUE(fs_.Stat(Page("bom.htm")).value().SameFileAs(before));  // not replaced
  EXPECT_EQ(report_.processed(), 1u);
  EXPECT_EQ(report_.changed(), 0u);
}

TEST_F(PageProcessorTest, AChangedPageCountsAsStagedUntilItsBatchIsWritten) {
  Encodings(false, true, true);
  StartTwoPagesToChange();
  for (int pass = 0; pass < 2; ++pass) scheduler_.RunDue();  // p.htm taken and staged
  EXPECT_EQ(report_.staged(), 1u);
  EXPECT_EQ(report_.processed() + report_.changed(), 0u);
  ASSERT_EQ(loop_.Run(), HeadlessLoop::Outcome::kIdle);
  EXPECT_EQ(report_.staged(), 0u);
  EXPECT_EQ(report_.changed(), 2u);
}

// The walk's end arms the first page step again while a page may be in work (the walk and
// the page loop interleave after Continue): that page is still rewritten, and then the next.
TEST_F(PageProcessorTest, APageInWorkIsRewrittenBeforeTheNextIsTaken) {
  Encodings(true, true, true);
  StartTwoPagesToChange();
  scheduler_.RunDue();  // p.htm taken, its detection armed
  scheduler_.Arm(Step::Timer1, kNextPass);
  ASSERT_EQ(loop_.Run(), HeadlessLoop::Outcome::kIdle);
  EXPECT_EQ(ReadBytes(Page("p.htm")), "b");
  EXPECT_EQ(ReadBytes(Page("q.htm")), "b");
  EXPECT_EQ(report_.changed(), 2u);
}

TEST_F(PageProcessorTest, GbkToUtf8RewritesTheCharsetAndAddsNothing) {
  Encodings(false, false, true);
  // <meta charset=gb2312>中文 gbk, in code page 936
  WriteBytes(Page("g.htm"), "<meta charset=gb2312>\xD6\xD0\xCE\xC4 gbk\r\n");
  RunList(u"g.htm\r\n###");
  EXPECT_EQ(ReadBytes(Page("g.htm")), "<meta charset=utf-8>\xE4\xB8\xAD\xE6\x96\x87 utf-8\r\n");
  EXPECT_EQ(report_.changed(), 1u);
}

TEST_F(PageProcessorTest, Utf8ToGbkDropsTheByteOrderMarkAndAppendsNoLineBreak) {
  Encodings(false, true, false);
  WriteBytes(Page("u.htm"), "\xEF\xBB\xBF<meta charset=utf-8>\xE4\xB8\xAD");
  RunList(u"u.htm\r\n###");
  EXPECT_EQ(Hex(ReadBytes(Page("u.htm"))), Hex("<meta charset=gb2312>\xD6\xD0"));
}

TEST_F(PageProcessorTest, RulesApplyAndPermissionBitsStay) {
  Encodings(false, true, true);
  panel_.SetText(field::pair1Find, u"旧");
  panel_.SetText(field::pair1Replace, u"新");
  panel_.SetTicked(field::block0Enabled, true);
  panel_.SetText(field::block0Start, u"<!--ad-->");
  panel_.SetText(field::block0End, u"<!--/ad-->");
  panel_.SetText(field::block0Replace, u"");
  WriteBytes(Page("p.htm"), "\xE6\x97\xA7<!--ad-->buy<!--/ad-->\n<li>x</li>\n");
#ifndef _WIN32
  ::chmod(Page("p.htm").c_str(), 0604);
#endif
  RunList(u"p.htm\r\n###");
  EXPECT_EQ(ReadBytes(Page("p.htm")), "\xE6\x96\xB0<li>x</li>\r\n");
#ifndef _WIN32
  struct stat st;
  ::stat(Page("p.htm").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
#endif
}

TEST_F(PageProcessorTest, DetectionReadsPagesInTheEncodingTheirBytesAreValidIn) {
  Encodings(true, false, false);
  panel_.SetText(field::pair1Find, u"中");
  panel_.SetText(field::pair1Replace, u"新");
  const std::string declared = "<meta charset=\"gb2312\">\xD6\xD0";
  const std::string neither = "<meta charset=gbk>\xD6\xD0\x81<";
  WriteBytes(Page("declared.htm"), declared);
  WriteBytes(Page("neither.htm"), neither);
  WriteBytes(Page("undeclared.htm"), "\xD6\xD0\xCE\xC4");  // 中文 in code page 936
  // A byte-order mark outranks the meta tag, though the bytes are valid in code page 936 too.
  const std::string bom = "\xEF\xBB\xBF{$head}<meta charset=gb2312>";
  WriteBytes(Page("bom.htm"), bom + "\xE4\xB8\xAD\xE6\x96\x87");
  RunList(u"declared.htm\r\nneither.htm\r\nbom.htm\r\nundeclared.htm\r\n###");
  EXPECT_EQ(ReadBytes(Page("declared.htm")), "<meta charset=\"gb2312\">\xD0\xC2");
  EXPECT_EQ(Hex(ReadBytes(Page("bom.htm"))), Hex(bom + "\xE6\x96\xB0\xE6\x96\x87"));
  EXPECT_EQ(ReadBytes(Page("neither.htm")), neither);
  EXPECT_EQ(ReadBytes(Page("undeclared.htm")), "\xD0\xC2\xCE\xC4");
  EXPECT_EQ(SkippedEntries(), std::vector<std::u16string>{u"neither.htm"});
  EXPECT_NE(std::find(statuses_.begin(), statuses_.end(),
                      u"跳过 neither.htm：按第1行的声明（charset=gbk）读作GBK，"
                      u"但不是有效的GBK编码（第1行，字节偏移20），未改动"),
            statuses_.end());
  // The switches show the encoding the last page was read in, not its guess.
  EXPECT_FALSE(panel_.Ticked(field::readUtf8));
  EXPECT_FALSE(panel_.Ticked(field::writeUtf8));
}

TEST_F(PageProcessorTest, PagesThatCannotBeProcessedSafelyAreLeftAndTheRunGoesOn) {
  Encodings(false, true, false);
  WriteBytes(dir_ / "outside.htm", "<meta charset=utf-8>");
  // Where no links can be made, out.htm is missing: skipped all the same.
  (void)testing::MakeLink(dir_ / "outside.htm", Page("out.htm"));
  testing::MakeDirectory(Page("dir.htm"));
  WriteBytes(Page("emoji.htm"), "\xF0\x9F\x98\x80");  // no code page 936 form
  WriteBytes(Page("last.htm"), "charset=utf-8");
  RunList(u"missing.htm\r\nout.htm\r\ndir.htm\r\nemoji.htm\r\nlast.htm\r\n###");
  EXPECT_FALSE(Exists(Page("missing.htm")));
  EXPECT_EQ(ReadBytes(dir_ / "outside.htm"), "<meta charset=utf-8>");
  EXPECT_EQ(ReadBytes(Page("emoji.htm")), "\xF0\x9F\x98\x80");
  EXPECT_EQ(ReadBytes(Page("last.htm")), "charset=gb2312");
  EXPECT_EQ(SkippedEntries(),
            (std::vector<std::u16string>{u"missing.htm", u"out.htm", u"dir.htm", u"emoji.htm"}));
  EXPECT_EQ(report_.skipped().at(3).reason,
            u"含有GBK无法表示的字符 U+1F600 “\U0001F600”（第1行），未改动");
  EXPECT_EQ(report_.processed(), 1u);
  EXPECT_EQ(panel_.Text(kStatusLine), u"本目录内页面全部处理完毕了");
}

// A page edited while the run is stopped between detection and rewrite is read again; one
// edited between the two steps without a stop keeps the edit and is reported skipped.
TEST_F(PageProcessorTest, PageEditedBetweenDetectionAndRewriteKeepsTheEdit) {
  Encodings(true, true, true);
  panel_.SetText(field::pair1Find, u"old");
  panel_.SetText(field::pair1Replace, u"new");
  for (const bool stopped : {true, false}) {
    SCOPED_TRACE(stopped);
    statuses_.clear();
    WriteBytes(Page("p.htm"), "old");
    panel_.SetText(kPendingPages, u"p.htm\r\n###");
    scheduler_.Arm(Step::Timer1, kNextPass);
    const auto detected = [this] {
      return std::find(statuses_.begin(), statuses_.end(), u"自动识别编码") != statuses_.end();
    };
    ASSERT_EQ(loop_.Run(detected), HeadlessLoop::Outcome::kStopRequested);
    if (stopped) processor_.Stopped();
    WriteBytes(Page("p.htm"), "old, edited meanwhile");
    ASSERT_EQ(loop_.Run(), HeadlessLoop::Outcome::kIdle);
    EXPECT_EQ(ReadBytes(Page("p.htm")),
              stopped ? "new, edited meanwhile" : "old, edited meanwhile");
    EXPECT_EQ(SkippedEntries().size(), stopped ? 0u : 1u);
  }
}

TEST_F(PageProcessorTest, MissingPageIsNotCreatedWithDetectionOnEither) {
  Encodings(true, false, false);
  RunList(u"lost#.htm\r\n###");
  EXPECT_FALSE(Exists(Page("lost#.htm")));
  EXPECT_EQ(report_.skipped().size(), 1u);
}

TEST_F(PageProcessorTest, LinkInsideTheSiteIsWrittenThroughAndStaysALink) {
  Encodings(false, false, true);
  testing::MakeDirectory(Page("sub"));
  WriteBytes(Page("sub/t.htm"), "gb2312");
  if (!testing::MakeLink("sub/t.htm", Page("l.htm"))) GTEST_SKIP() << "no symbolic links here";
  RunList(u"l.htm\r\n###");
  EXPECT_EQ(ReadBytes(Page("sub/t.htm")), "utf-8");
  EXPECT_EQ(fs_.LinkStat(Page("l.htm")).value().type, FileType::kSymlink);
}

TEST_F(PageProcessorTest, EmptyTextWrittenAsUtf8LeavesAnEmptyFile) {
  Encodings(false, false, true);
  panel_.SetText(field::deleteText, u"all");
  WriteBytes(Page("e.htm"), "all");
  RunList(u"e.htm\r\n###");
  ASSERT_TRUE(Exists(Page("e.htm")));
  EXPECT_EQ(ReadBytes(Page("e.htm")), "");
}

TEST_F(PageProcessorTest, RerunWithAnEmptyCurrentPageSaysSoAndCarriesOn) {
  panel_.SetText(kCurrentPage, u"");
  panel_.SetText(kPendingPages, u"###");
  scheduler_.Arm(Step::Timer2, kNextPass);
  ASSERT_EQ(loop_.Run(), HeadlessLoop::Outcome::kIdle);
  EXPECT_EQ(statuses_.at(1), u"当前页面为空，没有页面可处理");
  EXPECT_EQ(statuses_.back(), u"本目录内页面全部处理完毕了");
  EXPECT_TRUE(report_.skipped().empty());
  EXPECT_TRUE(fs_.ListDirectory(site_)->empty());  // nothing was made of the root path
}

TEST_F(PageProcessorTest, ProgressNeverPassesTheMaximum) {
  Encodings(false, true, true);
  panel_.SetProgressMax(2);
  panel_.SetProgressValue(0);
  std::vector<double> values;
  panel_.AddObserver([&](Control c) {
    if (c == Control::ProgressBar1) values.push_back(panel_.ProgressBar().value);
  });
  for (const char* name : {"1.htm", "2.htm", "3.htm"}) WriteBytes(Page(name), "x");
  RunList(u"3.htm\r\n2.htm\r\n1.htm\r\n###");
  EXPECT_EQ(values, (std::vector<double>{1, 2, 0}));
}

TEST_F(PageProcessorTest, ListWithoutAnyLineFeedIsTakenOnce) {
  Encodings(false, true, true);
  WriteBytes(Page("a.htm"), "x");
  RunList(u"a.htm");
  EXPECT_EQ(report_.processed(), 1u);
  EXPECT_EQ(panel_.Text(kPendingPages), u"");
}

TEST_F(PageProcessorTest, BareLineFeedsInAnEditedListSplitAsTheyFall) {
  // The entry runs to the first CR LF, the line taken away to the first LF.
  Encodings(false, true, true);
  WriteBytes(Page("b.htm"), "x");
  panel_.SetText(kPendingPages, u"a\nb.htm\r\n###");
  processor_.TakeNextPage();
  EXPECT_EQ(panel_.Text(kCurrentPage), u"a\nb.htm");
  EXPECT_EQ(panel_.Text(kPendingPages), u"b.htm\r\n###");
}

TEST_F(PageProcessorTest, LongListCostsConstantWorkPerPage) {
  // 20,000 entries of pages that do not exist: the list must shrink to nothing with the text
  // seen exactly as the rules say at every step (checked at a few points).
  Encodings(false, true, true);
  std::u16string list;
  for (size_t i = 0; i < 20000; ++i) {
    list += u"p" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u".htm\r\n";
  }
  list += u"###";
  panel_.SetText(kPendingPages, list);
  for (size_t i = 0; i < 20000; ++i) {
    processor_.TakeNextPage();
    processor_.TransformPage();  // a page that does not exist: skipped
    if (i % 5000 == 0) {
      EXPECT_EQ(panel_.Text(kPendingPages), std::u16string_view(list).substr((i + 1) * 8));
    }
  }
  EXPECT_EQ(panel_.Text(kPendingPages), u"###");
}

}  // namespace
}  // namespace quelbo
