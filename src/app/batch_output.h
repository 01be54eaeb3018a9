#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "base/texts.h"
#include "run/run_journal.h"
#include "run/run_report.h"

// What quelbo-batch prints: the status trace on stdout, everything else on stderr.

namespace quelbo {

// One status-line text, UTF-8, ending in LF. False when the stream has failed (a closed pipe,
// a full device), this time or before.
[[nodiscard]] bool PrintTraceLine(std::FILE* out, std::u16string_view status);

// "1 page", "2 pages": a count and its noun, which takes an "s" unless the count is 1. For
// what stdout lists, which stays in one language for the scripts that read it.
std::string CountOf(size_t count, std::string_view noun);

// A page left untouched and its reason, by `pattern` ({0} entry, {1} reason).
void PrintSkipped(std::FILE* err, const SkippedPage& page, std::string_view pattern);

// The progress line for a terminal: pages done of the found count, current entry.
std::string ProgressLine(size_t done, double found, std::u16string_view entry);

// The closing summary, of a run or (`preview`) of a dry run; with `trace`, also how many pages
// were rewritten on their own bytes.
void PrintSummary(std::FILE* err, const Texts& texts, const RunReport& report, bool trace,
                  bool preview);

// The journal's run folders that its last End could not remove; nothing when there are none.
void PrintUnremovedRuns(std::FILE* err, const Texts& texts, const RunJournal::Unremoved& runs);

}  // namespace quelbo
