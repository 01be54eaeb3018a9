#include "page/one_pass_rules.h"

#include <gtest/gtest.h>

#include "page/byte_rewrite.h"
#include "panel/settings_fields.h"

namespace quelbo {
namespace {

// Which rule sets and pages take the one pass; the differential fuzz target checks that its
// results are those of the rules one by one for any page and rules.
TEST(OnePassRules, TakesOnlyRulesThatCannotMeetOnThePage) {
  const struct {
    std::string page;
    std::u16string pair1_find, pair1_replacement, pair3_find, delete_text, pair4_find;
    bool one_pass;
    std::string result;
  } cases[] = {
      {"xaycz", u"a", u"b", u"c", u"", u"", true, "xbyYz"},
      {"x", u"x", u"y", u"y", u"", u"", false, "z"},       // pair 1 makes pair 3's text
      {"abc", u"ab", u"X", u"bc", u"", u"", false, "Xc"},  // the matches overlap
      {"ab bc", u"ab", u"X", u"bc", u"", u"", true, "X Y"},
      {"aXb", u"", u"", u"", u"X", u"ab", false, "c"},  // a removed match joins "a" and "b"
      {"a X b", u"", u"", u"", u"X", u"ab", true, "a  b"},
      {"aXXb", u"", u"", u"", u"X", u"Xb", false, "ab"},
      {"</li>\n<li>", u"\n<li>", u"", u"", u"", u"", false, "</li>\r"},  // "</li>" + LF's CR
      {"\x81\x40@", u"@", u"!", u"", u"", u"", true, "\x81\x40!"},       // "@" as a trail byte
      {"abc", u"", u"", u"", u"", u"", true, "abc"},
      // A deletion text of megabytes on a tiny page: planning must not grow faster than it.
      {"a", u"a", u"b", u"", std::u16string(size_t{1} << 22, u'q'), u"", true, "b"},
  };
  for (const auto& c : cases) {
    ControlPanel panel;
    EncodedRuleCache cache;
    panel.SetText(field::pair1Find, c.pair1_find);
    panel.SetText(field::pair1Replace, c.pair1_replacement);
    panel.SetText(field::pair3Find, c.pair3_find);
    panel.SetText(field::pair3Replace, c.pair3_find == u"y" ? u"z" : u"Y");
    panel.SetText(field::deleteText, c.delete_text);
    panel.SetText(field::pair4Find, c.pair4_find);
    panel.SetText(field::pair4Replace, u"c");
    const bool utf8 = c.page.front() != '\x81';
    const auto rewritten = RewriteOnOwnBytes(c.page, {utf8, utf8, false}, panel, cache);
    ASSERT_TRUE(rewritten.has_value()) << c.page;
    EXPECT_EQ(rewritten->in_one_pass, c.one_pass) << c.page;
    EXPECT_EQ(rewritten->bytes(), c.result) << c.page;
  }
}

}  // namespace
}  // namespace quelbo
