#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/texts.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "run/session.h"

// What quelbo-batch does besides a run: a preview, the run journal's listing, an undo, the
// journal switch.

namespace quelbo {

struct BatchMode {
  bool dry_run = false;
  bool diff = false;
  bool list_runs = false;
  bool undo = false;
  std::string undo_id;  // empty: the last run on the site
  std::optional<bool> journal_on;
  std::vector<std::string> given;  // the options taken, as typed, for messages
  std::string fault;               // what is wrong with them, when something is
};

// Takes argv[i] (and, for --undo, a run id after it) when it is one of these options. After
// --undo, an argument that is neither a run id nor an existing folder (`is_folder`) is a fault.
bool ParseBatchModeOption(int argc, const char* const* argv, int& i, BatchMode& mode,
                          const std::function<bool(const std::string&)>& is_folder,
                          const Texts& texts);
// Why the options of `mode` (and --trace) cannot go together, or nothing when they can.
std::optional<std::string> ContradictionIn(const BatchMode& mode, bool trace, const Texts& texts);

// Prints each page a preview finds would change (and, with `diff`, its diff) as it is found;
// `failed` is told errno when stdout cannot be written.
void ShowPreviewPages(std::FILE* out, PreviewReport& preview, bool diff,
                      std::function<void(int)> failed);
// The preview's closing line.
void PrintPreviewTotal(std::FILE* out, const PreviewReport& preview);

// The modes that are not a run: each prints its outcome and gives the exit status.
// The runs of every site, or of `site` only (a resolved path) when given.
int ListRuns(std::FILE* out, FileSystem& fs, const ConfigStore& store,
             const std::optional<std::string>& site, const Texts& texts);
int UndoRunFromCommandLine(Session& session, const std::string& id, Console& console, Clock& clock,
                           const Texts& texts);
int SwitchJournal(const ConfigStore& store, bool on, const Texts& texts);

}  // namespace quelbo
