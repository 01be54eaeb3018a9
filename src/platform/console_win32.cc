#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "platform/console.h"

namespace quelbo {
namespace {

// The console's control handler runs on a thread of its own; it can only reach static state.
std::atomic<bool> g_stop_requested{false};
std::atomic<bool> g_run_ended{false};

// How long closing the console window waits for the page in work (Windows ends the process
// after about five seconds whatever the handler does).
constexpr int kCloseWaitSteps = 45;
constexpr DWORD kCloseWaitStepMs = 100;

BOOL WINAPI NoteStopRequest(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      g_stop_requested = true;
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // The process ends when this returns: give the run the time to finish its page.
      g_stop_requested = true;
      for (int step = 0; step < kCloseWaitSteps && !g_run_ended; ++step) ::Sleep(kCloseWaitStepMs);
      return TRUE;
    default:
      return FALSE;
  }
}

// Whether the error stream is a console, with escape codes turned on for the progress line.
bool PrepareProgressConsole() {
  const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (error == nullptr || error == INVALID_HANDLE_VALUE || !::GetConsoleMode(error, &mode)) {
    return false;
  }
  // Without escape codes (an old console) the line cannot be cleared: no progress line then.
  return ::SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

class Win32Console final : public Console {
 public:
  Win32Console() {
    // The program writes UTF-8; a console shows it as such whatever its code page was.
    if (shows_progress_) ::SetConsoleOutputCP(CP_UTF8);
  }
  ~Win32Console() override { g_run_ended = true; }

  bool ShowsProgress() const override { return shows_progress_; }

  // "\r" back to the start of the line, then "erase to the end of the line".
  void DrawProgress(std::string_view line) override {
    std::fputs("\r\033[K", stderr);
    std::fwrite(line.data(), 1, line.size(), stderr);
  }
  void ClearProgress() override { std::fputs("\r\033[K", stderr); }

  void CatchStopRequests() override { ::SetConsoleCtrlHandler(NoteStopRequest, TRUE); }
  bool StopRequested() const override { return g_stop_requested; }
  void RequestStop() override { g_stop_requested = true; }

 private:
  const bool shows_progress_ = PrepareProgressConsole();
};

}  // namespace

const char* const kStopRequestNames = "Ctrl+C,\nCtrl+Break or closing the console,";

std::unique_ptr<Console> MakeConsole() { return std::make_unique<Win32Console>(); }

}  // namespace quelbo
