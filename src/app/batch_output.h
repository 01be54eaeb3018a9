#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "run/run_report.h"

// What quelbo-batch prints: the status trace on stdout, everything else on stderr.

namespace quelbo {

// One status-line text, UTF-8, ending in LF. False when the stream has failed (a closed pipe,
// a full device), this time or before.
[[nodiscard]] bool PrintTraceLine(std::FILE* out, std::u16string_view status);

// A skipped page and its reason.
void PrintSkipped(std::FILE* err, const SkippedPage& page);

// The progress line for a terminal: pages done of the found count, current entry.
std::string ProgressLine(size_t done, double found, std::u16string_view entry);

// The closing summary; with `trace`, also how many pages were rewritten on their own bytes.
void PrintSummary(std::FILE* err, const RunReport& report, bool trace = false);

}  // namespace quelbo
