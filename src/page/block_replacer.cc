#include "page/block_replacer.h"

#include <array>
#include <optional>

#include "page/replacement_rules.h"
#include "page/text_search.h"
#include "panel/settings_fields.h"

namespace quelbo {
namespace {

struct BlockSet {
  Control enabled;
  Control start;
  Control end;
  Control replacement;
};

constexpr std::array<BlockSet, 3> kBlockSets = {{
    {field::block0Enabled, field::block0Start, field::block0End, field::block0Replace},
    {field::moreBlocksEnabled, field::block1Start, field::block1End, field::block1Replace},
    {field::moreBlocksEnabled, field::block2Start, field::block2End, field::block2Replace},
}};

// The block's length, given where the end marker was found in the page from the start marker
// on: through the end marker as a 1-based position would count it, so one character more than
// the span; when the end marker is not there, as long as the end marker.
size_t BlockLength(std::optional<size_t> end_in_tail, std::u16string_view end) {
  return (end_in_tail ? *end_in_tail + 1 : 0) + end.size();
}

}  // namespace

std::u16string CutBlock(std::u16string_view page, std::u16string_view start,
                        std::u16string_view end) {
  const auto start_at = FindText(page, start);
  if (!start_at) return std::u16string(kBlockNotFound);
  const auto end_in_tail = FindText(page.substr(*start_at), end);
  return std::u16string(page.substr(*start_at, BlockLength(end_in_tail, end)));
}

std::u16string ApplyBlockSets(std::u16string page, const ControlPanel& panel) {
  for (const BlockSet& set : kBlockSets) {
    if (!panel.Ticked(set.enabled)) continue;
    const std::u16string_view start = panel.Text(set.start);
    const std::u16string_view end = panel.Text(set.end);
    // An empty end marker would cut a single character and replace it all over the page (every
    // "<" of a site for an unfilled set): a set without an end marker does nothing.
    if (end.empty()) continue;
    const std::u16string_view view = page;
    const auto start_at = FindText(view, start);
    if (!start_at) continue;
    const auto end_in_tail = FindText(view.substr(*start_at), end);
    // The end marker must be somewhere in the page; when it is not after the start marker,
    // only the text before that can still hold it.
    if (!end_in_tail && !FindText(view.substr(0, *start_at + end.size() - 1), end)) continue;
    const std::u16string block(view.substr(*start_at, BlockLength(end_in_tail, end)));
    // A block that begins with the start marker cannot occur before its first occurrence.
    const size_t search_from = block.size() >= start.size() ? *start_at : 0;
    page = ReplaceAllFrom(std::move(page), block, panel.Text(set.replacement), search_from);
  }
  return page;
}

}  // namespace quelbo
