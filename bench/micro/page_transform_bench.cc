// One whole page through the page steps, as a run does it: DetectCharset, then TransformPage
// (read, decode, rules, block sets, encode, compare, atomic replace) on a real page file of
// 2^20 code units in a temporary directory, with the benchmark sites' rules.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "micro/sample_page.h"
#include "panel/settings_fields.h"
#include "platform/clock.h"
#include "base/text_codec.h"
#include "run/page_processor.h"

namespace quelbo::bench {
namespace {

constexpr char16_t kEntry[] = u"page.htm";

// A site of one page in a fresh temporary directory, and the page steps working on it.
class OnePageSite {
 public:
  explicit OnePageSite(std::string bytes) : original_(std::move(bytes)) {
    std::string pattern = (std::filesystem::temp_directory_path() / "quelbo-bench-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    directory_ = pattern;
    root_ = std::make_unique<SiteRoot>(SiteRoot::Open(fs_, directory_).value());
    processor_ = std::make_unique<PageProcessor>(panel_, scheduler_, fs_, *root_, report_);
    ApplySiteRules(panel_);
    panel_.SetText(kCurrentPage, kEntry);
    Restore();
  }
  OnePageSite(const OnePageSite&) = delete;
  OnePageSite& operator=(const OnePageSite&) = delete;
  ~OnePageSite() { std::filesystem::remove_all(directory_); }

  // Puts the page's original bytes back.
  void Restore() {
    if (!fs_.ReplaceFile(directory_ + "/page.htm", original_)) std::abort();
  }

  // The two steps that a run spends on the page.
  void Process() {
    processor_->DetectCharset();
    processor_->TransformPage();
  }

  const RunReport& report() const { return report_; }
  size_t size() const { return original_.size(); }

 private:
  std::string original_;
  std::string directory_;
  std::unique_ptr<FileSystem> machine_fs_ = NewMachineFileSystem();
  FileSystem& fs_ = *machine_fs_;
  SteadyClock clock_;
  ControlPanel panel_;
  StepScheduler scheduler_{clock_};
  RunReport report_;
  std::unique_ptr<SiteRoot> root_;
  std::unique_ptr<PageProcessor> processor_;
};

void Transform(benchmark::State& state, std::string bytes, bool restore) {
  OnePageSite site(std::move(bytes));
  if (!restore) site.Process();  // from then on the rules find nothing to change
  for (auto _ : state) {
    if (restore) {
      state.PauseTiming();
      site.Restore();
      state.ResumeTiming();
    }
    site.Process();
  }
  if (!site.report().skipped().empty()) state.SkipWithError("the page was skipped");
  if (restore && site.report().changed() != site.report().processed()) {
    state.SkipWithError("the page was not changed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(site.size()));
}

void BM_TransformPage_Utf8(benchmark::State& state) {
  Transform(state, EncodeUtf8(SamplePage(kPageUnits, Declared::kUtf8)).bytes, true);
}
BENCHMARK(BM_TransformPage_Utf8)->Unit(benchmark::kMillisecond);

void BM_TransformPage_Gbk(benchmark::State& state) {
  Transform(state, EncodeGbk(SamplePage(kPageUnits, Declared::kGb2312)).bytes, true);
}
BENCHMARK(BM_TransformPage_Gbk)->Unit(benchmark::kMillisecond);

// A page the rules leave as it is: read, decode, search, encode and compare, but no write.
void BM_TransformPage_Utf8Unchanged(benchmark::State& state) {
  Transform(state, EncodeUtf8(SamplePage(kPageUnits, Declared::kUtf8)).bytes, false);
}
BENCHMARK(BM_TransformPage_Utf8Unchanged)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quelbo::bench
