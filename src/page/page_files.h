#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

// Page files under the root directory. Nothing here ever creates a missing page, and nothing
// is written outside the root directory's tree.

namespace quelbo {

// The root directory, resolved once: pages must resolve to paths below it.
class SiteRoot {
 public:
  // `root` is the directory that holds the program; REQUIRES: it exists.
  [[nodiscard]] static Result<SiteRoot> Open(FileSystem& fs, const std::string& root);

  const std::string& path() const { return path_; }

  // The resolved path of an entry's page (the root, "/", the entry, where "\" counts as "/")
  // and what the file system says of the file there. The entry must name a regular file (a
  // link is followed) whose resolved path lies inside the root: kNotFound, kNotRegularFile,
  // kOutsideRoot or kBadName otherwise; kTooLarge for a page too large to be read safely.
  struct Page {
    std::string path;
    FileInfo info;
  };
  [[nodiscard]] Result<Page> ResolvePage(FileSystem& fs, std::u16string_view entry) const;

  // ResolvePage and the page's bytes, in one opening of the file where the entry is a plain
  // path; the information is then that of the file read.
  struct PageRead {
    Page page;
    std::string bytes;
  };
  [[nodiscard]] Result<PageRead> ReadPage(FileSystem& fs, std::u16string_view entry) const;

  // Whether an already resolved path lies strictly inside the root.
  bool Contains(std::string_view resolved) const;

 private:
  explicit SiteRoot(std::string path) : path_(std::move(path)) {}
  Result<Page> ResolveAnyPage(FileSystem& fs, std::u16string_view entry) const;
  // Walks the entry's components without following anything; nothing when a component is a
  // link, ".", ".." or empty, which only a full resolution can judge.
  std::optional<Result<Page>> ResolvePlainPath(FileSystem& fs, std::string_view relative) const;
  std::string path_;  // absolute, links resolved, no trailing "/"
};

}  // namespace quelbo
