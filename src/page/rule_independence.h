#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "page/literal_filter.h"

// Whether the replacement rules can be applied to a page in one pass, finding every rule's
// matches in the page as read and writing the result once, instead of one pass per rule over
// the result of the rule before. Decided once per change of the rule texts.
//
// The rules r_0 ... r_n-1 (find text F_i, replacement P_i) apply one after another: S_0 is the
// page T, S_i+1 = ReplaceAll(S_i, F_i, P_i), the result S_n. Let M_i be the matches ReplaceAll
// would take in T itself: the occurrences of F_i found from left to right without overlapping.
// The one pass replaces every match of every M_i in T at once. It gives S_n exactly when
//
//  (a) no match of one rule overlaps a match of another in T (checked on each page, during the
//      pass): no rule removes a match a later rule needs, and since ReplaceAll takes the first
//      occurrence at or after the end of its last match, an occurrence removed by an earlier
//      rule that was not a match anyway changes nothing of M_i either;
//  (b) no rule's replacement can take part in a later rule's find text, in any page (checked
//      here, once): F_j (j > i) is not inside P_i, P_i is not inside F_j, and no non-empty end
//      of either is the start of the other. Then no occurrence of F_j in S_j touches a text an
//      earlier rule put in;
//  (c) where P_i is empty, no later F_j (of two bytes or more) spans the seam that removing a
//      match leaves (checked on each page): the page around each such match is free of other
//      matches for the length of the longest later find text, less one, on either side, and
//      no later find text stands across the seam in the page's own bytes there.
//
// By (b) and (c) every occurrence of F_j in S_j lies in text of T that no earlier rule changed,
// so the occurrences in S_j are those of T less the ones earlier matches overlap, and by (a)
// ReplaceAll takes from them exactly M_j. Each rule's count is the size of its M_i.
//
// The conditions are about bytes: (b) and (c) hold for every alignment, also those that code
// page 936 would not count because they start inside a character, so they never let a real one
// through; (a) counts an occurrence inside another rule's match whether or not it starts at a
// character. Rules with an empty find text, or one the encoding lacks, do nothing and take no
// part. Only the rules that follow the charset names take part: pages that change encoding
// have their names rewritten before the rules, and their rules go one by one.

namespace quelbo {

struct LiteralRule {
  std::string_view find;  // empty: the rule does nothing
  std::string_view replacement;
};

inline constexpr size_t kMaxOnePassRules = 6;

struct OnePassPlan {
  bool independent = false;                     // (b) holds: the pages may be tried in one pass
  size_t count = 0;                             // the rules that take part, in order
  std::array<size_t, kMaxOnePassRules> rule{};  // each one's index among the rules given
  // For each one whose replacement is empty: the width of the page checked on either side of
  // its matches for (c), the longest later find text less one (0: nothing to check).
  std::array<size_t, kMaxOnePassRules> seam_width{};
  literal_filter::Literals literals;  // their find texts, in order
};

// REQUIRES: rules.size() <= kMaxOnePassRules.
OnePassPlan PlanOnePass(std::span<const LiteralRule> rules);

}  // namespace quelbo
