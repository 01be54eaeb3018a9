// window_run: the window of quelbo, started on the directory that holds this program, with
// the Start command pressed as soon as the settings are loaded; it quits when the run is over.
// For timing the window against quelbo-batch on the same site: everything the window does
// during a run (the bound widgets, their refreshes, the Qt driver of the steps) is in it.
// Without a display, run it with QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QTimer>
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
    std::fprintf(stderr, "window_run: %s\n", root.error().Message().c_str());
    return 2;
  }
  PosixFileSystem fs;
  SteadyClock clock;
  auto created = Session::Create(fs, clock, SessionPaths{*root, ConfigDirectory()});
  if (!created) {
    std::fprintf(stderr, "window_run: %s\n", created.error().Message().c_str());
    return 2;
  }
  Session& session = **created;
  MainWindow window(session.panel(), [&session](Control command) { session.Click(command); });
  session.LoadSettings();
  QtStepDriver driver(session.scheduler(), clock);
  window.show();

  // Checked every 10 ms, which is too seldom to slow the run and adds at most 10 ms to it.
  QTimer until_idle;
  QObject::connect(&until_idle, &QTimer::timeout, [&] {
    if (session.scheduler().Idle()) QApplication::quit();
  });
  QTimer::singleShot(0, [&] {
    session.Click(Control::Command1);
    until_idle.start(10);
  });
  return QApplication::exec();
}
