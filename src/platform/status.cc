#include "platform/status.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace quelbo {

Error::Error(ErrorKind kind, std::string operation, std::string path, std::string reason)
    : kind_(kind),
      operation_(std::move(operation)),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

Error Error::FromErrno(std::string operation, std::string path, int errno_value) {
  const ErrorKind kind = (errno_value == ENOENT || errno_value == ENOTDIR) ? ErrorKind::kNotFound
                         : (errno_value == EISDIR)                        ? ErrorKind::kNotRegularFile
                                                                          : ErrorKind::kIo;
  return Error(kind, std::move(operation), std::move(path), std::strerror(errno_value));
}

std::string Error::Message() const { return operation_ + " " + path_ + ": " + reason_; }

}  // namespace quelbo
