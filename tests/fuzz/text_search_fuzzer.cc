// The linear-time text search against a naive scan. The searcher gives up on candidate checks at
// a point that depends on where the search starts, so every start position is tried, and the
// pattern is also planted at each of the first positions of the text: between them they put a
// match right where the search falls back to its automaton. Runs of one or two units (see the
// repeat bytes of fuzz_support.h) make every position a candidate.
//
// Input: the pattern, the byte 0xFF, the text (see fuzz_support.h for how bytes become text).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "page/text_search.h"
#include "reference_rules.h"

namespace quelbo::fuzz {
namespace {

constexpr size_t kMaxPatternUnits = 96;
constexpr size_t kMaxTextUnits = 2048;
// Starts tried in long texts; a short text gets every start.
constexpr size_t kMaxStarts = 64;
constexpr size_t kShortTextUnits = 512;
constexpr size_t kPlantedPositions = 48;
constexpr size_t npos = std::u16string_view::npos;

// Every position where the pattern occurs, by a naive scan.
std::vector<size_t> NaiveMatches(std::u16string_view text, std::u16string_view pattern) {
  std::vector<size_t> matches;
  for (size_t i = 0; i + pattern.size() <= text.size(); ++i) {
    if (text.substr(i, pattern.size()) == pattern) matches.push_back(i);
  }
  return matches;
}

std::string Position(size_t at) { return at == npos ? "none" : std::to_string(at); }

void CheckEveryStart(std::u16string_view text, std::u16string_view pattern) {
  const std::vector<size_t> matches = NaiveMatches(text, pattern);
  const TextSearcher searcher(pattern);
  size_t next = 0;  // index of the first match at or after `from`
  const size_t last_start = text.size() <= kShortTextUnits ? text.size() + 1 : kMaxStarts;
  for (size_t from = 0; from <= last_start; ++from) {
    while (next < matches.size() && matches[next] < from) ++next;
    const size_t expected = next < matches.size() ? matches[next] : npos;
    const size_t actual = searcher.FindIn(text, from);
    if (actual != expected) {
      Mismatch("FindIn of " + Describe(pattern) + " in " + Describe(text) + " from " +
                   std::to_string(from),
               Position(expected), Position(actual));
    }
  }
}

void CheckFindText(std::u16string_view text, std::u16string_view sought) {
  const size_t position = InStr(text, sought);
  const auto expected = position == 0 ? std::nullopt : std::optional<size_t>(position - 1);
  const auto actual = FindText(text, sought);
  if (actual != expected) {
    Mismatch("FindText of " + Describe(sought) + " in " + Describe(text),
             Position(expected.value_or(npos)), Position(actual.value_or(npos)));
  }
}

void RunTextSearch(const std::uint8_t* data, size_t size) {
  FieldReader reader(data, size);
  const std::u16string pattern = TextFromBytes(reader.Next(), kMaxPatternUnits);
  const std::u16string text = TextFromBytes(reader.Rest(), kMaxTextUnits);
  CheckFindText(text, pattern);
  if (pattern.empty()) return;

  CheckEveryStart(text, pattern);
  if (text.size() > kShortTextUnits) return;
  for (size_t at = 0; at <= text.size() && at < kPlantedPositions; ++at) {
    std::u16string planted = text;
    planted.insert(at, pattern);
    const size_t expected = InStr(planted, pattern) - 1;  // it is there, at `at` or before
    const size_t actual = TextSearcher(pattern).FindIn(planted);
    if (actual != expected) {
      Mismatch("FindIn of " + Describe(pattern) + " planted at " + std::to_string(at) + " in " +
                   Describe(text),
               Position(expected), Position(actual));
    }
  }
}

}  // namespace
}  // namespace quelbo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  quelbo::fuzz::RunTextSearch(data, size);
  return 0;
}
