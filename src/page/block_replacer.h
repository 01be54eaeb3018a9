#pragma once

#include <array>
#include <string>
#include <string_view>

#include "page/rewrite_counts.h"
#include "panel/control_panel.h"
#include "panel/settings_fields.h"

namespace quelbo {

// The fields of a block set: the switch that turns it on, its markers and its replacement.
struct BlockSetFields {
  Control enabled;
  Control start;
  Control end;
  Control replacement;
};

// The three block sets in the order they apply; the two extra sets share one switch.
inline constexpr std::array<BlockSetFields, 3> kBlockSets = {{
    {field::block0Enabled, field::block0Start, field::block0End, field::block0Replace},
    {field::moreBlocksEnabled, field::block1Start, field::block1End, field::block1Replace},
    {field::moreBlocksEnabled, field::block2Start, field::block2End, field::block2Replace},
}};

// What CutBlock gives when neither marker occurs; ApplyBlockSets never lets it reach a page.
inline constexpr std::u16string_view kBlockNotFound = u"=====模块==找不到列表开始和结束代码======";

// The block that begins at the first start marker: from there through the first end marker
// at or after it, plus the one character after that (when the page has one). When the end
// marker occurs only before the start marker, the block is as long as the end marker.
// REQUIRES: `start` occurs in `page` (otherwise the result is kBlockNotFound).
std::u16string CutBlock(std::u16string_view page, std::u16string_view start,
                        std::u16string_view end);

// Block set 0 if Check1 is ticked, then sets 1 and 2 if Check6 is: where both markers occur,
// every copy of the set's block is replaced by the set's replacement text. A set whose end
// marker is empty does nothing; an empty start marker cuts from the page's first character.
// Each set's replacements are added to `*counts` when given.
std::u16string ApplyBlockSets(std::u16string page, const ControlPanel& panel,
                              RewriteCounts* counts = nullptr);

}  // namespace quelbo
