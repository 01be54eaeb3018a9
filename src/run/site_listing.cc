#include "run/site_listing.h"

#include <array>

#include "platform/paths.h"

namespace quelbo {
namespace {

constexpr std::array<std::string_view, 6> kSuffixes = {".htm",   ".html",  ".ini",
                                                       ".txt",   ".shtml", ".asp"};

constexpr char16_t kLinkOutside[] = u"链接指向网站目录之外，未跟随";

// Why a name cannot stand in a list (nullptr when it can): the lists are UTF-16 text with one
// entry per line, so a name must be valid UTF-8 and hold no line break.
const char16_t* NameProblem(const DecodedText& name) {
  if (!name.well_formed) return u"名字不是有效的UTF-8";
  if (name.text.find_first_of(u"\r\n") != std::u16string::npos) return u"名字含有换行符";
  return nullptr;
}

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

std::vector<DirectoryEntry> SiteListing::EntriesOf(std::u16string_view directory) {
  std::string path = root_.path();
  if (!directory.empty()) {
    const EncodedBytes name = EncodeUtf8(directory);
    if (!name.complete) return {};
    auto resolved = fs_.RealPath(JoinPath(path, name.bytes));
    if (!resolved || !root_.Contains(*resolved)) return {};
    path = std::move(*resolved);
  }
  auto entries = fs_.ListDirectory(path);
  if (!entries) return {};
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
  for (const DirectoryEntry& entry : EntriesOf(directory)) {
    if (entry.name.starts_with(kTempFilePrefix)) {
      (void)fs_.RemoveFile(JoinPath(directory_path, entry.name));
      continue;
    }
    if (entry.name.starts_with('.') || !EndsWithIgnoringCase(entry.name, suffix)) continue;
    const DecodedText name = DecodeUtf8(entry.name);
    if (const auto problem = NameProblem(name)) {
      report_.PageSkipped({std::u16string(entry_prefix) + name.text, problem});
      continue;
    }
    const Target target = TargetOf(directory_path, entry);
    if (target.outside) {
      report_.PageSkipped({std::u16string(entry_prefix) + name.text, kLinkOutside});
    } else if (target.type == FileType::kRegular) {
      names.push_back(name.text);
    } else if (target.type == FileType::kOther) {
      // A FIFO, socket or device with a page's name: never opened, but worth a word.
      report_.PageSkipped({std::u16string(entry_prefix) + name.text, u"不是普通文件，未处理"});
    }
  }
  return names;
}

std::vector<std::u16string> SiteListing::SubdirectoryNames() {
  std::vector<std::u16string> names;
  for (const DirectoryEntry& entry : EntriesOf(u"")) {
    if (entry.name.starts_with('.')) continue;
    const DecodedText name = DecodeUtf8(entry.name);
    if (const auto problem = NameProblem(name)) {
      if (entry.type == FileType::kDirectory) report_.PageSkipped({name.text + kEntrySeparator, problem});
      continue;
    }
    const Target target = TargetOf(root_.path(), entry);
    if (target.type != FileType::kDirectory) continue;
    if (target.outside) {
      report_.PageSkipped({name.text + kEntrySeparator, kLinkOutside});
    } else {
      names.push_back(name.text);
    }
  }
  return names;
}

}  // namespace quelbo
