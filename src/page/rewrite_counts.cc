#include "page/rewrite_counts.h"

namespace quelbo {

std::string_view RuleLabel(RewriteRule rule) {
  static constexpr std::array<std::string_view, kRewriteRuleCount> kLabels = {
      "charset", "li", "pair1", "pair2", "pair3", "delete", "pair4", "block0", "block1", "block2"};
  return kLabels[static_cast<size_t>(rule)];
}

}  // namespace quelbo
