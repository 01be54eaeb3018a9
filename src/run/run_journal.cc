#include "run/run_journal.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <ctime>
#include <optional>

#include "base/text_codec.h"
#include "run/content_digest.h"

namespace quelbo {
namespace {

constexpr char kRunFile[] = "run.txt";
constexpr char kSettingsFile[] = "settings.txt";
constexpr char kPagesFile[] = "pages.txt";
constexpr char kOldFolder[] = "old/";

std::string FormatTime(std::chrono::system_clock::time_point now, const char* format) {
  // The calendar of <chrono> rather than gmtime_r, which not every system's C library has.
  const auto day = std::chrono::floor<std::chrono::days>(now);
  const std::chrono::year_month_day date(day);
  const std::chrono::hh_mm_ss time(std::chrono::floor<std::chrono::seconds>(now - day));
  std::tm utc{};
  utc.tm_year = static_cast<int>(date.year()) - 1900;
  utc.tm_mon = static_cast<int>(static_cast<unsigned>(date.month())) - 1;
  utc.tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
  utc.tm_hour = static_cast<int>(time.hours().count());
  utc.tm_min = static_cast<int>(time.minutes().count());
  utc.tm_sec = static_cast<int>(time.seconds().count());
  char text[32];
  const size_t size = std::strftime(text, sizeof text, format, &utc);
  return std::string(text, size);
}

// The value of a "key=value" line of a run.txt, or empty.
std::string ValueOf(std::string_view text, std::string_view key) {
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == '=') {
      return std::string(line.substr(key.size() + 1));
    }
    start = end + 1;
  }
  return {};
}

// A decimal count of a run.txt, or nothing when it is not one.
std::optional<std::uint64_t> Count(std::string_view text) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
  return value;
}

}  // namespace

RunJournal::RunJournal(FileSystem& fs, std::string runs_directory)
    : fs_(fs), directory_(std::move(runs_directory)) {}

std::string RunJournal::RunFolder(std::string_view id) const {
  return directory_ + std::string(id) + "/";
}

Status RunJournal::Begin(const std::string& site, std::string_view kind, std::string_view undoes,
                         std::string_view settings, std::chrono::system_clock::time_point now) {
  run_.clear();
  pages_ = 0;
  bytes_ = 0;
  const std::string stamp = FormatTime(now, "%Y%m%d-%H%M%S");
  std::string id;
  for (int sequence = 0; id.empty() && sequence < 100; ++sequence) {
    const std::string candidate = stamp + (sequence < 10 ? "-0" : "-") + std::to_string(sequence);
    if (!fs_.LinkStat(directory_ + candidate)) id = candidate;
  }
  if (id.empty()) {
    return std::unexpected(Error(ErrorKind::kIo, "journal", directory_ + stamp, "too many runs"));
  }
  const std::string folder = RunFolder(id);
  if (auto made = fs_.MakeDirectories(folder + kOldFolder); !made) return made;
  std::string header = "site=" + site + "\nstarted=" + FormatTime(now, "%Y-%m-%d %H:%M:%S UTC") +
                       "\nkind=" + std::string(kind) + "\n";
  if (!undoes.empty()) header += "undoes=" + std::string(undoes) + "\n";
  // run.txt is written last: a folder without it is not a journal, and Prune removes it.
  Status written = fs_.ReplaceFile(folder + kSettingsFile, settings);
  if (written) written = fs_.ReplaceFile(folder + kPagesFile, "");
  if (written) written = fs_.ReplaceFile(folder + kRunFile, header);
  if (!written) {
    RemoveRun(id);
    return written;
  }
  run_ = id;
  return Ok();
}

Status RunJournal::KeepPage(std::u16string_view entry, const std::string& path,
                            std::uint64_t old_size, std::string_view new_bytes) {
  const std::string number = std::to_string(pages_);
  if (auto kept = fs_.KeepCopy(path, RunFolder(run_) + kOldFolder + number); !kept) return kept;
  // The line is written before the page is replaced, so a run killed in between leaves a
  // line whose page still holds its old bytes, which an undo recognises.
  unrecorded_lines_ += number + "\t" + ContentDigest(new_bytes) + "\t" + ToUtf8(entry) + "\n";
  ++unrecorded_pages_;
  unrecorded_bytes_ += old_size;
  ++pages_;
  bytes_ += old_size;
  return Ok();
}

Status RunJournal::RecordKeptPages() {
  if (unrecorded_pages_ == 0) return Ok();
  const std::string folder = RunFolder(run_);
  Status recorded = fs_.AppendToFile(folder + kPagesFile, unrecorded_lines_);
  if (!recorded) {
    // They were numbered last: the next pages take their numbers again.
    for (size_t n = 0; n < unrecorded_pages_; ++n) {
      (void)fs_.RemoveFile(folder + kOldFolder + std::to_string(--pages_));
    }
    bytes_ -= unrecorded_bytes_;
  }
  unrecorded_lines_.clear();
  unrecorded_pages_ = 0;
  unrecorded_bytes_ = 0;
  return recorded;
}

void RunJournal::End() {
  if (!active()) return;
  (void)RecordKeptPages();  // lines of pages kept but in the end not replaced
  if (pages_ == 0) {
    RemoveRun(run_);
  } else {
    // Without these lines (a run killed midway) the listing counts the pages and sizes itself.
    (void)fs_.AppendToFile(
        RunFolder(run_) + kRunFile,
        "pages=" + std::to_string(pages_) + "\nbytes=" + std::to_string(bytes_) + "\n");
  }
  run_.clear();
  Prune();
}

std::vector<JournaledRun> RunJournal::ListRuns() const {
  std::vector<JournaledRun> runs;
  auto entries = fs_.ListDirectory(directory_);
  if (!entries) return runs;
  for (const DirectoryEntry& entry : *entries) {
    if (entry.type != FileType::kDirectory || entry.name == run_) continue;
    const std::string folder = RunFolder(entry.name);
    auto header = fs_.ReadFile(folder + kRunFile);
    if (!header) continue;
    JournaledRun run{entry.name, ValueOf(*header, "site"), ValueOf(*header, "started"),
                     ValueOf(*header, "kind"), ValueOf(*header, "undoes")};
    const auto pages = Count(ValueOf(*header, "pages"));
    const auto bytes = Count(ValueOf(*header, "bytes"));
    if (pages && bytes) {
      run.pages = static_cast<size_t>(*pages);
      run.bytes = *bytes;
    } else {
      CountKeptPages(folder, run);
    }
    runs.push_back(std::move(run));
  }
  std::sort(runs.begin(), runs.end(),
            [](const JournaledRun& a, const JournaledRun& b) { return a.id < b.id; });
  return runs;
}

Result<std::vector<JournaledPage>> RunJournal::ReadPages(const std::string& id) const {
  const std::string folder = RunFolder(id);
  auto text = fs_.ReadFile(folder + kPagesFile);
  if (!text) return std::unexpected(text.error());
  std::vector<JournaledPage> pages;
  for (size_t start = 0; start < text->size();) {
    const size_t end = text->find('\n', start);
    if (end == std::string::npos) break;  // a line cut short by a crash was never acted on
    const std::string_view line = std::string_view(*text).substr(start, end - start);
    start = end + 1;
    const size_t tab1 = line.find('\t');
    const size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos) continue;
    pages.push_back({FromUtf8(line.substr(tab2 + 1)),
                     std::string(line.substr(tab1 + 1, tab2 - tab1 - 1)),
                     folder + kOldFolder + std::string(line.substr(0, tab1))});
  }
  return pages;
}

void RunJournal::CountKeptPages(const std::string& folder, JournaledRun& run) const {
  if (auto pages = fs_.ReadFile(folder + kPagesFile)) {
    run.pages = static_cast<size_t>(std::count(pages->begin(), pages->end(), '\n'));
  }
  if (auto kept = fs_.ListDirectory(folder + kOldFolder)) {
    for (const DirectoryEntry& old : *kept) {
      if (auto info = fs_.LinkStat(folder + kOldFolder + old.name)) run.bytes += info->size;
    }
  }
}

void RunJournal::RemoveRun(const std::string& id) const {
  const std::string folder = RunFolder(id);
  if (auto kept = fs_.ListDirectory(folder + kOldFolder)) {
    for (const DirectoryEntry& old : *kept) (void)fs_.RemoveFile(folder + kOldFolder + old.name);
  }
  (void)fs_.RemoveDirectory(folder + kOldFolder);
  if (auto files = fs_.ListDirectory(folder)) {
    for (const DirectoryEntry& file : *files) (void)fs_.RemoveFile(folder + file.name);
  }
  (void)fs_.RemoveDirectory(folder);
}

void RunJournal::Prune() const {
  // Folders without a run.txt are left by a Begin that was killed midway.
  if (auto entries = fs_.ListDirectory(directory_)) {
    for (const DirectoryEntry& entry : *entries) {
      if (entry.type == FileType::kDirectory && entry.name != run_ &&
          !fs_.LinkStat(RunFolder(entry.name) + kRunFile)) {
        RemoveRun(entry.name);
      }
    }
  }
  const std::vector<JournaledRun> runs = ListRuns();
  size_t kept = 0;
  std::uint64_t bytes = 0;
  bool full = false;  // once a run does not fit, no older one is kept
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    full =
        full || (kept > 0 && (kept >= kJournalKeptRuns || bytes + run->bytes > kJournalKeptBytes));
    if (!full) {
      ++kept;
      bytes += run->bytes;
    } else {
      RemoveRun(run->id);
    }
  }
}

}  // namespace quelbo
