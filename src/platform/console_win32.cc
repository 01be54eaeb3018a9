#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/user_language.h"

namespace quelbo {
namespace {

// The console's control handler runs on a thread of its own; it can only reach static state.
std::atomic<bool> g_catching_stops{false};
std::atomic<bool> g_stop_requested{false};
std::atomic<bool> g_run_ended{false};
// The console's output code page as it was before the program changed it; 0 when unchanged.
std::atomic<UINT> g_output_code_page{0};

// How long closing the console window waits for the page in work (Windows ends the process
// after about five seconds whatever the handler does).
constexpr int kCloseWaitSteps = 45;
constexpr DWORD kCloseWaitStepMs = 100;

void RestoreCodePage() {
  if (const UINT page = g_output_code_page.exchange(0); page != 0) ::SetConsoleOutputCP(page);
}

BOOL WINAPI NoteStopRequest(DWORD event) {
  if (!g_catching_stops) {
    // The system ends the process when this returns; the console may outlive it.
    RestoreCodePage();
    return FALSE;
  }
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

bool IsConsole(DWORD stream) {
  const HANDLE handle = ::GetStdHandle(stream);
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

// Whether the error stream is a console, with escape codes turned on for the progress line.
bool PrepareProgressConsole() {
  const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (!IsConsole(STD_ERROR_HANDLE) || !::GetConsoleMode(error, &mode)) return false;
  // Without escape codes (an old console) the line cannot be cleared: no progress line then.
  return ::SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

// Whether the console is this program's own and goes with it: the program is the only one
// attached to it (a prompt or a script that started it is attached too), it takes the input
// and shows the error stream, and it has a window that can be seen (a console in a terminal
// of another system has none; a task run in the background has none in sight).
bool OwnsItsConsoleWindow() {
  DWORD processes[2];
  if (::GetConsoleProcessList(processes, 2) != 1 || ::GetConsoleWindow() == nullptr) return false;
  if (!IsConsole(STD_INPUT_HANDLE) || !IsConsole(STD_ERROR_HANDLE)) return false;
  USEROBJECTFLAGS station{};
  return ::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &station,
                                     sizeof station, nullptr) &&
         (station.dwFlags & WSF_VISIBLE) != 0;
}

class Win32Console final : public Console {
 public:
  Win32Console() {
    ::SetConsoleCtrlHandler(NoteStopRequest, TRUE);
    // The program writes UTF-8; a console shows it as such whatever its code page was.
    if (const UINT output = ::GetConsoleOutputCP(); output != 0 && output != CP_UTF8) {
      g_output_code_page = output;
      ::SetConsoleOutputCP(CP_UTF8);
    }
  }
  ~Win32Console() override {
    g_run_ended = true;
    RestoreCodePage();
  }

  bool ShowsProgress() const override { return shows_progress_; }

  // "\r" back to the start of the line, then "erase to the end of the line".
  void DrawProgress(std::string_view line) override {
    std::fputs("\r\033[K", stderr);
    std::fwrite(line.data(), 1, line.size(), stderr);
  }
  void ClearProgress() override { std::fputs("\r\033[K", stderr); }

  void CatchStopRequests() override { g_catching_stops = true; }
  bool StopRequested() const override { return g_stop_requested; }
  void RequestStop() override { g_stop_requested = true; }

  void KeepOwnWindowOpen() override {
    if (!owns_window_) return;
    const bool chinese = UserLanguage() == Language::kChinese;
    const std::wstring_view prompt = chinese ? L"\n按回车键关闭" : L"\nPress Enter to close";
    std::fflush(stderr);
    DWORD count = 0;
    ::WriteConsoleW(::GetStdHandle(STD_ERROR_HANDLE), prompt.data(),
                    static_cast<DWORD>(prompt.size()), &count, nullptr);
    // Only a key pressed from now on closes it, not one typed during the run.
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    ::FlushConsoleInputBuffer(input);
    wchar_t typed[256];
    while (!g_stop_requested && ::ReadConsoleW(input, typed, 256, &count, nullptr) && count > 0) {
      if (std::wstring_view(typed, count).find_first_of(L"\r\n") != std::wstring_view::npos) {
        break;
      }
    }
  }

 private:
  const bool shows_progress_ = PrepareProgressConsole();
  // Asked at the start, before anyone else may attach to the console.
  const bool owns_window_ = OwnsItsConsoleWindow();
};

}  // namespace

const char* const kStopRequestNames[kLanguageCount] = {
    "Ctrl+C,\nCtrl+Break or closing the console,", "Ctrl+C、Ctrl+Break 或关闭控制台窗口"};

std::unique_ptr<Console> MakeConsole() { return std::make_unique<Win32Console>(); }

}  // namespace quelbo
