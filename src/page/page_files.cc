#include "page/page_files.h"

#include "platform/memory_limits.h"
#include "base/paths.h"

namespace quelbo {

Result<SiteRoot> SiteRoot::Open(FileSystem& fs, const std::string& root) {
  auto resolved = fs.RealPath(root);
  if (!resolved) return std::unexpected(resolved.error());
  std::string path = WithoutTrailingSeparators(std::move(*resolved));
  fs.AnchorAt(path);
  return SiteRoot(std::move(path));
}

bool SiteRoot::Contains(std::string_view resolved) const {
  if (path_.size() == 1) return resolved.size() > 1 && resolved.front() == kPathSeparator;
  return resolved.size() > path_.size() + 1 && resolved.starts_with(path_) &&
         resolved[path_.size()] == kPathSeparator;
}

Result<SiteRoot::Page> SiteRoot::ResolvePage(FileSystem& fs, std::u16string_view entry) const {
  auto page = ResolveAnyPage(fs, entry);
  if (page && page->info.size > LargestReadableFile()) {
    return std::unexpected(
        Error(ErrorKind::kTooLarge, "open", page->path, "too large to be held in memory"));
  }
  return page;
}

namespace {

// Whether a relative path names its file without ".", ".." or empty components, whose meaning
// only a full resolution can judge.
bool IsPlain(std::string_view relative) {
  for (size_t start = 0;;) {
    const size_t slash = relative.find(kPathSeparator, start);
    const std::string_view component = relative.substr(start, slash - start);
    if (component.empty() || component == "." || component == "..") return false;
    if (slash == std::string_view::npos) return true;
    start = slash + 1;
  }
}

}  // namespace

Result<SiteRoot::PageRead> SiteRoot::ReadPage(FileSystem& fs, std::u16string_view entry) const {
  const EncodedBytes name = EntryPath(entry);
  if (name.complete && name.bytes.find('\0') == std::string::npos && IsPlain(name.bytes)) {
    std::string path = JoinPath(path_, name.bytes);
    if (auto read = fs.ReadUnlinkedFile(path, LargestReadableFile())) {
      return PageRead{Page{std::move(path), read->info}, std::move(read->bytes)};
    }
  }
  auto page = ResolvePage(fs, entry);
  if (!page) return std::unexpected(page.error());
  auto bytes = fs.ReadFile(page->path);
  if (!bytes) return std::unexpected(bytes.error());
  return PageRead{std::move(*page), std::move(*bytes)};
}

Result<SiteRoot::Page> SiteRoot::ResolveAnyPage(FileSystem& fs, std::u16string_view entry) const {
  const EncodedBytes name = EntryPath(entry);
  const std::string path = JoinPath(path_, name.bytes);
  if (!name.complete || name.bytes.find('\0') != std::string::npos) {
    return std::unexpected(Error(ErrorKind::kBadName, "open", path, "not a valid file name"));
  }
  if (auto plain = ResolvePlainPath(fs, name.bytes)) return std::move(*plain);

  auto resolved = fs.RealPath(path);
  if (!resolved) return std::unexpected(resolved.error());
  if (!Contains(*resolved)) {
    return std::unexpected(
        Error(ErrorKind::kOutsideRoot, "open", path, "leads outside the site directory"));
  }
  auto info = fs.Stat(*resolved);
  if (!info) return std::unexpected(info.error());
  if (info->type != FileType::kRegular) {
    return std::unexpected(Error(ErrorKind::kNotRegularFile, "open", path, "not a regular file"));
  }
  return Page{std::move(*resolved), *info};
}

std::optional<Result<SiteRoot::Page>> SiteRoot::ResolvePlainPath(FileSystem& fs,
                                                                 std::string_view relative) const {
  std::string path = path_;
  size_t start = 0;
  for (;;) {
    const size_t slash = relative.find(kPathSeparator, start);
    const std::string_view component = relative.substr(start, slash - start);
    if (component.empty() || component == "." || component == "..") return std::nullopt;
    path += kPathSeparator;
    path += component;
    auto info = fs.LinkStat(path);
    if (!info) return std::unexpected(info.error());
    if (info->type == FileType::kSymlink) return std::nullopt;
    if (slash == std::string_view::npos) {
      if (info->type != FileType::kRegular) {
        return std::unexpected(
            Error(ErrorKind::kNotRegularFile, "open", path, "not a regular file"));
      }
      return Page{std::move(path), *info};
    }
    if (info->type != FileType::kDirectory) {
      return std::unexpected(Error(ErrorKind::kNotFound, "open", path, "not a directory"));
    }
    start = slash + 1;
  }
}

}  // namespace quelbo
