#include "settings/settings_io.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <optional>

#include "base/paths.h"
#include "base/text_codec.h"
#include "platform/ini_profile.h"
#include "support/temp_dir.h"

namespace quelbo {
namespace {

using testing::Exists;
using testing::Hex;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr const char* kMainFiles[] = {"tihuanqian.txt",    "tihuanhou.txt",
                                      "shanchu.txt",       "bankuaikaishi.txt",
                                      "bankuaijieshu.txt", "bankuaitihuan.txt"};
constexpr const char* kExtraFiles[] = {"bankuaikaishi1.txt", "bankuaijieshu1.txt",
                                       "bankuaitihuan1.txt", "bankuaikaishi2.txt",
                                       "bankuaijieshu2.txt", "bankuaitihuan2.txt"};

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() { ConnectPanelToStore(panel_, store_); }

  std::string File(std::string_view name) const { return store_.PathOf(name); }
  void MakeConfigDirectory() { store_.MakeDirectory(); }
  void WriteList(std::string_view name, std::string_view bytes) { WriteBytes(File(name), bytes); }
  void WriteKey(std::u16string_view key, std::u16string_view value) {
    ASSERT_TRUE(WriteIniValue(fs_, u"HTML", key, value, File(kIniFileName)).has_value());
  }
  std::u16string Key(std::u16string_view key) {
    return ReadIniValue(fs_, u"HTML", key, u"<missing>", File(kIniFileName));
  }

  testing::TempDir dir_;
  std::unique_ptr<FileSystem> machine_fs_ = NewMachineFileSystem();
  FileSystem& fs_ = *machine_fs_;
  ConfigStore store_{fs_, dir_ / "home/.config/AAAHTML批量替换配置log/"};
  ControlPanel panel_;
};

TEST_F(SettingsTest, FirstStartOnAMissingDirectory) {
  LoadSettings(panel_, store_);
  for (const char* name : kMainFiles) {
    ASSERT_TRUE(Exists(File(name))) << name;
    EXPECT_EQ(ReadBytes(File(name)), "") << name;
  }
  for (const char* name : kExtraFiles) EXPECT_FALSE(Exists(File(name))) << name;
  EXPECT_FALSE(Exists(File(kIniFileName)));

  for (Control c : {field::pair1Find, field::pair1Replace, field::pair2Find, field::pair2Replace,
                    field::pair3Find, field::pair3Replace, field::pair4Find, field::pair4Replace,
                    field::deleteText, field::excludedDirs, field::block0Start, field::block0End,
                    field::block0Replace, kDirectoryQueue}) {
    EXPECT_EQ(panel_.Text(c), u"") << ControlName(c);
  }
  EXPECT_EQ(panel_.SuffixChoice(), 1);
  EXPECT_FALSE(panel_.Ticked(field::includeSubdirs));
  EXPECT_FALSE(panel_.Ticked(field::readUtf8));
  EXPECT_FALSE(panel_.Ticked(field::writeUtf8));
  EXPECT_FALSE(panel_.Ticked(field::block0Enabled));
  EXPECT_FALSE(panel_.Ticked(field::moreBlocksEnabled));
  EXPECT_TRUE(panel_.Ticked(field::autoDetectCharset));
  EXPECT_EQ(panel_.Text(field::block1Start), u"Text11");
  EXPECT_EQ(panel_.Text(field::block2Replace), u"Text22");
  EXPECT_TRUE(panel_.Enabled(field::block2Replace));
  EXPECT_TRUE(panel_.Enabled(field::block0Start));
  EXPECT_EQ(panel_.Text(Control::Command4), u"停止");
}

TEST_F(SettingsTest, StartUpRemovesWhatAKilledSaveLeftBehind) {
  MakeConfigDirectory();
  WriteList("tihuanqian.txt", "kept\r\n");
  WriteBytes(File(".quelbo-tmp-AbC123"), "half a list");
  LoadSettings(panel_, store_);
  EXPECT_FALSE(Exists(File(".quelbo-tmp-AbC123")));
  EXPECT_EQ(panel_.Text(field::pair2Find), u"kept");
}

TEST_F(SettingsTest, FirstSaveWritesTheKeysInTheirOrder) {
  LoadSettings(panel_, store_);
  panel_.SetText(field::pair1Find, u"中");
  panel_.SetText(field::excludedDirs, u"images|css");
  ASSERT_TRUE(SaveSettings(panel_, store_).has_value());
  EXPECT_EQ(DecodeGbk(ReadBytes(File(kIniFileName))).text,
            u"[HTML]\r\n替换前1=中\r\n替换后1=\r\n替换前3=\r\n替换后3=\r\n替换前4=\r\n"
            u"替换后4=\r\n不替换目录=images|css\r\n后缀=1\r\n子目录=0\r\nUTF读入=0\r\n"
            u"UTF输出=0\r\n自动识别=1\r\n版块替换=0\r\n版块替换2=0\r\n");
  EXPECT_EQ(Hex(ReadBytes(File(kIniFileName))).substr(0, 47),
            "5B 48 54 4D 4C 5D 0D 0A CC E6 BB BB C7 B0 31 3D");
}

TEST_F(SettingsTest, SaveExtraBlockSetsFirstPutsItsKeyFirst) {
  MakeConfigDirectory();
  ASSERT_TRUE(SaveExtraBlockSets(panel_, store_).has_value());
  EXPECT_EQ(DecodeGbk(ReadBytes(File(kIniFileName))).text, u"[HTML]\r\n版块替换2=0\r\n");
  for (const char* name : kExtraFiles) EXPECT_FALSE(Exists(File(name))) << name;
}

struct ListCase {
  const char* name;
  std::u16string field_text;
  std::string saved_hex;
  std::u16string reloaded;
};

class ListFileRoundTrip : public SettingsTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ListFileRoundTrip, SavedWithOneCrLfAndReloadedWithout) {
  LoadSettings(panel_, store_);
  panel_.SetText(field::deleteText, GetParam().field_text);
  ASSERT_TRUE(SaveSettings(panel_, store_).has_value());
  EXPECT_EQ(Hex(ReadBytes(File("shanchu.txt"))), GetParam().saved_hex);
  ControlPanel fresh;
  ConnectPanelToStore(fresh, store_);
  LoadSettings(fresh, store_);
  EXPECT_EQ(fresh.Text(field::deleteText), GetParam().reloaded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListFileRoundTrip,
    ::testing::Values(ListCase{"plain", u"abc", "61 62 63 0D 0A", u"abc"},
                      ListCase{"empty", u"", "0D 0A", u""},
                      ListCase{"one_break", u"abc\r\n", "61 62 63 0D 0A 0D 0A", u"abc"},
                      ListCase{"two_breaks", u"abc\r\n\r\n", "61 62 63 0D 0A 0D 0A 0D 0A",
                               u"abc\r\n"},
                      ListCase{"chinese", u"广告\r\n结束", "B9 E3 B8 E6 0D 0A BD E1 CA F8 0D 0A",
                               u"广告\r\n结束"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(SettingsTest, ListFilesWrittenByOtherEditors) {
  MakeConfigDirectory();
  WriteList("tihuanqian.txt", "abc\n");
  WriteList("tihuanhou.txt", "abc\n\r");
  WriteList("shanchu.txt", "");
  WriteList("bankuaikaishi.txt", "\xD6\xD0\r\n\r\n");
  LoadSettings(panel_, store_);
  EXPECT_EQ(panel_.Text(field::pair2Find), u"abc");
  EXPECT_EQ(panel_.Text(field::pair2Replace), u"abc\n");
  EXPECT_EQ(panel_.Text(field::deleteText), u"");
  EXPECT_EQ(panel_.Text(field::block0Start), u"中");
}

struct KeyCase {
  const char* name;
  std::u16string key;
  std::u16string value;
  int suffix;
  bool subdirs;
  bool detect;
};

class StoredKeys : public SettingsTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(StoredKeys, AreTakenBackByTheirNumber) {
  MakeConfigDirectory();
  WriteKey(GetParam().key, GetParam().value);
  LoadSettings(panel_, store_);
  EXPECT_EQ(panel_.SuffixChoice(), GetParam().suffix);
  EXPECT_EQ(panel_.Ticked(field::includeSubdirs), GetParam().subdirs);
  EXPECT_EQ(panel_.Ticked(field::autoDetectCharset), GetParam().detect);
}

INSTANTIATE_TEST_SUITE_P(Cases, StoredKeys,
                         ::testing::Values(KeyCase{"suffix_3", u"后缀", u"3", 3, false, true},
                                           KeyCase{"suffix_5", u"后缀", u"5", 5, false, true},
                                           // Out of range: the design-time choice stays.
                                           KeyCase{"suffix_7", u"后缀", u"7", 2, false, true},
                                           KeyCase{"suffix_9", u"后缀", u"9", 2, false, true},
                                           KeyCase{"suffix_2_5", u"后缀", u"2.5", 2, false, true},
                                           KeyCase{"subdirs_1", u"子目录", u"1", 1, true, true},
                                           KeyCase{"subdirs_1_0", u"子目录", u" 1.0", 1, true, true},
                                           KeyCase{"subdirs_2", u"子目录", u"2", 1, false, true},
                                           KeyCase{"subdirs_empty", u"子目录", u"", 1, false, true},
                                           KeyCase{"detect_0", u"自动识别", u"0", 1, false, false},
                                           KeyCase{"detect_word", u"自动识别", u"x", 1, false, false}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(SettingsTest, SingleLineValuesLoseBlanksAndQuotes) {
  MakeConfigDirectory();
  WriteBytes(File(kIniFileName), "[HTML]\r\n\xCC\xE6\xBB\xBB\xC7\xB0\x31=  abc  \r\n"
                                 "\xCC\xE6\xBB\xBB\xBA\xF3\x31=\"x y\"\r\n");
  LoadSettings(panel_, store_);
  EXPECT_EQ(panel_.Text(field::pair1Find), u"abc");
  EXPECT_EQ(panel_.Text(field::pair1Replace), u"x y");
}

TEST_F(SettingsTest, BlockSets1And2AreLoadedAndSavedOnlyWithTheirSwitchOn) {
  MakeConfigDirectory();
  WriteKey(u"版块替换2", u"1");
  WriteList("bankuaitihuan2.txt", "abc\r\n\r\n");
  WriteList("bankuaikaishi1.txt", "<!--s-->\r\n");
  LoadSettings(panel_, store_);
  EXPECT_TRUE(panel_.Ticked(field::moreBlocksEnabled));
  EXPECT_EQ(panel_.Text(field::block2Replace), u"abc");
  EXPECT_EQ(panel_.Text(field::block1Start), u"<!--s-->");
  EXPECT_EQ(panel_.Text(field::block1End), u"");  // missing file: empty field, empty file
  for (const char* name : kExtraFiles) EXPECT_TRUE(Exists(File(name))) << name;

  // Saved while on; untouched while off.
  panel_.SetText(field::block1End, u"<!--e-->");
  ASSERT_TRUE(SaveSettings(panel_, store_).has_value());
  EXPECT_EQ(ReadBytes(File("bankuaijieshu1.txt")), "<!--e-->\r\n");
  panel_.SetTicked(field::moreBlocksEnabled, false);
  panel_.SetText(field::block1End, u"changed");
  ASSERT_TRUE(SaveSettings(panel_, store_).has_value());
  EXPECT_EQ(ReadBytes(File("bankuaijieshu1.txt")), "<!--e-->\r\n");
  EXPECT_EQ(Key(u"版块替换2"), u"0");

  // Ticking the box again discards the unsaved edit.
  panel_.SetTicked(field::moreBlocksEnabled, true);
  EXPECT_EQ(panel_.Text(field::block1End), u"<!--e-->");
}

TEST_F(SettingsTest, SaveExtraBlockSetsWithTheSwitchOffWritesOnlyTheKey) {
  MakeConfigDirectory();
  WriteList("bankuaitihuan1.txt", "old\r\n");
  panel_.SetText(field::block1Replace, u"new");
  ASSERT_TRUE(SaveExtraBlockSets(panel_, store_).has_value());
  EXPECT_EQ(ReadBytes(File("bankuaitihuan1.txt")), "old\r\n");
  EXPECT_EQ(Key(u"版块替换2"), u"0");
  panel_.SetTicked(field::moreBlocksEnabled, true);
  EXPECT_EQ(panel_.Text(field::block1Replace), u"old");
  panel_.SetText(field::block1Replace, u"new");
  ASSERT_TRUE(SaveExtraBlockSets(panel_, store_).has_value());
  EXPECT_EQ(ReadBytes(File("bankuaitihuan1.txt")), "new\r\n");
  EXPECT_EQ(Key(u"版块替换2"), u"1");
  EXPECT_EQ(Key(u"替换前1"), u"<missing>");  // nothing else is written
}

TEST_F(SettingsTest, UnreadableListFileWhileSwitchingOnKeepsTheFieldsAndSaysWhich) {
  MakeConfigDirectory();
  WriteList("bankuaikaishi1.txt", "stored\r\n");
  ASSERT_TRUE(testing::MakeDirectory(File("bankuaitihuan2.txt")));
  panel_.SetText(field::block1Start, u"typed");
  panel_.SetTicked(field::moreBlocksEnabled, true);
  EXPECT_EQ(panel_.Text(field::block1Start), u"typed");
  EXPECT_EQ(panel_.Text(field::block2Start), u"Text20");
  EXPECT_TRUE(panel_.Enabled(field::block1Start));
  EXPECT_NE(panel_.Text(kStatusLine).find(u"bankuaitihuan2.txt"), std::u16string_view::npos);
  EXPECT_EQ(ReadBytes(File("bankuaikaishi1.txt")), "stored\r\n");
}

TEST_F(SettingsTest, ConfigurationFileThatCannotBeReadIsNamedAndNeverWrittenOver) {
  struct Case {
    std::string_view file;
    bool more_blocks;
  };
  for (const Case& c : {Case{"tihuanqian.txt", false}, Case{kIniFileName, false},
                        Case{"bankuaitihuan2.txt", true}}) {
    ConfigStore store{fs_, dir_ / (std::string(c.file) + "/")};
    ControlPanel panel;
    ConnectPanelToStore(panel, store);
    store.MakeDirectory();
    if (c.more_blocks) {
      ASSERT_TRUE(WriteIniValue(fs_, u"HTML", u"版块替换2", u"1", store.PathOf(kIniFileName)));
    }
    const std::string path = store.PathOf(c.file);
    // There, but no text can be read from it.
#ifdef _WIN32
    WriteBytes(path, "held");
    std::optional<testing::HeldFile> held;
    ASSERT_TRUE(held.emplace(path).held());
#else
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
#endif
    LoadSettings(panel, store);
    EXPECT_NE(ToUtf8(panel.Text(kStatusLine)).find(ShownPath(path)), std::string::npos) << c.file;
    const Status saved = SaveSettings(panel, store);
    ASSERT_FALSE(saved.has_value()) << c.file;
    EXPECT_NE(saved.error().Message().find(ShownPath(path)), std::string::npos);
    // Command6 writes the INI file and, with the switch on, block sets 1 and 2.
    EXPECT_EQ(SaveExtraBlockSets(panel, store).has_value(), c.file == "tihuanqian.txt") << c.file;
#ifdef _WIN32
    held.reset();
    EXPECT_EQ(ReadBytes(path), "held") << c.file;
#else
    struct stat st;
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << c.file;
#endif
    EXPECT_EQ(ReadBytes(store.PathOf("shanchu.txt")), "") << c.file;  // nothing saved at all
  }
}

TEST_F(SettingsTest, UnwritableListFileStopsTheSaveAndSkipsTheRest) {
  LoadSettings(panel_, store_);
  ASSERT_TRUE(testing::MakeDirectory(File("shanchu.txt.tmp")));
  testing::Remove(File("shanchu.txt.tmp"));
  testing::Remove(File("shanchu.txt"));
  ASSERT_TRUE(testing::MakeDirectory(File("shanchu.txt")));
  panel_.SetText(field::pair2Find, u"find");
  panel_.SetText(field::pair3Find, u"three");
  const Status saved = SaveSettings(panel_, store_);
  ASSERT_FALSE(saved.has_value());
  EXPECT_NE(saved.error().Message().find("shanchu.txt"), std::string::npos);
  EXPECT_EQ(ReadBytes(File("tihuanqian.txt")), "find\r\n");  // written before the failure
  EXPECT_EQ(ReadBytes(File("bankuaikaishi.txt")), "");       // skipped after it
  EXPECT_EQ(Key(u"替换前3"), u"<missing>");
}

TEST_F(SettingsTest, UnwritableIniFileFailsTheSaveInsteadOfPassingForSaved) {
  MakeConfigDirectory();
  ASSERT_TRUE(testing::MakeDirectory(File(kIniFileName)));
  const Status saved = SaveSettings(panel_, store_);
  ASSERT_FALSE(saved.has_value());
  EXPECT_NE(saved.error().Message().find(kIniFileName), std::string::npos);
  EXPECT_FALSE(Exists(File("tihuanqian.txt")));  // nothing after the failure
  EXPECT_FALSE(SaveExtraBlockSets(panel_, store_).has_value());
}

TEST_F(SettingsTest, SavedFieldsComeBackEqual) {
  LoadSettings(panel_, store_);
  panel_.SetText(field::pair1Find, u"旧");
  panel_.SetText(field::pair4Replace, u"新");
  panel_.SetText(field::pair2Replace, u"多\r\n行");
  panel_.SetTicked(Control::Option6, true);
  panel_.SetTicked(field::block0Enabled, true);
  panel_.SetTicked(field::readUtf8, true);
  panel_.SetTicked(field::autoDetectCharset, false);
  ASSERT_TRUE(SaveSettings(panel_, store_).has_value());

  ControlPanel fresh;
  ConnectPanelToStore(fresh, store_);
  LoadSettings(fresh, store_);
  EXPECT_EQ(fresh.Text(field::pair1Find), u"旧");
  EXPECT_EQ(fresh.Text(field::pair4Replace), u"新");
  EXPECT_EQ(fresh.Text(field::pair2Replace), u"多\r\n行");
  EXPECT_EQ(fresh.SuffixChoice(), 6);
  EXPECT_TRUE(fresh.Ticked(field::block0Enabled));
  EXPECT_TRUE(fresh.Enabled(field::block0Start));
  EXPECT_TRUE(fresh.Ticked(field::readUtf8));
  EXPECT_FALSE(fresh.Ticked(field::autoDetectCharset));
}

#if !defined(_WIN32)
// A file that would get the bytes it holds is not replaced (each replacement syncs the disk).
TEST_F(SettingsTest, UnchangedFilesAreNotWrittenAgain) {
  LoadSettings(panel_, store_);
  panel_.SetText(field::pair2Find, u"旧");
  ASSERT_TRUE(SaveSettings(panel_, store_).has_value());
  const auto inode = [this](std::string_view name) {
    struct stat st {};
    return ::stat(File(name).c_str(), &st) == 0 ? st.st_ino : 0;
  };
  const auto ini = inode(kIniFileName), list = inode("tihuanqian.txt");
  panel_.SetText(field::pair2Find, u"新");
  ASSERT_TRUE(SaveSettings(panel_, store_).has_value());
  EXPECT_EQ(inode(kIniFileName), ini);
  EXPECT_NE(inode("tihuanqian.txt"), list);
  EXPECT_EQ(ReadBytes(File("tihuanqian.txt")), "\xD0\xC2\r\n");
}
#endif

TEST_F(SettingsTest, UncreatableDirectoryKeepsListFieldsAndDefaultsTheRest) {
  WriteBytes(dir_ / "home", "a file where a directory should be");
  LoadSettings(panel_, store_);
  EXPECT_EQ(panel_.Text(field::pair2Find), u"要查找的多行文字2");
  EXPECT_EQ(panel_.Text(field::pair1Find), u"");
  EXPECT_EQ(panel_.SuffixChoice(), 1);
  EXPECT_EQ(panel_.Text(Control::Command4), u"停止");
}

}  // namespace
}  // namespace quelbo
