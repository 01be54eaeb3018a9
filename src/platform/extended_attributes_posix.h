#pragma once

#include <string>

#include "base/status.h"

namespace quelbo {

// Gives the file open as `to` every extended attribute of the file open as `from` (user
// attributes, security labels, access control lists). An attribute the file system or the
// process's privileges do not allow to set is passed over; any other failure is returned,
// naming `path`.
Status CopyExtendedAttributes(int from, int to, const std::string& path);

}  // namespace quelbo
