#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Slow, plain versions of the page rules, written step by step from the rules themselves with
// 1-based positions, for the fuzz targets to hold the real ones against.

namespace quelbo::fuzz {

// 1-based position of the first occurrence, 0 when absent; an empty sought text is at 1 of
// any non-empty text, and nothing is in an empty text.
size_t InStr(std::u16string_view text, std::u16string_view sought);

// Up to `length` characters from the 1-based position `start` (REQUIRES: start >= 1).
std::u16string_view Mid(std::u16string_view text, size_t start,
                        size_t length = std::u16string_view::npos);

// Scans from the first character: a match appends the replacement and skips the match, anything
// else appends the character and moves one on.
std::u16string ReferenceReplaceAll(std::u16string_view text, std::u16string_view find,
                                   std::u16string_view replacement);

std::u16string ReferenceCutBlock(std::u16string_view page, std::u16string_view start,
                                 std::u16string_view end);

struct BlockSetTexts {
  bool enabled = false;
  std::u16string start;
  std::u16string end;
  std::u16string replacement;
};

// The rule sets below return nothing once a page in between grows past `max_units` code
// units: a replacement many times longer than the text it replaces, applied set after set,
// would otherwise let a short input keep the slow versions busy for minutes.
std::optional<std::u16string> ReferenceApplyBlockSets(std::u16string page,
                                                      const std::array<BlockSetTexts, 3>& sets,
                                                      size_t max_units);

// find/replace texts of pair 1, pair 2, pair 3, the deletion text and pair 4.
struct RuleTexts {
  std::array<std::u16string, 5> find;
  std::array<std::u16string, 5> replacement;  // the deletion's is not used
};

std::optional<std::u16string> ReferenceApplyReplacementRules(std::u16string page,
                                                             const RuleTexts& rules,
                                                             size_t max_units);

std::u16string ReferenceStripLineBreaks(std::u16string_view text);
std::u16string ReferenceStripTrailingBreak(std::u16string_view text);

}  // namespace quelbo::fuzz
