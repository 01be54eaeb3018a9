// quelbo: the window. It works on the site folder named on its command line or on the
// directory that holds the program, like quelbo-batch, and keeps its settings in the same
// configuration directory.

#include "window/qt/window_program.h"

int main(int argc, char** argv) { return quelbo::RunWindowProgram(argc, argv, "quelbo"); }
