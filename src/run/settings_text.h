#pragma once

#include <string>

#include "panel/control_panel.h"

namespace quelbo {

// The rules and switches on the panel as UTF-8 text, one "name=value" line per setting, for
// the run journal: CR, LF and backslash in values are written as \r, \n and \\.
std::string SettingsText(const ControlPanel& panel);

}  // namespace quelbo
