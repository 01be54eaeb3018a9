#pragma once

#include <functional>

#include "run/session.h"

namespace quelbo {

// The window program: a session on the site folder (see WindowSiteFolder), its window
// created, filled by LoadSettings and then shown, and the steps driven by Qt's event loop until
// the window is closed (which stops them at once; nothing is saved). `shown`, when given, runs
// once the window is shown. Returns the exit status; `name` prefixes start-up errors on stderr.
int RunWindowProgram(int argc, char** argv, const char* name,
                     const std::function<void(Session&)>& shown = {});

}  // namespace quelbo
