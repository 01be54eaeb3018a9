#include "page/byte_rewrite.h"

#include <gtest/gtest.h>

#include "panel/settings_fields.h"

namespace quelbo {
namespace {

// Which pages take the byte path; the differential fuzz target checks that its results are
// those of the UTF-16 path for any page and rules.
TEST(RewriteOnOwnBytes, TakesSameEncodingPagesItCanBeSureOf) {
  const struct {
    std::string page;
    PageEncodings encodings;
    std::u16string find, replacement, block_end;
    bool taken;
    std::string result;  // when taken
  } cases[] = {
      {"<a>\xE4\xB8\xAD</a>", {true, true, false}, u"中", u"文", u"</a>", true, "x"},
      // 0x81 0x40 is one character whose trail byte looks like "@".
      {"\x81\x40@", {false, false, false}, u"@", u"!", u"", true, "\x81\x40!"},
      {"\xD6\xD0", {true, true, true}, u"中", u"文", u"", true, "\xCE\xC4"},
      {"\xD6\xD0", {false, false, false}, u"😀", u"x", u"", true, "\xD6\xD0"},
      {"\xD6\xD0", {false, false, false}, u"中", u"😀", u"", false, ""},
      {"a\xF0\x9F\x98\x80", {true, true, false}, u"\xD83D", u"x", u"", false, ""},
      {"<a></a>\xF0\x9F\x98\x80", {true, true, false}, u"", u"", u"</a>", false, ""},
      {"\xD6\xD0", {true, true, false}, u"", u"", u"", false, ""},
      {"abc", {true, false, false}, u"a", u"b", u"", false, ""},
      // Blocks closed up on a page the rule changed: towards the widest stretch between them.
      {"Q<a>1</a>.-----------<a>1</a>.--<a>1</a>.",
       {true, true, false},
       u"Q",
       u"q",
       u"</a>",
       true,
       "qx-----------x--x"},
      {"Q<a>1</a>.------", {true, true, false}, u"Q", u"q", u"</a>", true, "qx------"},
  };
  for (const auto& c : cases) {
    ControlPanel panel;
    EncodedRuleCache cache;
    panel.SetText(field::pair1Find, c.find);
    panel.SetText(field::pair1Replace, c.replacement);
    panel.SetTicked(field::block0Enabled, true);
    panel.SetText(field::block0Start, u"<a>");
    panel.SetText(field::block0End, c.block_end);
    panel.SetText(field::block0Replace, u"x");
    const auto on_bytes = RewriteOnOwnBytes(c.page, c.encodings, panel, cache);
    ASSERT_EQ(on_bytes.has_value(), c.taken) << c.page;
    if (c.taken) {
      EXPECT_EQ(on_bytes->bytes(), c.result) << c.page;
    }
  }
}

TEST(RewriteOnOwnBytes, EncodesTheRulesAgainWhenATextChanges) {
  ControlPanel panel;
  EncodedRuleCache cache;
  panel.SetText(field::pair1Find, u"a");
  panel.SetText(field::pair1Replace, u"b");
  EXPECT_EQ(RewriteOnOwnBytes("a", {true, true, false}, panel, cache)->bytes(), "b");
  panel.SetText(field::pair1Replace, u"c");
  EXPECT_EQ(RewriteOnOwnBytes("a", {true, true, false}, panel, cache)->bytes(), "c");
}

}  // namespace
}  // namespace quelbo
