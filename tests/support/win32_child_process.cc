#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <map>

#include "platform/text_win32.h"
#include "support/child_process.h"

// The Windows sibling: CreateProcessW with pipes for stdout and stderr, read as they fill.

namespace quelbo::testing {
namespace {

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }
std::intptr_t AsValue(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

// One argument quoted so that the C runtime's parsing gives it back unchanged.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote itself escaped.
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

// This process's environment with `extra` ("NAME=value") added or put in place of the same
// names, as the block CreateProcessW takes.
std::wstring EnvironmentBlock(const std::vector<std::string>& extra) {
  std::map<std::wstring, std::wstring> entries;
  auto add = [&entries](const std::wstring& entry) {
    const size_t equals = entry.find(L'=', 1);  // "=C:=C:\..." entries start with "="
    if (equals == std::wstring::npos) return;
    std::wstring name = entry.substr(0, equals);
    std::transform(name.begin(), name.end(), name.begin(), ::towupper);
    entries[name] = entry;
  };
  wchar_t* current = ::GetEnvironmentStringsW();
  for (const wchar_t* entry = current; *entry != L'\0'; entry += wcslen(entry) + 1) add(entry);
  ::FreeEnvironmentStringsW(current);
  for (const std::string& entry : extra) add(win32::Wide(entry));
  std::wstring block;
  for (const auto& [name, entry] : entries) block += entry + L'\0';
  return block + L'\0';
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env) {
  std::wstring command_line;
  for (const std::string& arg : argv) {
    if (!command_line.empty()) command_line += L' ';
    command_line += Quoted(win32::Wide(arg));
  }
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE out_read, out_write, err_read, err_write;
  if (!::CreatePipe(&out_read, &out_write, &inherited, 0) ||
      !::CreatePipe(&err_read, &err_write, &inherited, 0)) {
    std::abort();
  }
  ::SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);
  HANDLE nothing = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherited, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nothing;
  startup.hStdOutput = out_write;
  startup.hStdError = err_write;
  std::wstring environment = EnvironmentBlock(env);
  PROCESS_INFORMATION started{};
  const std::wstring program = win32::WidePath(argv.at(0));
  if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                        CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup,
                        &started)) {
    std::abort();
  }
  ::CloseHandle(started.hThread);
  ::CloseHandle(nothing);
  ::CloseHandle(out_write);
  ::CloseHandle(err_write);
  process_ = AsValue(started.hProcess);
  out_pipe_ = AsValue(out_read);
  err_pipe_ = AsValue(err_read);
}

ChildProcess::~ChildProcess() {
  if (status_ < 0) {
    ::TerminateProcess(AsHandle(process_), 137);
    Wait();
  }
  ::CloseHandle(AsHandle(process_));
}

bool ChildProcess::Pump(int timeout_ms) {
  if (out_pipe_ == kClosed && err_pipe_ == kClosed) return false;
  std::intptr_t* pipes[2] = {&out_pipe_, &err_pipe_};
  std::string* sinks[2] = {&out_, &err_};
  bool read_any = false;
  char buffer[65536];
  for (int i = 0; i < 2; ++i) {
    if (*pipes[i] == kClosed) continue;
    DWORD ready = 0;
    DWORD read = 0;
    // Anonymous pipes cannot be waited on: peek, and read only what is there.
    if (::PeekNamedPipe(AsHandle(*pipes[i]), nullptr, 0, nullptr, &ready, nullptr)) {
      if (ready == 0) continue;
      if (::ReadFile(AsHandle(*pipes[i]), buffer, std::min<DWORD>(ready, sizeof buffer), &read,
                     nullptr)) {
        sinks[i]->append(buffer, read);
        read_any = true;
        continue;
      }
    }
    ::CloseHandle(AsHandle(*pipes[i]));  // the writer has gone
    *pipes[i] = kClosed;
  }
  if (!read_any) ::Sleep(static_cast<DWORD>(std::min(timeout_ms, 5)));
  return out_pipe_ != kClosed || err_pipe_ != kClosed;
}

void ChildProcess::Signal(int signal_number) {
  // Windows has no signals: the program ends at once, as under an uncaught one.
  ::TerminateProcess(AsHandle(process_), static_cast<UINT>(128 + signal_number));
}

int ChildProcess::Wait() {
  while (Pump(1000)) {
  }
  if (status_ < 0) {
    ::WaitForSingleObject(AsHandle(process_), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(AsHandle(process_), &code);
    status_ = static_cast<int>(code);
    // The C runtime writes "\r\n" for "\n" on Windows; the tests compare lines.
    for (std::string* text : {&out_, &err_}) {
      std::string lines;
      lines.reserve(text->size());
      for (size_t i = 0; i < text->size(); ++i) {
        if ((*text)[i] != '\r' || i + 1 == text->size() || (*text)[i + 1] != '\n') {
          lines += (*text)[i];
        }
      }
      *text = std::move(lines);
    }
  }
  return status_;
}

ConsoleProcess::ConsoleProcess(const std::string& command_line) {
  std::wstring line = win32::Wide(command_line);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                        nullptr, &startup, &started)) {
    std::abort();
  }
  ::CloseHandle(started.hThread);
  process_ = AsValue(started.hProcess);
  id_ = started.dwProcessId;
}

ConsoleProcess::~ConsoleProcess() {
  if (Wait() < 0) ::TerminateProcess(AsHandle(process_), 137);
  ::CloseHandle(AsHandle(process_));
  if (attached_) ::FreeConsole();
}

bool ConsoleProcess::Attach() {
  if (!attached_) {
    ::FreeConsole();
    attached_ = ::AttachConsole(id_) != 0;
  }
  return attached_;
}

bool ConsoleProcess::HasWindow() { return Attach() && ::GetConsoleWindow() != nullptr; }

bool ConsoleProcess::WaitForScreen(const std::string& text) {
  for (int i = 0; i < 400; ++i, ::Sleep(50)) {
    if (Screen().find(text) != std::string::npos) return true;
  }
  return false;
}

bool ConsoleProcess::WaitForAttached(unsigned count) {
  DWORD processes[8];
  for (int i = 0; i < 400; ++i, ::Sleep(50)) {
    if (Attach() && ::GetConsoleProcessList(processes, 8) == count) return true;
  }
  return false;
}

std::string ConsoleProcess::Screen() {
  if (!Attach()) return "";
  HANDLE screen = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ |
                                FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ::GetConsoleScreenBufferInfo(screen, &info);
  std::wstring text(static_cast<size_t>(info.dwSize.X) * static_cast<size_t>(info.dwSize.Y), L' ');
  DWORD read = 0;
  ::ReadConsoleOutputCharacterW(screen, text.data(), static_cast<DWORD>(text.size()), {0, 0},
                                &read);
  ::CloseHandle(screen);
  text.resize(read);
  return win32::Utf8(text);
}

unsigned ConsoleProcess::OutputCodePage() { return Attach() ? ::GetConsoleOutputCP() : 0; }

void ConsoleProcess::PressEnter() {
  if (!Attach()) return;
  HANDLE keyboard = ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ |
                                  FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  INPUT_RECORD keys[2] = {};
  for (int i = 0; i < 2; ++i) {
    keys[i].EventType = KEY_EVENT;
    keys[i].Event.KeyEvent = {i == 0, 1, VK_RETURN, 0, {L'\r'}, 0};
  }
  DWORD written = 0;
  ::WriteConsoleInputW(keyboard, keys, 2, &written);
  ::CloseHandle(keyboard);
}

int ConsoleProcess::Wait(unsigned ms) {
  if (::WaitForSingleObject(AsHandle(process_), ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  ::GetExitCodeProcess(AsHandle(process_), &code);
  return static_cast<int>(code);
}

}  // namespace quelbo::testing
