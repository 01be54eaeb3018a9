// End-to-end: preview (--dry-run) and undo (--undo) of quelbo-batch.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "e2e/batch_fixture.h"

namespace quelbo {
namespace {

using testing::BatchTest;
using testing::Lines;

struct SiteFile {
  std::string bytes;
  std::filesystem::file_time_type modified;
  bool operator==(const SiteFile&) const = default;
};

// Every file of the site but the program, with its bytes and modification time.
std::map<std::string, SiteFile> Snapshot(const std::string& site) {
  std::map<std::string, SiteFile> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(site)) {
    const std::string relative = std::filesystem::relative(entry.path(), site).generic_string();
    if (!entry.is_regular_file() || relative == testing::kProgramName) continue;
    files[relative] = {testing::ReadBytes(site + "/" + relative), entry.last_write_time()};
  }
  return files;
}

struct Case {
  const char* name;
  std::vector<std::pair<std::u16string, std::u16string>> keys;
  std::vector<std::pair<std::string, std::string>> pages;
  // The preview's line for each page that changes: counts, tab, entry.
  std::vector<std::string> preview;
};

const Case kCases[] = {
    {"utf8 pairs in subdirectories",
     {{u"替换前1", u"old"}, {u"替换后1", u"new"}, {u"子目录", u"1"}},
     {{"a.htm", "old old\n</li>\n"}, {"d/b.htm", "x old\n"}, {"c.htm", "same\n"}},
     {"page\tcharset=0 li=1 pair1=2 pair2=0 pair3=0 delete=0 pair4=0 block0=0 block1=0 "
      "block2=0\ta.htm",
      "page\tcharset=0 li=0 pair1=1 pair2=0 pair3=0 delete=0 pair4=0 block0=0 block1=0 "
      "block2=0\td/b.htm"}},
    {"gbk page written as utf-8",
     {{u"UTF读入", u"0"}, {u"替换前4", u"旧"}, {u"替换后4", u"新"}},
     {{"g.htm", "charset=gb2312 \xBE\xC9\n"}},
     {"page\tcharset=1 li=0 pair1=0 pair2=0 pair3=0 delete=0 pair4=1 block0=0 block1=0 "
      "block2=0\tg.htm"}},
};

// A preview writes nothing (bytes, times, no new file) and names exactly the pages the run
// then changes; its diff shows the change.
TEST_F(BatchTest, DryRunChangesNothingAndForetellsTheRun) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(site_);
    for (const auto& [key, value] : c.keys) Key(key, value);
    for (const auto& [path, bytes] : c.pages) Page(path, bytes);
    const auto before = Snapshot(site_);
    const auto preview = Run({"--dry-run", "--diff"});
    ASSERT_EQ(preview.status, 0) << preview.err;
    EXPECT_EQ(Snapshot(site_), before);
    std::vector<std::string> listed;
    for (const std::string& line : Lines(preview.out)) {
      if (line.starts_with("page\t")) listed.push_back(line);
    }
    std::vector<std::string> expected = c.preview;
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    EXPECT_NE(preview.out.find("\n+++ b/"), std::string::npos);
    const size_t n = c.preview.size();
    EXPECT_NE(preview.out.find("\t" + std::to_string(n) + (n == 1 ? " page" : " pages") +
                               " would change\n"),
              std::string::npos);

    ASSERT_EQ(Run({}).status, 0);
    size_t changed = 0;
    for (const auto& [path, file] : Snapshot(site_)) changed += file.bytes != before.at(path).bytes;
    EXPECT_EQ(changed, c.preview.size());
  }
}

// An undo gives every page the run changed its bytes back, leaves a page edited since alone,
// and can itself be undone.
TEST_F(BatchTest, UndoRestoresTheRunsPagesAndCanBeUndone) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(site_);
    for (const auto& [key, value] : c.keys) Key(key, value);
    for (const auto& [path, bytes] : c.pages) Page(path, bytes);
    const auto original = Snapshot(site_);
    ASSERT_EQ(Run({}).status, 0);
    const auto after_run = Snapshot(site_);
    // With one page only, nothing would be left to undo twice.
    const std::string edited = c.pages.size() > 1 ? c.pages.front().first : "";
    if (!edited.empty()) Page(edited, "edited by hand");

    const auto undo = Run({"--undo"});
    EXPECT_EQ(undo.status, edited.empty() ? 0 : 1) << undo.err;
    EXPECT_EQ(undo.err.find(Filled(says_.changed_since, {edited})) != std::string::npos,
              !edited.empty());
    for (const auto& [path, file] : Snapshot(site_)) {
      EXPECT_EQ(file.bytes, path == edited ? "edited by hand" : original.at(path).bytes) << path;
    }
    const auto redo = Run({"--undo"});
    EXPECT_EQ(redo.status, 0) << redo.err;
    for (const auto& [path, file] : Snapshot(site_)) {
      EXPECT_EQ(file.bytes, path == edited ? "edited by hand" : after_run.at(path).bytes) << path;
    }
    EXPECT_NE(Run({"--list-runs"}).out.find("\tundo of "), std::string::npos);
  }
}

// The switch is a key after the others only while the journal is off; a run with the journal
// off keeps none, and one whose journal cannot be made does not start.
TEST_F(BatchTest, JournalSwitchAndAJournalThatCannotBeMade) {
  Key(u"替换前1", u"a");
  Key(u"替换后1", u"b");
  Page("p.htm", "a");
  const std::string ini = testing::ReadBytes(config_ + "htm批处理配置.ini");
  ASSERT_EQ(Run({"--journal=off"}).status, 0);
  EXPECT_EQ(testing::ReadBytes(config_ + "htm批处理配置.ini"),
            ini + "\xB2\xBB\xBC\xC7\xC2\xBC\xB3\xB7\xCF\xFA=1\r\n");
  ASSERT_EQ(Run({"--journal=on"}).status, 0);
  EXPECT_EQ(testing::ReadBytes(config_ + "htm批处理配置.ini"), ini);

  testing::WriteBytes(config_ + "runs", "a file where the journal's folder belongs");
  const auto refused = Run({});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(Read("p.htm"), "a");
  ASSERT_EQ(Run({"--journal=off"}).status, 0);
  EXPECT_EQ(Run({}).status, 0);
  EXPECT_EQ(Read("p.htm"), "b");
}

}  // namespace
}  // namespace quelbo
