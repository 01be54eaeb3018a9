#pragma once

#include <string>
#include <vector>

namespace quelbo {

// The program's arguments in UTF-8, the program's name first. On POSIX systems they are
// `argv` as given; on Windows they are read from the wide command line, since `argv` holds
// them in the ANSI code page, which cannot carry every name.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace quelbo
