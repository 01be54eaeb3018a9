#pragma once

// <windows.h> for the window's files, without the macros that would rename the project's own
// names (winbase.h defines Yield() away, and StepScheduler has a Yield).
#include <windows.h>
#undef Yield
