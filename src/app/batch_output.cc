#include "app/batch_output.h"

#include "base/text_codec.h"

namespace quelbo {

bool PrintTraceLine(std::FILE* out, std::u16string_view status) {
  const std::string line = ToUtf8(status) + "\n";
  return std::fwrite(line.data(), 1, line.size(), out) == line.size() && std::ferror(out) == 0;
}

std::string CountOf(size_t count, std::string_view noun) {
  return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

void PrintSkipped(std::FILE* err, const SkippedPage& page, std::string_view pattern) {
  std::fprintf(err, "%s\n", Filled(pattern, {ToUtf8(page.entry), ToUtf8(page.reason)}).c_str());
}

std::string ProgressLine(size_t done, double found, std::u16string_view entry) {
  std::string shown = ToUtf8(entry);
  if (shown.size() > 60) shown = "..." + shown.substr(shown.size() - 57);
  char count[64];
  std::snprintf(count, sizeof count, "%zu/%.0f ", done, found);
  return count + shown;
}

void PrintSummary(std::FILE* err, const Texts& texts, const RunReport& report, bool trace,
                  bool preview) {
  const std::string summary =
      Filled(preview ? texts.preview_summary : texts.summary,
             {Counted(report.processed(), texts.page), std::to_string(report.changed()),
              std::to_string(report.skipped().size())});
  std::fprintf(err, "quelbo-batch: %s\n", summary.c_str());
  if (trace) {
    const std::string pages = Counted(report.rewritten_on_bytes(), texts.page);
    const std::string line = Filled(texts.rewritten_on_bytes,
                                    {pages, std::to_string(report.rewritten_in_one_pass())});
    std::fprintf(err, "quelbo-batch: %s\n", line.c_str());
  }
}

void PrintUnremovedRuns(std::FILE* err, const Texts& texts, const RunJournal::Unremoved& runs) {
  if (runs.runs == 0) return;
  const std::string line =
      Filled(texts.unremoved_runs, {Counted(runs.runs, texts.run_folder), runs.first});
  std::fprintf(err, "quelbo-batch: %s\n", line.c_str());
}

}  // namespace quelbo
