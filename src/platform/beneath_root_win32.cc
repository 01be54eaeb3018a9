#include "platform/beneath_root_win32.h"

#include <algorithm>
#include <vector>

#include "platform/text_win32.h"

namespace quelbo::win32 {
namespace {

std::string WithSlashes(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace

Result<std::wstring> FinalPathOf(HANDLE opened, const std::string& path) {
  std::wstring resolved(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetFinalPathNameByHandleW(opened, resolved.data(), static_cast<DWORD>(resolved.size()),
                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return std::unexpected(LastError("resolve", path));
    if (length < resolved.size()) {
      resolved.resize(length);
      return resolved;
    }
    resolved.resize(length + 1);
  }
}

Result<std::wstring> PlaceOf(HANDLE opened, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION data;
  if (!::GetFileInformationByHandle(opened, &data))
    return std::unexpected(LastError("resolve", path));
  // A name on the volume is at most 32767 characters; most fit the first buffer.
  for (size_t characters = MAX_PATH;; characters = 32768) {
    std::vector<char> buffer(sizeof(FILE_NAME_INFO) + characters * sizeof(wchar_t));
    auto* name = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
    if (::GetFileInformationByHandleEx(opened, FileNameInfo, name,
                                       static_cast<DWORD>(buffer.size()))) {
      return std::to_wstring(data.dwVolumeSerialNumber) + L":" +
             std::wstring(name->FileName, name->FileNameLength / sizeof(wchar_t));
    }
    if (::GetLastError() != ERROR_MORE_DATA || characters > MAX_PATH) {
      return std::unexpected(LastError("resolve", path));
    }
  }
}

bool LiesBeneath(std::wstring_view final, std::wstring_view top) {
  while (top.size() > 1 && top.back() == L'\\') top.remove_suffix(1);  // a drive's root
  if (!final.starts_with(top)) return false;
  return final.size() == top.size() || final[top.size()] == L'\\';
}

void Anchor::Set(const std::string& directory) {
  path_.clear();
  final_.clear();
  std::string path = WithSlashes(directory);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  HANDLE raw = ::CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (raw == INVALID_HANDLE_VALUE) return;
  auto final = PlaceOf(raw, path);
  ::CloseHandle(raw);
  if (!final) return;
  path_ = std::move(path);
  final_ = std::move(*final);
}

bool Anchor::Covers(const std::string& path) const {
  if (path_.empty()) return false;
  const std::string spelled = WithSlashes(path);
  return spelled.starts_with(path_) &&
         (spelled.size() == path_.size() || spelled[path_.size()] == '/');
}

Status Anchor::Check(HANDLE opened, const std::string& path, const std::string& operation) const {
  if (!Covers(path)) return Ok();
  auto final = PlaceOf(opened, path);
  if (!final) return std::unexpected(final.error());
  if (!LiesBeneath(*final, final_)) {
    return std::unexpected(
        Error(ErrorKind::kOutsideRoot, operation, path, "leads outside the site directory"));
  }
  return Ok();
}

bool Anchor::ReachedWithoutLinks(HANDLE opened, const std::string& path) const {
  if (!Covers(path) || path.size() == path_.size()) return false;
  auto final = PlaceOf(opened, path);
  // Any link or junction on the way makes the system name another place.
  return final && *final == final_ + WidePath(path.substr(path_.size()));
}

}  // namespace quelbo::win32
