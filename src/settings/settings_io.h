#pragma once

#include <string>

#include "base/status.h"
#include "base/text_codec.h"
#include "base/texts.h"
#include "panel/control_panel.h"
#include "settings/config_store.h"

// The three moments at which the panel's settings meet the configuration store.

namespace quelbo {

// Installs the panel reactions, with the Check6 reload reading from `store`.
// REQUIRES: `panel` and `store` outlive the reactions.
void ConnectPanelToStore(ControlPanel& panel, const ConfigStore& store,
                         const Texts& texts = TextsIn(kFormLanguage));

// Fills every settings field from the store, once, before the window is shown: creates the
// directory when it holds no file (and removes what a killed save left behind), empties the
// directory queue, sets Command4 to "停止".
// Each step stands alone: a list file that cannot be read leaves its field as it was.
// REQUIRES: the panel reactions are installed (ticking Check6 reloads block sets 1 and 2).
void LoadSettings(ControlPanel& panel, const ConfigStore& store,
                  const Texts& texts = TextsIn(kFormLanguage));

// What the status line says when a save fails, `before_start` when it stops a Start.
inline std::u16string SaveFailure(const Error& error, const Texts& texts,
                                  bool before_start = false) {
  return FromUtf8(
      Filled(before_start ? texts.save_failed_not_started : texts.save_failed, {error.Message()}));
}

// Stores every setting as the fields hold it. The first value that cannot be written (INI key
// or list file) stops the save and is returned; the writes after it are skipped.
[[nodiscard]] Status SaveSettings(const ControlPanel& panel, const ConfigStore& store);

// The "保存配置" command: "版块替换2", and block sets 1 and 2 when that switch is on.
[[nodiscard]] Status SaveExtraBlockSets(const ControlPanel& panel, const ConfigStore& store);

// The reload that switching Check6 on performs: the six fields of block sets 1 and 2 from
// their files, each then without its trailing break. When a file cannot be read, the six
// fields keep what they held and the status line names the file.
void ReloadExtraBlockSets(ControlPanel& panel, const ConfigStore& store, const Texts& texts);

}  // namespace quelbo
