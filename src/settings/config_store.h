#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "panel/settings_fields.h"
#include "platform/file_system.h"
#include "platform/ini_profile.h"

namespace quelbo {

inline constexpr char kIniFileName[] = "htm批处理配置.ini";
inline constexpr std::u16string_view kIniSection = u"HTML";

// The 14 INI keys, in the order a first save writes them.
namespace ini_key {
inline constexpr std::u16string_view pair1Find = u"替换前1";
inline constexpr std::u16string_view pair1Replace = u"替换后1";
inline constexpr std::u16string_view pair3Find = u"替换前3";
inline constexpr std::u16string_view pair3Replace = u"替换后3";
inline constexpr std::u16string_view pair4Find = u"替换前4";
inline constexpr std::u16string_view pair4Replace = u"替换后4";
inline constexpr std::u16string_view excludedDirs = u"不替换目录";
inline constexpr std::u16string_view suffixChoice = u"后缀";
inline constexpr std::u16string_view includeSubdirs = u"子目录";
inline constexpr std::u16string_view readUtf8 = u"UTF读入";
inline constexpr std::u16string_view writeUtf8 = u"UTF输出";
inline constexpr std::u16string_view autoDetectCharset = u"自动识别";
inline constexpr std::u16string_view block0Enabled = u"版块替换";
inline constexpr std::u16string_view moreBlocksEnabled = u"版块替换2";
}  // namespace ini_key

// A multi-line field and the list file that keeps it.
struct ListFileBinding {
  Control field;
  std::string_view file_name;
};

// Pair 2, the deletion text and block set 0, in the order they are saved.
inline constexpr std::array<ListFileBinding, 6> kMainListFiles = {{
    {field::pair2Find, "tihuanqian.txt"},
    {field::pair2Replace, "tihuanhou.txt"},
    {field::deleteText, "shanchu.txt"},
    {field::block0Start, "bankuaikaishi.txt"},
    {field::block0End, "bankuaijieshu.txt"},
    {field::block0Replace, "bankuaitihuan.txt"},
}};

// Block sets 1 and 2, in the order they are loaded and saved.
inline constexpr std::array<ListFileBinding, 6> kExtraBlockSetFiles = {{
    {field::block1Start, "bankuaikaishi1.txt"},
    {field::block1End, "bankuaijieshu1.txt"},
    {field::block1Replace, "bankuaitihuan1.txt"},
    {field::block2Start, "bankuaikaishi2.txt"},
    {field::block2End, "bankuaijieshu2.txt"},
    {field::block2Replace, "bankuaitihuan2.txt"},
}};

// The configuration directory: one INI file and twelve list files, all in code page 936.
class ConfigStore {
 public:
  // `directory` ends in "/"; file paths are the directory followed by the file name. A
  // `read_only` store (a preview's) writes nothing: it makes no directory nor missing list
  // file, removes nothing, and refuses every write.
  ConfigStore(FileSystem& fs, std::string directory, bool read_only = false);

  const std::string& directory() const { return directory_; }
  std::string PathOf(std::string_view file_name) const;

  // A key of the "HTML" section, or `default_value` when it cannot be read.
  std::u16string ReadKey(std::u16string_view key, std::u16string_view default_value) const;
  // On failure the stored value stays as it was.
  [[nodiscard]] Status WriteKey(std::u16string_view key, std::u16string_view value) const;
  // The keys in turn, with one replacement of the INI file for all of them.
  [[nodiscard]] Status WriteKeys(std::span<const IniAssignment> assignments) const;
  [[nodiscard]] Status RemoveKey(std::u16string_view key) const;

  // A list file's whole text (created empty when missing), and its replacement by a text
  // followed by CR LF. A file that exists but cannot be read is remembered as unreadable until
  // a later read succeeds.
  [[nodiscard]] Result<std::u16string> ReadList(std::string_view file_name) const;
  [[nodiscard]] Status WriteList(std::string_view file_name, std::u16string_view text) const;

  // Remembers the INI file as unreadable when it exists but cannot be read (its keys then read
  // as their defaults).
  void CheckIniReadable() const;

  // The files found unreadable, each with why, in the order found.
  struct UnreadableFile {
    std::string file_name;
    std::string reason;
  };
  const std::vector<UnreadableFile>& unreadable() const { return unreadable_; }
  // Fails, naming them, when any of `file_names` is unreadable: a save must not write over a
  // rule the program could not show.
  [[nodiscard]] Status CheckNoneUnreadable(std::span<const std::string_view> file_names) const;

  // Whether the directory holds at least one plain file (false when it does not exist).
  bool HasPlainFiles() const;
  // Creates the directory and its parents; a failure shows later as failing reads and writes.
  void MakeDirectory() const;
  // Removes the temporary files a save leaves behind only when it is killed midway.
  void RemoveLeftoverTemporaryFiles() const;

 private:
  // After a failed read of a file: remembered when something is there (a missing file is not
  // unreadable, it is simply new).
  void NoteReadFailure(std::string_view file_name, const Error& error) const;
  void NoteReadable(std::string_view file_name) const;

  FileSystem& fs_;
  std::string directory_;
  bool read_only_ = false;
  // What the reads have found, kept by the reads themselves (which are const to their callers).
  mutable std::vector<UnreadableFile> unreadable_;
};

}  // namespace quelbo
