// window_startup: the window of quelbo, started on the directory that holds this program,
// quitting as soon as its first frame is painted. It prints the moment that frame was done
// (CLOCK_MONOTONIC, in seconds), so that whoever started it can take the time from the start
// of the process to the first painted window: loading the libraries, Qt's start-up, the fonts,
// the widgets, LoadSettings and the first paint. Without a display, run it with
// QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

#include "window/qt/window_program.h"

namespace {

// Watches every event of the application for the first paint of a window; the frame it
// begins is painted in one go, so it is done when the event loop next gets its turn.
class FirstFrame : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType()) {
      seen_ = true;
      QTimer::singleShot(0, qApp, [] {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("%ld.%09ld\n", static_cast<long>(now.tv_sec), now.tv_nsec);
        std::fflush(stdout);
        QApplication::exit(0);
      });
    }
    return false;
  }

 private:
  bool seen_ = false;
};

void WatchForTheFirstFrame() { qApp->installEventFilter(new FirstFrame); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchForTheFirstFrame)

int main(int argc, char** argv) {
  return quelbo::RunWindowProgram(argc, argv, "window_startup");
}
