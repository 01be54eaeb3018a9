#pragma once

#include <functional>

#include "window/win32/windows_api.h"

// The one message loop of the window program, and the passes a running step makes of it. A
// filter sees every message before it is dispatched, so that keys such as Tab act on the
// window as a whole whichever control has the focus.

namespace quelbo::win32 {

// Returns true when it has dealt with the message, which is then not dispatched.
using MessageFilter = std::function<bool(const MSG&)>;
void SetMessageFilter(MessageFilter filter);

// Filters, translates and dispatches one message.
void Dispatch(MSG& message);

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Dispatches the messages waiting now. A WM_QUIT met here is posted again for the loop to end
// on; returns false then.
bool ProcessPendingMessages();

// Dispatches the waiting input, paint and timer messages only, so that a run of back-to-back
// steps lets the user and the screen have their turn without starting itself again.
void ProcessPendingInputAndPaint();

}  // namespace quelbo::win32
