#include <string>

#include "settings/settings_io.h"

namespace quelbo {
namespace {

std::u16string_view Flag(const ControlPanel& panel, Control box) {
  return panel.Ticked(box) ? u"1" : u"0";
}

template <typename Bindings>
Status SaveLists(const ControlPanel& panel, const ConfigStore& store, const Bindings& bindings) {
  for (const ListFileBinding& binding : bindings) {
    if (auto saved = store.WriteList(binding.file_name, panel.Text(binding.field)); !saved) {
      return saved;
    }
  }
  return Ok();
}

}  // namespace

Status SaveSettings(const ControlPanel& panel, const ConfigStore& store) {
  store.WriteKey(ini_key::pair1Find, panel.Text(field::pair1Find));
  store.WriteKey(ini_key::pair1Replace, panel.Text(field::pair1Replace));
  if (auto saved = SaveLists(panel, store, kMainListFiles); !saved) return saved;
  if (panel.Ticked(field::moreBlocksEnabled)) {
    if (auto saved = SaveLists(panel, store, kExtraBlockSetFiles); !saved) return saved;
  }
  store.WriteKey(ini_key::pair3Find, panel.Text(field::pair3Find));
  store.WriteKey(ini_key::pair3Replace, panel.Text(field::pair3Replace));
  store.WriteKey(ini_key::pair4Find, panel.Text(field::pair4Find));
  store.WriteKey(ini_key::pair4Replace, panel.Text(field::pair4Replace));
  store.WriteKey(ini_key::excludedDirs, panel.Text(field::excludedDirs));
  if (const int suffix = panel.SuffixChoice(); suffix != 0) {
    store.WriteKey(ini_key::suffixChoice, std::u16string(1, static_cast<char16_t>(u'0' + suffix)));
  }
  store.WriteKey(ini_key::includeSubdirs, Flag(panel, field::includeSubdirs));
  store.WriteKey(ini_key::readUtf8, Flag(panel, field::readUtf8));
  store.WriteKey(ini_key::writeUtf8, Flag(panel, field::writeUtf8));
  store.WriteKey(ini_key::autoDetectCharset, Flag(panel, field::autoDetectCharset));
  store.WriteKey(ini_key::block0Enabled, Flag(panel, field::block0Enabled));
  store.WriteKey(ini_key::moreBlocksEnabled, Flag(panel, field::moreBlocksEnabled));
  return Ok();
}

Status SaveExtraBlockSets(const ControlPanel& panel, const ConfigStore& store) {
  store.WriteKey(ini_key::moreBlocksEnabled, Flag(panel, field::moreBlocksEnabled));
  if (panel.Ticked(field::moreBlocksEnabled)) return SaveLists(panel, store, kExtraBlockSetFiles);
  return Ok();
}

}  // namespace quelbo
