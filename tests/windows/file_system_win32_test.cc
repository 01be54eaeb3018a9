// What only Windows has: the read-only attribute, reserved device names, paths beyond 260
// characters, names that the ANSI code page cannot carry.

#include <gtest/gtest.h>
#include <windows.h>
// <windows.h> names ReplaceFile as a macro, which would rename the method.
#undef ReplaceFile

#include <filesystem>
#include <optional>

#include "platform/beneath_root_win32.h"
#include "platform/file_system.h"
#include "platform/text_win32.h"
#include "run/content_digest.h"
#include "support/temp_dir.h"

namespace quelbo {
namespace {

class Win32FileSystemTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
  std::unique_ptr<FileSystem> fs_ = NewMachineFileSystem();
};

TEST_F(Win32FileSystemTest, ReadOnlyPageIsNeitherReplacedNorLeftWithATemporaryFile) {
  const std::string page = dir_ / "页面.htm";
  testing::WriteBytes(page, "old");
  const std::filesystem::path native(std::u8string(page.begin(), page.end()));
  ASSERT_TRUE(::SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(fs_->Stat(page)->mode, 0444u);
  const Status replaced = fs_->ReplaceFile(page, "new");
  ASSERT_FALSE(replaced.has_value());
  EXPECT_EQ(replaced.error().kind(), ErrorKind::kReadOnly);
  EXPECT_EQ(testing::ReadBytes(page), "old");
  EXPECT_EQ(fs_->ListDirectory(dir_.path())->size(), 1u);
}

TEST_F(Win32FileSystemTest, NamesAndPathsWindowsTreatsApart) {
  // A path of more than 260 characters, with Chinese names on the way.
  std::string deep = dir_.path();
  while (deep.size() < 300) deep += "/目录目录目录目录目录";
  ASSERT_TRUE(fs_->MakeDirectories(deep).has_value());
  const std::string page = deep + "/页.htm";
  ASSERT_TRUE(fs_->ReplaceFile(page, "long").has_value());
  EXPECT_EQ(fs_->ReadFile(page).value_or(""), "long");
  EXPECT_TRUE(fs_->ContentEquals(page, "long").value_or(false));
  const auto entries = fs_->ListDirectory(deep);
  ASSERT_TRUE(entries.has_value());
  ASSERT_EQ(entries->size(), 1u);
  EXPECT_EQ((*entries)[0].name, "页.htm");
  EXPECT_EQ(fs_->RealPath(page).value_or(""), page);
  // Names ending in "." or " " are reached as they are, never as the name without the end.
  for (const std::string name : {"点.", "space ", "both. "}) {
    const std::string odd = dir_ / (name + "/p.htm");
    ASSERT_TRUE(fs_->MakeDirectories(dir_ / name)) << name;
    ASSERT_TRUE(fs_->ReplaceFile(odd, name)) << name;
    EXPECT_EQ(fs_->ReadFile(odd).value_or(""), name);
    // Wine names such a file without its end: refused then, never another file's name.
    const auto real = fs_->RealPath(odd);
    if (real) {
      EXPECT_EQ(*real, odd);
    }
  }
  const auto odd_names = fs_->ListDirectory(dir_.path());
  ASSERT_TRUE(odd_names.has_value());
  EXPECT_EQ(odd_names->size(), 4u);  // with 目录目录目录目录目录
  const std::pair<const char*, const wchar_t*> wide_paths[] = {
      {"C:/site/p.htm", L"C:\\site\\p.htm"},
      {"C:/site./p.htm", L"\\\\?\\C:\\site.\\p.htm"},
      {"C:/site/p.htm ", L"\\\\?\\C:\\site\\p.htm "},
      {"C:/site/../site./p.htm", L"C:\\site\\..\\site.\\p.htm"},
      {"site./p.htm", L"site.\\p.htm"},
  };
  for (const auto& [path, wide] : wide_paths) EXPECT_EQ(win32::WidePath(path), wide) << path;
  // Device names are no pages, in any folder and with any extension.
  for (const char* device : {"NUL", "CON", "nul.htm", "COM1"}) {
    const auto read = fs_->ReadFile(dir_ / device);
    EXPECT_FALSE(read.has_value()) << device;
  }
}

// A batch: nothing is replaced before the commit; then each file is, unless it changed.
TEST_F(Win32FileSystemTest, StagedReplacementsTakeEffectTogetherAtTheCommit) {
  const std::string names[] = {"a.htm", "b.htm", "c.htm"};
  for (const std::string& name : names) testing::WriteBytes(dir_ / name, "old");
  {
    const std::unique_ptr<FileSystem> batch = NewMachineFileSystem();
    for (const std::string& name : names) {
      ASSERT_TRUE(batch->StageReplacement(dir_ / name, "new", batch->Stat(dir_ / name).value()));
    }
    testing::WriteBytes(dir_ / "b.htm", "theirs");
    for (const std::string& name : names) EXPECT_NE(testing::ReadBytes(dir_ / name), "new");
    const std::vector<Status> outcomes = batch->CommitStaged();
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_TRUE(outcomes[0] && outcomes[2]);
    EXPECT_EQ(outcomes[1].error().kind(), ErrorKind::kChanged);
    ASSERT_TRUE(
        batch->StageReplacement(dir_ / "c.htm", "never", batch->Stat(dir_ / "c.htm").value()));
  }  // dropped uncommitted: the file stays as it was
  EXPECT_EQ(testing::ReadBytes(dir_ / "a.htm"), "new");
  EXPECT_EQ(testing::ReadBytes(dir_ / "b.htm"), "theirs");
  EXPECT_EQ(testing::ReadBytes(dir_ / "c.htm"), "new");
  EXPECT_EQ(fs_->ListDirectory(dir_.path())->size(), 3u);
}

// What the run journal needs: a kept copy that survives the page's replacement, an empty
// folder's removal, and the same digests as on every other system.
TEST_F(Win32FileSystemTest, JournalKeepsCopiesRemovesFoldersAndDigestsAlike) {
  const std::string page = dir_ / "页.htm";
  testing::WriteBytes(page, "old");
  ASSERT_TRUE(fs_->MakeDirectories(dir_ / "旧"));
  ASSERT_TRUE(fs_->KeepCopy(page, dir_ / "旧/页.htm"));
  ASSERT_TRUE(fs_->ReplaceFile(page, "new"));
  EXPECT_EQ(testing::ReadBytes(dir_ / "旧/页.htm"), "old");
  EXPECT_FALSE(fs_->RemoveDirectory(dir_ / "旧").has_value());  // not empty
  ASSERT_TRUE(fs_->RemoveFile(dir_ / "旧/页.htm"));
  EXPECT_TRUE(fs_->RemoveDirectory(dir_ / "旧").has_value());
  EXPECT_EQ(fs_->ListDirectory(dir_.path())->size(), 1u);
  EXPECT_EQ(IdentifyContent("").digest, "99aa06d3014798d86001c324468d497f");
  EXPECT_EQ(IdentifyContent("abc").digest, "06b05ab6733a618578af5f94892f3950");
}

TEST_F(Win32FileSystemTest, AnchoredCallsNeverLeaveTheSite) {
  const std::string outside = dir_ / "outside";
  ASSERT_TRUE(fs_->MakeDirectories(dir_ / "site/real") && fs_->MakeDirectories(outside));
  testing::WriteBytes(dir_ / "site/real/p.htm", "in");
  testing::WriteBytes(outside + "/o.htm", "out");
  // Wine answers that a link was made and makes none; where the links are missing, the check
  // itself is still judged by AResolvedPathLiesBeneathOnlyItsOwnFolders.
  if (!testing::MakeLink(outside, dir_ / "site/away")) GTEST_SKIP() << "no folder links here";
  ASSERT_TRUE(testing::MakeLink(dir_ / "site/real", dir_ / "site/alias"));
  const std::string site = fs_->RealPath(dir_ / "site").value();
  fs_->AnchorAt(site);
  const auto kind = [](const auto& result) {
    return result ? std::optional<ErrorKind>() : result.error().kind();
  };
  // Through a folder link out of the site: reads, listings, temporary files and renames.
  const std::string away = site + "/away/o.htm";
  EXPECT_EQ(kind(fs_->ReadFile(away)), ErrorKind::kOutsideRoot);
  EXPECT_EQ(kind(fs_->ContentEquals(away, "out")), ErrorKind::kOutsideRoot);
  EXPECT_EQ(kind(fs_->ListDirectory(site + "/away")), ErrorKind::kOutsideRoot);
  EXPECT_EQ(kind(fs_->ReplaceFile(away, "new")), ErrorKind::kOutsideRoot);
  EXPECT_EQ(kind(fs_->ReplaceFile(site + "/away/new.htm", "new")), ErrorKind::kOutsideRoot);
  EXPECT_FALSE(fs_->ReadUnlinkedFile(away, 100));
  EXPECT_EQ(testing::ReadBytes(outside + "/o.htm"), "out");
  EXPECT_EQ(fs_->ListDirectory(outside).value().size(), 1u);
  // A link that stays inside is followed, by the longer way only; a plain page in one opening.
  EXPECT_EQ(fs_->ReadFile(site + "/alias/p.htm").value_or(""), "in");
  EXPECT_FALSE(fs_->ReadUnlinkedFile(site + "/alias/p.htm", 100));
  EXPECT_EQ(fs_->ReadUnlinkedFile(site + "/real/p.htm", 100).value().bytes, "in");
  EXPECT_FALSE(fs_->ReadUnlinkedFile(site + "/real/p.htm", 1));
}

TEST(BeneathRootTest, AResolvedPathLiesBeneathOnlyItsOwnFolders) {
  const struct {
    const wchar_t* final;
    const wchar_t* top;
    bool beneath;
  } cases[] = {
      {L"\\\\?\\C:\\site", L"\\\\?\\C:\\site", true},
      {L"\\\\?\\C:\\site\\a\\p.htm", L"\\\\?\\C:\\site", true},
      {L"\\\\?\\C:\\site\\p.htm", L"\\\\?\\C:\\site\\", true},
      {L"\\\\?\\C:\\p.htm", L"\\\\?\\C:\\", true},  // a drive's root
      {L"\\\\?\\C:\\sites\\p.htm", L"\\\\?\\C:\\site", false},
      {L"\\\\?\\C:\\sit", L"\\\\?\\C:\\site", false},
      {L"\\\\?\\C:\\outside\\o.htm", L"\\\\?\\C:\\site", false},
      {L"\\\\?\\D:\\site\\p.htm", L"\\\\?\\C:\\site", false},
      {L"7:\\site\\p.htm", L"8:\\site", false},  // another volume
  };
  for (const auto& c : cases) {
    EXPECT_EQ(win32::LiesBeneath(c.final, c.top), c.beneath) << win32::Utf8(c.final);
  }
}

}  // namespace
}  // namespace quelbo
