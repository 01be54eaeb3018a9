#include "platform/text_win32.h"

#include <windows.h>

#include <string>

#include "base/text_codec.h"

namespace quelbo::win32 {
namespace {

// Below this many characters a path needs no prefix (MAX_PATH less room for a file name).
constexpr size_t kShortPathLimit = 240;

bool IsDriveAbsolute(std::wstring_view path) {
  return path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
}

// Whether a name on the way ends in "." or " ", which Windows strips from a plain path (so
// "dir./p.htm" would open "dir/p.htm"); only a verbatim "\\?\" path reaches such a name. A
// path with "." or ".." steps keeps the plain form, which is what resolves them.
bool HasNamesWindowsWouldTrim(std::wstring_view path) {
  bool trimmed = false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring_view::npos) end = path.size();
    const std::wstring_view name = path.substr(start, end - start);
    if (name == L"." || name == L"..") return false;
    if (!name.empty() && (name.back() == L'.' || name.back() == L' ')) trimmed = true;
    start = end + 1;
  }
  return trimmed;
}

std::string SystemMessage(unsigned long code) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length > 0 && text != nullptr ? std::wstring(text, length) : L"";
  ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L' ' || message.back() == L'.')) {
    message.pop_back();
  }
  if (message.empty()) return "system error " + std::to_string(code);
  return Utf8(message);
}

}  // namespace

std::wstring Wide(std::string_view utf8) {
  const std::u16string text = FromUtf8(utf8);
  return std::wstring(text.begin(), text.end());
}

std::wstring WidePath(std::string_view path) {
  std::wstring wide = Wide(path);
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  if (IsDriveAbsolute(wide) && (wide.size() >= kShortPathLimit || HasNamesWindowsWouldTrim(wide))) {
    wide.insert(0, L"\\\\?\\");
  }
  return wide;
}

std::string Utf8(std::wstring_view wide, bool path) {
  std::u16string text(wide.begin(), wide.end());
  if (path) {
    if (text.starts_with(u"\\\\?\\UNC\\")) {
      text.replace(0, 8, u"\\\\");
    } else if (text.starts_with(u"\\\\?\\")) {
      text.erase(0, 4);
    }
    for (char16_t& c : text) {
      if (c == u'\\') c = u'/';
    }
  }
  return ToUtf8(text);
}

Error ErrorFrom(unsigned long code, std::string operation, std::string path) {
  const bool missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
                       code == ERROR_INVALID_NAME || code == ERROR_BAD_NETPATH ||
                       code == ERROR_INVALID_DRIVE;
  return Error(missing ? ErrorKind::kNotFound : ErrorKind::kIo, std::move(operation),
               std::move(path), SystemMessage(code));
}

Error LastError(std::string operation, std::string path) {
  return ErrorFrom(::GetLastError(), std::move(operation), std::move(path));
}

}  // namespace quelbo::win32
