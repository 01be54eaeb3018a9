#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quelbo::testing {

// A program started with its stdout and stderr on pipes. The parts that talk to the system
// live in posix_child_process.cc and win32_child_process.cc.
class ChildProcess {
 public:
  // Starts `argv[0]` (a path) with extra environment entries ("NAME=value").
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env);
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // Reads stdout until a line equal to `line` has come (true) or the stream ends (false).
  bool WaitForLine(const std::string& line);
  // POSIX systems only: sends a signal.
  void Signal(int signal_number);
  // Reads both streams to their end and returns the exit status (128 + signal if killed).
  int Wait();

  const std::string& out() const { return out_; }
  const std::string& err() const { return err_; }

 private:
  // Reads whatever is ready, waiting up to `timeout_ms` for something; false once both
  // streams are closed.
  bool Pump(int timeout_ms);

  // A process id and file descriptors on POSIX systems, handles on Windows; -1 once closed.
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t process_ = kClosed;
  std::intptr_t out_pipe_ = kClosed;
  std::intptr_t err_pipe_ = kClosed;
  std::string out_;
  std::string err_;
  size_t lines_seen_ = 0;  // bytes of out_ already searched for lines
  int status_ = -1;
};

#ifdef _WIN32
// A program started as Explorer starts one, in a new console of its own, whose screen the test
// reads and into which it types. The test process attaches itself to that console at the first
// of these calls; it should wait until the program is under way, so that the program finds
// itself alone in its console at its start.
class ConsoleProcess {
 public:
  explicit ConsoleProcess(const std::string& command_line);
  ConsoleProcess(const ConsoleProcess&) = delete;
  ConsoleProcess& operator=(const ConsoleProcess&) = delete;
  ~ConsoleProcess();  // ends the program if it still runs

  // Whether the console has a window (none under Wine without a display).
  bool HasWindow();
  // Waits (up to 20 s) until the screen shows `text`, or until `count` processes (this one
  // included) are attached to the console; false when that did not come.
  bool WaitForScreen(const std::string& text);
  bool WaitForAttached(unsigned count);
  std::string Screen();  // the console's text, UTF-8
  unsigned OutputCodePage();
  void PressEnter();
  // The exit status once the program ended (waiting up to `ms`), -1 if it did not.
  int Wait(unsigned ms = 20000);

 private:
  bool Attach();
  std::intptr_t process_ = -1;
  unsigned long id_ = 0;
  bool attached_ = false;
};
#endif

// Runs a program to its end.
struct ProcessResult {
  int status;
  std::string out;
  std::string err;
};
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& env = {});

}  // namespace quelbo::testing
