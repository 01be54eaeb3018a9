#include "run/run_journal.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <optional>

#include "base/text_codec.h"

namespace quelbo {
namespace {

constexpr char kRunFile[] = "run.txt";
constexpr char kSettingsFile[] = "settings.txt";
constexpr char kPagesFile[] = "pages.txt";
constexpr char kOldFolder[] = "old/";
constexpr char kLockFile[] = "lock";

// A folder younger than this may belong to a Begin still at work, even without a lock.
constexpr std::chrono::hours kBeginGrace{1};

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

// A decimal number of digits only, or nothing.
std::optional<std::uint64_t> Number(std::string_view text) {
  std::uint64_t value = 0;
  if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != text.npos) {
    return std::nullopt;
  }
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// The start of a run, from its id.
std::chrono::system_clock::time_point TimeOfId(std::string_view id) {
  auto field = [id](size_t at, size_t size) {
    return static_cast<int>(Number(id.substr(at, size)).value_or(0));
  };
  const std::chrono::year_month_day date{std::chrono::year(field(0, 4)),
                                         std::chrono::month(static_cast<unsigned>(field(4, 2))),
                                         std::chrono::day(static_cast<unsigned>(field(6, 2)))};
  return std::chrono::sys_days(date) + std::chrono::hours(field(9, 2)) +
         std::chrono::minutes(field(11, 2)) + std::chrono::seconds(field(13, 2));
}

// run.txt holds one "key=value" line per value: a line break or "%" in a value (a site
// folder's name may hold them) is written as %0A, %0D or %25.
std::string PercentEscaped(std::string_view value) {
  std::string out;
  for (const char c : value) {
    out += c == '%' ? "%25" : c == '\n' ? "%0A" : c == '\r' ? "%0D" : std::string(1, c);
  }
  return out;
}

std::string PercentUnescaped(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    const std::string_view code = value.substr(i, 3);
    if (code == "%25" || code == "%0A" || code == "%0D") {
      out += code == "%25" ? '%' : code == "%0A" ? '\n' : '\r';
      i += 2;
    } else {
      out += value[i];
    }
  }
  return out;
}

// The value of the last "key=value" line of a run.txt, or empty: counts are added as a run
// goes, each line giving the count so far.
std::string ValueOf(std::string_view text, std::string_view key) {
  std::string value;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == '=') {
      value = PercentUnescaped(line.substr(key.size() + 1));
    }
    start = end + 1;
  }
  return value;
}

void AppendContentText(std::string& line, const ContentId& content) {
  char digits[24];
  const auto written = std::to_chars(digits, digits + sizeof digits, content.size);
  line.append(digits, written.ptr).append(1, '\t').append(content.digest);
}

// A line of pages.txt, or nothing when it does not have the form of one.
std::optional<JournaledPage> ParsePageLine(std::string_view line) {
  std::string_view fields[5];
  for (std::string_view& field : fields) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    field = line.substr(0, tab);
    line.remove_prefix(tab + 1);
  }
  const auto old_size = Number(fields[1]);
  const auto new_size = Number(fields[3]);
  if (!Number(fields[0]) || !old_size || !new_size || !IsDigestText(fields[2]) ||
      !IsDigestText(fields[4]) || line.empty() ||
      FirstMalformedUtf8Byte(line) != std::string_view::npos) {
    return std::nullopt;
  }
  return JournaledPage{std::string(fields[0]), FromUtf8(line),
                       ContentId{*old_size, std::string(fields[2])},
                       ContentId{*new_size, std::string(fields[4])}};
}

}  // namespace

bool IsRunId(std::string_view text) {
  if (text.size() != 18 || text[8] != '-' || text[15] != '-') return false;
  return Number(text.substr(0, 8)) && Number(text.substr(9, 6)) && Number(text.substr(16, 2));
}

RunJournal::RunJournal(FileSystem& fs, std::string runs_directory)
    : fs_(fs), directory_(std::move(runs_directory)) {}

std::string RunJournal::RunFolder(std::string_view id) const {
  return directory_ + std::string(id) + "/";
}

Status RunJournal::Begin(const std::string& site, std::string_view kind, std::string_view undoes,
                         std::string_view settings, std::chrono::system_clock::time_point now) {
  run_.clear();
  next_number_ = recorded_ = replaced_ = 0;
  bytes_ = 0;
  const std::string stamp = FormatTime(now, "%Y%m%d-%H%M%S");
  std::string id;
  bool made_runs_directory = false;
  for (int sequence = 0; id.empty() && sequence < 100; ++sequence) {
    const std::string candidate = stamp + (sequence < 10 ? "-0" : "-") + std::to_string(sequence);
    // Made, not looked for: of two processes that pick the same id, one gets the next.
    Status made = fs_.MakeNewDirectory(directory_ + candidate);
    if (!made && made.error().kind() == ErrorKind::kNotFound && !made_runs_directory) {
      made_runs_directory = true;
      if (auto runs = fs_.MakeDirectories(directory_); !runs) return runs;
      made = fs_.MakeNewDirectory(directory_ + candidate);
    }
    if (made) {
      id = candidate;
    } else if (made.error().kind() != ErrorKind::kExists) {
      return made;
    }
  }
  if (id.empty()) {
    return std::unexpected(Error(ErrorKind::kIo, "journal", directory_ + stamp, "too many runs"));
  }
  const std::string folder = RunFolder(id);
  std::string header = "site=" + PercentEscaped(site) +
                       "\nstarted=" + FormatTime(now, "%Y-%m-%d %H:%M:%S UTC") +
                       "\nkind=" + std::string(kind) + "\n";
  if (!undoes.empty()) header += "undoes=" + std::string(undoes) + "\n";
  // run.txt is written last: a folder without it is not a journal, and Prune removes it.
  Status written = lock_.Acquire(folder + kLockFile, true);
  if (written) written = fs_.MakeNewDirectory(folder + kOldFolder);
  if (written) written = fs_.ReplaceFile(folder + kSettingsFile, settings);
  if (written) written = fs_.ReplaceFile(folder + kPagesFile, "");
  if (written) written = fs_.ReplaceFile(folder + kRunFile, header);
  if (written) {
    const auto info = fs_.Stat(folder);
    if (info) journal_device_ = info->device;
    if (!info) written = std::unexpected(info.error());
  }
  if (!written) {
    // The Begin's own failure is the one to tell; a folder left over is an orphan for Prune.
    (void)RemoveRun(id, &lock_);
    return written;
  }
  run_ = id;
  return Ok();
}

Status RunJournal::KeepPage(std::u16string_view entry, const std::string& path,
                            const FileInfo& info, const ContentId& old_content,
                            const ContentId& new_content) {
  // A number is never given twice, even when its page is dropped again: a line left over from
  // a failed batch can then never name another page's old bytes.
  const std::string number = std::to_string(next_number_++);
  std::string kept_path = RunFolder(run_);
  kept_path.append(kOldFolder).append(number);
  if (auto kept = fs_.KeepCopy(path, kept_path); !kept) return kept;
  // Appended piece by piece: a line per page, where temporaries would cost more than the line.
  std::string& lines = unrecorded_lines_;
  lines.append(number).append(1, '\t');
  AppendContentText(lines, old_content);
  lines.append(1, '\t');
  AppendContentText(lines, new_content);
  lines.append(1, '\t').append(ToUtf8(entry)).append(1, '\n');
  unrecorded_numbers_.push_back(next_number_ - 1);
  unrecorded_bytes_ += old_content.size;
  bytes_ += old_content.size;
  unrecorded_elsewhere_ = unrecorded_elsewhere_ || info.device != journal_device_;
  return Ok();
}

Status RunJournal::RecordKeptPages() {
  if (unrecorded_numbers_.empty()) return Ok();
  const std::string folder = RunFolder(run_);
  Status recorded = fs_.AppendToFile(folder + kPagesFile, unrecorded_lines_);
  // The counts in run.txt below are hints only (a count too low checks less, none makes an undo
  // trust pages.txt alone), so a failed addition to them costs nothing of what an undo proves.
  if (recorded) {
    recorded_ += unrecorded_numbers_.size();
    // The count lets an undo tell a pages.txt cut short; a count too low only checks less.
    (void)fs_.AppendToFile(folder + kRunFile, "pages=" + std::to_string(recorded_) + "\n");
    // On the pages' own file system the flush that precedes their renames covers the journal.
    if (unrecorded_elsewhere_) recorded = fs_.SyncFileSystemOf(folder);
  }
  if (!recorded) {
    DropUnrecorded();
    return recorded;
  }
  unrecorded_lines_.clear();
  unrecorded_numbers_.clear();
  unrecorded_bytes_ = 0;
  unrecorded_elsewhere_ = false;
  return Ok();
}

void RunJournal::NotePagesReplaced(size_t count) {
  if (count == 0 || !active()) return;
  replaced_ += count;
  (void)fs_.AppendToFile(RunFolder(run_) + kRunFile,
                         "replaced=" + std::to_string(replaced_) + "\n");
}

void RunJournal::DropUnrecorded() {
  for (const size_t number : unrecorded_numbers_) {
    (void)fs_.RemoveFile(RunFolder(run_) + kOldFolder + std::to_string(number));
  }
  bytes_ -= unrecorded_bytes_;
  unrecorded_lines_.clear();
  unrecorded_numbers_.clear();
  unrecorded_bytes_ = 0;
  unrecorded_elsewhere_ = false;
}

void RunJournal::End() {
  if (!active()) return;
  unremoved_ = {};
  DropUnrecorded();  // kept, but the run ended before their batch was committed
  if (replaced_ == 0) {
    NoteUnremoved(RemoveRun(run_, &lock_));
    run_.clear();
  } else {
    (void)fs_.AppendToFile(RunFolder(run_) + kRunFile, "bytes=" + std::to_string(bytes_) + "\n");
    lock_.Release();
    run_.clear();
  }
  Prune();
}

void RunJournal::Abandon() {
  if (!active()) return;
  unremoved_ = {};
  DropUnrecorded();
  NoteUnremoved(RemoveRun(run_, &lock_));
  run_.clear();
}

std::vector<JournaledRun> RunJournal::ListRuns() const {
  std::vector<JournaledRun> runs;
  auto entries = fs_.ListDirectory(directory_);
  if (!entries) return runs;
  for (const DirectoryEntry& entry : *entries) {
    if (entry.type != FileType::kDirectory || !IsRunId(entry.name) || entry.name == run_) continue;
    const std::string folder = RunFolder(entry.name);
    if (FileLock::HeldElsewhere(folder + kLockFile)) continue;  // still being written
    auto header = fs_.ReadFile(folder + kRunFile);
    if (!header) continue;
    JournaledRun run{entry.name, ValueOf(*header, "site"), TimeOfId(entry.name),
                     ValueOf(*header, "kind"), ValueOf(*header, "undoes")};
    run.lines = static_cast<size_t>(Number(ValueOf(*header, "pages")).value_or(0));
    run.replaced = static_cast<size_t>(Number(ValueOf(*header, "replaced")).value_or(0));
    if (run.lines == 0) continue;  // nothing was journaled: nothing to take back
    if (const auto bytes = Number(ValueOf(*header, "bytes"))) {
      run.bytes = *bytes;
    } else if (auto kept = fs_.ListDirectory(folder + kOldFolder)) {
      // A run that never ended (killed): its kept pages are counted.
      for (const DirectoryEntry& old : *kept) {
        if (auto info = fs_.LinkStat(folder + kOldFolder + old.name)) run.bytes += info->size;
      }
    }
    runs.push_back(std::move(run));
  }
  std::sort(runs.begin(), runs.end(),
            [](const JournaledRun& a, const JournaledRun& b) { return a.id < b.id; });
  return runs;
}

Result<JournalPages> RunJournal::ReadPages(const std::string& id) const {
  if (!IsRunId(id)) return std::unexpected(Error(ErrorKind::kBadName, "undo", id, "not a run id"));
  const std::string folder = RunFolder(id);
  auto header = fs_.ReadFile(folder + kRunFile);
  if (!header) return std::unexpected(header.error());
  auto text = fs_.ReadFile(folder + kPagesFile);
  if (!text) return std::unexpected(text.error());
  JournalPages read;
  size_t lines = 0;
  for (size_t start = 0; start < text->size();) {
    const size_t end = text->find('\n', start);
    if (end == std::string::npos) break;  // a line cut short by a crash was never acted on
    ++lines;
    if (auto page = ParsePageLine(std::string_view(*text).substr(start, end - start))) {
      read.pages.push_back(std::move(*page));
    } else {
      ++read.damaged_lines;
    }
    start = end + 1;
  }
  const size_t counted = static_cast<size_t>(Number(ValueOf(*header, "pages")).value_or(0));
  read.missing_lines = counted > lines ? counted - lines : 0;
  return read;
}

Result<std::string> RunJournal::ReadKeptBytes(const std::string& id,
                                              const JournaledPage& page) const {
  if (!IsRunId(id) || !Number(page.number)) {
    return std::unexpected(Error(ErrorKind::kBadName, "undo", id, "not a kept page"));
  }
  std::string runs = directory_;
  while (runs.size() > 1 && runs.back() == '/') runs.pop_back();
  return fs_.ReadFileBeneath(runs, id + "/" + kOldFolder + page.number);
}

Status RunJournal::Hold(const std::string& id, FileLock& lock) const {
  if (!IsRunId(id)) return std::unexpected(Error(ErrorKind::kBadName, "undo", id, "not a run id"));
  return lock.Acquire(RunFolder(id) + kLockFile, true);
}

// Removal goes as far as it can: what stays (a file another program holds open, a disk that
// refuses) is an orphan folder or a run still over the limits, which the next End's Prune
// removes again. The first refusal is the answer, unless the folder went all the same.
Status RunJournal::RemoveRun(const std::string& id, FileLock* held) const {
  const std::string folder = RunFolder(id);
  std::optional<Error> refused;
  auto note = [&refused](Status removed) {
    if (!removed && removed.error().kind() != ErrorKind::kNotFound && !refused) {
      refused = removed.error();
    }
  };
  if (auto kept = fs_.ListDirectory(folder + kOldFolder)) {
    for (const DirectoryEntry& old : *kept) note(fs_.RemoveFile(folder + kOldFolder + old.name));
  }
  note(fs_.RemoveDirectory(folder + kOldFolder));
  if (auto files = fs_.ListDirectory(folder)) {
    for (const DirectoryEntry& file : *files) {
      if (file.name != kLockFile) note(fs_.RemoveFile(folder + file.name));
    }
  }
  // The lock goes last, held until then (Windows removes no file that is open).
  if (held != nullptr) held->Release();
  note(fs_.RemoveFile(folder + kLockFile));
  const Status gone = fs_.RemoveDirectory(folder);
  if (gone || gone.error().kind() == ErrorKind::kNotFound) return {};
  return std::unexpected(refused.value_or(gone.error()));
}

void RunJournal::NoteUnremoved(Status removed) {
  if (removed) return;
  if (unremoved_.runs++ == 0) unremoved_.first = removed.error().Message();
}

void RunJournal::Prune() {
  // Folders that hold nothing to take back: left by a Begin killed midway, or by a run killed
  // before its first batch; unless young enough to be some Begin still at work.
  const std::string young =
      FormatTime(std::chrono::system_clock::now() - kBeginGrace, "%Y%m%d-%H%M%S");
  const std::vector<JournaledRun> runs = ListRuns();
  if (auto entries = fs_.ListDirectory(directory_)) {
    for (const DirectoryEntry& entry : *entries) {
      const bool listed = std::any_of(
          runs.begin(), runs.end(), [&](const JournaledRun& run) { return run.id == entry.name; });
      FileLock lock;
      if (entry.type == FileType::kDirectory && IsRunId(entry.name) && entry.name != run_ &&
          !listed && entry.name < young && Hold(entry.name, lock)) {
        NoteUnremoved(RemoveRun(entry.name, &lock));
      }
    }
  }
  size_t kept = 0;
  std::uint64_t bytes = 0;
  bool full = false;  // once a run does not fit, no older one is kept
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    full =
        full || (kept > 0 && (kept >= kJournalKeptRuns || bytes + run->bytes > kJournalKeptBytes));
    FileLock lock;
    if (!full) {
      ++kept;
      bytes += run->bytes;
    } else if (Hold(run->id, lock)) {  // not taken up by another process meanwhile
      NoteUnremoved(RemoveRun(run->id, &lock));
    }
  }
}

}  // namespace quelbo
