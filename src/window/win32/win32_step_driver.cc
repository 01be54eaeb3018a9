#include "window/win32/win32_step_driver.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "window/win32/win32_message_loop.h"

namespace quelbo {
namespace {

constexpr wchar_t kClassName[] = L"QuelboStepDriver";

void RegisterDriverClass(WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = kClassName;
  ::RegisterClassExW(&window_class);  // fails harmlessly when already registered
}

}  // namespace

Win32StepDriver::Win32StepDriver(StepScheduler& scheduler, const Clock& clock)
    : scheduler_(scheduler), clock_(clock), loop_turns_(clock) {
  RegisterDriverClass(&WindowProc);
  hwnd_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            ::GetModuleHandleW(nullptr), nullptr);
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  scheduler_.SetEventLoop(this);
  scheduler_.SetChangeListener([this] { Retime(); });
  Retime();
}

Win32StepDriver::~Win32StepDriver() {
  Stop();
  ::DestroyWindow(hwnd_);
}

void Win32StepDriver::Stop() {
  if (stopped_) return;
  stopped_ = true;
  ::KillTimer(hwnd_, kTimerId);
  scheduler_.SetChangeListener({});
  scheduler_.SetEventLoop(nullptr);
}

void Win32StepDriver::ProcessPendingEvents() {
  if (!loop_turns_.Due()) return;
  win32::ProcessPendingMessages();
  loop_turns_.Turned();
}

LRESULT CALLBACK Win32StepDriver::WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  auto* driver = reinterpret_cast<Win32StepDriver*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (driver != nullptr && (message == win32::kRunDueMessage || message == WM_TIMER)) {
    if (message == win32::kRunDueMessage) driver->posted_ = false;
    driver->RunDue();
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

void Win32StepDriver::Retime() {
  if (stopped_) return;
  const auto deadline = scheduler_.NextDeadline();
  if (!deadline) {
    if (timer_set_) ::KillTimer(hwnd_, kTimerId);
    timer_set_ = false;
    return;
  }
  // Rounded up: woken before the deadline, the pass would find nothing due.
  const auto wait = std::chrono::ceil<Milliseconds>(*deadline - clock_.Now()).count();
  if (wait <= 0) {
    if (!posted_) posted_ = ::PostMessageW(hwnd_, win32::kRunDueMessage, 0, 0) != 0;
    return;
  }
  const auto milliseconds = static_cast<UINT>(
      std::clamp<decltype(wait)>(wait, USER_TIMER_MINIMUM, std::numeric_limits<int>::max()));
  timer_set_ = ::SetTimer(hwnd_, kTimerId, milliseconds, nullptr) != 0;
}

void Win32StepDriver::RunDue() {
  if (stopped_ || letting_input_run_) return;
  if (timer_set_) ::KillTimer(hwnd_, kTimerId);
  timer_set_ = false;
  // Posted messages come before input and painting: without this turn a run would leave the
  // window frozen until its end.
  letting_input_run_ = true;
  win32::ProcessPendingInputAndPaint();
  letting_input_run_ = false;
  if (stopped_) return;
  scheduler_.RunSlice([this] { return stopped_; });
  Retime();
}

}  // namespace quelbo
