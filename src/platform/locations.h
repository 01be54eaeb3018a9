#pragma once

#include <string>

#include "base/status.h"
#include "base/texts.h"

namespace quelbo {

// Name of the configuration directory inside the user's configuration home.
inline constexpr char kConfigDirectoryName[] = "AAAHTML批量替换配置log";

// "$XDG_CONFIG_HOME/AAAHTML批量替换配置log/" when XDG_CONFIG_HOME is an absolute path, else
// "$HOME/.config/AAAHTML批量替换配置log/". Either argument may be null (unset). Ends in "/".
std::string ConfigDirectoryFor(const char* xdg_config_home, const char* home);

// The configuration directory of this system and user: on Linux ConfigDirectoryFor this
// process's environment (and the password database when HOME is unset); on Windows
// "D:/AAAHTML批量替换配置log/", or the same name in %LOCALAPPDATA% when drive D: cannot hold it.
struct ConfigPlace {
  std::string directory;  // ends in "/"
  bool instead_of_usual;  // the usual place could not hold it, so this one is used
};
ConfigPlace ConfigDirectoryPlace();
// How the configuration directory is chosen, for the help text, per language.
extern const char* const kConfigDirectoryChoice[kLanguageCount];
std::string ConfigDirectory();

// The directory that holds the running executable, without a trailing "/".
[[nodiscard]] Result<std::string> ExecutableDirectory();

}  // namespace quelbo
