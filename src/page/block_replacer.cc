#include "page/block_replacer.h"

#include <array>

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

// The block for a start marker found at `start_at`.
std::u16string BlockFrom(std::u16string_view page, size_t start_at, std::u16string_view end) {
  const std::u16string_view tail = page.substr(start_at);
  const auto end_in_tail = FindText(tail, end);
  // 1-based position of the end marker in the tail, 0 when it is not there; the block then
  // takes one character more than the span through the end marker.
  const size_t k = end_in_tail ? *end_in_tail + 1 : 0;
  return std::u16string(page.substr(start_at, k + end.size()));
}

}  // namespace

std::u16string CutBlock(std::u16string_view page, std::u16string_view start,
                        std::u16string_view end) {
  const auto start_at = FindText(page, start);
  if (!start_at) return std::u16string(kBlockNotFound);
  return BlockFrom(page, *start_at, end);
}

std::u16string ApplyBlockSets(std::u16string page, const ControlPanel& panel) {
  for (const BlockSet& set : kBlockSets) {
    if (!panel.Ticked(set.enabled)) continue;
    const std::u16string_view start = panel.Text(set.start);
    const std::u16string_view end = panel.Text(set.end);
    const auto start_at = FindText(page, start);
    if (!start_at || !FindText(page, end)) continue;
    const std::u16string block = BlockFrom(page, *start_at, end);
    page = ReplaceAll(std::move(page), block, panel.Text(set.replacement));
  }
  return page;
}

}  // namespace quelbo
