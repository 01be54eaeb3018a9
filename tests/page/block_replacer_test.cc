#include "page/block_replacer.h"

#include <gtest/gtest.h>

#include "panel/settings_fields.h"

namespace quelbo {
namespace {

struct CutCase {
  const char* name;
  std::u16string page, start, end, cut;
};

class CutBlockCases : public ::testing::TestWithParam<CutCase> {};

TEST_P(CutBlockCases, CutTheBlockOfTheFirstStartMarker) {
  const CutCase& c = GetParam();
  EXPECT_EQ(CutBlock(c.page, c.start, c.end), c.cut);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutBlockCases,
    ::testing::Values(
        CutCase{"takes_one_character_more", u"xx{{1}}yz", u"{{", u"}}", u"{{1}}y"},
        CutCase{"block_at_page_end", u"x{{1}}", u"{{", u"}}", u"{{1}}"},
        CutCase{"end_marker_only_before", u"}}}x{{yz", u"{{", u"}}}", u"{{y"},
        CutCase{"empty_start_marker", u"ab}}cd", u"", u"}}", u"ab}}c"},
        CutCase{"empty_end_marker", u"x{{y", u"{{", u"", u"{"},
        CutCase{"neither_marker", u"abc", u"<", u">", std::u16string(kBlockNotFound)}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

class BlockSetsTest : public ::testing::Test {
 protected:
  void Set(int set, std::u16string start, std::u16string end, std::u16string replacement) {
    static constexpr Control kFields[3][3] = {
        {field::block0Start, field::block0End, field::block0Replace},
        {field::block1Start, field::block1End, field::block1Replace},
        {field::block2Start, field::block2End, field::block2Replace}};
    panel_.SetText(kFields[set][0], std::move(start));
    panel_.SetText(kFields[set][1], std::move(end));
    panel_.SetText(kFields[set][2], std::move(replacement));
  }
  ControlPanel panel_;
};

TEST_F(BlockSetsTest, EveryIdenticalCopyOfTheCutIsReplaced) {
  panel_.SetTicked(field::block0Enabled, true);
  Set(0, u"{{", u"}}", u"R");
  EXPECT_EQ(ApplyBlockSets(u"A{{1}}B{{1}}B{{2}}B", panel_), u"ARR{{2}}B");
}

TEST_F(BlockSetsTest, EndMarkerOnlyBeforeStartMarker) {
  panel_.SetTicked(field::block0Enabled, true);
  Set(0, u"{{", u"}}}", u"R");
  EXPECT_EQ(ApplyBlockSets(u"}}}x{{yz{{y", panel_), u"}}}xRzR");
}

TEST_F(BlockSetsTest, EndMarkerOverlappingTheStartMarkerStillCounts) {
  panel_.SetTicked(field::block0Enabled, true);
  // "}{" starts before "{x" and ends inside it; the block is then as long as the end marker.
  Set(0, u"{x", u"}{", u"R");
  EXPECT_EQ(ApplyBlockSets(u"a}{xb", panel_), u"a}Rb");
}

TEST_F(BlockSetsTest, BlockShorterThanTheStartMarkerIsReplacedBeforeItToo) {
  panel_.SetTicked(field::block0Enabled, true);
  Set(0, u"abcd", u"zz", u"R");
  EXPECT_EQ(ApplyBlockSets(u"zz ab abcd", panel_), u"zz R Rcd");
}

TEST_F(BlockSetsTest, EmptyMarkers) {
  panel_.SetTicked(field::block0Enabled, true);
  panel_.SetTicked(field::moreBlocksEnabled, true);
  struct Case {
    int set;
    std::u16string start, end;
    std::u16string_view page, expected;
  };
  const Case cases[] = {
      {0, u"<!", u"", u"a<!b<c", u"a<!b<c"},    // an empty end marker does nothing
      {1, u"", u"", u"a<b", u"a<b"},            // nor does an unfilled set
      {2, u"", u"}}", u"ab}}cd}}c", u"#d}}c"},  // an empty start cuts from the first character
  };
  for (const Case& c : cases) {
    for (int set = 0; set < 3; ++set) Set(set, u"-", u"-", u"-");
    Set(c.set, c.start, c.end, u"#");
    EXPECT_EQ(ApplyBlockSets(std::u16string(c.page), panel_), c.expected) << c.set;
  }
}

TEST_F(BlockSetsTest, SwitchesChooseTheSetsAndEachWorksOnTheResultBefore) {
  Set(0, u"<a>", u"</a>", u"ZERO");
  Set(1, u"[", u"]", u"<a>1</a>.");
  Set(2, u"<a>", u"</a>", u"TWO");
  const std::u16string page = u"<a>1</a>.[b].";
  EXPECT_EQ(ApplyBlockSets(page, panel_), page);  // both switches off
  panel_.SetTicked(field::moreBlocksEnabled, true);
  // Set 1 makes a second copy of set 2's block; set 2 replaces both copies.
  EXPECT_EQ(ApplyBlockSets(page, panel_), u"TWOTWO");
  panel_.SetTicked(field::block0Enabled, true);
  EXPECT_EQ(ApplyBlockSets(page, panel_), u"ZEROTWO");
}

TEST_F(BlockSetsTest, MissingMarkerOrEmptyPageLeavesThePage) {
  panel_.SetTicked(field::block0Enabled, true);
  Set(0, u"<start>", u"<end>", u"R");
  EXPECT_EQ(ApplyBlockSets(u"only <start> here", panel_), u"only <start> here");
  EXPECT_EQ(ApplyBlockSets(u"", panel_), u"");
}

}  // namespace
}  // namespace quelbo
