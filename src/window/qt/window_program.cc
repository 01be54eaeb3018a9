#include "window/qt/window_program.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

#include "platform/locations.h"
#include "window/qt/app_font.h"
#include "window/qt/main_window.h"
#include "window/qt/qt_step_driver.h"
#include "window/qt/window_site_folder.h"

namespace quelbo {

int RunWindowProgram(int argc, char** argv, const char* name,
                     const std::function<void(Session&)>& shown) {
  if (const auto answered = AnswerWithoutWindow(argc, argv, name)) return *answered;
  QApplication app(argc, argv);
  UseCjkApplicationFont();
  // Qt's own dialogs (the folder chooser, message boxes) speak Chinese as the window does.
  QTranslator qt_texts;
  if (qt_texts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                    QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_texts);
  }

  const std::unique_ptr<FileSystem> machine_fs = NewMachineFileSystem();
  FileSystem& fs = *machine_fs;
  const auto root = WindowSiteFolder(fs, argc, argv, name);
  if (!root) return root.error();
  SteadyClock clock;
  auto created = Session::Create(fs, clock, SessionPaths{*root, ConfigDirectory()});
  if (!created) {
    std::fprintf(stderr, "%s: %s\n", name, created.error().Message().c_str());
    return 2;
  }
  Session& session = **created;

  // The window exists before the settings fill it, and is shown only after.
  MainWindow window(session.panel(), {});
  // Preview and undo sit below the designed area, which stays as it is.
  window.ShowSession(session, clock);
  session.LoadSettings();
  QtStepDriver driver(session.scheduler(), clock);
  // Closing the window ends the program: no step runs after it, and nothing is saved.
  QObject::connect(&app, &QGuiApplication::lastWindowClosed, [&driver] { driver.Stop(); });
  window.show();
  if (shown) QTimer::singleShot(0, &app, [&] { shown(session); });
  return QApplication::exec();
}

}  // namespace quelbo
