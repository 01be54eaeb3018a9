#include "window/qt/window_site_folder.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QString>
#include <cstdio>

#include "platform/locations.h"
#include "platform/site_places.h"
#include "run/command_line.h"
#include "run/site_folder.h"

namespace quelbo {
namespace {

constexpr int kExitClean = 0;
constexpr int kExitBadCommandLine = 2;

void PrintUsage(std::FILE* out, const char* name) {
  std::fprintf(out,
               "Usage: %s [SITE_FOLDER]\n"
               "\n"
               "Opens the window on the pages of the site in SITE_FOLDER. Without SITE_FOLDER\n"
               "the site is the folder that holds this program; when that is a system folder, a\n"
               "folder of programs (such as /usr/bin) or one you cannot write to, the window\n"
               "first asks which folder to work on.\n"
               "\n"
               "Settings are kept in %s\n"
               "\n"
               "  --help      print this text\n"
               "  --version   print the version\n"
               "\n"
               "Qt's own options (such as -platform offscreen) are taken as well.\n",
               name, ConfigDirectory().c_str());
}

}  // namespace

std::optional<int> AnswerWithoutWindow(int argc, const char* const* argv, const char* name) {
  // A fault here may be one of Qt's options: judged once Qt has taken them.
  const auto line = ParseCommandLine(argc, argv, CommandLineOptions{});
  if (!line) return std::nullopt;
  if (line->help) {
    PrintUsage(stdout, name);
    return kExitClean;
  }
  if (line->version) {
    std::printf("%s\n", VersionLine(name).c_str());
    return kExitClean;
  }
  return std::nullopt;
}

std::expected<std::string, int> WindowSiteFolder(FileSystem& fs, int argc, const char* const* argv,
                                                 const char* name) {
  const auto line = ParseCommandLine(argc, argv, CommandLineOptions{});
  if (!line) {
    std::fprintf(stderr, "%s: %s\n", name, line.error().c_str());
    PrintUsage(stderr, name);
    return std::unexpected(kExitBadCommandLine);
  }
  auto folder = SiteFolderFor(fs, line->site_folder);
  if (!folder) {
    std::fprintf(stderr, "%s: %s\n", name, folder.error().Message().c_str());
    return std::unexpected(kExitBadCommandLine);
  }
  if (folder->given || IsPlaceForPages(folder->path)) return std::move(folder->path);

  const QString picked = QFileDialog::getExistingDirectory(
      nullptr, QStringLiteral("选择网站文件夹"), QDir::homePath(), QFileDialog::ShowDirsOnly);
  if (picked.isEmpty()) {
    std::fprintf(stderr, "%s: no site folder chosen\n", name);
    return std::unexpected(kExitClean);
  }
  return QFile::encodeName(picked).toStdString();
}

}  // namespace quelbo
