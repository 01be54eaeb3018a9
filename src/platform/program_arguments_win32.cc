#include <windows.h>
// After <windows.h>, which it needs.
#include <shellapi.h>

#include "platform/program_arguments.h"
#include "platform/text_win32.h"

namespace quelbo {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(win32::Utf8(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

}  // namespace quelbo
