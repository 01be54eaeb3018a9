// The stages of one page transformation, each alone, on the same page of 2^20 code units:
// decoding and encoding in both encodings, the charset detection scan, the replacement rules
// and the block sets. Their sum is roughly what BM_TransformPage costs beyond the file I/O.
// The codecs are also timed on the page's Chinese text alone, where no ASCII run helps them.

#include <benchmark/benchmark.h>

#include "micro/sample_page.h"
#include "page/block_replacer.h"
#include "page/charset_declarations.h"
#include "page/replacement_rules.h"
#include "base/text_codec.h"

namespace quelbo::bench {
namespace {

const std::u16string& Page(Declared charset) {
  static const std::u16string utf8_page = SamplePage(kPageUnits, Declared::kUtf8);
  static const std::u16string gbk_page = SamplePage(kPageUnits, Declared::kGb2312);
  return charset == Declared::kUtf8 ? utf8_page : gbk_page;
}

// Every non-ASCII character of the page, in order: hanzi and full-width punctuation.
const std::u16string& Chinese() {
  static const std::u16string text = [] {
    std::u16string chinese;
    for (const char16_t unit : Page(Declared::kGb2312)) {
      if (unit >= 0x80) chinese += unit;
    }
    return chinese;
  }();
  return text;
}

const std::string& Utf8Bytes() {
  static const std::string bytes = EncodeUtf8(Page(Declared::kUtf8)).bytes;
  return bytes;
}

const std::string& GbkBytes() {
  static const std::string bytes = EncodeGbk(Page(Declared::kGb2312)).bytes;
  return bytes;
}

const std::string& ChineseUtf8Bytes() {
  static const std::string bytes = EncodeUtf8(Chinese()).bytes;
  return bytes;
}

const std::string& ChineseGbkBytes() {
  static const std::string bytes = EncodeGbk(Chinese()).bytes;
  return bytes;
}

void SetBytes(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

// Throughput is counted in bytes of the encoded form, in both directions.
void DecodeUtf8Of(benchmark::State& state, const std::string& bytes) {
  for (auto _ : state) {
    DecodedText decoded = DecodeUtf8(bytes);
    benchmark::DoNotOptimize(decoded.text.data());
  }
  SetBytes(state, bytes.size());
}

void EncodeUtf8Of(benchmark::State& state, const std::u16string& text) {
  size_t size = 0;
  for (auto _ : state) {
    EncodedBytes encoded = EncodeUtf8(text);
    size = encoded.bytes.size();
    benchmark::DoNotOptimize(encoded.bytes.data());
  }
  SetBytes(state, size);
}

// Includes the check that the page round-trips.
void DecodeGbkOf(benchmark::State& state, const std::string& bytes) {
  for (auto _ : state) {
    DecodedText decoded = DecodeGbk(bytes);
    benchmark::DoNotOptimize(decoded.text.data());
    if (!decoded.round_trips) state.SkipWithError("the sample text does not round-trip");
  }
  SetBytes(state, bytes.size());
}

void EncodeGbkOf(benchmark::State& state, const std::u16string& text) {
  size_t size = 0;
  for (auto _ : state) {
    EncodedBytes encoded = EncodeGbk(text);
    size = encoded.bytes.size();
    benchmark::DoNotOptimize(encoded.bytes.data());
  }
  SetBytes(state, size);
}

void BM_DecodeUtf8(benchmark::State& state) { DecodeUtf8Of(state, Utf8Bytes()); }
BENCHMARK(BM_DecodeUtf8)->Unit(benchmark::kMicrosecond);

void BM_EncodeUtf8(benchmark::State& state) { EncodeUtf8Of(state, Page(Declared::kUtf8)); }
BENCHMARK(BM_EncodeUtf8)->Unit(benchmark::kMicrosecond);

void BM_DecodeGbk(benchmark::State& state) { DecodeGbkOf(state, GbkBytes()); }
BENCHMARK(BM_DecodeGbk)->Unit(benchmark::kMicrosecond);

void BM_EncodeGbk(benchmark::State& state) { EncodeGbkOf(state, Page(Declared::kGb2312)); }
BENCHMARK(BM_EncodeGbk)->Unit(benchmark::kMicrosecond);

void BM_DecodeUtf8Chinese(benchmark::State& state) { DecodeUtf8Of(state, ChineseUtf8Bytes()); }
BENCHMARK(BM_DecodeUtf8Chinese)->Unit(benchmark::kMicrosecond);

void BM_EncodeUtf8Chinese(benchmark::State& state) { EncodeUtf8Of(state, Chinese()); }
BENCHMARK(BM_EncodeUtf8Chinese)->Unit(benchmark::kMicrosecond);

void BM_DecodeGbkChinese(benchmark::State& state) { DecodeGbkOf(state, ChineseGbkBytes()); }
BENCHMARK(BM_DecodeGbkChinese)->Unit(benchmark::kMicrosecond);

void BM_EncodeGbkChinese(benchmark::State& state) { EncodeGbkOf(state, Chinese()); }
BENCHMARK(BM_EncodeGbkChinese)->Unit(benchmark::kMicrosecond);

void BM_FindCharsetDeclarations(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(FindCharsetDeclarations(Utf8Bytes()));
  SetBytes(state, Utf8Bytes().size());
}
BENCHMARK(BM_FindCharsetDeclarations)->Unit(benchmark::kMicrosecond);

void BM_ApplyReplacementRules(benchmark::State& state) {
  ControlPanel panel;
  ApplySiteRules(panel);
  for (auto _ : state) {
    state.PauseTiming();
    std::u16string text = Page(Declared::kUtf8);
    state.ResumeTiming();
    text = ApplyReplacementRules(std::move(text), panel);
    benchmark::DoNotOptimize(text.data());
  }
  SetBytes(state, Page(Declared::kUtf8).size() * 2);
}
BENCHMARK(BM_ApplyReplacementRules)->Unit(benchmark::kMicrosecond);

void BM_ApplyBlockSets(benchmark::State& state) {
  ControlPanel panel;
  ApplySiteRules(panel);
  const std::u16string after_rules = ApplyReplacementRules(Page(Declared::kUtf8), panel);
  for (auto _ : state) {
    state.PauseTiming();
    std::u16string text = after_rules;
    state.ResumeTiming();
    text = ApplyBlockSets(std::move(text), panel);
    benchmark::DoNotOptimize(text.data());
  }
  SetBytes(state, after_rules.size() * 2);
}
BENCHMARK(BM_ApplyBlockSets)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quelbo::bench
