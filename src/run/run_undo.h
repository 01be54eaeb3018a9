#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "page/page_files.h"
#include "run/run_journal.h"
#include "run/run_report.h"

namespace quelbo {

// What taking a run back did.
struct UndoOutcome {
  std::string undone;           // the id of the run taken back
  std::string journal;          // the id of the undo's own journal (empty when nothing changed)
  size_t restored = 0;          // pages given back the bytes they held before the run
  size_t already_restored = 0;  // pages that already held those bytes
  std::vector<std::u16string> changed_since;  // edited since the run: left alone
  std::vector<SkippedPage> failed;            // could not be restored, and why
};

// The newest journaled run on `site`, if any.
std::optional<JournaledRun> LastRunOn(const RunJournal& journal, const std::string& site);

// Takes back run `id` on the site `root`: each page it replaced whose bytes are still exactly
// what the run wrote gets its old bytes back by an atomic replace; a page edited since is left
// alone and reported. The undo keeps a journal of its own, so it can be taken back in turn.
// Fails without touching a page when the run is unknown, belongs to another site, or the
// undo's own journal cannot be opened. REQUIRES: no run of `journal` is open.
Result<UndoOutcome> UndoRun(FileSystem& fs, const SiteRoot& root, RunJournal& journal,
                            const std::string& id, std::chrono::system_clock::time_point now);

}  // namespace quelbo
