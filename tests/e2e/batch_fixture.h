#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ini_profile.h"
#include "platform/locations.h"
#include "platform/text_file.h"
#include "platform/user_language.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace quelbo::testing {

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

inline bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

#ifdef _WIN32
inline constexpr char kProgramName[] = "quelbo-batch.exe";
inline constexpr char kProgramMagic[] = "MZ";
// The program beside this test program. Its configuration directory is the system's own
// ("D:/AAAHTML批量替换配置log/"), wiped by each test: only where that is allowed, as in the
// scratch Wine prefix of scripts/test-windows, are these tests run.
inline std::string BatchProgramPath() { return ExecutableDirectory().value() + "/" + kProgramName; }
inline bool MayWipeConfigDirectory() {
  return std::getenv("QUELBO_TEST_MAY_WIPE_CONFIG_DIRECTORY") != nullptr;
}
#else
inline constexpr char kProgramName[] = "quelbo-batch";
inline constexpr char kProgramMagic[] =
    "\x7F"
    "ELF";
inline std::string BatchProgramPath() { return QUELBO_BATCH_PATH; }
inline bool MayWipeConfigDirectory() { return true; }  // a temporary one, named by XDG_CONFIG_HOME
#endif

// quelbo-batch run on a temporary site and configuration directory, as a user would run it.
class BatchTest : public ::testing::Test {
 protected:
  BatchTest() {
    std::filesystem::remove_all(PathOf(config_));
    fs_.MakeDirectories(site_).value();
    fs_.MakeDirectories(config_).value();
    // The settings most tests share: .htm pages, root only, UTF-8 in and out, no rules.
    Key(u"后缀", u"1");
    Key(u"子目录", u"0");
    Key(u"自动识别", u"0");
    Key(u"UTF读入", u"1");
    Key(u"UTF输出", u"1");
  }

  void SetUp() override {
    if (!MayWipeConfigDirectory()) {
      GTEST_SKIP() << "would wipe " << config_ << "; set QUELBO_TEST_MAY_WIPE_CONFIG_DIRECTORY";
    }
  }

  void Key(std::u16string_view key, std::u16string_view value) {
    ASSERT_TRUE(WriteIniValue(fs_, u"HTML", key, value, config_ + "htm批处理配置.ini"));
  }
  void List(const std::string& name, std::u16string_view text) {
    ASSERT_TRUE(WriteTextFile(fs_, text, config_ + name));
  }
  // Writes a page, making its directories.
  void Page(const std::string& relative, std::string_view bytes) {
    const std::string path = site_ + "/" + relative;
    fs_.MakeDirectories(path.substr(0, path.rfind('/'))).value();
    WriteBytes(path, bytes);
  }
  std::string Read(const std::string& relative) { return ReadBytes(site_ + "/" + relative); }

  // A symbolic link; false where the system makes none (Wine, Windows without the right to),
  // a failure on POSIX systems, where it always can.
  bool Link(const std::string& target, const std::string& link) {
    const bool made = MakeLink(target, link);
#ifndef _WIN32
    EXPECT_TRUE(made) << link;
#endif
    return made;
  }

  // A copy of the program placed in the site, as a user would place it.
  std::string InstallProgram() {
    const std::string program = site_ + "/" + kProgramName;
    std::filesystem::copy_file(PathOf(BatchProgramPath()), PathOf(program),
                               std::filesystem::copy_options::overwrite_existing);
    return program;
  }
  std::vector<std::string> Environment() const {
#ifdef _WIN32
    return {};
#else
    return {"XDG_CONFIG_HOME=" + dir_.path() + "/xdg", "HOME=" + dir_.path()};
#endif
  }
  testing::ProcessResult Run(std::vector<std::string> args = {"--trace"}) {
    args.insert(args.begin(), InstallProgram());
    return testing::RunProcess(args, Environment());
  }

  testing::TempDir dir_;
  // The program speaks the language of the environment it inherits, which is this one's.
  const Texts& says_ = TextsIn(UserLanguage());
  std::unique_ptr<FileSystem> machine_fs_ = NewMachineFileSystem();
  FileSystem& fs_ = *machine_fs_;
  std::string site_ = dir_ / "site";
#ifdef _WIN32
  std::string config_ = MayWipeConfigDirectory() ? ConfigDirectory() : dir_ / "unused-config/";
#else
  std::string config_ = dir_ / "xdg/AAAHTML批量替换配置log/";
#endif
};

}  // namespace quelbo::testing
