#pragma once

#include <expected>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace quelbo {

// --help and --version need no display, so they are answered before Qt starts: the exit
// status once answered, nothing when the command line asks for the window.
std::optional<int> AnswerWithoutWindow(int argc, const char* const* argv, const char* name);

// The folder the window works on, read from the command line once Qt has taken its own
// options out of it: the folder named there; else the folder that holds the program when it is
// a place for pages; else the one the user picks in the standard folder chooser. An exit
// status instead, reported on stderr, when the command line is wrong or nothing is picked.
// REQUIRES: a QApplication exists.
std::expected<std::string, int> WindowSiteFolder(FileSystem& fs, int argc, const char* const* argv,
                                                 const char* name);

}  // namespace quelbo
