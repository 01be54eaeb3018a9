// End-to-end: the quelbo-batch program on temporary sites and configuration directories.

#include <gtest/gtest.h>
#include <signal.h>
#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#include <fstream>
#endif

#include "base/paths.h"
#include "e2e/batch_fixture.h"
#include "platform/ini_profile.h"

namespace quelbo {
namespace {

using testing::BatchTest;
using testing::Has;
using testing::Lines;
using testing::ReadBytes;
using testing::WriteBytes;

TEST_F(BatchTest, SubdirectoriesFoundCountsAndRules) {
  Key(u"子目录", u"1");
  Key(u"替换前1", u"old");
  Key(u"替换后1", u"new");
  for (const char* page : {"r1.htm", "r2.htm", "A/a1.htm", "A/a2.htm", "B/b1.htm"}) {
    Page(page, "old");
  }
  Page("A/deeper/d.htm", "old");
  const auto result = Run();
  ASSERT_EQ(result.status, 0) << result.err;
  const auto trace = Lines(result.out);
  // The root listing shows the next name after each one, and "" after the last.
  ASSERT_GE(trace.size(), 2u);
  EXPECT_TRUE(trace[0] == "r1.htm" || trace[0] == "r2.htm") << trace[0];
  EXPECT_EQ(trace[1], "");
  EXPECT_TRUE(Has(trace, "读取中请稍后..."));
  EXPECT_TRUE(Has(trace, "共找到=    2    -行数据B"));
  EXPECT_TRUE(Has(trace, "这里开始读取A的文件"));
  EXPECT_EQ(trace.back(), "本目录内页面全部处理完毕了");
  for (const char* page : {"r1.htm", "r2.htm", "A/a1.htm", "A/a2.htm", "B/b1.htm"}) {
    EXPECT_EQ(Read(page), "new") << page;
  }
  EXPECT_EQ(Read("A/deeper/d.htm"), "old");
  EXPECT_TRUE(Read(testing::kProgramName).starts_with(testing::kProgramMagic));  // not a page
  EXPECT_NE(result.err.find(Filled(says_.summary, {Counted(5, says_.page), "5", "0"})),
            std::string::npos);
}

TEST_F(BatchTest, RootOnlyFoundCountAndSettingsSavedAsTyped) {
  Key(u"替换前1", u" spaced ");
  for (const char* page : {"r1.htm", "r2.htm"}) Page(page, "x");
  const auto result = Run();
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Has(Lines(result.out), "共找到=    -1    -行数据A"));
  // Start saved the fields before cleaning them (blanks are dropped by the INI read itself).
  EXPECT_EQ(ReadIniValue(fs_, u"HTML", u"替换前1", u"", config_ + "htm批处理配置.ini"), u"spaced");
}

TEST_F(BatchTest, ExcludedDirectoriesAreLeftAlone) {
  Key(u"子目录", u"1");
  Key(u"不替换目录", u"images");
  List("tihuanqian.txt", u"a");
  List("tihuanhou.txt", u"b");
  for (const char* page : {"images/p.htm", "images2/p.htm", "css/p.htm", "js/p.htm"}) {
    Page(page, "a");
  }
  const auto result = Run();
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Read("images/p.htm"), "a");
  EXPECT_EQ(Read("images2/p.htm"), "a");
  EXPECT_EQ(Read("css/p.htm"), "b");
  EXPECT_EQ(Read("js/p.htm"), "b");
}

TEST_F(BatchTest, DetectionConvertsNothingAndKeepsBothEncodingsByteForByte) {
  Key(u"自动识别", u"1");
  Key(u"替换前1", u"旧");
  Key(u"替换后1", u"新");
  Page("gbk.htm", "<meta charset=gb2312>\xBE\xC9");  // 旧 in code page 936
  Page("utf8.htm", "\xEF\xBB\xBF<meta charset=utf-8>\xE6\x97\xA7");
  const auto result = Run();
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Read("gbk.htm"), "<meta charset=gb2312>\xD0\xC2");  // 新
  EXPECT_EQ(Read("utf8.htm"), "\xEF\xBB\xBF<meta charset=utf-8>\xE6\x96\xB0");
}

TEST_F(BatchTest, SkippedPagesGiveExitStatusOneAndAreListed) {
  Key(u"子目录", u"1");
  Key(u"自动识别", u"1");
  Page("bad.htm", "<meta charset=gbk>\xD6\xD0\x81<");  // neither GBK nor UTF-8
  Page("sub#1/p.htm", "x");                            // its entries would lose the "#"
  Page("x##y/p.htm", "x");                             // would end the walk
  std::vector<std::string> reported = {"bad.htm", "sub#1/", "x##y/"};
  // Names Windows cannot hold.
#ifndef _WIN32
  Page("sub#1\\p.htm", "x");  // would be opened as sub#1/p.htm
  Page("bad\xFF.htm", "x");   // not a UTF-8 name
  reported.insert(reported.end(), {"sub#1\\p.htm", "bad\xEF\xBF\xBD.htm"});
  EXPECT_EQ(Read("sub#1\\p.htm"), "x");
#endif
  fs_.MakeDirectories(dir_ / "elsewhere").value();
  WriteBytes(dir_ / "elsewhere/e.htm", "e");
  if (Link(dir_ / "elsewhere/e.htm", site_ + "/link.htm")) reported.push_back("link.htm");
  Page("good.htm", "x");
  const auto result = Run();
  EXPECT_EQ(result.status, 1);
  for (const std::string& entry : reported) {
    EXPECT_NE(result.err.find(Filled(says_.skipped, {entry, ""})), std::string::npos) << result.err;
  }
  EXPECT_EQ(Read("bad.htm"), "<meta charset=gbk>\xD6\xD0\x81<");
  for (const char* page : {"sub#1/p.htm", "x##y/p.htm"}) EXPECT_EQ(Read(page), "x");
  EXPECT_EQ(ReadBytes(dir_ / "elsewhere/e.htm"), "e");
  EXPECT_NE(result.err.find(Filled(says_.summary,
                                   {Counted(1, says_.page), "0", std::to_string(reported.size())})),
            std::string::npos)
      << result.err;
}

// No write bits on POSIX systems, the read-only attribute on Windows: the same answer.
TEST_F(BatchTest, ReadOnlyPageIsLeftAloneAndSaidSo) {
  Key(u"替换前1", u"a");
  Key(u"替换后1", u"b");
  Page("ro.htm", "a");
  Page("rw.htm", "a");
  ASSERT_TRUE(testing::MakeReadOnly(site_ + "/ro.htm"));
  const auto result = Run({});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(Filled(says_.skipped, {"ro.htm", says_.read_only_file})),
            std::string::npos)
      << result.err;
  EXPECT_EQ(Read("ro.htm"), "a");
  EXPECT_EQ(Read("rw.htm"), "b");
}

TEST_F(BatchTest, UnsavableSettingsGiveExitStatusTwoAndTouchNoPage) {
  ASSERT_TRUE(fs_.MakeDirectories(config_ + "shanchu.txt"));
  Key(u"替换前1", u"x");
  Key(u"替换后1", u"y");
  Page("p.htm", "x");
  const auto result = Run();
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("shanchu.txt"), std::string::npos) << result.err;
  EXPECT_EQ(Read("p.htm"), "x");
}

TEST_F(BatchTest, CommandLineAnswersAndFaults) {
  WriteBytes(dir_ / "file", "");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string shown;  // on stdout when the status is 0, else on stderr
  };
  const Case cases[] = {
      {{"--help"}, 0, ShownPath(config_)},
      {{"--bogus", "--help"}, 0, std::string(says_.usage.substr(0, says_.usage.find('\n')))},
      {{"--version"}, 0, "quelbo-batch " QUELBO_VERSION "\n"},
      {{"--bogus"}, 2, Filled(says_.unknown_option, {"--bogus"})},
      {{site_, site_}, 2, Filled(says_.second_site_folder, {""})},
      {{dir_ / "missing"}, 2, "site folder " + ShownPath(dir_ / "missing") + ": no such folder"},
      {{dir_ / "file"}, 2, "site folder " + ShownPath(dir_ / "file") + ": not a folder"},
  };
  for (const Case& c : cases) {
    const auto result = Run(c.args);
    EXPECT_EQ(result.status, c.status) << c.args[0];
    EXPECT_NE((c.status == 0 ? result.out : result.err).find(c.shown), std::string::npos)
        << result.out << result.err;
  }
#ifndef _WIN32
  // A user whose language is Chinese reads Chinese, whichever locales the machine has.
  std::vector<std::string> chinese = Environment();
  chinese.push_back("LC_ALL=zh_CN.UTF-8");
  Page("p.htm", "a");
  const auto help = testing::RunProcess({InstallProgram(), "--help"}, chinese);
  EXPECT_TRUE(help.out.starts_with("用法：quelbo-batch")) << help.out;
  const auto run = testing::RunProcess({InstallProgram(), site_}, chinese);
  EXPECT_NE(run.err.find("已处理 1 个页面，改动 0 个，跳过 0 个"), std::string::npos) << run.err;
#endif
}

// The program where it was built, the site named through a link: links in the site are judged
// against the folder the link leads to.
TEST_F(BatchTest, GivenSiteFolderIsTheRoot) {
  Key(u"子目录", u"1");
  Key(u"替换前1", u"a");
  Key(u"替换后1", u"b");
  Page("p.htm", "a");
  Page("A/q.htm", "a");
  WriteBytes(dir_ / "outside.htm", "a");
  if (!Link(dir_ / "outside.htm", site_ + "/out.htm")) GTEST_SKIP() << "no symbolic links here";
  ASSERT_TRUE(Link("A/q.htm", site_ + "/in.htm"));
  ASSERT_TRUE(Link(site_, dir_ / "named"));
  const auto result =
      testing::RunProcess({testing::BatchProgramPath(), dir_ / "named"}, Environment());
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(Filled(says_.skipped, {"out.htm", ""})), std::string::npos)
      << result.err;
  EXPECT_EQ(Read("p.htm"), "b");
  EXPECT_EQ(Read("A/q.htm"), "b");
  EXPECT_TRUE(std::filesystem::is_symlink(testing::PathOf(site_ + "/in.htm")));
  EXPECT_EQ(ReadBytes(dir_ / "outside.htm"), "a");
}

TEST_F(BatchTest, WithoutTraceStdoutStaysEmpty) {
  Page("p.htm", "x");
  const auto result = Run({});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
}

#ifdef _WIN32
// Started from Explorer, the program's console is its own and goes with it: it waits for Enter
// after the summary. Started from a prompt or a script, it shares their console, never waits,
// and leaves the console's code page as it found it.
TEST_F(BatchTest, OwnConsoleWaitsForEnterAPromptsConsoleDoesNot) {
  Key(u"替换前1", u"a");
  Key(u"替换后1", u"b");
  const std::string program = InstallProgram();
  const std::string prompt =
      UserLanguage() == Language::kChinese ? "按回车键关闭" : "Press Enter to close";
  for (const bool from_prompt : {false, true}) {
    Page("p.htm", "a");
    testing::ConsoleProcess started(from_prompt ? "cmd /c \"\"" + program + "\" & pause\""
                                                : "\"" + program + "\"");
    // Not attached before the program ends (it would count this test as a prompt's shell),
    // and the page not read through ReadBytes meanwhile: Windows refuses an open while the run
    // replaces it, and that is no fault.
    for (int i = 0; i < 400; ++i, ::Sleep(50)) {
      std::ifstream page(testing::PathOf(site_ + "/p.htm"), std::ios::binary);
      if (page.good() && page.get() == 'b') break;
    }
    if (!started.HasWindow()) GTEST_SKIP() << "no console window here (no display)";
    // A console shows a Chinese character in two cells: the summary is known by its ASCII start.
    ASSERT_TRUE(
        started.WaitForScreen(UserLanguage() == Language::kChinese
                                  ? std::string("quelbo-batch: ")
                                  : Filled(says_.summary, {Counted(1, says_.page), "1", "0"})));
    EXPECT_EQ(Read("p.htm"), "b");
    if (from_prompt) {
      ASSERT_TRUE(started.WaitForAttached(2));  // cmd and this test: the program has ended
      EXPECT_EQ(started.Screen().find(prompt), std::string::npos);
      EXPECT_EQ(started.OutputCodePage(), ::GetOEMCP());
      std::printf("console: from a prompt: the summary, no wait; code page %u again\n",
                  started.OutputCodePage());
    } else {
      ASSERT_TRUE(started.WaitForScreen(prompt)) << started.Screen();
      EXPECT_EQ(started.Wait(1000), -1);  // still waiting
      std::printf("console: its own: the summary, then \"%s\"; running a second later\n",
                  prompt.c_str());
    }
    started.PressEnter();
    EXPECT_EQ(started.Wait(), 0) << from_prompt;
  }
}
#endif

#ifndef _WIN32  // signals and shared libraries
TEST_F(BatchTest, TerminationHangUpAndBrokenPipeFinishThePageInWorkAndExit130) {
  // With subdirectories on and none there, the first pending line is blank and the run pauses
  // 110 ms to skip it: a moment to stop it in.
  Key(u"子目录", u"1");
  Key(u"替换前1", u"a");
  Key(u"替换后1", u"b");
  Page("p.htm", "a");
  for (int signal_number : {SIGTERM, SIGHUP, SIGPIPE}) {
    testing::ChildProcess child({InstallProgram(), "--trace"}, Environment());
    ASSERT_TRUE(child.WaitForLine("去空行处理完毕了"));
    child.Signal(signal_number);
    EXPECT_EQ(child.Wait(), 130) << signal_number;
    EXPECT_EQ(Read("p.htm"), "a");  // not reached: stopped before its turn
  }
}

TEST_F(BatchTest, LinksNoWindowToolkitNorProjectLibraries) {
  const auto ldd = testing::RunProcess({"/usr/bin/ldd", QUELBO_BATCH_PATH});
  ASSERT_EQ(ldd.status, 0);
  EXPECT_EQ(ldd.out.find("Qt"), std::string::npos) << ldd.out;
  EXPECT_EQ(ldd.out.find("quelbo"), std::string::npos) << ldd.out;
}
#endif

}  // namespace
}  // namespace quelbo
