#include "run/run_journal.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "run/content_digest.h"
#include "run/run_undo.h"
#include "support/session_fixture.h"
#include "support/test_file_system.h"

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

// Journals on disk hold these digests, so they are pinned: XXH3-128 in its canonical form (the
// empty input's is the library's published test vector).
TEST(RunJournalTest, ContentIdsStayTheSame) {
  const std::string forty(40, 'x');
  std::string letters;  // long enough for the hash's vector loop, on every path it takes
  for (size_t i = 0; i < 100000; ++i) letters.push_back(static_cast<char>('a' + i % 23));
  const std::string_view long_text = letters;
  const struct {
    std::string_view bytes;
    std::string_view digest;
  } cases[] = {
      {"", "99aa06d3014798d86001c324468d497f"},
      {"a", "a96faf705af16834e6c632b61e964e1f"},
      {std::string_view("a\0", 2), "fe6c33c14011b5780d78baac08237ddb"},
      {forty, "205eb51ff4ba728a884322f76914af3f"},
      {long_text.substr(0, 241), "f8735622761e9cea541eba2a0d2c1a47"},
      {long_text.substr(0, 5000), "ad7d0c41e09157d8cb35fdbc711e3ad2"},
      {long_text, "5a74cdece22ae5aa48b10fe59c2b815f"},
  };
  for (const auto& c : cases) {
    const ContentId id = IdentifyContent(c.bytes);
    EXPECT_EQ(id, (ContentId{c.bytes.size(), std::string(c.digest)}));
    EXPECT_TRUE(IsContent(id, c.bytes));
    EXPECT_FALSE(IsContent(id, std::string(c.bytes) + "y"));
    EXPECT_FALSE(IsContent({id.size, std::string(32, '0')}, c.bytes));
  }
}

// Takes run `id` back, step by step, as a session's scheduler would.
UndoOutcome UndoNow(FileSystem& fs, const SiteRoot& root, RunJournal& journal,
                    const std::string& id) {
  testing::ManualClock clock;
  StepScheduler scheduler(clock);
  RunUndo undo(fs, root, journal, scheduler);
  undo.InstallStep();
  EXPECT_TRUE(undo.Start(id, true, Clock::now()));
  while (undo.active()) scheduler.RunDue();
  return undo.outcome();
}

// Runs that each replace `pages[i]` pages (0: a run that changed nothing); the oldest runs
// beyond the limit go first, and a run that changed nothing leaves no journal. A run folder
// that cannot be removed is said, and the next End removes it.
TEST(RunJournalTest, KeepsTheNewestRunsThatReplacedPages) {
  const struct {
    std::vector<size_t> pages;
    size_t kept;
    size_t first_kept;  // index of the oldest run still kept
    size_t refused_at;  // at the End of this run, the oldest run cannot be removed (0: never)
  } cases[] = {
      {{1, 0, 2}, 2, 0, 0},
      {std::vector<size_t>(kJournalKeptRuns + 3, 1), kJournalKeptRuns, 3, 0},
      {std::vector<size_t>(kJournalKeptRuns + 2, 1), kJournalKeptRuns, 2, kJournalKeptRuns},
  };
  for (const auto& c : cases) {
    TempDir dir;
    testing::TestFileSystem fs;
    WriteBytes(dir / "page.htm", "x");
    const FileInfo info = fs.Stat(dir / "page.htm").value();
    RunJournal journal(fs, dir / "runs/");
    std::vector<std::string> ids;
    for (size_t i = 0; i < c.pages.size(); ++i) {
      const bool refused = c.refused_at > 0 && i == c.refused_at;
      if (refused) fs.Fail(testing::TestFileSystem::Operation::kRemove, ids[0], EBUSY);
      if (c.refused_at > 0 && i == c.refused_at + 1) fs.ClearFaults();
      ASSERT_TRUE(journal.Begin(dir.path(), "run", "", "",
                                Clock::from_time_t(static_cast<std::time_t>(1000 + 60 * i))));
      ids.push_back(journal.run_id());
      for (size_t p = 0; p < c.pages[i]; ++p) {
        ASSERT_TRUE(journal.KeepPage(u"page.htm", dir / "page.htm", info, IdentifyContent("x"),
                                     IdentifyContent("y")));
      }
      ASSERT_TRUE(journal.RecordKeptPages());
      journal.NotePagesReplaced(c.pages[i]);
      journal.End();
      EXPECT_EQ(journal.unremoved().runs, refused ? 1u : 0u);
      if (refused) {
        EXPECT_NE(journal.unremoved().first.find(ids[0]), std::string::npos);
      }
    }
    const auto runs = journal.ListRuns();
    ASSERT_EQ(runs.size(), c.kept);
    EXPECT_EQ(runs.front().id, ids[c.first_kept]);
    EXPECT_EQ(runs.back().id, ids.back());
    EXPECT_EQ(runs.back().replaced, c.pages.back());
  }
}

// The old bytes are a second name of the old file only on the same file system and when the
// page has no other name: a write in place through that name must not reach the journal.
TEST(RunJournalTest, KeepsOldBytesByLinkOnlyWhenThePageHasNoOtherName) {
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
    for (const bool second_name : {false, true}) {
      if (!same_fs && !shm_differs) continue;
      const std::string runs = same_fs ? site_dir / "runs/" : shm + "/runs/";
      const auto fs = NewMachineFileSystem();
      const std::string page = site_dir / "a.htm";
      WriteBytes(page, "old bytes");
      std::filesystem::remove(site_dir / "a.html");
      std::error_code linked;
      if (second_name) std::filesystem::create_hard_link(page, site_dir / "a.html", linked);
      if (linked) continue;  // a volume without hard links
      const auto root = SiteRoot::Open(*fs, site_dir.path()).value();
      RunJournal journal(*fs, runs);
      ASSERT_TRUE(journal.Begin(root.path(), "run", "", "", Clock::now()));
      const std::string id = journal.run_id();
      ASSERT_TRUE(journal.KeepPage(u"a.htm", page, fs->Stat(page).value(),
                                   IdentifyContent("old bytes"), IdentifyContent("new bytes")));
      ASSERT_TRUE(journal.RecordKeptPages());
      EXPECT_EQ(Inode(runs + id + "/old/0") == Inode(page), same_fs && !second_name);
      ASSERT_TRUE(fs->ReplaceFile(page, "new bytes"));
      journal.NotePagesReplaced(1);
      journal.End();
      if (second_name) WriteBytes(site_dir / "a.html", "edited through the other name");
      EXPECT_EQ(UndoNow(*fs, root, journal, id).restored, 1u);
      EXPECT_EQ(ReadBytes(page), "old bytes");
      std::filesystem::remove_all(shm);
    }
  }
}

// A batch whose lines cannot be written takes its numbers with it: the next batch's lines
// never name the files of a page dropped before.
TEST(RunJournalTest, AFailedBatchGivesNoNumberTwice) {
  TempDir dir;
  testing::TestFileSystem fs;
  WriteBytes(dir / "p.htm", "x");
  const FileInfo info = fs.Stat(dir / "p.htm").value();
  RunJournal journal(fs, dir / "runs/");
  ASSERT_TRUE(journal.Begin(dir.path(), "run", "", "", Clock::now()));
  auto keep = [&] {
    return journal.KeepPage(u"p.htm", dir / "p.htm", info, IdentifyContent("x"),
                            IdentifyContent("y"));
  };
  ASSERT_TRUE(keep() && keep());
  fs.Fail(testing::TestFileSystem::Operation::kAppend, "pages.txt", ENOSPC);
  EXPECT_FALSE(journal.RecordKeptPages());
  fs.ClearFaults();
  ASSERT_TRUE(keep() && journal.RecordKeptPages());
  const JournalPages read = journal.ReadPages(journal.run_id()).value();
  ASSERT_EQ(read.pages.size(), 1u);
  EXPECT_EQ(read.pages[0].number, "2");
  EXPECT_FALSE(testing::Exists(dir / "runs/" + journal.run_id() + "/old/0"));
  journal.Abandon();
}

class JournalSessionTest : public testing::SessionTest {
 protected:
  std::string RunFolder() {
    return dir_ / "config/AAAHTML批量替换配置log/runs/" + session_->LastRun()->id + "/";
  }
};

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

// An undo restores a page only when the page holds what the run wrote and the kept bytes are
// what it held before; anything else is left as it is and named.
TEST_F(JournalSessionTest, UndoRestoresOnlyWhatTheJournalProves) {
  using Edit = std::function<void(const std::string& run)>;
  bool linked = true;  // false where the system makes no symbolic link: the case is left out
  auto rewrite = [](const std::string& file, auto change) {
    std::string text = ReadBytes(file);
    change(text);
    WriteBytes(file, text);
  };
  // The pages are journaled in the order taken: p2, p1, p0 (numbers 0, 1, 2).
  const struct {
    const char* what;
    Edit edit;
    std::string p2, p1, p0;  // the pages after the undo
    size_t failed, damaged, missing;
  } cases[] = {
      {"nothing", [](const std::string&) {}, "a2", "a1", "a0", 0, 0, 0},
      {"a kept copy edited in place",
       [](const std::string& run) { WriteBytes(run + "old/0", "z2"); }, "b2", "a1", "a0", 1, 0, 0},
      {"a kept copy emptied", [](const std::string& run) { WriteBytes(run + "old/1", ""); }, "a2",
       "b1", "a0", 1, 0, 0},
      {"two numbers swapped",
       [&](const std::string& run) {
         rewrite(run + "pages.txt", [](std::string& t) { t[0] = '1', t[t.find("\n1") + 1] = '0'; });
       },
       "b2", "b1", "a0", 2, 0, 0},
      {"a number leading out of the run",
       [&](const std::string& run) {
         rewrite(run + "pages.txt", [](std::string& t) { t.replace(0, 1, "../../x"); });
       },
       "b2", "a1", "a0", 0, 1, 0},
      {"a kept copy replaced by a link to the right bytes",
       [&](const std::string& run) {
         WriteBytes(dir_ / "outside", "a0");
         testing::Remove(run + "old/2");
         linked = testing::MakeLink(dir_ / "outside", run + "old/2");
       },
       "a2", "a1", "b0", 1, 0, 0},
      {"pages.txt cut by a line",
       [&](const std::string& run) {
         rewrite(run + "pages.txt", [](std::string& t) { t.erase(t.find('\n') + 1); });
       },
       "a2", "b1", "b0", 0, 0, 2},
      {"pages.txt emptied", [](const std::string& run) { WriteBytes(run + "pages.txt", ""); }, "b2",
       "b1", "b0", 0, 0, 3},
      {"a page replaced by a link out of the site",
       [&](const std::string&) {
         testing::Remove(Site("p1.htm"));
         linked = testing::MakeLink(dir_ / "outside", Site("p1.htm"));
       },
       "a2", "outside", "a0", 1, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PlainSettings(1, false);
    session_->panel().SetText(field::pair1Find, u"a");
    session_->panel().SetText(field::pair1Replace, u"b");
    WriteBytes(dir_ / "outside", "outside");
    for (const char* page : {"p0.htm", "p1.htm", "p2.htm"}) {
      testing::Remove(Site(page));
      PageFile(page, std::string("a") + page[1]);
    }
    ASSERT_TRUE(session_->StartRun());
    RunUntilIdle();
    linked = true;
    c.edit(RunFolder());
    const UndoOutcome outcome = session_->Undo().value();
    if (!linked) continue;
    EXPECT_EQ(ReadBytes(Site("p0.htm")), c.p0);
    EXPECT_EQ(ReadBytes(Site("p1.htm")), c.p1);
    EXPECT_EQ(ReadBytes(Site("p2.htm")), c.p2);
    ASSERT_EQ(outcome.failed.size(), c.failed);
    EXPECT_EQ(outcome.damaged_lines, c.damaged);
    EXPECT_EQ(outcome.missing_lines, c.missing);
    EXPECT_EQ(outcome.Complete(), c.failed + c.damaged + c.missing == 0);
    EXPECT_TRUE(outcome.changed_since.empty());
    if (c.failed > 0 && std::string(c.what).starts_with("a kept")) {
      EXPECT_NE(outcome.failed[0].reason.find(u"撤销记录中的原内容"), std::u16string::npos);
    }
  }
}

// A run holds the site from its Start to its end, stopped or not; an undo waits for it; an idle
// session holds nothing.
TEST_F(JournalSessionTest, OnePieceOfWorkAtATimeAndTheLockOnlyWhileWorking) {
  PlainSettings(1, false);
  session_->panel().SetText(field::pair1Find, u"a");
  session_->panel().SetText(field::pair1Replace, u"b");
  for (int i = 0; i < 50; ++i) PageFile("p" + std::to_string(i) + ".htm", "a");
  const std::string locks = dir_ / "config/AAAHTML批量替换配置log/locks";
  auto site_free = [&] {
    SiteRunLock other;
    return other.Acquire(locks, session_->root_path()).has_value();
  };
  EXPECT_TRUE(site_free());
  ASSERT_TRUE(session_->StartRun());
  int steps = 0;
  (void)loop_->Run([&] { return ++steps > 12; });
  session_->Click(Control::Command4);  // stopped
  EXPECT_EQ(session_->work(), Session::Work::kRun);
  EXPECT_FALSE(site_free());
  EXPECT_FALSE(session_->StartRun(/*preview=*/true));
  session_->Click(Control::Command4);  // going on
  RunUntilIdle();
  EXPECT_EQ(session_->work(), Session::Work::kNone);
  EXPECT_TRUE(site_free());
  SiteRunLock other;
  ASSERT_TRUE(other.Acquire(locks, session_->root_path()));
  EXPECT_EQ(session_->StartUndo().error().kind(), ErrorKind::kBusy);
  EXPECT_EQ(ReadBytes(Site("p0.htm")), "b");
  other.Release();
  const size_t changed = session_->report().changed();
  ASSERT_TRUE(session_->StartUndo());
  RunUntilIdle();
  EXPECT_EQ(session_->undo().outcome().restored, changed);
  EXPECT_TRUE(site_free());
  // A preview leaves the fields as typed, so that the Start after it does what it showed.
  session_->panel().SetText(field::excludedDirs, u"images|");
  session_->panel().SetText(field::pair1Find, u"a\r\n");
  ASSERT_TRUE(session_->StartRun(/*preview=*/true));
  RunUntilIdle();
  EXPECT_EQ(session_->panel().Text(field::excludedDirs), u"images|");
  EXPECT_EQ(session_->panel().Text(field::pair1Find), u"a\r\n");
}

}  // namespace
}  // namespace quelbo
