#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace quelbo {

// One run as its journal describes it.
struct JournaledRun {
  std::string id;           // sorts in the order the runs were made: "20261207-194232-00"
  std::string site;         // the site folder, absolute
  std::string started;      // "2026-12-07 19:42:32 UTC"
  std::string kind;         // "run", or "undo" for a run that took another back
  std::string undoes;       // for an undo: the id of the run it took back
  size_t pages = 0;         // pages replaced
  std::uint64_t bytes = 0;  // disk the kept old pages use
};

// A page a run replaced: the entry it was named by, the digest of the bytes written and where
// the bytes it held before are kept.
struct JournaledPage {
  std::u16string entry;
  std::string new_digest;
  std::string old_bytes_path;
};

// Runs kept: the newest ones, at most this many and this much old-page data together (the
// newest run is kept whatever its size).
inline constexpr size_t kJournalKeptRuns = 20;
inline constexpr std::uint64_t kJournalKeptBytes = std::uint64_t{2} << 30;

// The run journal: a folder per run under the configuration directory's "runs/", holding
// run.txt (what ran where and when), settings.txt (the rules it used), pages.txt (one line per
// page replaced: number, digest of the new bytes, entry) and old/<number> (the page's bytes
// before). A page's old bytes are kept before it is replaced, so a page replaced with the
// journal on can always be taken back.
class RunJournal {
 public:
  // `runs_directory` ends in "/". REQUIRES: `fs` outlives the journal.
  RunJournal(FileSystem& fs, std::string runs_directory);

  // Opens the journal of a new run. On failure (the disk is full, the folder cannot be made)
  // nothing is open and the run must not start.
  Status Begin(const std::string& site, std::string_view kind, std::string_view undoes,
               std::string_view settings, std::chrono::system_clock::time_point now);
  bool active() const { return !run_.empty(); }
  const std::string& run_id() const { return run_; }
  // Pages the open run has replaced so far.
  size_t pages() const { return pages_; }

  // Keeps the bytes of the page at `path` (`old_size` of them) before `new_bytes` replace
  // them. REQUIRES: active(). On failure the page must not be replaced.
  Status KeepPage(std::u16string_view entry, const std::string& path, std::uint64_t old_size,
                  std::string_view new_bytes);
  // Writes the lines of the pages kept since the last call, all at once: one write per batch
  // of pages rather than per page. Call it before any of those pages is replaced; on failure
  // their old copies are dropped again and none of them may be replaced.
  Status RecordKeptPages();

  // Closes the open journal, noting its size in run.txt: a run that replaced no page leaves
  // none. Then the oldest runs past the retention limits are removed.
  void End();

  // Every complete journal, oldest first.
  std::vector<JournaledRun> ListRuns() const;
  // The pages a run replaced, in the order it replaced them.
  Result<std::vector<JournaledPage>> ReadPages(const std::string& id) const;

 private:
  std::string RunFolder(std::string_view id) const;
  void RemoveRun(const std::string& id) const;
  // The pages and bytes of a run whose run.txt does not say them.
  void CountKeptPages(const std::string& folder, JournaledRun& run) const;
  void Prune() const;

  FileSystem& fs_;
  std::string directory_;
  std::string run_;  // the open run's id, empty when none is open
  size_t pages_ = 0;
  std::uint64_t bytes_ = 0;
  // The last pages kept but not yet in pages.txt: their lines, how many and their old sizes.
  std::string unrecorded_lines_;
  size_t unrecorded_pages_ = 0;
  std::uint64_t unrecorded_bytes_ = 0;
};

}  // namespace quelbo
