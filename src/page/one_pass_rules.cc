#include "page/one_pass_rules.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "page/character_starts.h"
#include "page/spliced_text.h"

namespace quelbo {
namespace {

using literal_filter::kBlock;

// Matches listed in the first pass; a page with more is searched a second time to be written,
// so that what is held beside the page stays small whatever the page.
constexpr size_t kMaxListed = size_t{1} << 16;
// Checking candidates may cost this many bytes per byte of the page, plus a few find texts,
// before the page is left to the rules one by one (whose searches are linear in any case).
constexpr size_t kCheckBudgetFactor = 4;
constexpr size_t kCheckBudgetTexts = 8;

// Every taking part rule's matches in the page, found by one search, with the conditions of
// rule_independence.h checked on the way.
class Search {
 public:
  Search(std::string_view page, bool utf8, const EncodedRules& rules)
      : page_(page), utf8_(utf8), plan_(rules.one_pass) {
    size_t texts = 0;
    for (size_t k = 0; k < plan_.count; ++k) {
      const EncodedRule& rule = rules.rules[plan_.rule[k]];
      find_[k] = rule.find;
      replacement_[k] = rule.replacement;
      only_at_characters_[k] = StartsOnlyAtCharacters(rule.find, utf8);
      texts += std::min(rule.find.size(), page.size());  // a longer one is never checked
    }
    budget_ = kCheckBudgetFactor * page.size() + kCheckBudgetTexts * texts;
  }

  std::string_view find(size_t k) const { return find_[k]; }
  std::string_view replacement(size_t k) const { return replacement_[k]; }

  // Calls `found(at, k)` for each match in order (k: the rule's place in the plan); false when
  // the page needs the rules one by one.
  template <typename Found>
  bool Run(Found&& found) {
    cursor_.fill(0);
    covered_end_ = 0;
    seam_clear_from_ = 0;
    any_match_ = false;
    spent_ = 0;
    asked_at_ = std::string_view::npos;
    starts_ = CharacterStarts(page_, utf8_);

    const literal_filter::Literals& literals = plan_.literals;
    const literal_filter::Scan scan = literal_filter::Widest(literals.count);
    const size_t n = page_.size();
    // Blocks whose loads stay inside the page are scanned there; the rest in a padded copy.
    const size_t reach = kBlock + literals.reach;
    const size_t direct_end = n >= reach ? n - reach + 1 : 0;
    std::array<std::uint32_t, literal_filter::kMaxLiterals> masks{};
    for (size_t i = scan(page_.data(), 0, direct_end, literals, masks.data()); i < direct_end;
         i = scan(page_.data(), i + kBlock, direct_end, literals, masks.data())) {
      if (!Candidates(i, masks, found)) return false;
    }
    const size_t tail = (direct_end + kBlock - 1) / kBlock * kBlock;
    if (tail < n) {
      // What is left is shorter than `reach`, and as many bytes past it are read: less than
      // four blocks in all (the literals' reach is below a block), held on the stack.
      std::array<char, 4 * kBlock> padded{};
      static_assert(2 * (kBlock + kBlock - 1) <= 4 * kBlock);
      std::memcpy(padded.data(), page_.data() + tail, n - tail);
      for (size_t i = scan(padded.data(), 0, n - tail, literals, masks.data()); i < n - tail;
           i = scan(padded.data(), i + kBlock, n - tail, literals, masks.data())) {
        if (!Candidates(tail + i, masks, found)) return false;
      }
    }
    return true;
  }

 private:
  // The candidates of one block, in order of position, then of the rules.
  template <typename Found>
  bool Candidates(size_t block,
                  const std::array<std::uint32_t, literal_filter::kMaxLiterals>& masks,
                  Found& found) {
    std::uint32_t any = 0;
    for (size_t k = 0; k < plan_.count; ++k) any |= masks[k];
    for (; any != 0; any &= any - 1) {
      const auto bit = static_cast<unsigned>(__builtin_ctz(any));
      const size_t at = block + bit;
      if (at >= page_.size()) break;
      for (size_t k = 0; k < plan_.count; ++k) {
        if ((masks[k] >> bit & 1) == 0) continue;
        switch (Check(at, k)) {
          case Verdict::kNone:
            break;
          case Verdict::kDecline:
            return false;
          case Verdict::kMatch:
            cursor_[k] = covered_end_ = at + find_[k].size();
            any_match_ = true;
            found(at, k);
            break;
        }
      }
    }
    return true;
  }

  enum class Verdict { kNone, kMatch, kDecline };

  Verdict Check(size_t at, size_t k) {
    const std::string_view find = find_[k];
    const size_t end = at + find.size();
    // Inside the rule's own last match: ReplaceAll does not look there.
    if (end > page_.size() || at < cursor_[k]) return Verdict::kNone;
    spent_ += find.size();
    if (spent_ > budget_) return Verdict::kDecline;
    if (std::memcmp(page_.data() + at, find.data(), find.size()) != 0) return Verdict::kNone;
    // (a): it overlaps another rule's match (counted even where it would not start at a
    // character: the seams and overlaps are judged on bytes).
    if (at < covered_end_) return Verdict::kDecline;
    if (!only_at_characters_[k]) {
      if (!StartsAt(at)) return Verdict::kNone;
      if (!starts_.At(end)) return Verdict::kDecline;
    }
    // (c): the page beside a removed match must hold no other match.
    if (at < seam_clear_from_) return Verdict::kDecline;
    if (plan_.seam_width[k] > 0 && !SeamClear(at, k)) return Verdict::kDecline;
    return Verdict::kMatch;
  }

  // Whether a character starts at `at`, asked once per position.
  bool StartsAt(size_t at) {
    if (asked_at_ != at) {
      asked_at_ = at;
      starts_at_ = starts_.At(at);
    }
    return starts_at_;
  }

  // (c) for a match of rule k, whose replacement is empty, at `at`: no other match within the
  // seam width on either side, and no later find text across the seam.
  bool SeamClear(size_t at, size_t k) {
    const size_t width = plan_.seam_width[k];
    if (any_match_ && covered_end_ + width > at) return false;
    const size_t after = at + find_[k].size();
    const size_t left_from = at >= width ? at - width : 0;
    const std::string_view left = page_.substr(left_from, at - left_from);
    const std::string_view right = page_.substr(after, width);
    for (size_t j = k + 1; j < plan_.count; ++j) {
      const std::string_view later = find_[j];
      // `later` across the seam: its first t bytes end `left`, the rest starts `right`.
      const size_t m = later.size();
      for (size_t t = 1; t < m && t <= left.size(); ++t) {
        if (m - t > right.size()) continue;
        spent_ += m;
        if (spent_ > budget_) return false;
        if (left.substr(left.size() - t) == later.substr(0, t) &&
            right.substr(0, m - t) == later.substr(t)) {
          return false;
        }
      }
    }
    seam_clear_from_ = after + width;
    return true;
  }

  std::string_view page_;
  bool utf8_;
  const OnePassPlan& plan_;
  std::array<std::string_view, kMaxOnePassRules> find_{};
  std::array<std::string_view, kMaxOnePassRules> replacement_{};
  std::array<bool, kMaxOnePassRules> only_at_characters_{};
  size_t budget_ = 0;

  std::array<size_t, kMaxOnePassRules> cursor_{};  // the end of each rule's last match
  size_t covered_end_ = 0;                         // the end of the last match of any rule
  size_t seam_clear_from_ = 0;  // where the next match may start, after a removed one
  bool any_match_ = false;
  size_t spent_ = 0;
  CharacterStarts starts_{{}, true};
  size_t asked_at_ = std::string_view::npos;
  bool starts_at_ = false;
};

}  // namespace

OnePass ApplyRulesInOnePass(std::string_view page, bool utf8, const EncodedRules& rules,
                            RewriteCounts& counts) {
  const OnePassPlan& plan = rules.one_pass;
  RewriteCounts found_counts;
  if (plan.count == 0 || page.empty()) return {OnePass::Outcome::kUnchanged, {}};

  Search search(page, utf8, rules);
  // First pass: the matches listed (up to kMaxListed), counted and sized. The list is kept
  // from page to page, so that its room is made once rather than grown on each page.
  thread_local std::vector<std::uint64_t> listed;
  listed.clear();
  size_t matches = 0;
  size_t size = page.size();
  const bool all_fine = search.Run([&](size_t at, size_t k) {
    if (listed.size() < kMaxListed) listed.push_back(static_cast<std::uint64_t>(at) << 3 | k);
    ++matches;
    ++found_counts[static_cast<RewriteRule>(static_cast<size_t>(RewriteRule::kListItemBreak) +
                                            plan.rule[k])];
    size += search.replacement(k).size();
    size -= search.find(k).size();
  });
  if (!all_fine) return {};
  if (matches == 0) return {OnePass::Outcome::kUnchanged, {}};

  OnePass result{OnePass::Outcome::kRewritten, {}};
  bool written = true;
  result.bytes.reserve(size + GrowthRoom(size));  // for block sets that follow
  result.bytes.resize_and_overwrite(size, [&](char* out, size_t) {
    size_t copied = 0;
    auto write = [&](size_t at, size_t k) {
      std::memcpy(out, page.data() + copied, at - copied);
      out += at - copied;
      const std::string_view replacement = search.replacement(k);
      std::memcpy(out, replacement.data(), replacement.size());
      out += replacement.size();
      copied = at + search.find(k).size();
    };
    if (matches == listed.size()) {
      for (const std::uint64_t entry : listed) write(static_cast<size_t>(entry >> 3), entry & 7);
    } else {
      // Second pass: the same matches, found again and written as they come.
      written = search.Run(write);
    }
    std::memcpy(out, page.data() + copied, page.size() - copied);
    return size;
  });
  if (!written) return {};
  counts += found_counts;
  return result;
}

}  // namespace quelbo
