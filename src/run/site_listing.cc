#include "run/site_listing.h"

#include <array>

#include "base/paths.h"

namespace quelbo {
namespace {

constexpr std::array<std::string_view, 6> kSuffixes = {".htm",   ".html",  ".ini",
                                                       ".txt",   ".shtml", ".asp"};

constexpr char16_t kLinkOutside[] = u"链接指向网站目录之外，未跟随";

// Where a name will stand: the root's pages keep a "#", the walk's collected list loses it.
enum class ListedIn { kRoot, kSubdirectory };

// Why a name cannot stand in a list (nullptr when it can): the lists are UTF-16 text with one
// entry per line, opened with "\" as a second separator, and the entries collected from the
// subdirectories (whose names are among them) lose every "#".
const char16_t* NameProblem(const DecodedText& name, ListedIn listed_in) {
  if (!name.well_formed) return u"名字不是有效的UTF-8";
  if (name.text.find_first_of(u"\r\n") != std::u16string::npos) return u"名字含有换行符";
  if (name.text.find(u'\\') != std::u16string::npos) return u"名字含有\\（页面列表中作路径分隔符）";
  if (listed_in == ListedIn::kSubdirectory && name.text.find(u'#') != std::u16string::npos) {
    return u"名字含有#（页面列表会去掉它）";
  }
  return nullptr;
}

std::u16string NotListed(std::u16string_view what, const Error& error) {
  return std::u16string(what) + u"（" + FromUtf8(error.Message()) + u"）";
}

constexpr char16_t kRootEntry[] = u"./";
constexpr char16_t kCannotListPages[] = u"无法列出目录";
constexpr char16_t kCannotListSubdirectories[] = u"无法列出子目录";

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
                                                   std::u16string_view what) {
  const std::u16string entry = directory.empty() ? kRootEntry : std::u16string(directory) + kEntrySeparator;
  std::string path = root_.path();
  if (!directory.empty()) {
    const EncodedBytes name = EncodeUtf8(directory);
    if (!name.complete) {
      skip_({entry, u"文件名无效"});
      return {};
    }
    auto resolved = fs_.RealPath(JoinPath(path, name.bytes));
    if (!resolved) {
      skip_({entry, NotListed(what, resolved.error())});
      return {};
    }
    if (!root_.Contains(*resolved)) {
      skip_({entry, kLinkOutside});
      return {};
    }
    path = std::move(*resolved);
  }
  auto entries = fs_.ListDirectory(path);
  if (!entries) {
    skip_({entry, NotListed(what, entries.error())});
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
  for (const DirectoryEntry& entry : EntriesOf(directory, kCannotListPages)) {
    if (entry.name.starts_with(kTempFilePrefix)) {
      // One that cannot be removed costs only its space; the next run tries again.
      if (removes_leftovers_) (void)fs_.RemoveFile(JoinPath(directory_path, entry.name));
      continue;
    }
    if (entry.name.starts_with('.') || !EndsWithIgnoringCase(entry.name, suffix)) continue;
    const DecodedText name = DecodeUtf8(entry.name);
    if (const auto problem = NameProblem(name, listed_in)) {
      skip_({std::u16string(entry_prefix) + name.text, problem});
      continue;
    }
    const Target target = TargetOf(directory_path, entry);
    if (target.outside) {
      skip_({std::u16string(entry_prefix) + name.text, kLinkOutside});
    } else if (target.type == FileType::kRegular) {
      names.push_back(name.text);
    } else if (target.type == FileType::kOther) {
      // A FIFO, socket or device with a page's name: never opened, but worth a word.
      skip_({std::u16string(entry_prefix) + name.text, u"不是普通文件，未处理"});
    }
  }
  return names;
}

std::vector<std::u16string> SiteListing::SubdirectoryNames() {
  std::vector<std::u16string> names;
  for (const DirectoryEntry& entry : EntriesOf(u"", kCannotListSubdirectories)) {
    if (entry.name.starts_with('.')) continue;
    const Target target = TargetOf(root_.path(), entry);
    if (target.type != FileType::kDirectory) continue;
    const DecodedText name = DecodeUtf8(entry.name);
    if (const auto problem = NameProblem(name, ListedIn::kSubdirectory)) {
      skip_({name.text + kEntrySeparator, problem});
    } else if (target.outside) {
      skip_({name.text + kEntrySeparator, kLinkOutside});
    } else {
      names.push_back(name.text);
    }
  }
  return names;
}

}  // namespace quelbo
