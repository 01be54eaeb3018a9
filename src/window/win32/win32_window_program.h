#pragma once

namespace quelbo {

// The whole window program on Windows: the site folder from the command line (or the
// program's own folder, or the one the user picks when that is no place for pages), the
// session, the window and the message loop. Returns the exit status.
int RunWin32WindowProgram(int argc, char** argv);

}  // namespace quelbo
