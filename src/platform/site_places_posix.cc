#include <unistd.h>

#include <array>

#include "platform/site_places.h"

namespace quelbo {
namespace {

// The top-level folders of a Linux system that hold only what the system and its packages
// installed. /home, /srv, /var (with /var/www), /tmp and /media may all hold sites, and so may
// the removable disks some systems mount under /run/media.
constexpr std::array<std::string_view, 15> kSystemTrees = {
    "/bin", "/boot", "/dev", "/etc",  "/lib",  "/lib32", "/lib64", "/libx32",
    "/opt", "/proc", "/run", "/sbin", "/snap", "/sys",   "/usr",
};
constexpr std::string_view kMountedDisks = "/run/media";
// Shared memory, where a site may be copied to work on it fast (the benchmarks do).
constexpr std::string_view kSharedMemory = "/dev/shm";

bool IsInTree(std::string_view directory, std::string_view tree) {
  return directory.starts_with(tree) &&
         (directory.size() == tree.size() || directory[tree.size()] == '/');
}

}  // namespace

const char* const kProgramFolderExamples[kLanguageCount] = {"/usr/bin or ~/.local/bin",
                                                             "/usr/bin 或 ~/.local/bin"};

bool IsSystemFolder(std::string_view directory) {
  while (directory.size() > 1 && directory.back() == '/') directory.remove_suffix(1);
  if (directory == "/") return true;
  // Where programs are installed outside those trees too: ~/.local/bin, /usr/local/bin.
  if (directory.ends_with("/bin")) return true;
  if (IsInTree(directory, kMountedDisks) && directory != kMountedDisks) return false;
  if (IsInTree(directory, kSharedMemory) && directory != kSharedMemory) return false;
  for (const std::string_view tree : kSystemTrees) {
    if (IsInTree(directory, tree)) return true;
  }
  return false;
}

bool IsPlaceForPages(const std::string& directory) {
  return !IsSystemFolder(directory) && ::access(directory.c_str(), W_OK | X_OK) == 0;
}

}  // namespace quelbo
