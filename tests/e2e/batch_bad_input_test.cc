// End-to-end: quelbo-batch against full disks, read-only mounts, size limits and damaged
// configuration files. Each gives a clear report and leaves every page as it was.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <functional>

#include "e2e/batch_fixture.h"
#include "platform/run_lock.h"

namespace quelbo {
namespace {

using testing::BatchTest;
using testing::ReadBytes;
using testing::WriteBytes;

#ifndef _WIN32
// A small tmpfs mounted over a directory, when this process may mount (root); else skipped.
class ScopedTmpfs {
 public:
  ScopedTmpfs(const std::string& where, const char* options) : where_(where) {
    mounted_ = ::mount("tmpfs", where.c_str(), "tmpfs", 0, options) == 0;
  }
  ~ScopedTmpfs() {
    if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  bool RemountReadOnly() {
    return ::mount("tmpfs", where_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  std::string where_;
  bool mounted_ = false;
};
#endif

class BatchBadInputTest : public BatchTest {
 protected:
  BatchBadInputTest() {
    Key(u"替换前1", u"a");
    Key(u"替换后1", u"aaaa");  // pages grow, so a full disk shows
  }
  std::vector<std::string> TemporaryFiles(const std::string& directory = "") {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(site_ + "/" + directory)) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with(".quelbo-tmp-")) names.push_back(name);
    }
    return names;
  }
};

#ifndef _WIN32  // mounts and size limits
TEST_F(BatchBadInputTest, FullDisk) {
  Key(u"子目录", u"1");
  std::filesystem::create_directory(site_ + "/disk");
  ScopedTmpfs disk(site_ + "/disk", "size=2m");
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  const std::string big(700 * 1024, 'a');
  Page("disk/big.htm", big);    // needs 2.8 MB more: cannot fit
  Page("disk/small.htm", "a");  // fits
  const auto result = Run({});
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_NE(result.err.find(Filled(says_.skipped, {"disk/big.htm", ""})), std::string::npos)
      << result.err;
  EXPECT_EQ(Read("disk/big.htm"), big);
  EXPECT_EQ(Read("disk/small.htm"), "aaaa");
  EXPECT_TRUE(TemporaryFiles("disk").empty());
}

TEST_F(BatchBadInputTest, ReadOnlySiteDirectory) {
  Key(u"子目录", u"1");
  std::filesystem::create_directory(site_ + "/ro");
  ScopedTmpfs disk(site_ + "/ro", "size=1m");
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  Page("ro/p.htm", "a");
  ASSERT_TRUE(disk.RemountReadOnly());
  const auto result = Run({});
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_NE(result.err.find(Filled(says_.skipped, {"ro/p.htm", ""})), std::string::npos)
      << result.err;
  EXPECT_EQ(Read("ro/p.htm"), "a");
}

TEST_F(BatchBadInputTest, FileSizeLimitFailsTheWriteInsteadOfKillingTheRun) {
  const std::string program = InstallProgram();
  Page("big.htm", std::string(100 * 1024, 'a'));  // 400 KB after the rule: over the limit
  Page("small.htm", "a");
  const auto result = testing::RunProcess(
      {"/bin/sh", "-c", "ulimit -f 200 && exec \"$0\"", program}, Environment());
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(Read("big.htm"), std::string(100 * 1024, 'a'));
  EXPECT_EQ(Read("small.htm"), "aaaa");
  EXPECT_TRUE(TemporaryFiles().empty());
}
#endif

// Each keeps the run from starting (exit status 2), says why, and leaves the pages and the
// site as they were.
TEST_F(BatchBadInputTest, WhatStopsTheStart) {
  const std::string ini = config_ + "htm批处理配置.ini";
  SiteRunLock other_run;
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string said;
  };
  const Case cases[] = {
      {"an INI file that is a directory",
       [&] {
         std::filesystem::remove(testing::PathOf(ini));
         std::filesystem::create_directory(testing::PathOf(ini));
       },
       "htm批处理配置.ini"},
      {"a read-only INI file", [&] { ASSERT_TRUE(testing::MakeReadOnly(ini)); },
       "htm批处理配置.ini: read-only"},
      {"a read-only list file",
       [&] { ASSERT_TRUE(testing::MakeReadOnly(config_ + "shanchu.txt")); },
       "shanchu.txt: read-only"},
      {"a file where the locks folder goes",
       [&] {
         std::filesystem::remove_all(testing::PathOf(config_ + "locks"));
         WriteBytes(config_ + "locks", "");
       },
       "locks: "},
      {"another run on the site",
       [&] {
         ASSERT_TRUE(testing::Remove(config_ + "locks"));
         ASSERT_TRUE(other_run.Acquire(config_ + "locks", fs_.RealPath(site_).value()));
       },
       Filled(says_.site_busy, {""})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    List("shanchu.txt", u"");
    c.arrange();
    Page("p.htm", "a");
    const auto result = Run({});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
    EXPECT_EQ(Read("p.htm"), "a");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(site_), {}), 2);  // page, program
    std::error_code ignored;
    for (const std::string& file : {ini, config_ + "shanchu.txt"}) {
      std::filesystem::permissions(testing::PathOf(file), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(testing::PathOf(ini));
    Key(u"替换前1", u"a");
  }
}

#ifndef _WIN32  // FIFOs and /dev/full
TEST_F(BatchBadInputTest, ListFileThatCannotBeReadIsNotWrittenOverAndTheRunDoesNotStart) {
  std::filesystem::remove(config_ + "tihuanqian.txt");
  ASSERT_EQ(::mkfifo((config_ + "tihuanqian.txt").c_str(), 0644), 0);
  Page("p.htm", "a");
  const auto result = Run({});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find(config_ + "tihuanqian.txt"), std::string::npos) << result.err;
  EXPECT_TRUE(std::filesystem::is_fifo(config_ + "tihuanqian.txt"));
  EXPECT_EQ(Read("p.htm"), "a");
}

TEST_F(BatchBadInputTest, TraceThatCannotBeWrittenEndsTheRunAsAStopDoes) {
  Page("p.htm", "a");
  const std::string program = InstallProgram();
  const auto result = testing::RunProcess(
      {"/bin/sh", "-c", "exec \"$0\" --trace >/dev/full", program}, Environment());
  EXPECT_EQ(result.status, 130) << result.err;
  EXPECT_NE(result.err.find(Filled(says_.stdout_failed, {""})), std::string::npos) << result.err;
  EXPECT_EQ(Read("p.htm"), "a");
}
#endif

TEST_F(BatchBadInputTest, GarbageAndHugeConfigurationFiles) {
  // Garbage before the section, a 1 MB line, and a 50 MB list file: the settings that can be
  // read are, the rest take their defaults, and the run works.
  std::string ini("\xFF\xFE\x00garbage\x81\r\n", 13);
  ini += "[HTML]\r\n";
  ini += "\xB2\xBB\xCC\xE6\xBB\xBB\xC4\xBF\xC2\xBC=" + std::string(1 << 20, 'x') + "\r\n";
  ini += ReadBytes(config_ + "htm批处理配置.ini").substr(8);  // the keys after "[HTML]\r\n"
  WriteBytes(config_ + "htm批处理配置.ini", ini);
  std::string list(50 << 20, 'q');
  list += "\r\n";
  WriteBytes(config_ + "shanchu.txt", list);
  Page("p.htm", "a");
  const auto result = Run({});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Read("p.htm"), "aaaa");
  EXPECT_EQ(ReadBytes(config_ + "shanchu.txt").size(), list.size());  // saved back whole
  // The 1 MB excluded-directory value came back cut to 255 bytes, and was saved so.
  EXPECT_EQ(ReadIniValue(fs_, u"HTML", u"不替换目录", u"", config_ + "htm批处理配置.ini"),
            std::u16string(255, u'x'));
}

}  // namespace
}  // namespace quelbo
