#pragma once

#include <cstdio>
#include <optional>
#include <string>

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
};

// Takes argv[i] (and, for --undo, a run id after it) when it is one of these options.
bool ParseBatchModeOption(int argc, const char* const* argv, int& i, BatchMode& mode);

// Prints each page a preview finds would change (and, with `diff`, its diff) as it is found.
void ShowPreviewPages(std::FILE* out, PreviewReport& preview, bool diff);
// The preview's closing line.
void PrintPreviewTotal(std::FILE* out, const PreviewReport& preview);

// The modes that do not run: each prints its outcome and gives the exit status.
int ListRuns(std::FILE* out, Session& session);
int UndoRunFromCommandLine(Session& session, const std::string& id);
int SwitchJournal(Session& session, bool on);

}  // namespace quelbo
