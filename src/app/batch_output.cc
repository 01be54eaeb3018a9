#include "app/batch_output.h"

#include "platform/text_codec.h"

namespace quelbo {

void PrintTraceLine(std::FILE* out, std::u16string_view status) {
  const std::string line = ToUtf8(status) + "\n";
  std::fwrite(line.data(), 1, line.size(), out);
}

void PrintSkipped(std::FILE* err, const SkippedPage& page) {
  std::fprintf(err, "skipped: %s: %s\n", ToUtf8(page.entry).c_str(), ToUtf8(page.reason).c_str());
}

void PrintProgress(std::FILE* err, size_t done, double found, std::u16string_view entry) {
  std::string shown = ToUtf8(entry);
  if (shown.size() > 60) shown = "..." + shown.substr(shown.size() - 57);
  std::fprintf(err, "\r\033[K%zu/%.0f %s", done, found, shown.c_str());
}

void PrintSummary(std::FILE* err, const RunReport& report) {
  std::fprintf(err, "quelbo-batch: %zu pages processed, %zu changed, %zu skipped\n",
               report.processed(), report.changed(), report.skipped().size());
}

}  // namespace quelbo
