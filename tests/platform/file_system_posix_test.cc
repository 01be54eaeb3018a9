#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "platform/beneath_root_posix.h"
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

TEST_F(PosixFileSystemTest, ReplaceOverALinkWritesThroughToItsTarget) {
  // Settings kept under version control through links stay links.
  WriteBytes(dir_ / "target.htm", "target");
  ASSERT_EQ(::symlink("target.htm", (dir_ / "link.htm").c_str()), 0);
  ASSERT_TRUE(fs_.ReplaceFile(dir_ / "link.htm", "new").has_value());
  EXPECT_EQ(ReadBytes(dir_ / "target.htm"), "new");
  EXPECT_EQ(fs_.LinkStat(dir_ / "link.htm")->type, FileType::kSymlink);
}

TEST_F(PosixFileSystemTest, ReplaceKeepsExtendedAttributes) {
  const std::string path = dir_ / "page.htm";
  WriteBytes(path, "old");
  if (::setxattr(path.c_str(), "user.origin", "kept", 4, 0) != 0) {
    GTEST_SKIP() << "no user attributes on this file system";
  }
  // A value longer than the first read's buffer is read again at its size.
  const std::string long_value(1000, 'v');
  ASSERT_EQ(::setxattr(path.c_str(), "user.long", long_value.data(), long_value.size(), 0), 0);
  ASSERT_TRUE(fs_.ReplaceKnownFile(path, "new", fs_.Stat(path).value()).has_value());
  char value[16] = {};
  EXPECT_EQ(::getxattr(path.c_str(), "user.origin", value, sizeof value), 4);
  EXPECT_STREQ(value, "kept");
  std::string long_copy(2000, '\0');
  EXPECT_EQ(::getxattr(path.c_str(), "user.long", long_copy.data(), long_copy.size()), 1000);
  EXPECT_EQ(long_copy.substr(0, 1000), long_value);
}

// What another program or the user did to a page after it was read; each leaves the page as
// they left it, and no temporary file.
TEST_F(PosixFileSystemTest, PagesThatAreNotOursToReplaceAreLeftAlone) {
  const std::string path = dir_ / "page.htm";
  struct Case {
    const char* what;
    std::function<void()> after_read;
    ErrorKind kind;
    const char* left;  // nullptr: no file
  };
  const Case cases[] = {
      {"no write bit for anyone", [&] { ::chmod(path.c_str(), 0444); }, ErrorKind::kReadOnly,
       "old"},
      {"no permission at all", [&] { ::chmod(path.c_str(), 0); }, ErrorKind::kReadOnly, "old"},
      {"appended to", [&] { WriteBytes(path, "old+theirs"); }, ErrorKind::kChanged, "old+theirs"},
      {"deleted", [&] { ::unlink(path.c_str()); }, ErrorKind::kChanged, nullptr},
      {"replaced by another file",
       [&] {
         WriteBytes(dir_ / "other", "oth");
         ::rename((dir_ / "other").c_str(), path.c_str());
       },
       ErrorKind::kChanged, "oth"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::unlink(path.c_str());
    WriteBytes(path, "old");
    const FileInfo read = fs_.Stat(path).value();
    c.after_read();
    const auto result = fs_.ReplaceKnownFile(path, "new", read);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind(), c.kind);
    if (c.left == nullptr) {
      EXPECT_FALSE(testing::Exists(path));
    } else {
      ::chmod(path.c_str(), 0644);
      EXPECT_EQ(ReadBytes(path), c.left);
    }
    EXPECT_LE(NamesIn(dir_.path()).size(), 1u);
  }
}

// A batch: nothing is replaced before the commit; then each file is, unless it changed.
TEST_F(PosixFileSystemTest, StagedReplacementsTakeEffectTogetherAtTheCommit) {
  const std::string names[] = {"a.htm", "b.htm", "c.htm", "d.htm"};
  for (const std::string& name : names) WriteBytes(dir_ / name, "old");
  {
    const std::unique_ptr<FileSystem> machine = NewMachineFileSystem();
    FileSystem& batch = *machine;
    for (const std::string& name : names) {
      ASSERT_TRUE(batch.StageReplacement(dir_ / name, "new", batch.Stat(dir_ / name).value()));
    }
    WriteBytes(dir_ / "b.htm", "theirs");
    ASSERT_TRUE(testing::MakeReadOnly(dir_ / "d.htm"));  // protected after it was staged
    for (const std::string& name : names) EXPECT_NE(ReadBytes(dir_ / name), "new") << name;
    const std::vector<Status> outcomes = batch.CommitStaged();
    ASSERT_EQ(outcomes.size(), 4u);
    EXPECT_TRUE(outcomes[0] && outcomes[2]);
    EXPECT_EQ(outcomes[1].error().kind(), ErrorKind::kChanged);
    EXPECT_EQ(outcomes[3].error().kind(), ErrorKind::kReadOnly);
    ASSERT_TRUE(
        batch.StageReplacement(dir_ / "c.htm", "never", batch.Stat(dir_ / "c.htm").value()));
  }  // dropped uncommitted: the file stays as it was
  EXPECT_EQ(ReadBytes(dir_ / "a.htm"), "new");
  EXPECT_EQ(ReadBytes(dir_ / "b.htm"), "theirs");
  EXPECT_EQ(ReadBytes(dir_ / "c.htm"), "new");
  EXPECT_EQ(ReadBytes(dir_ / "d.htm"), "old");
  EXPECT_EQ(NamesIn(dir_.path()).size(), 4u);
}

// A directory of the site swapped for a link to a folder outside after it was checked: no
// read, listing, temporary file, rename or removal may reach the outside folder.
TEST(PosixFileSystemBeneathTest, LinksSwappedInCannotLeadOutsideTheAnchor) {
  testing::TempDir dir;
  const std::string site = dir / "site";
  const std::string outside = dir / "outside";
  ASSERT_EQ(::mkdir(site.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(outside.c_str(), 0755), 0);
  WriteBytes(outside + "/p.htm", "outside");
  WriteBytes(outside + "/.quelbo-tmp-1-1", "theirs");
  ASSERT_EQ(::symlink(outside.c_str(), (site + "/sub").c_str()), 0);
  const std::unique_ptr<FileSystem> machine = NewMachineFileSystem();
  FileSystem& fs = *machine;
  fs.AnchorAt(site);
  const FileInfo info = fs.Stat(outside + "/p.htm").value();
  const auto kind = [](const auto& result) -> std::optional<ErrorKind> {
    if (result) return std::nullopt;
    return result.error().kind();
  };
  const std::string page = site + "/sub/p.htm";
  const std::pair<const char*, std::optional<ErrorKind>> uses[] = {
      {"read", kind(fs.ReadFile(page))},
      {"replace", kind(fs.ReplaceKnownFile(page, "x", info))},
      {"list", kind(fs.ListDirectory(site + "/sub"))},
      {"compare", kind(fs.ContentEquals(page, "x"))},
      {"remove", kind(fs.RemoveFile(site + "/sub/.quelbo-tmp-1-1"))},
  };
  for (const auto& [what, failure] : uses) {
    EXPECT_EQ(failure, ErrorKind::kOutsideRoot) << what;
  }
  EXPECT_EQ(ReadBytes(outside + "/p.htm"), "outside");
  EXPECT_EQ(ReadBytes(outside + "/.quelbo-tmp-1-1"), "theirs");
  EXPECT_EQ(fs.ListDirectory(outside)->size(), 2u);
}

// Every way of opening beneath a directory refuses a way out; the kernel's also follows a
// link that stays inside, the walk and the opening without links refuse every link.
TEST(PosixFileSystemBeneathTest, OpeningBeneathADirectory) {
  testing::TempDir dir;
  ASSERT_EQ(::mkdir((dir / "root").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((dir / "root/in").c_str(), 0755), 0);
  WriteBytes(dir / "root/in/p.htm", "in");
  WriteBytes(dir / "secret", "out");
  ASSERT_EQ(::symlink("in", (dir / "root/inside").c_str()), 0);
  ASSERT_EQ(::symlink("../secret", (dir / "root/up").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "secret").c_str(), (dir / "root/absolute").c_str()), 0);
  const int root = ::open((dir / "root").c_str(), O_PATH | O_DIRECTORY);
  ASSERT_GE(root, 0);
  struct Case {
    const char* path;
    bool opens_with_openat2;
    bool opens_by_walk;
  };
  const Case cases[] = {{"in/p.htm", true, true},    {"inside/p.htm", true, false},
                        {"up", false, false},        {"absolute", false, false},
                        {"../secret", false, false}, {"in/../../secret", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    for (const bool walk : {false, true}) {
      const int fd =
          walk ? OpenBeneathByWalk(root, c.path, O_RDONLY) : OpenBeneath(root, c.path, O_RDONLY);
      EXPECT_EQ(fd >= 0, walk ? c.opens_by_walk : c.opens_with_openat2) << walk;
      if (fd >= 0) ::close(fd);
    }
    const int unlinked = OpenBeneathWithoutLinks(root, c.path, O_RDONLY);
    EXPECT_EQ(unlinked >= 0, c.opens_by_walk) << "without links";
    if (unlinked >= 0) ::close(unlinked);
  }
  ::close(root);
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

  // One opening only for a regular file under the anchor reached without links, within size.
  const struct {
    std::string path;
    std::uint64_t largest;
    bool read;
  } unlinked[] = {{site + "/sub/p.htm", 6, true}, {site + "/sub/p.htm", 5, false},
                  {site + "/link.htm", 6, false}, {site + "/sub", 1 << 20, false},
                  {beside + "/p.htm", 6, false}};
  for (const auto& c : unlinked) {
    const auto read = fs.ReadUnlinkedFile(c.path, c.largest);
    EXPECT_EQ(read.has_value(), c.read) << c.path << " " << c.largest;
    if (read) {
      EXPECT_TRUE(read->info.SameFileAs(fs.Stat(c.path).value()));
      EXPECT_EQ(read->bytes, "second");
    }
  }
}

}  // namespace
}  // namespace quelbo
