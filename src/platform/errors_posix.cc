#include "platform/errors_posix.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace quelbo {

Error ErrnoError(std::string operation, std::string path, int errno_value) {
  const ErrorKind kind = (errno_value == ENOENT || errno_value == ENOTDIR) ? ErrorKind::kNotFound
                         : (errno_value == EISDIR) ? ErrorKind::kNotRegularFile
                                                   : ErrorKind::kIo;
  return Error(kind, std::move(operation), std::move(path), std::strerror(errno_value));
}

}  // namespace quelbo
