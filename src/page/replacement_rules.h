#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "page/rewrite_counts.h"
#include "panel/control_panel.h"
#include "panel/settings_fields.h"

namespace quelbo {

// A rule that follows "</li>" + LF: the field it looks for, the field that replaces it (none
// for the deletion text, which is replaced by nothing) and what it is counted as.
struct TextRuleFields {
  Control find;
  std::optional<Control> replacement;
  RewriteRule counted;
};

// Those rules in the order they apply.
inline constexpr std::array<TextRuleFields, 5> kTextRules = {{
    {field::pair1Find, field::pair1Replace, RewriteRule::kPair1},
    {field::pair2Find, field::pair2Replace, RewriteRule::kPair2},
    {field::pair3Find, field::pair3Replace, RewriteRule::kPair3},
    {field::deleteText, std::nullopt, RewriteRule::kDeletion},
    {field::pair4Find, field::pair4Replace, RewriteRule::kPair4},
}};

// Every non-overlapping occurrence of `find`, found from left to right, replaced; an inserted
// replacement is never searched again. An empty `find` or `text` changes nothing. The number
// of replacements is added to `*replaced` when given.
std::u16string ReplaceAll(std::u16string text, std::u16string_view find,
                          std::u16string_view replacement, size_t* replaced = nullptr);

// ReplaceAll for a text known to hold no occurrence that starts before `from`.
std::u16string ReplaceAllFrom(std::u16string text, std::u16string_view find,
                              std::u16string_view replacement, size_t from,
                              size_t* replaced = nullptr);

// Every CR LF, then every CR, then every LF removed; then spaces (U+0020 only) trimmed at
// both ends.
std::u16string StripLineBreaks(std::u16string_view text);

// The fixed rules, each on the result of the one before: "</li>" + LF gets a CR before the LF,
// then pair 1, pair 2, pair 3, the deletion text and pair 4, read from the panel now. Each
// rule's replacements are added to `*counts` when given.
std::u16string ApplyReplacementRules(std::u16string page, const ControlPanel& panel,
                                     RewriteCounts* counts = nullptr);

}  // namespace quelbo
