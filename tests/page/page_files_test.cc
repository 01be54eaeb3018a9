#include "page/page_files.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/memory_limits.h"
#include "support/temp_dir.h"
#include "support/test_file_system.h"

namespace quelbo {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class PageFilesTest : public ::testing::Test {
 protected:
  PageFilesTest() {
    testing::MakeDirectory(dir_ / "site");
    testing::MakeDirectory(dir_ / "site/sub");
    WriteBytes(dir_ / "site/a.htm", "a");
    WriteBytes(dir_ / "site/sub/b.htm", "b");
    WriteBytes(dir_ / "outside.htm", "secret");
  }
  SiteRoot Root() { return SiteRoot::Open(fs_, dir_ / "site").value(); }

  testing::TempDir dir_;
  testing::TestFileSystem fs_;
};

TEST_F(PageFilesTest, EntriesResolveInsideTheRootWithEitherSeparator) {
  const SiteRoot root = Root();
  EXPECT_EQ(root.ResolvePage(fs_, u"a.htm").value().path, root.path() + "/a.htm");
  EXPECT_EQ(root.ResolvePage(fs_, u"sub/b.htm").value().path, root.path() + "/sub/b.htm");
  EXPECT_EQ(root.ResolvePage(fs_, u"sub\\b.htm").value().path, root.path() + "/sub/b.htm");
}

TEST_F(PageFilesTest, EntriesThatMustNotBeProcessed) {
  ASSERT_TRUE(testing::MakeDirectory(dir_ / "site/dir.htm"));
  // Sparse: refused by its size, never read.
  WriteBytes(dir_ / "site/huge.htm", "");
  std::filesystem::resize_file(testing::PathOf(dir_ / "site/huge.htm"), LargestReadableFile() + 1);
  const SiteRoot root = Root();
  const std::pair<std::u16string, ErrorKind> refused[] = {
      {u"missing.htm", ErrorKind::kNotFound},
      {u"../outside.htm", ErrorKind::kOutsideRoot},
      {u"sub/../../outside.htm", ErrorKind::kOutsideRoot},
      {u"dir.htm", ErrorKind::kNotRegularFile},
      {u"huge.htm", ErrorKind::kTooLarge},
      {u"", ErrorKind::kOutsideRoot},  // the root itself
      {u"bad\xD800.htm", ErrorKind::kBadName},
  };
  for (const auto& [entry, kind] : refused) {
    const auto resolved = root.ResolvePage(fs_, entry);
    ASSERT_FALSE(resolved.has_value()) << std::string(entry.begin(), entry.end());
    EXPECT_EQ(resolved.error().kind(), kind) << std::string(entry.begin(), entry.end());
  }
}

TEST_F(PageFilesTest, LinksAreJudgedByWhereTheyLead) {
  if (!testing::MakeLink(dir_ / "outside.htm", dir_ / "site/out.htm")) {
    GTEST_SKIP() << "no symbolic links here";
  }
  ASSERT_TRUE(testing::MakeLink("sub/b.htm", dir_ / "site/in.htm"));
  const SiteRoot root = Root();
  EXPECT_EQ(root.ResolvePage(fs_, u"out.htm").error().kind(), ErrorKind::kOutsideRoot);
  // A link inside the site resolves to its target, so a write goes through it.
  EXPECT_EQ(root.ResolvePage(fs_, u"in.htm").value().path, root.path() + "/sub/b.htm");
}

TEST_F(PageFilesTest, PlainPagesAreReadInOneOpening) {
  const SiteRoot root = Root();
  // Every separate lookup in the site fails: only a page read in one opening comes through.
  fs_.Fail(testing::TestFileSystem::Operation::kStat, "site", EIO);
  const std::pair<std::u16string, const char*> pages[] = {
      {u"a.htm", "a"}, {u"sub/b.htm", "b"}, {u"sub\\b.htm", "b"}, {u"sub/./b.htm", nullptr}};
  for (const auto& [entry, bytes] : pages) {
    const auto read = root.ReadPage(fs_, entry);
    EXPECT_STREQ(read ? read->bytes.c_str() : nullptr, bytes)
        << std::string(entry.begin(), entry.end());
  }
}

TEST_F(PageFilesTest, ReadingAMissingPageCreatesNothing) {
  const std::string path = dir_ / "site/missing.htm";
  EXPECT_EQ(fs_.ReadFile(path).error().kind(), ErrorKind::kNotFound);
  EXPECT_FALSE(testing::Exists(path));
}

}  // namespace
}  // namespace quelbo
