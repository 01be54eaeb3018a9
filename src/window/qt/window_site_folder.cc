#include "window/qt/window_site_folder.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QString>
#include <cstdio>

#include "base/text_codec.h"
#include "panel/control_panel.h"
#include "platform/console.h"
#include "platform/locations.h"
#include "window/presenter/start_up.h"
#include "window/presenter/window_texts.h"

namespace quelbo {
namespace {

constexpr int kExitClean = 0;

std::string Usage(const char* name) {
  return std::string("Usage: ") + name +
         " [SITE_FOLDER]\n"
         "\n"
         "Opens the window on the pages of the site in SITE_FOLDER. Without SITE_FOLDER\n"
         "the site is the folder that holds this program; when that is a system folder, a\n"
         "folder of programs (such as /usr/bin) or one you cannot write to, the window\n"
         "first asks which folder to work on.\n"
         "\n"
         "Settings are kept in " +
         ConfigDirectory() +
         "\n"
         "\n"
         "  --help      print this text\n"
         "  --version   print the version\n"
         "\n"
         "Qt's own options (such as -platform offscreen) are taken as well.\n";
}

}  // namespace

std::optional<int> AnswerWithoutWindow(int argc, const char* const* argv, const char* name) {
  // A fault here may be one of Qt's options: judged once Qt has taken them.
  const std::unique_ptr<FileSystem> fs = NewMachineFileSystem();
  const StartUp plan = PlanStartUp(*fs, argc, argv, name, Usage(name));
  if (plan.kind != StartUp::Kind::kAnswer) return std::nullopt;
  std::fputs(plan.text.c_str(), stdout);
  return plan.exit_status;
}

std::expected<std::string, int> WindowSiteFolder(FileSystem& fs, int argc, const char* const* argv,
                                                 const char* name) {
  StartUp plan = PlanStartUp(fs, argc, argv, name, Usage(name));
  switch (plan.kind) {
    case StartUp::Kind::kAnswer:
    case StartUp::Kind::kRefuse:
      std::fputs(plan.text.c_str(), plan.kind == StartUp::Kind::kAnswer ? stdout : stderr);
      // Said in a box too when nobody reads the error stream: a start from a menu or a file
      // manager (a terminal shows stderr; an offscreen run has nobody to close a box).
      if (!plan.message.empty() && !MakeConsole()->ShowsProgress() &&
          QGuiApplication::platformName() != QStringLiteral("offscreen")) {
        QMessageBox::critical(
            nullptr, QString::fromStdU16String(std::u16string(ControlPanel().Text(Control::Form1))),
            QString::fromStdU16String(plan.message));
      }
      return std::unexpected(plan.exit_status);
    case StartUp::Kind::kOpen:
      return std::move(plan.folder);
    case StartUp::Kind::kAsk:
      break;
  }
  const QString picked = QFileDialog::getExistingDirectory(
      nullptr, QString::fromStdU16String(FromUtf8(kWindowTexts.choose_site_folder)),
      QDir::homePath(), QFileDialog::ShowDirsOnly);
  if (picked.isEmpty()) {
    std::fprintf(stderr, "%s: no site folder chosen\n", name);
    return std::unexpected(kExitClean);
  }
  return QFile::encodeName(picked).toStdString();
}

}  // namespace quelbo
