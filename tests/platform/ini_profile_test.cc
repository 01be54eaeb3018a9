#include "platform/ini_profile.h"

#include <gtest/gtest.h>

#include "base/text_codec.h"
#include "support/temp_dir.h"

namespace quelbo {
namespace {

using testing::Hex;
using testing::ReadBytes;
using testing::WriteBytes;

class IniProfileTest : public ::testing::Test {
 protected:
  std::u16string Read(std::u16string_view key, std::u16string_view default_value = u"DEF") {
    return ReadIniValue(fs_, u"HTML", key, default_value, path_);
  }
  void Write(std::u16string_view key, std::u16string_view value,
             std::u16string_view section = u"HTML") {
    ASSERT_TRUE(WriteIniValue(fs_, section, key, value, path_).has_value());
  }
  // The file's bytes as text (GBK decoded), for readable expectations.
  std::u16string FileText() { return DecodeGbk(ReadBytes(path_)).text; }

  testing::TempDir dir_;
  std::unique_ptr<FileSystem> machine_fs_ = NewMachineFileSystem();
  FileSystem& fs_ = *machine_fs_;
  std::string path_ = dir_ / "htm批处理配置.ini";
};

TEST_F(IniProfileTest, FirstWritesCreateFileSectionAndKeysInOrder) {
  Write(u"替换前1", u"中文");
  Write(u"后缀", u"2");
  // [HTML] CR LF 替换前1=中文 CR LF 后缀=2 CR LF, in code page 936.
  EXPECT_EQ(Hex(ReadBytes(path_)),
            "5B 48 54 4D 4C 5D 0D 0A "
            "CC E6 BB BB C7 B0 31 3D D6 D0 CE C4 0D 0A "
            "BA F3 D7 BA 3D 32 0D 0A");
  EXPECT_EQ(Read(u"替换前1"), u"中文");
}

TEST_F(IniProfileTest, RewrittenKeyKeepsItsLineAndOtherLinesStayUntouched) {
  WriteBytes(path_,
             "; comment\r\n[Other]\r\nA=1\r\n[html]\r\nKey = old \r\nunknown line\r\n"
             "Second=2\n\r\n[Last]\r\nZ=9");
  Write(u"key", u"new");
  EXPECT_EQ(FileText(),
            u"; comment\r\n[Other]\r\nA=1\r\n[html]\r\nKey=new\r\nunknown line\r\n"
            u"Second=2\n\r\n[Last]\r\nZ=9");
}

TEST_F(IniProfileTest, SectionNameWhoseCharacterEndsInABracketByte) {
  // 乚 is 81 5D in code page 936: its second byte is "]", which must not end the name.
  Write(u"k", u"v", u"乚");
  Write(u"k", u"w", u"乚");
  EXPECT_EQ(Hex(ReadBytes(path_)), "5B 81 5D 5D 0D 0A 6B 3D 77 0D 0A");
  EXPECT_EQ(ReadIniValue(fs_, u"乚", u"k", u"DEF", path_), u"w");
}

TEST_F(IniProfileTest, NewKeyGoesAfterTheLastNonBlankLineOfItsSection) {
  WriteBytes(path_, "[HTML]\r\nA=1\r\n\r\n[Other]\r\nB=2\r\n");
  Write(u"C", u"3");
  EXPECT_EQ(FileText(), u"[HTML]\r\nA=1\r\nC=3\r\n\r\n[Other]\r\nB=2\r\n");
}

TEST_F(IniProfileTest, MissingSectionIsAppendedAfterAnUnterminatedLastLine) {
  WriteBytes(path_, "[Other]\r\nB=2");
  Write(u"C", u"3");
  EXPECT_EQ(FileText(), u"[Other]\r\nB=2\r\n[HTML]\r\nC=3\r\n");
}

TEST_F(IniProfileTest, KeyInAnUnterminatedLastSectionLine) {
  WriteBytes(path_, "[HTML]");
  Write(u"C", u"3");
  EXPECT_EQ(FileText(), u"[HTML]\r\nC=3\r\n");
}

struct ReadCase {
  const char* name;
  std::string file;  // bytes of the file
  std::u16string key;
  std::u16string expected;
};

class IniRead : public IniProfileTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(IniRead, GivesTheStoredValueOrTheDefault) {
  WriteBytes(path_, GetParam().file);
  EXPECT_EQ(Read(GetParam().key), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniRead,
    ::testing::Values(
        ReadCase{"blanks_dropped", "[HTML]\r\nk=  v w \t\r\n", u"k", u"v w"},
        ReadCase{"double_quotes", "[HTML]\r\nk=\" v \"\r\n", u"k", u" v "},
        ReadCase{"single_quotes", "[HTML]\r\nk='v'\r\n", u"k", u"v"},
        ReadCase{"one_pair_only", "[HTML]\r\nk=\"\"v\"\"\r\n", u"k", u"\"v\""},
        ReadCase{"unmatched_quotes", "[HTML]\r\nk=\"v'\r\n", u"k", u"\"v'"},
        ReadCase{"empty_value_is_not_default", "[HTML]\r\nk=\r\n", u"k", u""},
        ReadCase{"case_insensitive_names", "[hTmL]\r\nKEY=x\r\n", u"key", u"x"},
        ReadCase{"bare_lf_lines", "[HTML]\nk=x\nj=y", u"j", u"y"},
        ReadCase{"missing_key", "[HTML]\r\nk=x\r\n", u"j", u"DEF"},
        ReadCase{"missing_section", "[Other]\r\nk=x\r\n", u"k", u"DEF"},
        ReadCase{"key_of_other_section", "[HTML]\r\n[Other]\r\nk=x\r\n", u"k", u"DEF"},
        ReadCase{"first_of_duplicates", "[HTML]\r\nk=1\r\nk=2\r\n", u"k", u"1"},
        ReadCase{"chinese_key", "[HTML]\r\n\xCC\xE6\xBB\xBB\xC7\xB0\x31=\xD6\xD0\r\n",
                 u"替换前1", u"中"},
        // 丄 and 乤 differ only in the case of their ASCII-range trail byte.
        ReadCase{"trail_byte_is_not_folded", "[HTML]\r\n\x81\x61=x\r\n", u"丄", u"DEF"},
        ReadCase{"nul_ends_value", std::string("[HTML]\r\nk=ab\0cd\r\n", 17), u"k", u"ab"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(IniProfileTest, MissingFileGivesTheDefault) { EXPECT_EQ(Read(u"k", u"1"), u"1"); }

TEST_F(IniProfileTest, LongValueIsCutTo255BytesNeverHalfACharacter) {
  WriteBytes(path_, "[HTML]\r\nascii=" + std::string(300, 'a') + "\r\n");
  EXPECT_EQ(Read(u"ascii"), std::u16string(255, u'a'));

  // "ab" then 中 repeated: the 255th byte is the lead byte of a character, so 254 come back.
  std::u16string even = u"ab";
  for (int i = 0; i < 150; ++i) even += u"中";
  Write(u"even", even);
  EXPECT_EQ(Read(u"even"), even.substr(0, 2 + 126));
  EXPECT_EQ(EncodeGbk(Read(u"even")).bytes.size(), 254u);

  // "a" then 中 repeated: the 255th byte ends a character, so all 255 come back.
  std::u16string odd = u"a";
  for (int i = 0; i < 150; ++i) odd += u"中";
  Write(u"odd", odd);
  EXPECT_EQ(Read(u"odd"), odd.substr(0, 1 + 127));
}

TEST_F(IniProfileTest, LineBreaksInAValueCannotSplitTheLine) {
  Write(u"k", u"a\r\n[Other]\nb");
  EXPECT_EQ(Read(u"k"), u"a[Other]b");
  EXPECT_EQ(FileText(), u"[HTML]\r\nk=a[Other]b\r\n");
}

TEST_F(IniProfileTest, WriteIntoADirectoryFailsAndReadGivesTheDefault) {
  path_ = dir_.path();
  EXPECT_FALSE(WriteIniValue(fs_, u"HTML", u"k", u"v", path_).has_value());
  EXPECT_EQ(Read(u"k"), u"DEF");
}

}  // namespace
}  // namespace quelbo
