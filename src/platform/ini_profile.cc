#include "platform/ini_profile.h"

#include "base/ini_text.h"
#include "platform/text_file.h"

namespace quelbo {

std::u16string ReadIniValue(FileSystem& fs, std::u16string_view section, std::u16string_view key,
                            std::u16string_view default_value, const std::string& path) {
  const auto bytes = fs.ReadFile(path);
  return IniValueIn(bytes ? std::string_view(*bytes) : std::string_view(), section, key,
                    default_value);
}

Status WriteIniValue(FileSystem& fs, std::u16string_view section, std::u16string_view key,
                     std::u16string_view value, const std::string& path) {
  const IniAssignment assignment{key, value};
  return WriteIniValues(fs, section, std::span(&assignment, 1), path);
}

Status WriteIniValues(FileSystem& fs, std::u16string_view section,
                      std::span<const IniAssignment> assignments, const std::string& path) {
  if (assignments.empty()) return Ok();
  const Result<std::string> old_bytes = fs.ReadFile(path);
  if (!old_bytes && old_bytes.error().kind() != ErrorKind::kNotFound) {
    return std::unexpected(old_bytes.error());
  }
  std::string bytes = old_bytes ? *old_bytes : std::string();
  for (const IniAssignment& assignment : assignments) {
    bytes = WithIniValue(bytes, section, assignment.key, assignment.value);
  }
  return ReplaceFileUnlessSame(fs, path, bytes, old_bytes);
}

Status RemoveIniValue(FileSystem& fs, std::u16string_view section, std::u16string_view key,
                      const std::string& path) {
  auto bytes = fs.ReadFile(path);
  if (!bytes)
    return bytes.error().kind() == ErrorKind::kNotFound ? Ok()
                                                        : Status(std::unexpected(bytes.error()));
  const auto without = WithoutIniValue(*bytes, section, key);
  return without ? fs.ReplaceFile(path, *without) : Ok();
}

}  // namespace quelbo
