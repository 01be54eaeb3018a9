#include "window/presenter/diff_view.h"

#include <gtest/gtest.h>

#include "run/preview_report.h"
#include "window/presenter/status_texts.h"

namespace quelbo {
namespace {

using Kind = DiffViewLine::Kind;
using Lines = std::vector<DiffViewLine>;

TEST(DiffView, ChangedLinesShowTheirLineBreaksAndHunksAreHeadedInChinese) {
  const PageEncodings utf8{true, true, false, nullptr};
  struct Case {
    std::string_view old_bytes, new_bytes;
    Lines shown;
  };
  const Case cases[] = {
      {"a\nb\n",
       "a\nc\n",
       {{Kind::kHunk, u"原第 1 行起 2 行 → 新第 1 行起 2 行"},
        {Kind::kKept, u"a"},
        {Kind::kRemoved, u"b[LF]"},
        {Kind::kAdded, u"c[LF]"}}},
      // Only the line break changed: the two lines differ on the screen too.
      {"a\r\n",
       "a\n",
       {{Kind::kHunk, u"原第 1 行起 1 行 → 新第 1 行起 1 行"},
        {Kind::kRemoved, u"a[CR LF]"},
        {Kind::kAdded, u"a[LF]"}}},
      {"a\n",
       "a",
       {{Kind::kHunk, u"原第 1 行起 1 行 → 新第 1 行起 1 行"},
        {Kind::kRemoved, u"a[LF]"},
        {Kind::kAdded, u"a[无换行]"}}},
      {"x\ry\r",
       "x\ry\n",
       {{Kind::kHunk, u"原第 1 行起 1 行 → 新第 1 行起 1 行"},
        {Kind::kRemoved, u"x[CR]y[CR]"},
        {Kind::kAdded, u"x[CR]y[LF]"}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DiffView(PageDiff(u"p.htm", c.old_bytes, c.new_bytes, utf8)), c.shown) << c.old_bytes;
  }
}

TEST(StatusTexts, APreviewLineCountsTheRulesInChinese) {
  PreviewedPage page{u"a/p.htm", {}};
  page.counts[RewriteRule::kPair1] = 2;
  page.counts[RewriteRule::kBlockSet2] = 1;
  EXPECT_EQ(PreviewLine(page), u"a/p.htm  替换1×2 版块3×1");
}

}  // namespace
}  // namespace quelbo
