#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>

#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace quelbo {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  std::vector<std::string> NamesIn(const std::string& path) {
    std::vector<std::string> names;
    const auto entries = fs_.ListDirectory(path).value();
    for (const auto& entry : entries) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::TempDir dir_;
  std::unique_ptr<FileSystem> machine_fs_ = NewMachineFileSystem();
  FileSystem& fs_ = *machine_fs_;
};

TEST_F(PosixFileSystemTest, ReplaceKeepsPermissionBitsAndLeavesNoTemporaryFile) {
  const std::string path = dir_ / "page.htm";
  WriteBytes(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(fs_.ReplaceFile(path, "new bytes").has_value());
  EXPECT_EQ(ReadBytes(path), "new bytes");
  EXPECT_EQ(fs_.Stat(path)->mode, 0640u);
  EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::string>{"page.htm"});
}

TEST_F(PosixFileSystemTest, ReplaceOverALinkReplacesTheLinkNotItsTarget) {
  // Callers that write through a link pass its resolved target instead.
  WriteBytes(dir_ / "target.htm", "target");
  ASSERT_EQ(::symlink("target.htm", (dir_ / "link.htm").c_str()), 0);
  ASSERT_TRUE(fs_.ReplaceFile(fs_.RealPath(dir_ / "link.htm").value(), "new").has_value());
  EXPECT_EQ(ReadBytes(dir_ / "target.htm"), "new");
  EXPECT_EQ(fs_.LinkStat(dir_ / "link.htm")->type, FileType::kSymlink);
}

TEST_F(PosixFileSystemTest, ReplaceInAMissingDirectoryFailsWithoutLeavingAnything) {
  const auto result = fs_.ReplaceFile(dir_ / "none/page.htm", "x");
  ASSERT_FALSE(result.has_value());
  EXPECT_NE(result.error().Message().find("none"), std::string::npos);
}

TEST_F(PosixFileSystemTest, ReadRefusesWhatIsNotARegularFile) {
  ASSERT_EQ(::mkfifo((dir_ / "fifo.htm").c_str(), 0644), 0);
  ASSERT_EQ(::mkdir((dir_ / "dir.htm").c_str(), 0755), 0);
  for (const char* name : {"fifo.htm", "dir.htm"}) {
    const auto read = fs_.ReadFile(dir_ / name);  // must not block on the FIFO
    ASSERT_FALSE(read.has_value()) << name;
    EXPECT_EQ(read.error().kind(), ErrorKind::kNotRegularFile) << name;
  }
  EXPECT_EQ(fs_.ReadFile(dir_ / "missing.htm").error().kind(), ErrorKind::kNotFound);
}

TEST_F(PosixFileSystemTest, ListingGivesTypesWithoutDotEntries) {
  WriteBytes(dir_ / "a.htm", "");
  ASSERT_EQ(::mkdir((dir_ / "sub").c_str(), 0755), 0);
  ASSERT_EQ(::symlink("a.htm", (dir_ / "l.htm").c_str()), 0);
  auto entries = fs_.ListDirectory(dir_.path()).value();
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].type, FileType::kRegular);
  EXPECT_EQ(entries[1].type, FileType::kSymlink);
  EXPECT_EQ(entries[2].type, FileType::kDirectory);
}

TEST_F(PosixFileSystemTest, CreateFileIfMissingKeepsAnExistingFile) {
  WriteBytes(dir_ / "x.txt", "keep");
  ASSERT_TRUE(fs_.CreateFileIfMissing(dir_ / "x.txt").has_value());
  EXPECT_EQ(ReadBytes(dir_ / "x.txt"), "keep");
  ASSERT_TRUE(fs_.CreateFileIfMissing(dir_ / "y.txt").has_value());
  EXPECT_EQ(ReadBytes(dir_ / "y.txt"), "");
}

}  // namespace
}  // namespace quelbo

namespace quelbo {
namespace {

// Paths under the anchor are looked up from it; the answers must be those of plain paths, for
// odd spellings too, and paths elsewhere must be untouched by it.
TEST(PosixFileSystemAnchorTest, PathsUnderAndBesideTheAnchorBehaveAsPlainPaths) {
  testing::TempDir dir;
  const std::string site = dir / "site";
  const std::string beside = dir / "site-beside";  // shares the anchor's spelling as a prefix
  ASSERT_EQ(::mkdir(site.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(beside.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((site + "/sub").c_str(), 0755), 0);
  ASSERT_EQ(::symlink("sub/p.htm", (site + "/link.htm").c_str()), 0);

  const auto machine_fs = NewMachineFileSystem();

  FileSystem& fs = *machine_fs;
  fs.AnchorAt(site + "/");
  const std::string paths[] = {site + "/sub/p.htm", site + "//sub/p.htm",
                               site + "/sub/../sub/p.htm", beside + "/p.htm"};
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(fs.ReplaceFile(path, "first").has_value());
    ASSERT_TRUE(fs.ReplaceFile(path, "second").has_value());
    EXPECT_EQ(fs.ReadFile(path).value(), "second");
    EXPECT_EQ(fs.Stat(path)->size, 6u);
    EXPECT_EQ(fs.LinkStat(path)->type, FileType::kRegular);
  }
  EXPECT_EQ(testing::ReadBytes(beside + "/p.htm"), "second");
  EXPECT_EQ(fs.LinkStat(site + "/link.htm")->type, FileType::kSymlink);
  EXPECT_EQ(fs.Stat(site + "/link.htm")->type, FileType::kRegular);
  EXPECT_EQ(fs.Stat(site)->type, FileType::kDirectory);
  EXPECT_FALSE(fs.Stat(site + "/missing.htm").has_value());
}

}  // namespace
}  // namespace quelbo
