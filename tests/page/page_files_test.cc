#include "page/page_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/memory_limits.h"
#include "support/temp_dir.h"

namespace quelbo {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class PageFilesTest : public ::testing::Test {
 protected:
  PageFilesTest() {
    ::mkdir((dir_ / "site").c_str(), 0755);
    ::mkdir((dir_ / "site/sub").c_str(), 0755);
    WriteBytes(dir_ / "site/a.htm", "a");
    WriteBytes(dir_ / "site/sub/b.htm", "b");
    WriteBytes(dir_ / "outside.htm", "secret");
  }
  SiteRoot Root() { return SiteRoot::Open(fs_, dir_ / "site").value(); }

  testing::TempDir dir_;
  std::unique_ptr<FileSystem> machine_fs_ = NewMachineFileSystem();
  FileSystem& fs_ = *machine_fs_;
};

TEST_F(PageFilesTest, EntriesResolveInsideTheRootWithEitherSeparator) {
  const SiteRoot root = Root();
  EXPECT_EQ(root.ResolvePage(fs_, u"a.htm").value().path, root.path() + "/a.htm");
  EXPECT_EQ(root.ResolvePage(fs_, u"sub/b.htm").value().path, root.path() + "/sub/b.htm");
  EXPECT_EQ(root.ResolvePage(fs_, u"sub\\b.htm").value().path, root.path() + "/sub/b.htm");
}

TEST_F(PageFilesTest, EntriesThatMustNotBeProcessed) {
  ASSERT_EQ(::symlink((dir_ / "outside.htm").c_str(), (dir_ / "site/out.htm").c_str()), 0);
  ASSERT_EQ(::symlink("sub/b.htm", (dir_ / "site/in.htm").c_str()), 0);
  ASSERT_EQ(::mkdir((dir_ / "site/dir.htm").c_str(), 0755), 0);
  // Sparse: refused by its size, never read.
  WriteBytes(dir_ / "site/huge.htm", "");
  ASSERT_EQ(
      ::truncate((dir_ / "site/huge.htm").c_str(), static_cast<off_t>(LargestReadableFile() + 1)),
      0);
  const SiteRoot root = Root();
  const std::pair<std::u16string, ErrorKind> refused[] = {
      {u"missing.htm", ErrorKind::kNotFound},
      {u"out.htm", ErrorKind::kOutsideRoot},
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
  // A link inside the site resolves to its target, so a write goes through it.
  EXPECT_EQ(root.ResolvePage(fs_, u"in.htm").value().path, root.path() + "/sub/b.htm");
}

TEST_F(PageFilesTest, ReadingAMissingPageCreatesNothing) {
  const std::string path = dir_ / "site/missing.htm";
  EXPECT_EQ(fs_.ReadFile(path).error().kind(), ErrorKind::kNotFound);
  EXPECT_FALSE(testing::Exists(path));
}

}  // namespace
}  // namespace quelbo
