// What only Windows has: the read-only attribute, reserved device names, paths beyond 260
// characters, names that the ANSI code page cannot carry.

#include <gtest/gtest.h>
#include <windows.h>
// <windows.h> names ReplaceFile as a macro, which would rename the method.
#undef ReplaceFile

#include <filesystem>

#include "platform/file_system.h"
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
  EXPECT_FALSE(fs_->ReplaceFile(page, "new").has_value());
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
  // Device names are no pages, in any folder and with any extension.
  for (const char* device : {"NUL", "CON", "nul.htm", "COM1"}) {
    const auto read = fs_->ReadFile(dir_ / device);
    EXPECT_FALSE(read.has_value()) << device;
  }
}

}  // namespace
}  // namespace quelbo
