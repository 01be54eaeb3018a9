#include "page/rule_independence.h"

#include <algorithm>
#include <vector>

namespace quelbo {
namespace {

// Whether `pattern` occurs in `text`, or a non-empty end of `text` is the start of `pattern`:
// Knuth-Morris-Pratt run to the end of `text`, whose final state is the longest such end.
bool Touches(std::string_view text, std::string_view pattern) {
  if (pattern.empty() || text.empty()) return false;
  // Past the length of `text` the pattern can matter to neither question; cut there, a text of
  // a few bytes checked against a find text of megabytes costs a few bytes, not a table as long.
  pattern = pattern.substr(0, text.size());
  std::vector<size_t> failure(pattern.size(), 0);
  for (size_t q = 1, k = 0; q < pattern.size(); ++q) {
    while (k > 0 && pattern[q] != pattern[k]) k = failure[k - 1];
    if (pattern[q] == pattern[k]) ++k;
    failure[q] = k;
  }
  size_t matched = 0;
  for (const char c : text) {
    while (matched > 0 && c != pattern[matched]) matched = failure[matched - 1];
    if (c == pattern[matched]) ++matched;
    if (matched == pattern.size()) return true;
  }
  return matched > 0;
}

}  // namespace

OnePassPlan PlanOnePass(std::span<const LiteralRule> rules) {
  OnePassPlan plan;
  std::vector<LiteralRule> taking_part;
  for (size_t i = 0; i < rules.size(); ++i) {
    if (rules[i].find.empty()) continue;
    plan.rule[plan.count++] = i;
    taking_part.push_back(rules[i]);
  }
  for (size_t i = 0; i < taking_part.size(); ++i) {
    for (size_t j = i + 1; j < taking_part.size(); ++j) {
      const std::string_view put_in = taking_part[i].replacement;
      const std::string_view later = taking_part[j].find;
      if (Touches(put_in, later) || Touches(later, put_in)) return plan;
    }
  }
  plan.independent = true;
  for (size_t i = 0; i < taking_part.size(); ++i) {
    plan.literals.Add(taking_part[i].find);
    if (taking_part[i].replacement.empty()) {
      for (size_t j = i + 1; j < taking_part.size(); ++j) {
        plan.seam_width[i] = std::max(plan.seam_width[i], taking_part[j].find.size() - 1);
      }
    }
  }
  return plan;
}

}  // namespace quelbo
