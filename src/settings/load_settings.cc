#include <array>
#include <optional>

#include "base/paths.h"
#include "base/text_codec.h"
#include "panel/panel_reactions.h"
#include "settings/settings_io.h"
#include "settings/stored_values.h"

namespace quelbo {
namespace {

void LoadList(ControlPanel& panel, const ConfigStore& store, const ListFileBinding& binding) {
  if (auto text = store.ReadList(binding.file_name)) panel.SetText(binding.field, std::move(*text));
}

void StripField(ControlPanel& panel, Control field) {
  panel.SetText(field, StripTrailingBreak(panel.Text(field)));
}

// The order in which the fields of block sets 1 and 2 lose their trailing break.
constexpr std::array<Control, 6> kExtraBlockStripOrder = {
    field::block2Replace, field::block2End, field::block2Start,
    field::block1Start,   field::block1End, field::block1Replace};

void LoadFlag(ControlPanel& panel, const ConfigStore& store, Control box, std::u16string_view key,
              std::u16string_view default_value) {
  panel.SetTicked(box, IsStoredOn(store.ReadKey(key, default_value)));
}

// A stored rule the panel could not show must not be lost: saves refuse to write over it, and
// the status line says so from the start.
void ShowUnreadableFiles(ControlPanel& panel, const ConfigStore& store, const Texts& texts) {
  std::string named;
  for (const ConfigStore::UnreadableFile& file : store.unreadable()) {
    if (!named.empty()) named += texts.list_separator;
    named += Filled(texts.with_detail, {ShownPath(store.PathOf(file.file_name)), file.reason});
  }
  if (named.empty()) return;
  panel.SetText(kStatusLine, FromUtf8(Filled(texts.config_unreadable, {named})));
}

}  // namespace

void ReloadExtraBlockSets(ControlPanel& panel, const ConfigStore& store, const Texts& texts) {
  std::array<std::u16string, kExtraBlockSetFiles.size()> lists;
  for (size_t i = 0; i < kExtraBlockSetFiles.size(); ++i) {
    auto text = store.ReadList(kExtraBlockSetFiles[i].file_name);
    if (!text) {
      const std::string file = ShownPath(store.PathOf(kExtraBlockSetFiles[i].file_name));
      panel.SetText(kStatusLine, FromUtf8(Filled(texts.extra_blocks_unreadable, {file})));
      return;
    }
    lists[i] = std::move(*text);
  }
  for (size_t i = 0; i < kExtraBlockSetFiles.size(); ++i) {
    panel.SetText(kExtraBlockSetFiles[i].field, std::move(lists[i]));
  }
  for (Control control : kExtraBlockStripOrder) StripField(panel, control);
}

void ConnectPanelToStore(ControlPanel& panel, const ConfigStore& store, const Texts& texts) {
  InstallPanelReactions(panel,
                        [&panel, &store, &texts] { ReloadExtraBlockSets(panel, store, texts); });
}

void LoadSettings(ControlPanel& panel, const ConfigStore& store, const Texts& texts) {
  if (!store.HasPlainFiles()) store.MakeDirectory();
  store.RemoveLeftoverTemporaryFiles();
  store.CheckIniReadable();
  panel.SetText(kDirectoryQueue, u"");
  panel.SetText(field::pair1Find, store.ReadKey(ini_key::pair1Find, u""));
  panel.SetText(field::pair1Replace, store.ReadKey(ini_key::pair1Replace, u""));
  for (const ListFileBinding& binding : kMainListFiles) LoadList(panel, store, binding);

  LoadFlag(panel, store, field::moreBlocksEnabled, ini_key::moreBlocksEnabled, u"0");
  if (panel.Ticked(field::moreBlocksEnabled)) {
    // The switch-on reaction has just loaded these; loading again gives the same outcome.
    for (const ListFileBinding& binding : kExtraBlockSetFiles) LoadList(panel, store, binding);
    for (Control control : kExtraBlockStripOrder) StripField(panel, control);
  }
  for (Control control : {field::block0End, field::block0Replace, field::block0Start,
                          field::pair2Find, field::pair2Replace, field::deleteText}) {
    StripField(panel, control);
  }

  panel.SetText(field::pair3Find, store.ReadKey(ini_key::pair3Find, u""));
  panel.SetText(field::pair3Replace, store.ReadKey(ini_key::pair3Replace, u""));
  panel.SetText(field::pair4Find, store.ReadKey(ini_key::pair4Find, u""));
  panel.SetText(field::pair4Replace, store.ReadKey(ini_key::pair4Replace, u""));
  panel.SetText(field::excludedDirs, store.ReadKey(ini_key::excludedDirs, u""));
  panel.SetText(Control::Command4, u"停止");

  const double suffix = ValueNumber(store.ReadKey(ini_key::suffixChoice, u"1"));
  for (size_t n = 1; n <= kSuffixOptions.size(); ++n) {
    if (suffix == static_cast<double>(n)) panel.SetTicked(kSuffixOptions[n - 1], true);
  }

  LoadFlag(panel, store, field::block0Enabled, ini_key::block0Enabled, u"0");
  LoadFlag(panel, store, field::includeSubdirs, ini_key::includeSubdirs, u"0");
  LoadFlag(panel, store, field::readUtf8, ini_key::readUtf8, u"0");
  LoadFlag(panel, store, field::writeUtf8, ini_key::writeUtf8, u"0");
  LoadFlag(panel, store, field::autoDetectCharset, ini_key::autoDetectCharset, u"1");
  ShowUnreadableFiles(panel, store, texts);
}

}  // namespace quelbo
