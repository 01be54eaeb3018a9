#include "run/site_listing.h"

#include <array>
#include <optional>

#include "base/paths.h"

namespace quelbo {
namespace {

constexpr std::array<std::string_view, 6> kSuffixes = {".htm", ".html",  ".ini",
                                                       ".txt", ".shtml", ".asp"};

// Where a name will stand: the root's pages keep a "#", the walk's collected list loses it.
enum class ListedIn { kRoot, kSubdirectory };

// Why a name cannot stand in a list (nullptr when it can): the lists are UTF-16 text with one
// entry per line, opened with "\" as a second separator, and the entries collected from the
// subdirectories (whose names are among them) lose every "#".
std::optional<std::string_view> NameProblem(const DecodedText& name, ListedIn listed_in,
                                            const Texts& texts) {
  if (!name.well_formed) return texts.name_not_utf8;
  if (name.text.find_first_of(u"\r\n") != std::u16string::npos) return texts.name_with_line_break;
  if (name.text.find(u'\\') != std::u16string::npos) return texts.name_with_backslash;
  if (listed_in == ListedIn::kSubdirectory && name.text.find(u'#') != std::u16string::npos) {
    return texts.name_with_hash;
  }
  return std::nullopt;
}

constexpr char16_t kRootEntry[] = u"./";

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  const std::string_view tail = name.substr(name.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    if (LowerAscii(tail[i]) != LowerAscii(suffix[i])) return false;
  }
  return true;
}

}  // namespace

std::string_view SuffixOf(int suffix_choice) {
  if (suffix_choice < 1 || suffix_choice > 6) return {};
  return kSuffixes[static_cast<size_t>(suffix_choice - 1)];
}

std::vector<DirectoryEntry> SiteListing::EntriesOf(std::u16string_view directory,
                                                   std::string_view what) {
  const std::u16string entry =
      directory.empty() ? kRootEntry : std::u16string(directory) + kEntrySeparator;
  std::string path = root_.path();
  if (!directory.empty()) {
    const EncodedBytes name = EncodeUtf8(directory);
    if (!name.complete) {
      skip_({entry, FromUtf8(texts_.bad_file_name)});
      return {};
    }
    auto resolved = fs_.RealPath(JoinPath(path, name.bytes));
    if (!resolved) {
      skip_({entry, FromUtf8(Filled(texts_.with_detail, {what, resolved.error().Message()}))});
      return {};
    }
    if (!root_.Contains(*resolved)) {
      skip_({entry, FromUtf8(texts_.link_outside_site)});
      return {};
    }
    path = std::move(*resolved);
  }
  auto entries = fs_.ListDirectory(path);
  if (!entries) {
    skip_({entry, FromUtf8(Filled(texts_.with_detail, {what, entries.error().Message()}))});
    return {};
  }
  return std::move(*entries);
}

SiteListing::Target SiteListing::TargetOf(const std::string& directory_path,
                                          const DirectoryEntry& entry) {
  if (entry.type != FileType::kSymlink) return {entry.type, false};
  const auto target = fs_.RealPath(JoinPath(directory_path, entry.name));
  if (!target) return {FileType::kOther, false};  // a dangling link
  const auto info = fs_.Stat(*target);
  const FileType type = info ? info->type : FileType::kOther;
  return {type, !root_.Contains(*target) && *target != root_.path()};
}

std::vector<std::u16string> SiteListing::PageNames(std::u16string_view directory,
                                                   std::string_view suffix,
                                                   std::u16string_view entry_prefix) {
  std::vector<std::u16string> names;
  if (suffix.empty()) return names;
  const std::string directory_path =
      directory.empty() ? root_.path() : JoinPath(root_.path(), EncodeUtf8(directory).bytes);
  const ListedIn listed_in = directory.empty() ? ListedIn::kRoot : ListedIn::kSubdirectory;
  for (const DirectoryEntry& entry : EntriesOf(directory, texts_.cannot_list_folder)) {
    if (entry.name.starts_with(kTempFilePrefix)) {
      // One that cannot be removed costs only its space; the next run tries again.
      if (removes_leftovers_) (void)fs_.RemoveFile(JoinPath(directory_path, entry.name));
      continue;
    }
    if (entry.name.starts_with('.') || !EndsWithIgnoringCase(entry.name, suffix)) continue;
    const DecodedText name = DecodeUtf8(entry.name);
    if (const auto problem = NameProblem(name, listed_in, texts_)) {
      skip_({std::u16string(entry_prefix) + name.text, FromUtf8(*problem)});
      continue;
    }
    const Target target = TargetOf(directory_path, entry);
    if (target.outside) {
      skip_({std::u16string(entry_prefix) + name.text, FromUtf8(texts_.link_outside_site)});
    } else if (target.type == FileType::kRegular) {
      names.push_back(name.text);
    } else if (target.type == FileType::kOther) {
      // A FIFO, socket or device with a page's name: never opened, but worth a word.
      skip_({std::u16string(entry_prefix) + name.text, FromUtf8(texts_.special_file)});
    }
  }
  return names;
}

std::vector<std::u16string> SiteListing::SubdirectoryNames() {
  std::vector<std::u16string> names;
  for (const DirectoryEntry& entry : EntriesOf(u"", texts_.cannot_list_subfolders)) {
    if (entry.name.starts_with('.')) continue;
    const Target target = TargetOf(root_.path(), entry);
    if (target.type != FileType::kDirectory) continue;
    const DecodedText name = DecodeUtf8(entry.name);
    if (const auto problem = NameProblem(name, ListedIn::kSubdirectory, texts_)) {
      skip_({name.text + kEntrySeparator, FromUtf8(*problem)});
    } else if (target.outside) {
      skip_({name.text + kEntrySeparator, FromUtf8(texts_.link_outside_site)});
    } else {
      names.push_back(name.text);
    }
  }
  return names;
}

}  // namespace quelbo
