#include "platform/ini_profile.h"

#include "base/ini_text.h"

namespace quelbo {

std::u16string ReadIniValue(FileSystem& fs, std::u16string_view section, std::u16string_view key,
                            std::u16string_view default_value, const std::string& path) {
  const auto bytes = fs.ReadFile(path);
  return IniValueIn(bytes ? std::string_view(*bytes) : std::string_view(), section, key,
                    default_value);
}

Status WriteIniValue(FileSystem& fs, std::u16string_view section, std::u16string_view key,
                     std::u16string_view value, const std::string& path) {
  std::string old_bytes;
  if (auto read = fs.ReadFile(path)) {
    old_bytes = std::move(*read);
  } else if (read.error().kind() != ErrorKind::kNotFound) {
    return std::unexpected(read.error());
  }
  return fs.ReplaceFile(path, WithIniValue(old_bytes, section, key, value));
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
