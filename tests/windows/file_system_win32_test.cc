// What only Windows has: the read-only attribute, reserved device names, paths beyond 260
// characters, names that the ANSI code page cannot carry.

#include <gtest/gtest.h>
#include <windows.h>
// After <windows.h>, which it needs.
#include <sddl.h>
// <windows.h> names ReplaceFile as a macro, which would rename the method.
#undef ReplaceFile

#include <cstdint>
#include <cstdio>
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

// The details a page keeps through each way of replacing it, shown as a table: its attributes
// (the archive bit set, as for any changed file), and its creation time, permissions and named
// stream where the system lets a program set them. Wine keeps no creation time (a new file's is
// the time it was made) and no streams (a name with ":" is a file of its own); its permissions
// are the Unix mode. The temporary file is hidden for as long as it exists.
TEST_F(Win32FileSystemTest, RewrittenPageKeepsItsFileDetails) {
  auto wide = [](const std::string& path) { return testing::PathOf(path).wstring(); };
  auto creation = [&](const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data);
    return (std::uint64_t{data.ftCreationTime.dwHighDateTime} << 32) |
           data.ftCreationTime.dwLowDateTime;
  };
  const std::uint64_t year_2001 = 126227808000000000;
  // The page's permissions, in the form that shows them whole.
  auto permissions = [&](const std::string& path) {
    std::wstring shown;
    alignas(SECURITY_DESCRIPTOR) BYTE descriptor[4096];
    DWORD size = 0;
    wchar_t* text = nullptr;
    if (::GetFileSecurityW(wide(path).c_str(), DACL_SECURITY_INFORMATION, descriptor,
                           sizeof descriptor, &size) &&
        ::ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
      shown = text;
    }
    ::LocalFree(text);
    return shown;
  };
  const std::wstring granted = L"D:P(A;;FA;;;WD)(A;;FR;;;BU)";
  // The named stream, when the file's list of streams has one besides its content.
  auto stream_of = [&](const std::string& path) -> std::string {
    HANDLE file = ::CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    alignas(FILE_STREAM_INFO) BYTE listed[4096];
    const bool has = ::GetFileInformationByHandleEx(file, FileStreamInfo, listed, sizeof listed) &&
                     reinterpret_cast<FILE_STREAM_INFO*>(listed)->NextEntryOffset != 0;
    ::CloseHandle(file);
    return has ? testing::ReadBytes(path + ":note") : "";
  };
  auto make_page = [&](const std::string& path, DWORD attributes) {
    testing::WriteBytes(path, "old");
    HANDLE file = ::CreateFileW(wide(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    const FILETIME time{static_cast<DWORD>(year_2001), static_cast<DWORD>(year_2001 >> 32)};
    ::SetFileTime(file, &time, nullptr, nullptr);
    ::CloseHandle(file);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ::ConvertStringSecurityDescriptorToSecurityDescriptorW(granted.c_str(), SDDL_REVISION_1,
                                                           &descriptor, nullptr);
    ::SetFileSecurityW(wide(path).c_str(), DACL_SECURITY_INFORMATION, descriptor);
    ::LocalFree(descriptor);
    // Where the file system keeps no streams this fails, or makes a file of its own.
    file = ::CreateFileW(wide(path + ":note").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                         nullptr);
    ::WriteFile(file, "kept", 4, nullptr, nullptr);
    ::CloseHandle(file);
    ::SetFileAttributesW(wide(path).c_str(), attributes);
  };
  make_page(dir_ / "probe", FILE_ATTRIBUTE_NORMAL);
  const bool keeps_creation = creation(dir_ / "probe") == year_2001;
  // Wine shows permissions as the Unix mode they map to: those of the probe, against a new
  // file's.
  const std::wstring shown = permissions(dir_ / "probe");
  testing::WriteBytes(dir_ / "new", "");
  const bool keeps_permissions = shown != permissions(dir_ / "new");
  ASSERT_TRUE(testing::Remove(dir_ / "new"));
  const bool keeps_streams = stream_of(dir_ / "probe") == "kept";
  if (!keeps_streams) ::DeleteFileW(wide(dir_ / "probe:note").c_str());  // a file of its own
  enum class Way { kReplace, kKnown, kBatch };
  struct Case {
    DWORD before;
    Way way;
    DWORD after;
  };
  const Case cases[] = {
      {FILE_ATTRIBUTE_ARCHIVE, Way::kBatch, FILE_ATTRIBUTE_ARCHIVE},
      {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, Way::kBatch, 0x22},
      {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, Way::kKnown, 0x26},
      {FILE_ATTRIBUTE_SYSTEM, Way::kReplace, 0x24},
      {FILE_ATTRIBUTE_NORMAL, Way::kReplace, FILE_ATTRIBUTE_ARCHIVE},
  };
  auto kept = [](bool compared, bool same) { return !compared ? "-" : same ? "kept" : "LOST"; };
  std::printf(
      "attributes before -> after, creation time, permissions, stream (\"-\": this system"
      " cannot set it, not compared)\n");
  for (const Case& c : cases) {
    const std::string page = dir_ / "页.htm";
    make_page(page, c.before);
    const DWORD before = ::GetFileAttributesW(wide(page).c_str());
    const std::unique_ptr<FileSystem> fs = NewMachineFileSystem();
    Status replaced = Ok();
    if (c.way == Way::kReplace) replaced = fs->ReplaceFile(page, "new");
    if (c.way == Way::kKnown) replaced = fs->ReplaceKnownFile(page, "new", fs->Stat(page).value());
    if (c.way == Way::kBatch) {
      ASSERT_TRUE(fs->StageReplacement(page, "new", fs->Stat(page).value()));
      WIN32_FIND_DATAW found;
      HANDLE find = ::FindFirstFileW(wide(dir_ / ".quelbo-tmp-*").c_str(), &found);
      ASSERT_NE(find, INVALID_HANDLE_VALUE);
      EXPECT_NE(found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN, 0u);
      ::FindClose(find);
      replaced = fs->CommitStaged().at(0);
    }
    ASSERT_TRUE(replaced) << replaced.error().Message();
    const DWORD after = ::GetFileAttributesW(wide(page).c_str());
    const bool same_creation = creation(page) == year_2001;
    const bool same_permissions = permissions(page) == shown;
    const bool same_stream = stream_of(page) == "kept";
    std::printf("  0x%04lx -> 0x%04lx  %s  %s  %s\n", before, after,
                kept(keeps_creation, same_creation), kept(keeps_permissions, same_permissions),
                kept(keeps_streams, same_stream));
    EXPECT_EQ(testing::ReadBytes(page), "new");
    EXPECT_EQ(after, c.after) << before;
    EXPECT_TRUE(!keeps_creation || same_creation) << before;
    EXPECT_TRUE(!keeps_permissions || same_permissions) << before;
    EXPECT_TRUE(!keeps_streams || same_stream) << before;
    ::SetFileAttributesW(wide(page).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(wide(page + ":note").c_str());
    ASSERT_TRUE(testing::Remove(page));
  }
  EXPECT_EQ(fs_->ListDirectory(dir_.path())->size(), 1u);  // the probe alone
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
