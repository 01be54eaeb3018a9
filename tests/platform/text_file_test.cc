#include "platform/text_file.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "support/temp_dir.h"

namespace quelbo {
namespace {

using testing::Exists;
using testing::Hex;
using testing::ReadBytes;
using testing::WriteBytes;

class TextFileTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
  std::unique_ptr<FileSystem> machine_fs_ = NewMachineFileSystem();
  FileSystem& fs_ = *machine_fs_;
};

struct WriteCase {
  const char* name;
  std::u16string text;
  std::string hex;
};

class TextFileWrite : public TextFileTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(TextFileWrite, AppendsCrLfAlwaysAndReadsBackWithIt) {
  const std::string path = dir_ / "list.txt";
  WriteBytes(path, "old content that is longer than the new one");
  ASSERT_TRUE(WriteTextFile(fs_, GetParam().text, path).has_value());
  EXPECT_EQ(Hex(ReadBytes(path)), GetParam().hex);
  EXPECT_EQ(ReadTextFile(fs_, path).value(), GetParam().text + u"\r\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, TextFileWrite,
                         ::testing::Values(WriteCase{"empty", u"", "0D 0A"},
                                           WriteCase{"ascii", u"abc", "61 62 63 0D 0A"},
                                           WriteCase{"ending_in_crlf", u"中\r\n", "D6 D0 0D 0A 0D 0A"},
                                           WriteCase{"bare_breaks", u"a\nb\r", "61 0A 62 0D 0D 0A"}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(TextFileTest, ReadingAMissingFileCreatesItEmpty) {
  const std::string path = dir_ / "missing.txt";
  EXPECT_EQ(ReadTextFile(fs_, path).value(), u"");
  ASSERT_TRUE(Exists(path));
  EXPECT_EQ(ReadBytes(path), "");
}

TEST_F(TextFileTest, ReadGivesEveryCharacterOfMixedText) {
  const std::string path = dir_ / "mixed.txt";
  WriteBytes(path, "\xD6\xD0" "a" "\xCE\xC4" "b\r\n\x80");
  EXPECT_EQ(ReadTextFile(fs_, path).value(), u"中a文b\r\n€");
}

TEST_F(TextFileTest, FailuresNameTheOperationAndThePath) {
  const std::string in_missing_dir = dir_ / "no/such/list.txt";
  const auto read = ReadTextFile(fs_, in_missing_dir);
  ASSERT_FALSE(read.has_value());
  EXPECT_NE(read.error().Message().find(ShownPath(in_missing_dir)), std::string::npos);

  const auto written = WriteTextFile(fs_, u"x", in_missing_dir);
  ASSERT_FALSE(written.has_value());
  EXPECT_NE(written.error().Message().find(ShownPath("no/such")), std::string::npos);

  // A directory where the list file should be: reading and writing both fail.
  ASSERT_TRUE(testing::MakeDirectory(dir_ / "dir.txt"));
  EXPECT_FALSE(ReadTextFile(fs_, dir_ / "dir.txt").has_value());
  EXPECT_FALSE(WriteTextFile(fs_, u"x", dir_ / "dir.txt").has_value());
}

TEST_F(TextFileTest, MakeDirectoryPathWithAndWithoutTrailingSeparator) {
  const std::string nested = dir_ / "a/b/AAAHTML批量替换配置log/";
  ASSERT_TRUE(MakeDirectoryPath(fs_, nested).has_value());
  EXPECT_TRUE(Exists(nested));
  EXPECT_TRUE(MakeDirectoryPath(fs_, nested).has_value());  // already there
  ASSERT_TRUE(MakeDirectoryPath(fs_, dir_ / "c/d").has_value());
  EXPECT_TRUE(Exists(dir_ / "c/d"));
}

}  // namespace
}  // namespace quelbo
