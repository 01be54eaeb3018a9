#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ini_profile.h"
#include "platform/text_file.h"
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

// quelbo-batch run on a temporary site and configuration directory, as a user would run it.
class BatchTest : public ::testing::Test {
 protected:
  BatchTest() {
    fs_.MakeDirectories(site_).value();
    fs_.MakeDirectories(config_).value();
    // The settings most tests share: .htm pages, root only, UTF-8 in and out, no rules.
    Key(u"后缀", u"1");
    Key(u"子目录", u"0");
    Key(u"自动识别", u"0");
    Key(u"UTF读入", u"1");
    Key(u"UTF输出", u"1");
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

  // A copy of the program placed in the site, as a user would place it.
  std::string InstallProgram() {
    const std::string program = site_ + "/quelbo-batch";
    std::filesystem::copy_file(QUELBO_BATCH_PATH, program,
                               std::filesystem::copy_options::overwrite_existing);
    return program;
  }
  std::vector<std::string> Environment() const {
    return {"XDG_CONFIG_HOME=" + dir_.path() + "/xdg", "HOME=" + dir_.path()};
  }
  testing::ProcessResult Run(std::vector<std::string> args = {"--trace"}) {
    args.insert(args.begin(), InstallProgram());
    return testing::RunProcess(args, Environment());
  }

  testing::TempDir dir_;
  std::unique_ptr<FileSystem> machine_fs_ = NewMachineFileSystem();
  FileSystem& fs_ = *machine_fs_;
  std::string site_ = dir_ / "site";
  std::string config_ = dir_ / "xdg/AAAHTML批量替换配置log/";
};

}  // namespace quelbo::testing
