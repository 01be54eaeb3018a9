#include "platform/extended_attributes_posix.h"

#include <sys/xattr.h>

#include <cerrno>
#include <expected>
#include <string_view>

#include "platform/errors_posix.h"

namespace quelbo {
namespace {

// Failures that mean "this file system or this user cannot carry the attribute", not "the
// copy went wrong".
bool CannotCarry(int errno_value) {
  return errno_value == ENOTSUP || errno_value == EPERM || errno_value == EACCES;
}

// A list or a value of unknown size: read into a small buffer first, which holds what most
// files have (nothing) in one call; else the size is asked for, and a list or value that
// grows between the two calls is asked for again. The errno value on failure.
template <typename Read>
std::expected<std::string, int> ReadSized(Read read) {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t got = read(buffer.data(), buffer.size());
    if (got >= 0) {
      buffer.resize(static_cast<size_t>(got));
      return buffer;
    }
    if (errno != ERANGE) return std::unexpected(errno);
    const ssize_t size = read(nullptr, 0);
    if (size < 0) return std::unexpected(errno);
    if (size == 0) return std::string();  // gone meanwhile; a size of 0 would ask for the size
    buffer.assign(static_cast<size_t>(size), '\0');
  }
}

}  // namespace

Status CopyExtendedAttributes(int from, int to, const std::string& path) {
  auto names = ReadSized([from](char* b, size_t n) { return ::flistxattr(from, b, n); });
  if (!names) {
    // A file system without attributes has none to keep.
    if (CannotCarry(names.error())) return Ok();
    return std::unexpected(ErrnoError("list attributes of", path, names.error()));
  }
  for (size_t start = 0; start < names->size();) {
    const std::string name(names->c_str() + start);
    start += name.size() + 1;
    if (name.empty()) continue;
    auto value = ReadSized(
        [from, &name](char* b, size_t n) { return ::fgetxattr(from, name.c_str(), b, n); });
    if (!value) {
      if (value.error() == ENODATA || CannotCarry(value.error())) continue;  // gone, or hidden
      return std::unexpected(
          ErrnoError("read attribute " + name + " of", path, value.error()));
    }
    if (::fsetxattr(to, name.c_str(), value->data(), value->size(), 0) != 0 &&
        !CannotCarry(errno)) {
      return std::unexpected(ErrnoError("keep attribute " + name + " of", path, errno));
    }
  }
  return Ok();
}

}  // namespace quelbo
