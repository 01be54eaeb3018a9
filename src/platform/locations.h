#pragma once

#include <string>

#include "platform/status.h"

namespace quelbo {

// Name of the configuration directory inside the user's configuration home.
inline constexpr char kConfigDirectoryName[] = "AAAHTML批量替换配置log";

// "$XDG_CONFIG_HOME/AAAHTML批量替换配置log/" when XDG_CONFIG_HOME is an absolute path, else
// "$HOME/.config/AAAHTML批量替换配置log/". Either argument may be null (unset). Ends in "/".
std::string ConfigDirectoryFor(const char* xdg_config_home, const char* home);

// The same, from this process's environment (and the password database when HOME is unset).
std::string ConfigDirectory();

// The directory that holds the running executable, without a trailing "/".
[[nodiscard]] Result<std::string> ExecutableDirectory();

}  // namespace quelbo
