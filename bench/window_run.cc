// window_run: the window of quelbo, started on the directory that holds this program, with
// the Start command pressed as soon as the window is shown; it quits when the run is over.
// For timing the window against quelbo-batch on the same site: everything the window does
// during a run (the bound widgets, their refreshes, the Qt driver of the steps) is in it.
// Without a display, run it with QT_QPA_PLATFORM=offscreen.

#include <QAbstractEventDispatcher>
#include <QApplication>

#include "window/qt/window_program.h"

int main(int argc, char** argv) {
  using namespace quelbo;
  return RunWindowProgram(argc, argv, "window_run", [](Session& session) {
    session.Click(Control::Command1);
    // The run is over when the event loop has nothing left to do: checked each time it is
    // about to wait, which ends the timing at the run's end without polling.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     qApp, [&session] {
                       if (session.scheduler().Idle()) QApplication::quit();
                     });
  });
}
