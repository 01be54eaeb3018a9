// ReplaceAll on a page of 2^20 code units (a 1 MiB page if it were all ASCII): the one pass
// that every rule and every block set makes over a page.

#include <benchmark/benchmark.h>

#include "micro/sample_page.h"
#include "page/replacement_rules.h"

namespace quelbo::bench {
namespace {

const std::u16string& Page() {
  static const std::u16string page = SamplePage(kPageUnits).substr(0, kPageUnits);
  return page;
}

const std::u16string& AllA() {
  static const std::u16string page = Repeated(u'a', kPageUnits);
  return page;
}

// Times ReplaceAll alone: the copy of the page that it consumes is made outside the clock.
void Run(benchmark::State& state, const std::u16string& page, std::u16string_view find,
         std::u16string_view replacement) {
  size_t out_units = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::u16string text = page;
    state.ResumeTiming();
    std::u16string result = ReplaceAll(std::move(text), find, replacement);
    out_units = result.size();
    benchmark::DoNotOptimize(result.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size() * 2));
  state.counters["grown_units"] = static_cast<double>(out_units) - static_cast<double>(page.size());
}

// "Copyright 2019": a dozen matches.
void BM_ReplaceAll_FewMatches(benchmark::State& state) {
  Run(state, Page(), kPair3Find, kPair3Replace);
}
BENCHMARK(BM_ReplaceAll_FewMatches)->Unit(benchmark::kMicrosecond);

// The pair-1 address: one match every 400 code units or so, replaced by a shorter text.
void BM_ReplaceAll_ManyMatches(benchmark::State& state) {
  Run(state, Page(), kPair1Find, kPair1Replace);
}
BENCHMARK(BM_ReplaceAll_ManyMatches)->Unit(benchmark::kMicrosecond);

// The fixed list-item rule: as many matches, replaced by a longer text.
void BM_ReplaceAll_ListItemLineEnds(benchmark::State& state) {
  Run(state, Page(), u"</li>\n", u"</li>\r\n");
}
BENCHMARK(BM_ReplaceAll_ListItemLineEnds)->Unit(benchmark::kMicrosecond);

// A text that is not there but whose first and last units are common in HTML.
void BM_ReplaceAll_NoMatch(benchmark::State& state) {
  Run(state, Page(), u"<a href=\"http://www.never-used.example/\">", u"x");
}
BENCHMARK(BM_ReplaceAll_NoMatch)->Unit(benchmark::kMicrosecond);

// The pathological rule: a page of "a" and a find text of 1,000 "a" then "b".
void BM_ReplaceAll_Pathological(benchmark::State& state) {
  Run(state, AllA(), Repeated(u'a', 1000) + u"b", u"x");
}
BENCHMARK(BM_ReplaceAll_Pathological)->Unit(benchmark::kMicrosecond);

// Same page, a find text whose first and last units both match everywhere, so only a full
// comparison can reject a candidate: this is where the linear-time fallback has to step in.
void BM_ReplaceAll_FilterDefeated(benchmark::State& state) {
  Run(state, AllA(), Repeated(u'a', 999) + u"ba", u"x");
}
BENCHMARK(BM_ReplaceAll_FilterDefeated)->Unit(benchmark::kMicrosecond);

// Same page, a find text that never occurs: the yardstick for the two above.
void BM_ReplaceAll_PathologicalBaseline(benchmark::State& state) {
  Run(state, AllA(), Repeated(u'c', 1001), u"x");
}
BENCHMARK(BM_ReplaceAll_PathologicalBaseline)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quelbo::bench
