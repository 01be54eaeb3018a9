#include "page/byte_rewrite.h"

#include <string>
#include <vector>

#include "base/text_codec.h"
#include "page/block_replacer.h"
#include "page/byte_search.h"
#include "page/character_starts.h"
#include "page/one_pass_rules.h"
#include "page/spliced_text.h"
#include "panel/settings_fields.h"

namespace quelbo {
namespace {

constexpr size_t npos = std::string_view::npos;

// Where the page lies after ClosedUp: from `front` to `end` of the buffer it was closed up in.
struct ClosedUpSpan {
  size_t front;
  size_t end;
};

// Replaces the `matches` of `find_size` bytes in the `size` bytes at `data` in place, by a
// replacement no longer than they are. The bytes between matches move towards the widest
// stretch between them (or the page's ends), which stays where it is: a block removed near the
// front moves the front, not the rest of the page.
ClosedUpSpan ClosedUp(char* data, size_t size, const std::vector<size_t>& matches, size_t find_size,
                      std::string_view replacement) {
  using Traits = std::char_traits<char>;
  const size_t shrink = find_size - replacement.size();
  const size_t count = matches.size();
  if (shrink == 0) {
    for (const size_t match : matches) {
      Traits::copy(data + match, replacement.data(), replacement.size());
    }
    return {0, size};
  }
  // Matches before `split` are closed up towards the back, the others towards the front.
  size_t split = 0;
  size_t widest = matches.front();
  for (size_t i = 1; i <= count; ++i) {
    const size_t from = matches[i - 1] + find_size;
    const size_t gap = (i < count ? matches[i] : size) - from;
    if (gap > widest) {
      widest = gap;
      split = i;
    }
  }
  size_t written = split < count ? matches[split] : size;
  size_t read = written;
  for (size_t i = split; i < count; ++i) {
    Traits::move(data + written, data + read, matches[i] - read);
    written += matches[i] - read;
    Traits::copy(data + written, replacement.data(), replacement.size());
    written += replacement.size();
    read = matches[i] + find_size;
  }
  Traits::move(data + written, data + read, size - read);
  size_t write_end = split > 0 ? matches[split - 1] + find_size : 0;
  for (size_t i = split; i-- > 0;) {
    write_end -= replacement.size();
    Traits::copy(data + write_end, replacement.data(), replacement.size());
    const size_t segment_from = i > 0 ? matches[i - 1] + find_size : 0;
    write_end -= matches[i] - segment_from;
    Traits::move(data + write_end, data + segment_from, matches[i] - segment_from);
  }
  return {split * shrink, written + (size - read)};
}

// The page as the rules leave it: the input's bytes until a rule changes them.
class BytePage {
 public:
  BytePage(std::string_view input, bool utf8) : input_(input), utf8_(utf8) {}

  // The page is now `bytes`.
  void SetBytes(std::string bytes) {
    page_ = std::move(bytes);
    front_ = 0;
    owned_ = true;
  }

  std::string_view view() const {
    return owned_ ? std::string_view(page_.data() + front_, page_.size() - front_) : input_;
  }
  bool sure() const { return sure_; }
  void GiveUp() { sure_ = false; }
  // The page's bytes, held from `*front` on.
  std::string Take(size_t* front) {
    *front = owned_ ? front_ : 0;
    return owned_ ? std::move(page_) : std::string(input_);
  }

  // FindText on the bytes from `from` on: the first occurrence that starts at a character; an
  // empty text is found at `from` of a non-empty rest.
  size_t Find(std::string_view sought, size_t from) {
    const std::string_view text = view();
    if (from >= text.size()) return npos;
    if (sought.empty()) return from;
    CharacterStarts starts(text, utf8_);
    only_at_characters_ = StartsOnlyAtCharacters(sought, utf8_);
    return Next(ByteSearcher(sought), starts, from);
  }

  // ReplaceAllFrom on the bytes: every occurrence from `from` on, left to right and not
  // overlapping, replaced; the number of them added to `*replaced`.
  void ReplaceAll(std::string_view find, std::string_view replacement, size_t from,
                  size_t& replaced) {
    const std::string_view text = view();
    if (find.empty() || text.empty()) return;
    const ByteSearcher searcher(find);
    CharacterStarts starts(text, utf8_);
    only_at_characters_ = StartsOnlyAtCharacters(find, utf8_);
    matches_.clear();
    for (size_t at = Next(searcher, starts, from); at != npos;
         at = Next(searcher, starts, at + find.size())) {
      matches_.push_back(at);
    }
    if (matches_.empty() || !sure_) return;
    replaced += matches_.size();
    if (owned_ && replacement.size() <= find.size()) {
      const ClosedUpSpan span = ClosedUp(page_.data() + front_, page_.size() - front_, matches_,
                                         find.size(), replacement);
      page_.resize(front_ + span.end);
      front_ += span.front;
      return;
    }
    const size_t grown = text.size() + matches_.size() * (replacement.size() - find.size());
    if (owned_ && front_ + grown <= page_.capacity()) {
      // Grown within the room left: written over itself from the end backwards.
      const size_t old_size = page_.size() - front_;
      page_.resize(front_ + grown);
      char* data = page_.data() + front_;
      size_t read_end = old_size;
      size_t written_from = grown;
      for (auto match = matches_.rbegin(); match != matches_.rend(); ++match) {
        const size_t after = *match + find.size();
        written_from -= read_end - after;
        std::char_traits<char>::move(data + written_from, data + after, read_end - after);
        written_from -= replacement.size();
        std::char_traits<char>::copy(data + written_from, replacement.data(), replacement.size());
        read_end = *match;
      }
      return;
    }
    page_ = Spliced<char>(text, matches_, find.size(), replacement, GrowthRoom(grown));
    front_ = 0;
    owned_ = true;
  }

  // The bytes of the `units` UTF-16 code units from `at` on, fewer where the page ends; npos
  // where the count ends inside a surrogate pair (the bytes cannot follow the UTF-16 path).
  size_t UnitsToBytes(size_t at, size_t units) const {
    const std::string_view text = view();
    size_t end = at;
    while (units > 0 && end < text.size()) {
      const auto lead = static_cast<unsigned char>(text[end]);
      size_t length = 1;
      size_t taken = 1;
      if (utf8_) {
        length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (length == 4) taken = 2;  // a surrogate pair
      } else if (lead >= 0x81 && lead <= 0xFE) {
        length = 2;
      }
      if (taken > units) return npos;
      units -= taken;
      end += length;
    }
    return end - at;
  }

 private:
  // The next occurrence at or after `from` that starts and ends at characters. An occurrence
  // that starts at a character of a valid page also ends at one; where that would not hold, or
  // where occurrences inside characters cost more than the page's length, the page is left to
  // the UTF-16 path.
  size_t Next(const ByteSearcher& searcher, CharacterStarts& starts, size_t from) {
    const std::string_view text = view();
    if (only_at_characters_) return searcher.FindIn(text, from);
    for (size_t at = searcher.FindIn(text, from); at != npos; at = searcher.FindIn(text, at + 1)) {
      if (starts.At(at)) {
        if (starts.At(at + searcher.size())) return at;
        sure_ = false;
        return npos;
      }
      inside_bytes_ += searcher.size();
      if (inside_bytes_ > 2 * text.size() + 4096) {
        sure_ = false;
        return npos;
      }
    }
    return npos;
  }

  std::string_view input_;
  bool utf8_;
  bool owned_ = false;
  std::string page_;
  size_t front_ = 0;  // where the page starts in page_, once bytes before it were closed up
  bool sure_ = true;
  bool only_at_characters_ = false;  // for the pattern being searched
  size_t inside_bytes_ = 0;
  std::vector<size_t> matches_;
};

// ApplyBlockSets on the bytes: the same block, found the same way, its end counted in UTF-16
// code units where CutBlock counts them.
void ApplyBlockSets(BytePage& page, const ControlPanel& panel, const EncodedRules& rules,
                    RewriteCounts& counts) {
  for (size_t index = 0; index < rules.block_sets.size() && page.sure(); ++index) {
    const bool enabled = panel.Ticked(kBlockSets[index].enabled);
    const EncodedBlockSet& set = rules.block_sets[index];
    if (!enabled || set.end.empty() || set.never_applies) continue;
    const size_t start_at = page.Find(set.start, 0);
    if (start_at == npos) continue;
    const size_t end_at = page.Find(set.end, start_at);
    size_t length;
    if (end_at != npos) {
      // Through the end marker and one code unit more.
      const size_t through_end = end_at + set.end.size() - start_at;
      const size_t one_more = page.UnitsToBytes(start_at + through_end, 1);
      if (one_more == npos) return page.GiveUp();
      length = through_end + one_more;
    } else {
      // The end marker only before the start marker: the block is as long as the end marker.
      if (page.Find(set.end, 0) == npos) continue;
      length = page.UnitsToBytes(start_at, set.end_units);
      if (length == npos) return page.GiveUp();
    }
    if (!page.sure()) return;
    const std::string block(page.view().substr(start_at, length));
    const size_t search_from = block.size() >= set.start.size() ? start_at : 0;
    page.ReplaceAll(
        block, set.replacement, search_from,
        counts[static_cast<RewriteRule>(static_cast<size_t>(RewriteRule::kBlockSet0) + index)]);
  }
}

bool ValidIn(std::string_view bytes, bool utf8) {
  return (utf8 ? FirstMalformedUtf8Byte(bytes) : FirstUnfaithfulGbkByte(bytes)) == npos;
}

}  // namespace

std::optional<RewrittenPage> RewriteOnOwnBytes(std::string_view bytes, PageEncodings encodings,
                                               const ControlPanel& panel, EncodedRuleCache& cache,
                                               RewriteCounts* counts) {
  if (encodings.read_utf8 != encodings.write_utf8) return std::nullopt;
  bool utf8 = encodings.read_utf8;
  if (!ValidIn(bytes, utf8)) {
    // Detection reads bytes not valid in the declared encoding in the other one.
    if (!encodings.detect || !ValidIn(bytes, !utf8)) return std::nullopt;
    utf8 = !utf8;
  }
  const EncodedRules& rules = cache.For(panel, utf8);
  if (!rules.usable) return std::nullopt;

  RewriteCounts applied;
  BytePage page(bytes, utf8);
  bool in_one_pass = false;
  if (rules.one_pass.independent) {
    OnePass pass = ApplyRulesInOnePass(bytes, utf8, rules, applied);
    in_one_pass = pass.outcome != OnePass::Outcome::kDeclined;
    if (pass.outcome == OnePass::Outcome::kRewritten) page.SetBytes(std::move(pass.bytes));
  }
  for (size_t i = 0; i < rules.rules.size() && page.sure() && !in_one_pass; ++i) {
    const EncodedRule& rule = rules.rules[i];
    if (rule.never_matches) continue;
    page.ReplaceAll(
        rule.find, rule.replacement, 0,
        applied[static_cast<RewriteRule>(static_cast<size_t>(RewriteRule::kListItemBreak) + i)]);
  }
  if (page.sure()) ApplyBlockSets(page, panel, rules, applied);
  if (!page.sure()) return std::nullopt;
  if (counts != nullptr) *counts += applied;
  // A code page 936 page cannot start with a byte-order mark: the encoding has none, and a
  // replacement that would bring one makes the rules unusable here.
  size_t front = 0;
  std::string held = page.Take(&front);
  return RewrittenPage{std::move(held), front, utf8, utf8, in_one_pass};
}

}  // namespace quelbo
