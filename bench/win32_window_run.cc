// win32_window_run: the Windows window of quelbo on a site with Start pressed at once, as
// quelbo.exe sets it up, for timing the window against quelbo-batch.exe (under Wine above all).
// Prints when the status bar first counts a processed page and when the run is over. The
// window is shown, minimised or hidden, or there is none: the same steps on the same message
// loop, which parts the window's own refresh from the loop's and the system's cost.
//
// usage: win32_window_run SITE CONFIG_DIRECTORY shown|minimised|hidden|none

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/program_arguments.h"
#include "run/session.h"
#include "window/win32/win32_main_window.h"
#include "window/win32/win32_message_loop.h"
#include "window/win32/win32_step_driver.h"

namespace {

using quelbo::Control;
using Seconds = std::chrono::duration<double>;

const auto start = std::chrono::steady_clock::now();
quelbo::Session* session = nullptr;
quelbo::Win32MainWindow* window = nullptr;
bool counted = false;

double Elapsed() { return Seconds(std::chrono::steady_clock::now() - start).count(); }

// Every 5 ms, between the steps: the first count of a processed page, and the run's end.
void CALLBACK Watch(HWND, UINT, UINT_PTR, DWORD) {
  const quelbo::RunReport& report = session->report();
  if (!counted &&
      (window != nullptr ? window->status_bar().PartText(1).starts_with(u"已处理 ") &&
                               !window->status_bar().PartText(1).starts_with(u"已处理 0 ")
                         : report.processed() > 0)) {
    counted = true;
    std::printf("first page counted: %.2f s\n", Elapsed());
  }
  if (report.runs() > 0 && session->scheduler().Idle()) {
    std::printf("run over: %.2f s, %zu pages processed\n", Elapsed(), report.processed());
    ::PostQuitMessage(0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quelbo;
  const auto arguments = ProgramArguments(argc, argv);
  if (arguments.size() != 4) {
    std::fprintf(stderr,
                 "usage: win32_window_run SITE CONFIG_DIRECTORY shown|minimised|hidden|none\n");
    return 2;
  }
  const std::string_view mode = arguments[3];
  const std::unique_ptr<FileSystem> fs = NewMachineFileSystem();
  SteadyClock clock;
  auto created = Session::Create(*fs, clock, SessionPaths{arguments[1], arguments[2]});
  if (!created) {
    std::fprintf(stderr, "%s\n", created.error().Message().c_str());
    return 1;
  }
  session = created->get();
  std::unique_ptr<Win32MainWindow> shown;
  if (mode != "none") {
    shown = std::make_unique<Win32MainWindow>(session->panel(),
                                              [](Control command) { session->Click(command); });
    shown->ShowSession(*session);
    window = shown.get();
  }
  session->LoadSettings();
  Win32StepDriver driver(session->scheduler(), clock);
  if (window != nullptr) {
    window->RefreshNow();
    window->Show(mode == "shown" ? SW_SHOW : mode == "minimised" ? SW_SHOWMINNOACTIVE : SW_HIDE);
  }
  session->Click(Control::Command1);
  ::SetTimer(nullptr, 0, 5, Watch);
  return win32::RunMessageLoop();
}
