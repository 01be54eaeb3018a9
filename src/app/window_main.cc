// quelbo: the window. It works on the directory that holds the program, like quelbo-batch,
// and keeps its settings in the same configuration directory.

#include <QApplication>
#include <cstdio>

#include "panel/window/app_font.h"
#include "panel/window/main_window.h"
#include "panel/window/qt_step_driver.h"
#include "platform/locations.h"
#include "run/session.h"

int main(int argc, char** argv) {
  using namespace quelbo;
  QApplication app(argc, argv);
  UseCjkApplicationFont();

  const auto root = ExecutableDirectory();
  if (!root) {
    std::fprintf(stderr, "quelbo: %s\n", root.error().Message().c_str());
    return 2;
  }
  PosixFileSystem fs;
  SteadyClock clock;
  auto created = Session::Create(fs, clock, SessionPaths{*root, ConfigDirectory()});
  if (!created) {
    std::fprintf(stderr, "quelbo: %s\n", created.error().Message().c_str());
    return 2;
  }
  Session& session = **created;

  // The window exists before the settings fill it, and is shown only after.
  MainWindow window(session.panel(), [&session](Control command) { session.Click(command); });
  session.LoadSettings();
  QtStepDriver driver(session.scheduler(), clock);
  // Closing the window ends the program: no step runs after it, and nothing is saved.
  QObject::connect(&app, &QGuiApplication::lastWindowClosed, [&driver] { driver.Stop(); });
  window.show();
  return QApplication::exec();
}
