#pragma once

#include <functional>

#include "window/win32/windows_api.h"

// The one message loop of the window program, and the passes a running step makes of it. A
// filter sees every message before it is dispatched, so that keys such as Tab act on the
// window as a whole whichever control has the focus.

namespace quelbo::win32 {

// The step driver's pass of the loop, posted for a step due now.
inline constexpr UINT kRunDueMessage = WM_APP + 1;

// Returns true when it has dealt with the message, which is then not dispatched.
using MessageFilter = std::function<bool(const MSG&)>;
void SetMessageFilter(MessageFilter filter);

// Filters, translates and dispatches one message.
void Dispatch(MSG& message);

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Dispatches the messages waiting now, for a step that lets the window breathe in its middle:
// all but the step driver's passes, which wait for the loop (each pass posts the next, so they
// would never end here). A WM_QUIT met here is posted again for the loop to end on; returns
// false then.
bool ProcessPendingMessages();

// Dispatches the waiting input, paint and timer messages only, so that a run of back-to-back
// steps lets the user and the screen have their turn without starting itself again.
void ProcessPendingInputAndPaint();

}  // namespace quelbo::win32
