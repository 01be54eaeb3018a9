#pragma once

#include <memory>
#include <string_view>

#include "base/texts.h"

namespace quelbo {

// The terminal side of the headless front end: whether a progress line can be drawn, drawing
// it, and the requests to stop that come from outside the program (signals on POSIX, console
// control events elsewhere). One implementation per system, chosen by the build.
class Console {
 public:
  virtual ~Console() = default;

  // Whether the error stream is a terminal, where a progress line can be redrawn in place.
  virtual bool ShowsProgress() const = 0;
  // Replaces the progress line on the error stream by `line` (no line break), or clears it.
  virtual void DrawProgress(std::string_view line) = 0;
  virtual void ClearProgress() = 0;

  // From now on an interrupt, a termination request, a hang-up or a closed output pipe asks
  // the run to stop (StopRequested) instead of ending the process, so the page in work is
  // finished; a write past the file-size limit fails instead of ending the process.
  virtual void CatchStopRequests() = 0;
  virtual bool StopRequested() const = 0;
  // Asks the run to stop as such a request does (a failed write to the output, say).
  virtual void RequestStop() = 0;

  // Where the program has a console window of its own that closes when it ends (started from
  // Explorer rather than from a prompt or a script), says so in the user's language and waits
  // for Enter, so that what the program wrote last can be read. Nothing happens elsewhere.
  virtual void KeepOwnWindowOpen() = 0;
};

// How a user asks the program to stop on this system, for the help text, per language.
extern const char* const kStopRequestNames[kLanguageCount];

// The console of the system the program was built for. Made first and dropped last: whatever
// it changes in the console (its code page on Windows) is put back when it goes.
std::unique_ptr<Console> MakeConsole();

}  // namespace quelbo
