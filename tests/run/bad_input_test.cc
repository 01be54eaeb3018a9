// Pages and directories a run must survive: each is reported, left as it was, and the run goes
// on with the next page.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "base/text_codec.h"
#include "support/session_fixture.h"

namespace quelbo {
namespace {

using Strings = std::vector<std::u16string>;
using Operation = testing::TestFileSystem::Operation;

class BadInputTest : public testing::SessionTest {
 protected:
  BadInputTest() { PlainSettings(1, true); }
  std::string Read(const std::string& relative) { return testing::ReadBytes(Site(relative)); }
  std::u16string ReasonFor(std::u16string_view entry) const {
    for (const auto& page : session_->report().skipped()) {
      if (page.entry == entry) return page.reason;
    }
    return u"(not reported)";
  }
};

TEST_F(BadInputTest, FileSystemFailuresLeaveThePageAndTheRunGoesOn) {
  struct Case {
    const char* page;
    Operation operation;
    int errno_value;
  };
  const Case cases[] = {{"unreadable.htm", Operation::kRead, EACCES},
                        {"io_error.htm", Operation::kRead, EIO},
                        {"readonly.htm", Operation::kReplace, EROFS},
                        {"full.htm", Operation::kReplace, ENOSPC},
                        {"denied.htm", Operation::kReplace, EACCES}};
  session_->panel().SetText(field::pair1Find, u"old");
  session_->panel().SetText(field::pair1Replace, u"new");
  for (const Case& c : cases) {
    PageFile(c.page, "old");
    fs_.Fail(c.operation, c.page, c.errno_value);
  }
  PageFile("fine.htm", "old");
  Start();
  for (const Case& c : cases) {
    EXPECT_EQ(Read(c.page), "old") << c.page;
    EXPECT_TRUE(ReasonFor(FromUtf8(c.page)).starts_with(u"无法读写（")) << c.page;
  }
  EXPECT_EQ(Read("fine.htm"), "new");
  EXPECT_EQ(session_->report().processed(), 1u);
  EXPECT_EQ(session_->report().skipped().size(), std::size(cases));
}

TEST_F(BadInputTest, PagesWithoutAWriteBitAreLeftAloneAndReported) {
  session_->panel().SetText(field::pair1Find, u"old");
  session_->panel().SetText(field::pair1Replace, u"new");
  const std::pair<const char*, std::uint32_t> pages[] = {{"r.htm", 0444}, {"rx.htm", 0555}};
  for (const auto& [page, mode] : pages) {
    PageFile(page, "old");
    std::filesystem::permissions(testing::PathOf(Site(page)), std::filesystem::perms(mode));
  }
  Start();
  for (const auto& [page, mode] : pages) {
    EXPECT_EQ(Read(page), "old") << page;
    EXPECT_EQ(ReasonFor(FromUtf8(page)), u"只读文件，未改动") << page;
#ifdef _WIN32
    const std::uint32_t kept = 0444;  // the read-only attribute is all Windows keeps
#else
    const std::uint32_t kept = mode;
#endif
    EXPECT_EQ(fs_.Stat(Site(page)).value().mode, kept) << page;
  }
}

TEST_F(BadInputTest, PageThatVanishesBetweenListingAndProcessing) {
  PageFile("gone.htm", "x");
  PageFile("stays.htm", "x");
  ASSERT_TRUE(session_->controller().StartRun());
  for (int i = 0; i < 3; ++i) session_->scheduler().RunDue();  // listed, walk finished
  ASSERT_TRUE(testing::Remove(Site("gone.htm")));
  RunUntilIdle();
  EXPECT_EQ(SkippedEntries(), Strings{u"gone.htm"});
  EXPECT_FALSE(testing::Exists(Site("gone.htm")));
  EXPECT_EQ(session_->report().processed(), 1u);
}

#ifndef _WIN32  // FIFOs and sockets
TEST_F(BadInputTest, ThingsThatAreNotRegularFiles) {
  ASSERT_EQ(::mkfifo(Site("fifo.htm").c_str(), 0644), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = Site("socket.htm");
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  socket_path.copy(address.sun_path, socket_path.size());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  Dir("directory.htm");
  ASSERT_EQ(::symlink("nowhere.htm", Site("dangling.htm").c_str()), 0);
  PageFile("page.htm", "x");
  Start();
  ::close(sock);
  EXPECT_EQ(taken_pages_, Strings{u"page.htm"});
  EXPECT_EQ(SkippedEntries(), (Strings{u"dangling.htm", u"fifo.htm", u"socket.htm"}));
}
#endif

TEST_F(BadInputTest, PageBytesThatCannotBeRewrittenSafely) {
  struct Case {
    const char* page;
    std::string bytes;
    bool read_utf8;
    bool skipped;
  };
  const Case cases[] = {
      {"empty.htm", "", true, false},
      {"zeros.htm", std::string(4096, '\0'), true, false},  // not "nul": a device on Windows
      {"zeros_gbk.htm", std::string(4096, '\0'), false, false},
      {"stray_lead_byte.htm", "<p>\xD6\xD0\xD6", false, true},
      {"overlong.htm", "<p>\xC0\xAF</p>", true, true},
      {"encoded_surrogate.htm", "<p>\xED\xA0\x80</p>", true, true},
  };
  for (const Case& c : cases) {
    session_->panel().SetTicked(field::readUtf8, c.read_utf8);
    session_->panel().SetTicked(field::writeUtf8, c.read_utf8);
    PageFile(c.page, c.bytes);
    Start();
    EXPECT_EQ(Read(c.page), c.bytes) << c.page;
    EXPECT_EQ(session_->report().skipped().size(), c.skipped ? 1u : 0u) << c.page;
    ASSERT_TRUE(testing::Remove(Site(c.page)));
  }
}

TEST_F(BadInputTest, AwkwardNamesAndManyEntries) {
  session_->panel().SetText(field::pair1Find, u"a");
  session_->panel().SetText(field::pair1Replace, u"b");
  const std::string long_name = std::string(251, 'n') + ".htm";  // 255 bytes, the most allowed
  for (const std::string& name : {std::string("with space.htm"), std::string("hash#1.htm"),
                                  std::string("中文 名字.htm"), long_name}) {
    PageFile(name, "a");
  }
  Dir("many");
#ifdef _WIN32
  const int many = 1000;  // Wine takes ten times as long per page
#else
  const int many = 10000;
#endif
  for (int i = 0; i < many; ++i) PageFile("many/p" + std::to_string(i) + ".htm", "a");
  Start();
  EXPECT_TRUE(session_->report().skipped().empty());
  EXPECT_EQ(session_->report().processed(), many + 4u);
  EXPECT_EQ(Read(long_name), "b");
  EXPECT_EQ(Read("hash#1.htm"), "b");  // the root's entries keep their "#"
  EXPECT_EQ(Read("many/p" + std::to_string(many - 1) + ".htm"), "b");
}

TEST_F(BadInputTest, DirectoriesThatCannotBeListedAreReportedAndTheWalkGoesOn) {
  for (const char* dir : {"denied", "gone", "open", "too_long"}) {
    Dir(dir);
    PageFile(std::string(dir) + "/p.htm", "x");
  }
  fs_.Fail(Operation::kList, "/denied", EACCES);
  fs_.Fail(Operation::kList, "/too_long", ENAMETOOLONG);
  ASSERT_TRUE(session_->controller().StartRun());
  for (int i = 0; i < 2; ++i) session_->scheduler().RunDue();  // root listed, queue collected
  std::filesystem::remove_all(Site("gone"));
  RunUntilIdle();
  EXPECT_EQ(taken_pages_, Strings{u"open/p.htm"});
  EXPECT_EQ(SkippedEntries(), (Strings{u"denied/", u"gone/", u"too_long/"}));
  for (const auto& skipped : session_->report().skipped()) {
    EXPECT_TRUE(skipped.reason.starts_with(u"无法列出目录（")) << ToUtf8(skipped.reason);
  }
  // The root itself: its pages and its subdirectories are both missing, and both are said.
  fs_.Fail(Operation::kList, "/site", EIO);
  Start();
  EXPECT_EQ(SkippedEntries(), (Strings{u"./", u"./"}));
  EXPECT_EQ(session_->panel().Text(kStatusLine), u"本目录内页面全部处理完毕了");
}

}  // namespace
}  // namespace quelbo
