#include "platform/file_details_win32.h"

#include <cstddef>
#include <cstring>

#include "platform/text_win32.h"

namespace quelbo::win32 {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// What a file keeps; the others belong to the new file or to its folder.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr std::wstring_view kUnnamedStream = L"::$DATA";

[[nodiscard]] Status ReadSecurity(HANDLE file, const std::string& path, FileDetails& details) {
  DWORD needed = 0;
  ::GetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  details.security.resize(needed);
  if (needed == 0 || !::GetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION,
                                                details.security.data(), needed, &needed)) {
    return std::unexpected(LastError("read the permissions of", path));
  }
  return Ok();
}

// The named streams; none where the file system keeps none (FAT) or cannot list them.
std::vector<std::wstring> StreamsOf(HANDLE file) {
  std::vector<std::wstring> streams;
  std::vector<std::byte> buffer(4096);
  while (!::GetFileInformationByHandleEx(file, FileStreamInfo, buffer.data(),
                                         static_cast<DWORD>(buffer.size()))) {
    if (::GetLastError() != ERROR_MORE_DATA || buffer.size() >= (1u << 24)) return streams;
    buffer.resize(buffer.size() * 4);
  }
  for (size_t offset = 0;;) {
    const auto* info = reinterpret_cast<const FILE_STREAM_INFO*>(buffer.data() + offset);
    const std::wstring_view name(info->StreamName, info->StreamNameLength / sizeof(wchar_t));
    if (!name.empty() && name != kUnnamedStream) streams.emplace_back(name);
    if (info->NextEntryOffset == 0) return streams;
    offset += info->NextEntryOffset;
  }
}

[[nodiscard]] Status CopyStream(const std::wstring& from, const std::wstring& to,
                                const std::string& path, std::vector<Handle>& streams) {
  Handle source(::CreateFileW(from.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!source.valid()) return std::unexpected(LastError("read a stream of", path));
  Handle copy(::CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!copy.valid()) return std::unexpected(LastError("copy a stream of", path));
  std::vector<char> chunk(1 << 16);
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(source.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) {
      return std::unexpected(LastError("read a stream of", path));
    }
    if (read == 0) break;
    DWORD written = 0;
    if (!::WriteFile(copy.get(), chunk.data(), read, &written, nullptr) || written != read) {
      return std::unexpected(LastError("copy a stream of", path));
    }
  }
  streams.push_back(std::move(copy));
  return Ok();
}

}  // namespace

Result<std::optional<FileDetails>> ReadFileDetails(const std::string& path) {
  Handle file(::CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES | READ_CONTROL, kShareAll,
                            nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.valid()) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return std::nullopt;
    return std::unexpected(ErrorFrom(code, "replace", path));
  }
  BY_HANDLE_FILE_INFORMATION data;
  if (!::GetFileInformationByHandle(file.get(), &data)) {
    return std::unexpected(LastError("replace", path));
  }
  // A page with the read-only attribute is one its owner asked to be left alone, as a file
  // without write bits is on POSIX systems.
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return std::unexpected(Error(ErrorKind::kReadOnly, "replace", path, "read-only file"));
  }
  FileDetails details;
  details.creation = data.ftCreationTime;
  if (auto read = ReadSecurity(file.get(), path, details); !read) {
    return std::unexpected(read.error());
  }
  details.streams = StreamsOf(file.get());
  return details;
}

Status CopyFileDetails(const FileDetails& details, const std::string& path, HANDLE file,
                       const std::string& temp, std::vector<Handle>& streams) {
  // Times left at zero stay as they are; the attributes are set at the rename.
  FILE_BASIC_INFO times{};
  times.CreationTime.LowPart = details.creation.dwLowDateTime;
  times.CreationTime.HighPart = static_cast<LONG>(details.creation.dwHighDateTime);
  if (!::SetFileInformationByHandle(file, FileBasicInfo, &times, sizeof times)) {
    return std::unexpected(LastError("keep the creation time of", path));
  }
  auto security = const_cast<BYTE*>(details.security.data());
  if (!::SetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, security)) {
    return std::unexpected(LastError("keep the permissions of", path));
  }
  const std::wstring from = WidePath(path);
  const std::wstring to = WidePath(temp);
  for (const std::wstring& stream : details.streams) {
    if (auto copied = CopyStream(from + stream, to + stream, path, streams); !copied) {
      return copied;
    }
  }
  return Ok();
}

DWORD AttributesReplacing(std::optional<DWORD> replaced) {
  return (replaced.value_or(0) & kKeptAttributes) | FILE_ATTRIBUTE_ARCHIVE;
}

}  // namespace quelbo::win32
