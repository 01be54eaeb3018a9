#include "app/batch_output.h"

#include "base/text_codec.h"

namespace quelbo {

bool PrintTraceLine(std::FILE* out, std::u16string_view status) {
  const std::string line = ToUtf8(status) + "\n";
  return std::fwrite(line.data(), 1, line.size(), out) == line.size() && std::ferror(out) == 0;
}

void PrintSkipped(std::FILE* err, const SkippedPage& page) {
  std::fprintf(err, "skipped: %s: %s\n", ToUtf8(page.entry).c_str(), ToUtf8(page.reason).c_str());
}

std::string ProgressLine(size_t done, double found, std::u16string_view entry) {
  std::string shown = ToUtf8(entry);
  if (shown.size() > 60) shown = "..." + shown.substr(shown.size() - 57);
  char count[64];
  std::snprintf(count, sizeof count, "%zu/%.0f ", done, found);
  return count + shown;
}

void PrintSummary(std::FILE* err, const RunReport& report, bool trace) {
  std::fprintf(err, "quelbo-batch: %zu pages processed, %zu changed, %zu skipped\n",
               report.processed(), report.changed(), report.skipped().size());
  if (trace) {
    std::fprintf(err,
                 "quelbo-batch: %zu pages rewritten on their own bytes, %zu of them in one pass\n",
                 report.rewritten_on_bytes(), report.rewritten_in_one_pass());
  }
}

}  // namespace quelbo
