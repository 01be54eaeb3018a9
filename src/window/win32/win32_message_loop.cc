#include "window/win32/win32_message_loop.h"

#include <utility>

namespace quelbo::win32 {
namespace {

MessageFilter& Filter() {
  static MessageFilter filter;
  return filter;
}

}  // namespace

void SetMessageFilter(MessageFilter filter) { Filter() = std::move(filter); }

void Dispatch(MSG& message) {
  if (Filter() && Filter()(message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

int RunMessageLoop() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
  return static_cast<int>(message.wParam);
}

bool ProcessPendingMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    Dispatch(message);
  }
  return true;
}

void ProcessPendingInputAndPaint() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT | PM_QS_PAINT)) {
    Dispatch(message);
  }
  while (::PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) Dispatch(message);
}

}  // namespace quelbo::win32
