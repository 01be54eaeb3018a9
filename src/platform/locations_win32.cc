#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/locations.h"
#include "platform/text_win32.h"

// On Windows the configuration directory is "D:/AAAHTML批量替换配置log/", where the users'
// settings have always been; %LOCALAPPDATA% holds it only when drive D: cannot.

namespace quelbo {
namespace {

constexpr char kUsualDrive[] = "D:/";

// Whether a drive exists and can be written: not a CD or DVD drive, not a read-only volume.
bool DriveCanHoldFiles(const wchar_t* root) {
  const UINT type = ::GetDriveTypeW(root);
  if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR || type == DRIVE_CDROM) return false;
  DWORD flags = 0;
  if (!::GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
    return false;
  }
  return (flags & FILE_READ_ONLY_VOLUME) == 0;
}

std::string LocalAppData() {
  const wchar_t* value = ::_wgetenv(L"LOCALAPPDATA");
  if (value == nullptr || value[0] == L'\0') value = ::_wgetenv(L"USERPROFILE");
  if (value == nullptr || value[0] == L'\0') return std::string(kUsualDrive);
  std::string base = win32::Utf8(value, true);
  if (base.back() != '/') base += '/';
  return base;
}

}  // namespace

const char* const kConfigDirectoryChoice[kLanguageCount] = {
    "when drive D: is missing, a CD drive or read-only,\nthe one in %LOCALAPPDATA% instead",
    "D: 盘不存在、是光驱或只读时，改用 %LOCALAPPDATA% 中的同名目录"};

ConfigPlace ConfigDirectoryPlace() {
  const std::string usual = std::string(kUsualDrive) + kConfigDirectoryName + "/";
  if (DriveCanHoldFiles(L"D:\\")) return ConfigPlace{usual, false};
  return ConfigPlace{LocalAppData() + kConfigDirectoryName + "/", true};
}

std::string ConfigDirectory() { return ConfigDirectoryPlace().directory; }

Result<std::string> ExecutableDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::unexpected(win32::LastError("GetModuleFileNameW", "program"));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  std::string utf8 = win32::Utf8(path, true);
  const size_t slash = utf8.rfind('/');
  if (slash == std::string::npos) {
    return std::unexpected(Error(ErrorKind::kIo, "GetModuleFileNameW", utf8, "no folder"));
  }
  // A drive's root keeps its slash ("D:/").
  return utf8.substr(0, slash == 2 ? 3 : slash);
}

}  // namespace quelbo
