// window_run: the window of quelbo, started on the directory that holds this program, with
// the Start command pressed as soon as the window is shown; it quits when the run is over.
// For timing the window against quelbo-batch on the same site: everything the window does
// during a run (the bound widgets, their refreshes, the Qt driver of the steps) is in it.
// Without a display, run it with QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QTimer>

#include "panel/window/window_program.h"

int main(int argc, char** argv) {
  using namespace quelbo;
  return RunWindowProgram(argc, argv, "window_run", [](Session& session) {
    session.Click(Control::Command1);
    // Checked every 10 ms, which is too seldom to slow the run and adds at most 10 ms to it.
    auto* until_idle = new QTimer(qApp);
    QObject::connect(until_idle, &QTimer::timeout, [&session] {
      if (session.scheduler().Idle()) QApplication::quit();
    });
    until_idle->start(10);
  });
}
