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

void PrintSkipped(std::FILE* err, const SkippedPage& page, const char* label) {
  std::fprintf(err, "%s: %s: %s\n", label, ToUtf8(page.entry).c_str(), ToUtf8(page.reason).c_str());
}

std::string ProgressLine(size_t done, double found, std::u16string_view entry) {
  std::string shown = ToUtf8(entry);
  if (shown.size() > 60) shown = "..." + shown.substr(shown.size() - 57);
  char count[64];
  std::snprintf(count, sizeof count, "%zu/%.0f ", done, found);
  return count + shown;
}

void PrintSummary(std::FILE* err, const RunReport& report, bool trace, bool preview) {
  std::fprintf(err, "quelbo-batch: %s processed, %zu %s, %zu skipped\n",
               CountOf(report.processed(), "page").c_str(), report.changed(),
               preview ? "would change" : "changed", report.skipped().size());
  if (trace) {
    std::fprintf(err, "quelbo-batch: %s rewritten on their own bytes\n",
                 CountOf(report.rewritten_on_bytes(), "page").c_str());
  }
}

}  // namespace quelbo
