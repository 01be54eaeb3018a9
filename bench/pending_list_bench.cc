// Timings of the window under a run's load: a long pending-page list consumed line by line,
// and a status line written as fast as a run writes it. Prints figures; asserts nothing.

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QString>
#include <cstdio>
#include <string>

#include "panel/control_panel.h"
#include "panel/settings_fields.h"
#include "window/qt/main_window.h"

namespace quelbo {
namespace {

constexpr int kLines = 100000;

std::u16string PendingList() {
  std::u16string list;
  for (int i = 0; i < kLines; ++i) {
    list += u"sub" + QString::number(i % 100).toStdU16String() + u"/page" +
            QString::number(i).toStdU16String() + u".html\r\n";
  }
  return list + u"###";
}

double Micros(const QElapsedTimer& timer) {
  return static_cast<double>(timer.nsecsElapsed()) / 1e3;
}

void DropLines(ControlPanel& panel, int lines) {
  for (int i = 0; i < lines; ++i) {
    panel.DropTextPrefix(kPendingPages, panel.Text(kPendingPages).find(u'\n') + 1);
  }
}

void Run() {
  ControlPanel panel;
  MainWindow window(panel, {});
  window.show();
  QApplication::processEvents();

  const std::u16string list = PendingList();
  std::printf("pending-page list: %d lines, %zu code units\n", kLines, list.size());

  QElapsedTimer timer;
  timer.start();
  panel.SetText(kPendingPages, list);
  window.RefreshNow();
  QApplication::processEvents();
  std::printf("full flush of the list (SetText, refresh, repaint): %.1f ms\n", Micros(timer) / 1e3);

  // One page per refresh: the worst case, a refresh after every line.
  constexpr int kSingles = 5000;
  timer.restart();
  for (int i = 0; i < kSingles; ++i) {
    DropLines(panel, 1);
    window.RefreshNow();
  }
  std::printf("prefix drop + refresh, one line each: %.1f us per line\n", Micros(timer) / kSingles);

  // As the run does it: many pages per frame, then repaint.
  constexpr int kPerFrame = 100;
  const int frames = (kLines - kSingles) / kPerFrame;
  timer.restart();
  for (int f = 0; f < frames; ++f) {
    DropLines(panel, kPerFrame);
    window.RefreshNow();
    QApplication::processEvents();
  }
  std::printf(
      "prefix drops, %d lines per frame with repaint: %.1f us per line, %.1f us per frame\n",
      kPerFrame, Micros(timer) / (frames * kPerFrame), Micros(timer) / frames);

  auto* pending = window.findChild<QPlainTextEdit*>("RichTextBox2");
  std::printf("list left: model \"%s\", widget \"%s\"\n",
              QString::fromStdU16String(std::u16string(panel.Text(kPendingPages))).toUtf8().data(),
              pending->toPlainText().toUtf8().data());

  // As the walk collects subdirectories: each directory's block goes in front of the list.
  constexpr int kDirectories = 100;
  timer.restart();
  for (int d = 0; d < kDirectories; ++d) {
    std::u16string block;
    for (int i = 0; i < kLines / kDirectories; ++i) {
      block += u"sub" + QString::number(d).toStdU16String() + u"/page" +
               QString::number(i).toStdU16String() + u".html\r\n";
    }
    panel.SetText(kCollectedFiles, block + std::u16string(panel.Text(kCollectedFiles)));
    window.RefreshNow();
  }
  std::printf(
      "collected list grown by %d blocks of %d lines, refresh after each: %.1f ms per "
      "block\n",
      kDirectories, kLines / kDirectories, Micros(timer) / 1e3 / kDirectories);

  constexpr int kWrites = 1000000;
  ControlPanel unobserved;
  timer.restart();
  for (int i = 0; i < kWrites; ++i) unobserved.SetText(kStatusLine, u"页面替换中。。。");
  const double bare = Micros(timer) * 1e3 / kWrites;
  timer.restart();
  for (int i = 0; i < kWrites; ++i) panel.SetText(kStatusLine, u"页面替换中。。。");
  const double observed = Micros(timer) * 1e3 / kWrites;
  std::printf("status line write: %.0f ns without a window, %.0f ns with the window\n", bare,
              observed);
  const auto before = window.Counters();
  QApplication::processEvents();
  window.RefreshNow();
  std::printf("refreshes for %d status writes: %llu\n", kWrites,
              static_cast<unsigned long long>(window.Counters().flushes - before.flushes));
}

}  // namespace
}  // namespace quelbo

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  quelbo::Run();
  return 0;
}
