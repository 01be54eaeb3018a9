#include "run/run_journal.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "run/content_digest.h"
#include "run/run_undo.h"
#include "support/session_fixture.h"

namespace quelbo {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Clock = std::chrono::system_clock;

std::uint64_t Inode(const std::string& path) {
  const auto info = NewMachineFileSystem()->Stat(path);
  return info ? info->inode : 0;
}

// Journals on disk hold these digests, so they are pinned; digests of older journals
// (SHA-256) are still recognised.
TEST(RunJournalTest, ContentDigestsStayTheSame) {
  const std::string forty(40, 'x');
  const struct {
    std::string_view bytes;
    std::string_view digest;
  } cases[] = {
      {"", "81dd6340f75edec0b927866a84a652ac"},
      {"a", "f88123f42016994137c5c475c0ff75b7"},
      {std::string_view("a\0", 2), "142ee0cdc538890f3073a028f1f80d23"},
      {forty, "a5d4f0dcded2a0c32c8d6fdbf82c2419"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ContentDigest(c.bytes), c.digest);
    EXPECT_TRUE(MatchesContentDigest(c.digest, c.bytes));
    EXPECT_FALSE(MatchesContentDigest(c.digest, "other"));
  }
  const std::string_view abc_sha256 =
      "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  EXPECT_TRUE(MatchesContentDigest(abc_sha256, "abc"));
  EXPECT_FALSE(MatchesContentDigest(abc_sha256, "abd"));
}

// Runs that each replace `pages[i]` pages (0: a run that changed nothing); the oldest runs
// beyond the limit go first, and a run that changed nothing leaves no journal.
TEST(RunJournalTest, KeepsTheNewestRunsThatReplacedPages) {
  const struct {
    std::vector<size_t> pages;
    size_t kept;
    size_t first_kept;  // index of the oldest run still kept
  } cases[] = {
      {{1, 0, 2}, 2, 0},
      {std::vector<size_t>(kJournalKeptRuns + 3, 1), kJournalKeptRuns, 3},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const auto fs = NewMachineFileSystem();
    WriteBytes(dir / "page.htm", "x");
    RunJournal journal(*fs, dir / "runs/");
    std::vector<std::string> ids;
    for (size_t i = 0; i < c.pages.size(); ++i) {
      ASSERT_TRUE(journal.Begin(dir.path(), "run", "", "",
                                Clock::from_time_t(static_cast<std::time_t>(1000 + 60 * i))));
      ids.push_back(journal.run_id());
      for (size_t p = 0; p < c.pages[i]; ++p) {
        ASSERT_TRUE(journal.KeepPage(u"page.htm", dir / "page.htm", 1, "y"));
      }
      journal.End();
    }
    const auto runs = journal.ListRuns();
    ASSERT_EQ(runs.size(), c.kept);
    EXPECT_EQ(runs.front().id, ids[c.first_kept]);
    EXPECT_EQ(runs.back().id, ids.back());
    EXPECT_EQ(runs.back().pages, c.pages.back());
  }
}

// The old bytes are a second name of the old file on the same file system, a copy elsewhere;
// either way an undo gives them back.
TEST(RunJournalTest, KeepsOldBytesByLinkOrCopyAndUndoRestoresThem) {
  TempDir site_dir;
  // Shared memory, where Linux has it, is a file system of its own.
  const std::string shm = "/dev/shm/" + site_dir.path().substr(site_dir.path().rfind('/') + 1);
  const bool shm_differs = [&] {
    const auto machine = NewMachineFileSystem();
    const auto a = machine->Stat("/dev/shm");
    const auto b = machine->Stat(site_dir.path());
    return a && b && a->device != b->device;
  }();
  for (const bool same_fs : {true, false}) {
    if (!same_fs && !shm_differs) continue;
    const std::string runs = same_fs ? site_dir / "runs/" : shm + "/runs/";
    const auto fs = NewMachineFileSystem();
    const std::string page = site_dir / "a.htm";
    WriteBytes(page, "old bytes");
    const auto root = SiteRoot::Open(*fs, site_dir.path()).value();
    RunJournal journal(*fs, runs);
    ASSERT_TRUE(journal.Begin(root.path(), "run", "", "", Clock::now()));
    const std::string id = journal.run_id();
    ASSERT_TRUE(journal.KeepPage(u"a.htm", page, 9, "new bytes"));
    ASSERT_TRUE(journal.RecordKeptPages());
    EXPECT_EQ(Inode(runs + id + "/old/0") == Inode(page), same_fs);
    ASSERT_TRUE(fs->ReplaceFile(page, "new bytes"));
    journal.End();
    const auto outcome = UndoRun(*fs, root, journal, id, Clock::now()).value();
    EXPECT_EQ(outcome.restored, 1u);
    EXPECT_EQ(ReadBytes(page), "old bytes");
    std::filesystem::remove_all(shm);
  }
}

class JournalSessionTest : public testing::SessionTest {};

// The journal cannot be opened: the run does not start. A page's old bytes or its line cannot
// be kept: that page is not replaced.
TEST_F(JournalSessionTest, AJournalThatCannotBeWrittenReplacesNoPage) {
  const struct {
    testing::TestFileSystem::Operation operation;
    bool starts;
  } cases[] = {
      {testing::TestFileSystem::Operation::kReplace, false},
      {testing::TestFileSystem::Operation::kKeepCopy, true},
      {testing::TestFileSystem::Operation::kAppend, true},
  };
  for (const auto& c : cases) {
    PlainSettings(1, false);
    session_->panel().SetText(field::pair1Find, u"a");
    session_->panel().SetText(field::pair1Replace, u"b");
    PageFile("p.htm", "aaa");
    fs_.Fail(c.operation, "/runs/", ENOSPC);
    EXPECT_EQ(session_->StartRun(), c.starts);
    RunUntilIdle();
    EXPECT_EQ(ReadBytes(Site("p.htm")), "aaa");
    EXPECT_EQ(SkippedEntries().size(), c.starts ? 1u : 0u);
    fs_.ClearFaults();
  }
}

}  // namespace
}  // namespace quelbo
