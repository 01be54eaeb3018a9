#include "settings/config_store.h"

#include <algorithm>
#include <utility>

#include "platform/ini_profile.h"
#include "platform/text_file.h"

namespace quelbo {

ConfigStore::ConfigStore(FileSystem& fs, std::string directory)
    : fs_(fs), directory_(std::move(directory)) {}

std::string ConfigStore::PathOf(std::string_view file_name) const {
  return directory_ + std::string(file_name);
}

std::u16string ConfigStore::ReadKey(std::u16string_view key,
                                    std::u16string_view default_value) const {
  return ReadIniValue(fs_, kIniSection, key, default_value, PathOf(kIniFileName));
}

Status ConfigStore::WriteKey(std::u16string_view key, std::u16string_view value) const {
  return WriteIniValue(fs_, kIniSection, key, value, PathOf(kIniFileName));
}

Status ConfigStore::RemoveKey(std::u16string_view key) const {
  return RemoveIniValue(fs_, kIniSection, key, PathOf(kIniFileName));
}

Result<std::u16string> ConfigStore::ReadList(std::string_view file_name) const {
  return ReadTextFile(fs_, PathOf(file_name));
}

Status ConfigStore::WriteList(std::string_view file_name, std::u16string_view text) const {
  return WriteTextFile(fs_, text, PathOf(file_name));
}

bool ConfigStore::HasPlainFiles() const {
  const auto entries = fs_.ListDirectory(directory_);
  return entries && std::any_of(entries->begin(), entries->end(), [](const DirectoryEntry& e) {
           return e.type == FileType::kRegular;
         });
}

void ConfigStore::MakeDirectory() const { (void)MakeDirectoryPath(fs_, directory_); }

void ConfigStore::RemoveLeftoverTemporaryFiles() const {
  const auto entries = fs_.ListDirectory(directory_);
  if (!entries) return;
  for (const DirectoryEntry& entry : *entries) {
    if (entry.type == FileType::kRegular && entry.name.starts_with(kTempFilePrefix)) {
      (void)fs_.RemoveFile(directory_ + entry.name);
    }
  }
}

}  // namespace quelbo
