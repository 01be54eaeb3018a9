#include "run/site_folder.h"

#include "platform/locations.h"

namespace quelbo {

Result<SiteFolder> SiteFolderFor(FileSystem& fs, const std::optional<std::string>& given) {
  if (!given) {
    auto own = ExecutableDirectory();
    if (!own) return std::unexpected(own.error());
    return SiteFolder{std::move(*own), false};
  }
  auto info = fs.Stat(*given);
  if (!info) {
    const bool missing = info.error().kind() == ErrorKind::kNotFound;
    return std::unexpected(Error(info.error().kind(), "site folder", *given,
                                 missing ? "no such folder" : info.error().reason()));
  }
  if (info->type != FileType::kDirectory) {
    return std::unexpected(Error(ErrorKind::kNotFound, "site folder", *given, "not a folder"));
  }
  return SiteFolder{*given, true};
}

}  // namespace quelbo
