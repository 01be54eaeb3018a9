#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/run_lock.h"
#include "run/content_digest.h"

namespace quelbo {

// One run as its journal describes it.
struct JournaledRun {
  std::string
      id;  // the start in UTC, sorting in the order the runs were made: "20261207-194232-00"
  std::string site;  // the site folder, absolute
  std::chrono::system_clock::time_point started;
  std::string kind;         // "run", or "undo" for a run that took another back
  std::string undoes;       // for an undo: the id of the run it took back
  size_t lines = 0;         // pages journaled before their replacement ("pages=" of run.txt)
  size_t replaced = 0;      // of those, pages replaced
  std::uint64_t bytes = 0;  // disk the kept old pages use
};

// A page a run journaled before replacing it: the entry it was named by, the number of the
// file that keeps its old bytes, and the size and digest of its bytes before and after.
struct JournaledPage {
  std::string number;
  std::u16string entry;
  ContentId old_content;
  ContentId new_content;
};

// The pages of a run's journal, in the order they were journaled, and what could not be read.
struct JournalPages {
  std::vector<JournaledPage> pages;
  size_t damaged_lines = 0;  // lines without the form of a page's line
  size_t missing_lines = 0;  // lines run.txt counts that pages.txt lacks
};

// Runs kept: the newest ones, at most this many and this much old-page data together (the
// newest run is kept whatever its size).
inline constexpr size_t kJournalKeptRuns = 20;
inline constexpr std::uint64_t kJournalKeptBytes = std::uint64_t{2} << 30;

// Whether `text` has the form of a run's id.
bool IsRunId(std::string_view text);

// The run journal: a folder per run under the configuration directory's "runs/", holding
// run.txt (what ran where and when, then counts added as the run goes), settings.txt (the rules
// it used), pages.txt (one line per page: number, size and digest of the old bytes, of the new
// ones, entry), old/<number> (the page's bytes before) and lock, held by the process that
// writes the journal for as long as it is open.
//
// What it promises: a page's old bytes are kept, and its line is in pages.txt and durable on
// whatever file system the journal lies on, before the page is replaced; numbers are never
// given twice in a run; an addition to pages.txt that fails is taken back whole. A journal
// another process holds open is neither listed nor removed.
class RunJournal {
 public:
  // `runs_directory` ends in "/". REQUIRES: `fs` outlives the journal.
  RunJournal(FileSystem& fs, std::string runs_directory);

  // Opens the journal of a new run, in a folder no other process can have taken. REQUIRES:
  // the caller holds the site's lock. On failure (the disk is full, the folder cannot be made)
  // nothing is open and the run must not start.
  Status Begin(const std::string& site, std::string_view kind, std::string_view undoes,
               std::string_view settings, std::chrono::system_clock::time_point now);
  bool active() const { return !run_.empty(); }
  const std::string& run_id() const { return run_; }
  // Pages the open run, or the last one, replaced so far.
  size_t pages() const { return replaced_; }

  // Keeps the bytes of the page at `path` (described by `info`, holding `old_content`) before
  // `new_content` replaces them. REQUIRES: active(). On failure the page must not be replaced.
  Status KeepPage(std::u16string_view entry, const std::string& path, const FileInfo& info,
                  const ContentId& old_content, const ContentId& new_content);
  // Writes the lines of the pages kept since the last call, all at once, and makes them
  // durable: one write (and at most one flush) per batch of pages. Call it before any of those
  // pages is replaced; on failure their old copies are dropped and none may be replaced.
  Status RecordKeptPages();
  // `count` more of the recorded pages were replaced.
  void NotePagesReplaced(size_t count);

  // Closes the open journal, noting its size in run.txt: a run that replaced no page leaves
  // none. Then the oldest runs past the retention limits are removed.
  void End();
  // Removes the open journal whole: what it kept can no longer be taken back.
  void Abandon();

  // The run folders the last End or Abandon meant to remove and could not (a file held open, a
  // disk that refuses), with the first refusal; the next End tries them again.
  struct Unremoved {
    size_t runs = 0;
    std::string first;
  };
  const Unremoved& unremoved() const { return unremoved_; }

  // Every journal that can be taken back (complete, not held open by anyone), oldest first.
  std::vector<JournaledRun> ListRuns() const;
  // The lines of a run's pages.txt, counted against its run.txt.
  Result<JournalPages> ReadPages(const std::string& id) const;
  // The bytes a run kept of a page, read without following any link out of the run's folder.
  Result<std::string> ReadKeptBytes(const std::string& id, const JournaledPage& page) const;
  // Holds run `id`'s journal for as long as `lock` lives, so that nobody removes it meanwhile;
  // kBusy when another holds it.
  Status Hold(const std::string& id, FileLock& lock) const;

 private:
  std::string RunFolder(std::string_view id) const;
  // Removes a run's folder; `held`, the lock of it, is released just before the lock file goes.
  [[nodiscard]] Status RemoveRun(const std::string& id, FileLock* held = nullptr) const;
  void NoteUnremoved(Status removed);
  void DropUnrecorded();
  void Prune();

  FileSystem& fs_;
  std::string directory_;
  std::string run_;  // the open run's id, empty when none is open
  FileLock lock_;    // of the open run
  std::uint64_t journal_device_ = 0;
  size_t next_number_ = 0;
  size_t recorded_ = 0;
  size_t replaced_ = 0;
  std::uint64_t bytes_ = 0;
  // The pages kept but not yet in pages.txt: their lines and numbers, their old sizes, and
  // whether one lies on another file system than the journal, so that the site's flush does
  // not cover the journal.
  std::string unrecorded_lines_;
  std::vector<size_t> unrecorded_numbers_;
  std::uint64_t unrecorded_bytes_ = 0;
  bool unrecorded_elsewhere_ = false;
  Unremoved unremoved_;
};

}  // namespace quelbo
