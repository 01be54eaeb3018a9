#include "page/replacement_rules.h"

#include <gtest/gtest.h>

#include "panel/settings_fields.h"

namespace quelbo {
namespace {

struct ReplaceCase {
  const char* name;
  std::u16string text, find, replacement, expected;
};

class ReplaceAllCases : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllCases, GiveTheExpectedText) {
  const ReplaceCase& c = GetParam();
  EXPECT_EQ(ReplaceAll(c.text, c.find, c.replacement), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceAllCases,
    ::testing::Values(
        ReplaceCase{"overlap_leftmost_first", u"aaa", u"aa", u"b", u"ba"},
        ReplaceCase{"replacement_not_searched_again", u"aXa", u"a", u"aa", u"aaXaa"},
        ReplaceCase{"case_sensitive", u"abc Abc ABC", u"Abc", u"x", u"abc x ABC"},
        ReplaceCase{"empty_find_changes_nothing", u"abc", u"", u"x", u"abc"},
        ReplaceCase{"empty_text", u"", u"a", u"x", u""},
        ReplaceCase{"deletion", u"a--b--c", u"--", u"", u"abc"},
        ReplaceCase{"whole_text", u"abc", u"abc", u"", u""},
        ReplaceCase{"multi_line_find_needs_crlf", u"A\nB A\r\nB", u"A\r\nB", u"x", u"A\nB x"},
        ReplaceCase{"chinese", u"旧站名与旧站名", u"旧站名", u"新站", u"新站与新站"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(StripLineBreaks, RemovesBreaksAndTrimsSpacesOnly) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u" x\r\ny ", u"xy"},      {u"a\rb\nc", u"abc"}, {u"\tx\t", u"\tx\t"},
      {u"  \r\n  ", u""},        {u"a \r\n b", u"a  b"}, {u"images|#", u"images|#"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(StripLineBreaks(text), expected);
}

class ReplacementRulesTest : public ::testing::Test {
 protected:
  ReplacementRulesTest() {
    for (Control c : {field::pair1Find, field::pair1Replace, field::pair2Find,
                      field::pair2Replace, field::pair3Find, field::pair3Replace,
                      field::deleteText, field::pair4Find, field::pair4Replace}) {
      panel_.SetText(c, u"");
    }
  }
  ControlPanel panel_;
};

TEST_F(ReplacementRulesTest, ListItemLineEnds) {
  EXPECT_EQ(ApplyReplacementRules(u"<li>a</li>\n<li>b</li>\n</LI>\n</li>\r\n", panel_),
            u"<li>a</li>\r\n<li>b</li>\r\n</LI>\n</li>\r\n");
}

TEST_F(ReplacementRulesTest, PairsChainInTheirFixedOrder) {
  panel_.SetText(field::pair1Find, u"x");
  panel_.SetText(field::pair1Replace, u"y");
  panel_.SetText(field::pair3Find, u"y");
  panel_.SetText(field::pair3Replace, u"z");
  EXPECT_EQ(ApplyReplacementRules(u"x y", panel_), u"z z");
}

TEST_F(ReplacementRulesTest, DeletionRunsAfterPair3AndBeforePair4) {
  panel_.SetText(field::pair3Find, u"a");
  panel_.SetText(field::pair3Replace, u"DEL");
  panel_.SetText(field::deleteText, u"DEL");
  panel_.SetText(field::pair4Find, u"b");
  panel_.SetText(field::pair4Replace, u"DEL");
  EXPECT_EQ(ApplyReplacementRules(u"a b", panel_), u" DEL");
}

TEST_F(ReplacementRulesTest, MultiLineTextsMatchOnlyAsAWhole) {
  panel_.SetText(field::deleteText, u"line A\r\nline B");
  EXPECT_EQ(ApplyReplacementRules(u"line A\r\nline B\r\nline A\r\nC", panel_),
            u"\r\nline A\r\nC");
  panel_.SetText(field::pair2Find, u"");
  panel_.SetText(field::pair2Replace, u"never");
  EXPECT_EQ(ApplyReplacementRules(u"abc", panel_), u"abc");
}

}  // namespace
}  // namespace quelbo
