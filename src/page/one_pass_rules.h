#pragma once

#include <string>
#include <string_view>

#include "page/encoded_rules.h"
#include "page/rewrite_counts.h"

namespace quelbo {

struct OnePass {
  enum class Outcome {
    kDeclined,   // the page needs the rules one by one
    kUnchanged,  // no rule matches: the page as it is (no copy is made)
    kRewritten,  // `bytes` holds the result
  };
  Outcome outcome = Outcome::kDeclined;
  std::string bytes;
};

// ApplyReplacementRules on a valid page's own bytes in one pass (rule_independence.h): every
// rule's matches found in the page as read by one search for all find texts, the result written
// once, each rule's count added to `counts`. Declined (and nothing counted) where the page needs
// the rules one by one: matches of two rules overlap, a later find text may span the seam a
// removed match leaves, an occurrence starts at a character but ends inside one, or checking
// the candidates has cost more than a few times the page.
// REQUIRES: `rules.one_pass.independent`; `page` valid in the encoding (`utf8` or code page 936).
OnePass ApplyRulesInOnePass(std::string_view page, bool utf8, const EncodedRules& rules,
                            RewriteCounts& counts);

}  // namespace quelbo
