#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/console.h"

namespace quelbo {
namespace {

// Signal handlers can only reach a flag of static storage.
volatile sig_atomic_t g_stop_requested = 0;

void NoteStopRequest(int) { g_stop_requested = 1; }

void Catch(int signal_number, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // Interrupted reads and writes go on by themselves; the run looks at the flag between steps.
  action.sa_flags = SA_RESTART;
  ::sigaction(signal_number, &action, nullptr);
}

class PosixConsole final : public Console {
 public:
  bool ShowsProgress() const override { return shows_progress_; }

  // "\r" back to the start of the line, then "erase to the end of the line".
  void DrawProgress(std::string_view line) override {
    std::fputs("\r\033[K", stderr);
    std::fwrite(line.data(), 1, line.size(), stderr);
  }
  void ClearProgress() override { std::fputs("\r\033[K", stderr); }

  void CatchStopRequests() override {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
      Catch(signal_number, NoteStopRequest);
    }
    Catch(SIGXFSZ, SIG_IGN);
  }
  bool StopRequested() const override { return g_stop_requested != 0; }
  void RequestStop() override { g_stop_requested = 1; }
  // A terminal's window belongs to its shell, never to the program.
  void KeepOwnWindowOpen() override {}

 private:
  const bool shows_progress_ = ::isatty(STDERR_FILENO) != 0;
};

}  // namespace

const char* const kStopRequestNames[kLanguageCount] = {"SIGINT,\nSIGTERM, SIGHUP or SIGPIPE,",
                                                        "SIGINT、SIGTERM、SIGHUP 或 SIGPIPE"};

std::unique_ptr<Console> MakeConsole() { return std::make_unique<PosixConsole>(); }

}  // namespace quelbo
