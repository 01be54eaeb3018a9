#include "settings/config_store.h"

#include <algorithm>
#include <utility>

#include "base/text_codec.h"
#include "platform/ini_profile.h"
#include "platform/text_file.h"

namespace quelbo {
namespace {

Status Refused(const std::string& path) {
  return std::unexpected(Error(ErrorKind::kReadOnly, "save", path, "a preview writes nothing"));
}

}  // namespace

ConfigStore::ConfigStore(FileSystem& fs, std::string directory, bool read_only)
    : fs_(fs), directory_(std::move(directory)), read_only_(read_only) {}

std::string ConfigStore::PathOf(std::string_view file_name) const {
  return directory_ + std::string(file_name);
}

std::u16string ConfigStore::ReadKey(std::u16string_view key,
                                    std::u16string_view default_value) const {
  return ReadIniValue(fs_, kIniSection, key, default_value, PathOf(kIniFileName));
}

Status ConfigStore::WriteKey(std::u16string_view key, std::u16string_view value) const {
  if (read_only_) return Refused(PathOf(kIniFileName));
  return WriteIniValue(fs_, kIniSection, key, value, PathOf(kIniFileName));
}

Status ConfigStore::WriteKeys(std::span<const IniAssignment> assignments) const {
  if (read_only_) return Refused(PathOf(kIniFileName));
  return WriteIniValues(fs_, kIniSection, assignments, PathOf(kIniFileName));
}

Status ConfigStore::RemoveKey(std::u16string_view key) const {
  if (read_only_) return Refused(PathOf(kIniFileName));
  return RemoveIniValue(fs_, kIniSection, key, PathOf(kIniFileName));
}

Result<std::u16string> ConfigStore::ReadList(std::string_view file_name) const {
  Result<std::u16string> text = std::u16string();
  if (!read_only_) {
    text = ReadTextFile(fs_, PathOf(file_name));
  } else if (auto bytes = fs_.ReadFile(PathOf(file_name))) {
    text = DecodeGbk(*bytes).text;
  } else if (bytes.error().kind() != ErrorKind::kNotFound) {
    text = std::unexpected(bytes.error());
  }
  if (text) {
    NoteReadable(file_name);
  } else {
    NoteReadFailure(file_name, text.error());
  }
  return text;
}

void ConfigStore::CheckIniReadable() const {
  if (const auto bytes = fs_.ReadFile(PathOf(kIniFileName)); !bytes) {
    NoteReadFailure(kIniFileName, bytes.error());
  } else {
    NoteReadable(kIniFileName);
  }
}

void ConfigStore::NoteReadFailure(std::string_view file_name, const Error& error) const {
  if (!fs_.LinkStat(PathOf(file_name))) return;  // nothing there (or no way to tell)
  NoteReadable(file_name);
  unreadable_.push_back({std::string(file_name), error.reason()});
}

void ConfigStore::NoteReadable(std::string_view file_name) const {
  std::erase_if(unreadable_,
                [file_name](const UnreadableFile& file) { return file.file_name == file_name; });
}

Status ConfigStore::CheckNoneUnreadable(std::span<const std::string_view> file_names) const {
  std::string named;
  for (const UnreadableFile& file : unreadable_) {
    if (std::find(file_names.begin(), file_names.end(), file.file_name) == file_names.end()) {
      continue;
    }
    named += (named.empty() ? "" : ", ") + PathOf(file.file_name);
  }
  if (named.empty()) return Ok();
  return std::unexpected(
      Error(ErrorKind::kIo, "save", named, "could not be read, so it is not written over"));
}

Status ConfigStore::WriteList(std::string_view file_name, std::u16string_view text) const {
  if (read_only_) return Refused(PathOf(file_name));
  return WriteTextFile(fs_, text, PathOf(file_name));
}

bool ConfigStore::HasPlainFiles() const {
  const auto entries = fs_.ListDirectory(directory_);
  return entries && std::any_of(entries->begin(), entries->end(), [](const DirectoryEntry& e) {
           return e.type == FileType::kRegular;
         });
}

void ConfigStore::MakeDirectory() const {
  if (read_only_) return;
  // Ignored on purpose: start-up goes on without the directory, and every read and save of a
  // list file then fails on its own and says so.
  (void)MakeDirectoryPath(fs_, directory_);
}

void ConfigStore::RemoveLeftoverTemporaryFiles() const {
  if (read_only_) return;
  const auto entries = fs_.ListDirectory(directory_);
  if (!entries) return;
  for (const DirectoryEntry& entry : *entries) {
    if (entry.type == FileType::kRegular && entry.name.starts_with(kTempFilePrefix)) {
      (void)fs_.RemoveFile(directory_ + entry.name);  // one left costs only its space
    }
  }
}

}  // namespace quelbo
