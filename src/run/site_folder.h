#pragma once

#include <optional>
#include <string>

#include "platform/file_system.h"

namespace quelbo {

// The folder a program works on (the root directory).
struct SiteFolder {
  std::string path;
  bool given = false;  // named on the command line rather than the program's own folder
};

// The folder named on the command line, which must exist and be a directory (links followed):
// an error naming it otherwise. Without one, the folder that holds the running program.
Result<SiteFolder> SiteFolderFor(FileSystem& fs, const std::optional<std::string>& given);

}  // namespace quelbo
