#pragma once

#include <vector>

#include "panel/control_panel.h"

// Which saved settings will not read back as typed: the configuration files are in code page
// 936, and a save writes "?" for each character that code page cannot hold.

namespace quelbo {

enum class SaveKind {
  kEverySetting,    // SaveSettings, at Start
  kExtraBlockSets,  // SaveExtraBlockSets, "保存配置"
};

// The settings fields that a save of `kind` stores, as the panel holds them now, whose text
// holds a character that code page 936 cannot; in the order the save stores them.
std::vector<Control> FieldsSavedWithSubstitutes(const ControlPanel& panel, SaveKind kind);

}  // namespace quelbo
