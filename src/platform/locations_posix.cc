#include "platform/locations.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace quelbo {

std::string ConfigDirectoryFor(const char* xdg_config_home, const char* home) {
  std::string base;
  if (xdg_config_home != nullptr && xdg_config_home[0] == '/') {
    base = xdg_config_home;
  } else {
    base = home != nullptr ? home : "";
    while (!base.empty() && base.back() == '/') base.pop_back();
    base += "/.config";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  if (base != "/") base += "/";
  return base + kConfigDirectoryName + "/";
}

const char* const kConfigDirectoryChoice[kLanguageCount] = {
    "$XDG_CONFIG_HOME, when set to an absolute path, replaces\n~/.config",
    "$XDG_CONFIG_HOME 设为绝对路径时代替 ~/.config"};

ConfigPlace ConfigDirectoryPlace() { return ConfigPlace{ConfigDirectory(), false}; }

std::string ConfigDirectory() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') {
    if (const passwd* entry = ::getpwuid(::getuid())) home = entry->pw_dir;
  }
  return ConfigDirectoryFor(std::getenv("XDG_CONFIG_HOME"), home);
}

Result<std::string> ExecutableDirectory() {
  std::string path(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
  if (n < 0) {
    return std::unexpected(
        Error(ErrorKind::kIo, "readlink", "/proc/self/exe", std::strerror(errno)));
  }
  path.resize(static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return std::unexpected(Error(ErrorKind::kIo, "readlink", path, "not an absolute path"));
  }
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace quelbo
