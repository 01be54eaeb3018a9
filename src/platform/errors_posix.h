#pragma once

#include <string>

#include "base/status.h"

namespace quelbo {

// The one place where an errno value becomes an Error, for the POSIX side of the platform:
// ENOENT and ENOTDIR count as kNotFound, EISDIR as kNotRegularFile, the rest as kIo.
Error ErrnoError(std::string operation, std::string path, int errno_value);

}  // namespace quelbo
