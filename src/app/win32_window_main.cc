// quelbo.exe: the window on Windows. It works on the site folder named on its command line or
// on the folder that holds the program, like quelbo-batch.exe, and keeps its settings in the
// same configuration directory.

#include "window/win32/win32_window_program.h"

int main(int argc, char** argv) { return quelbo::RunWin32WindowProgram(argc, argv); }
