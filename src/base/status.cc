#include "base/status.h"

#include <utility>

#include "base/paths.h"

namespace quelbo {

Error::Error(ErrorKind kind, std::string operation, std::string path, std::string reason)
    : kind_(kind),
      operation_(std::move(operation)),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

std::string Error::Message() const { return operation_ + " " + ShownPath(path_) + ": " + reason_; }

}  // namespace quelbo
