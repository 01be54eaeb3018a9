#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "page/page_files.h"
#include "platform/file_system.h"
#include "run/run_report.h"

// Listings of the site's directories for the walker. Hidden entries (names starting with ".")
// are never listed. A name the page list cannot carry (not valid UTF-8; a line break; "\",
// which the list reads as a separator; "#" under a subdirectory, which the list drops), a link
// that leads outside the site and a directory that cannot be listed are left out and reported,
// never turned into another name or followed.

namespace quelbo {

// The suffix of the chosen option (1 to 6): ".htm", ".html", ".ini", ".txt", ".shtml",
// ".asp"; empty when no option is chosen.
std::string_view SuffixOf(int suffix_choice);

class SiteListing {
 public:
  // `skip` is told of every entry left out, with the reason.
  using SkipReporter = std::function<void(SkippedPage)>;
  SiteListing(FileSystem& fs, const SiteRoot& root, SkipReporter skip, const Texts& texts)
      : fs_(fs), root_(root), skip_(std::move(skip)), texts_(texts) {}

  // Regular files of `directory` (a path relative to the root, "" for the root itself) whose
  // names end in `suffix` without regard to ASCII case, in the file system's order. Links are
  // followed inside the site. Leftover temporary files of an interrupted page replacement are
  // removed on the way, unless
  // told otherwise. `entry_prefix` goes before names in reports ("sub/").
  std::vector<std::u16string> PageNames(std::u16string_view directory, std::string_view suffix,
                                        std::u16string_view entry_prefix);

  // Directories of the root, links inside the site followed.
  std::vector<std::u16string> SubdirectoryNames();

  void SetRemovesLeftovers(bool removes) { removes_leftovers_ = removes; }

 private:
  // The entries of a directory inside the site; none, reported as `what` could not be done,
  // when it cannot be listed or lies outside.
  std::vector<DirectoryEntry> EntriesOf(std::u16string_view directory, std::string_view what);
  // What an entry stands for: a link's target type, and whether that target lies outside.
  struct Target {
    FileType type;
    bool outside;
  };
  Target TargetOf(const std::string& directory_path, const DirectoryEntry& entry);

  FileSystem& fs_;
  const SiteRoot& root_;
  SkipReporter skip_;
  const Texts& texts_;
  bool removes_leftovers_ = true;
};

}  // namespace quelbo
