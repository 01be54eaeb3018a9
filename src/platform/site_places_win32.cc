#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/site_places.h"
#include "platform/text_win32.h"

namespace quelbo {
namespace {

// Case-insensitive, "\" and "/" alike: whether `directory` is `tree` or lies beneath it.
bool IsInTree(std::string_view directory, std::string tree) {
  for (char& c : tree) c = c == '\\' ? '/' : c;
  while (!tree.empty() && tree.back() == '/') tree.pop_back();
  if (tree.empty() || directory.size() < tree.size()) return false;
  for (size_t i = 0; i < tree.size(); ++i) {
    char a = directory[i] == '\\' ? '/' : directory[i];
    char b = tree[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return directory.size() == tree.size() || directory[tree.size()] == '/' ||
         directory[tree.size()] == '\\';
}

std::string Environment(const wchar_t* name) {
  const wchar_t* value = ::_wgetenv(name);
  return value != nullptr ? win32::Utf8(value, true) : std::string();
}

}  // namespace

// The folders that hold Windows itself and its installed programs. A drive's root may hold a
// site (sites are often kept at the top of a drive of their own).
const char* const kProgramFolderExamples[kLanguageCount] = {
    "C:\\Program Files or C:\\Windows", "C:\\Program Files 或 C:\\Windows"};

bool IsSystemFolder(std::string_view directory) {
  while (directory.size() > 3 && (directory.back() == '/' || directory.back() == '\\')) {
    directory.remove_suffix(1);
  }
  if (directory.ends_with("/bin") || directory.ends_with("\\bin")) return true;
  for (const wchar_t* name :
       {L"SystemRoot", L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"ProgramData"}) {
    if (IsInTree(directory, Environment(name))) return true;
  }
  return false;
}

bool IsPlaceForPages(const std::string& directory) {
  if (IsSystemFolder(directory)) return false;
  // Whether this user may create files there: by trying, as Windows' access rules are many.
  const std::wstring probe =
      win32::WidePath(directory + "/.quelbo-probe-" + std::to_string(::GetCurrentProcessId()));
  const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

}  // namespace quelbo
