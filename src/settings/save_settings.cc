#include <string>
#include <vector>

#include "settings/settings_io.h"

namespace quelbo {
namespace {

// The files a save writes: the INI file, and the list files of `bindings`.
template <typename... Bindings>
std::vector<std::string_view> FilesWritten(const Bindings&... bindings) {
  std::vector<std::string_view> names = {kIniFileName};
  (..., [&names](const auto& group) {
    for (const ListFileBinding& binding : group) names.push_back(binding.file_name);
  }(bindings));
  return names;
}

// Writes one value after another and stops at the first that fails, which it keeps: a save
// that cannot store a setting must not pass for a successful one. The keys between two list
// files go to the INI file together, in one replacement rather than one each: the same bytes
// in the end, and each replacement syncs the disk.
class Saver {
 public:
  Saver(const ControlPanel& panel, const ConfigStore& store) : panel_(panel), store_(store) {}

  // `value` must last until the save ends: the panel's own text, or a constant.
  void Key(std::u16string_view key, std::u16string_view value) { pending_.push_back({key, value}); }
  void Text(std::u16string_view key, Control field) { Key(key, panel_.Text(field)); }
  void Flag(std::u16string_view key, Control box) { Key(key, panel_.Ticked(box) ? u"1" : u"0"); }
  template <typename Bindings>
  void Lists(const Bindings& bindings) {
    WriteKeys();
    for (const ListFileBinding& binding : bindings) {
      if (status_) status_ = store_.WriteList(binding.file_name, panel_.Text(binding.field));
    }
  }
  [[nodiscard]] Status Finish() {
    WriteKeys();
    return status_;
  }

 private:
  void WriteKeys() {
    if (status_) status_ = store_.WriteKeys(pending_);
    pending_.clear();
  }

  const ControlPanel& panel_;
  const ConfigStore& store_;
  Status status_;
  std::vector<IniAssignment> pending_;  // the keys not yet written
};

}  // namespace

Status SaveSettings(const ControlPanel& panel, const ConfigStore& store) {
  const bool extra = panel.Ticked(field::moreBlocksEnabled);
  if (auto unread = store.CheckNoneUnreadable(
          extra ? FilesWritten(kMainListFiles, kExtraBlockSetFiles) : FilesWritten(kMainListFiles));
      !unread) {
    return unread;
  }
  Saver save(panel, store);
  save.Text(ini_key::pair1Find, field::pair1Find);
  save.Text(ini_key::pair1Replace, field::pair1Replace);
  save.Lists(kMainListFiles);
  if (panel.Ticked(field::moreBlocksEnabled)) save.Lists(kExtraBlockSetFiles);
  save.Text(ini_key::pair3Find, field::pair3Find);
  save.Text(ini_key::pair3Replace, field::pair3Replace);
  save.Text(ini_key::pair4Find, field::pair4Find);
  save.Text(ini_key::pair4Replace, field::pair4Replace);
  save.Text(ini_key::excludedDirs, field::excludedDirs);
  if (const int suffix = panel.SuffixChoice(); suffix != 0) {
    save.Key(ini_key::suffixChoice,
             std::u16string_view(u"0123456789").substr(static_cast<size_t>(suffix), 1));
  }
  save.Flag(ini_key::includeSubdirs, field::includeSubdirs);
  save.Flag(ini_key::readUtf8, field::readUtf8);
  save.Flag(ini_key::writeUtf8, field::writeUtf8);
  save.Flag(ini_key::autoDetectCharset, field::autoDetectCharset);
  save.Flag(ini_key::block0Enabled, field::block0Enabled);
  save.Flag(ini_key::moreBlocksEnabled, field::moreBlocksEnabled);
  return save.Finish();
}

Status SaveExtraBlockSets(const ControlPanel& panel, const ConfigStore& store) {
  const bool extra = panel.Ticked(field::moreBlocksEnabled);
  if (auto unread =
          store.CheckNoneUnreadable(extra ? FilesWritten(kExtraBlockSetFiles) : FilesWritten());
      !unread) {
    return unread;
  }
  Saver save(panel, store);
  save.Flag(ini_key::moreBlocksEnabled, field::moreBlocksEnabled);
  if (panel.Ticked(field::moreBlocksEnabled)) save.Lists(kExtraBlockSetFiles);
  return save.Finish();
}

}  // namespace quelbo
