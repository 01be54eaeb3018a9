#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace quelbo {

// The rules of a page's rewrite, in the order they are applied.
enum class RewriteRule {
  kCharsetNames,
  kListItemBreak,  // "</li>" + LF
  kPair1,
  kPair2,
  kPair3,
  kDeletion,
  kPair4,
  kBlockSet0,
  kBlockSet1,
  kBlockSet2,
};
inline constexpr size_t kRewriteRuleCount = 10;

// How many replacements each rule made in one page (or, summed, in a whole run).
struct RewriteCounts {
  std::array<size_t, kRewriteRuleCount> applied{};

  size_t& operator[](RewriteRule rule) { return applied[static_cast<size_t>(rule)]; }
  size_t operator[](RewriteRule rule) const { return applied[static_cast<size_t>(rule)]; }
  RewriteCounts& operator+=(const RewriteCounts& other) {
    for (size_t i = 0; i < kRewriteRuleCount; ++i) applied[i] += other.applied[i];
    return *this;
  }
  bool operator==(const RewriteCounts&) const = default;
};

// A short ASCII name of a rule for listings read by people and scripts ("pair1", "block0").
std::string_view RuleLabel(RewriteRule rule);

}  // namespace quelbo
