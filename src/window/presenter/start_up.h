#pragma once

#include <string>

#include "platform/file_system.h"

namespace quelbo {

// What the window program does with its command line, before there is a window.
struct StartUp {
  enum class Kind {
    kAnswer,  // --help or --version: `text` goes to stdout, then the program ends
    kRefuse,  // a wrong command line or site folder: `text` goes to stderr, and `message`,
              // when there is one, to a message box, for a program started from a menu or a
              // file manager has no console to read
    kOpen,    // the window opens on `folder`
    kAsk,     // the folder holding the program is no place for pages: the user picks one
  };
  Kind kind = Kind::kOpen;
  int exit_status = 0;
  std::string text;
  std::u16string message;
  std::string folder;
};

// `usage` is the program's usage text, printed for --help and after a wrong command line;
// `name` prefixes the errors.
StartUp PlanStartUp(FileSystem& fs, int argc, const char* const* argv, const char* name,
                    const std::string& usage);

}  // namespace quelbo
