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
  for (;;) {
    if (!::PeekMessageW(&message, nullptr, 0, kRunDueMessage - 1, PM_REMOVE) &&
        !::PeekMessageW(&message, nullptr, kRunDueMessage + 1, 0xFFFFFFFF, PM_REMOVE)) {
      return true;
    }
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    Dispatch(message);
  }
}

void ProcessPendingInputAndPaint() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT | PM_QS_PAINT)) {
    Dispatch(message);
  }
  while (::PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) Dispatch(message);
}

}  // namespace quelbo::win32
