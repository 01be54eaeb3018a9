#include "panel/control_panel.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "panel/settings_fields.h"

namespace quelbo {
namespace {

TEST(ControlPanel, DesignTimeState) {
  ControlPanel panel;
  EXPECT_EQ(panel.Text(Control::Form1), u"Quelbo - HTML批量处理5.1");
  EXPECT_EQ(panel.Text(Control::Command4), u"继续");
  EXPECT_EQ(panel.Text(Control::Command5), u"更多");
  EXPECT_EQ(panel.Text(Control::Text4), u"Text4");
  EXPECT_EQ(panel.Text(Control::Text22), u"Text22");
  EXPECT_EQ(panel.Text(field::excludedDirs), u"");
  EXPECT_EQ(panel.SuffixChoice(), 2);
  EXPECT_TRUE(panel.Ticked(field::includeSubdirs));
  for (Control box : {Control::Check1, Control::Check2, Control::Check4, Control::Check5,
                      Control::Check6}) {
    EXPECT_FALSE(panel.Ticked(box)) << ControlName(box);
  }
  for (size_t i = 0; i < kControlCount; ++i) {
    EXPECT_TRUE(panel.Enabled(static_cast<Control>(i)));
  }
  EXPECT_EQ(panel.Frame1Position().left, 9120);
  EXPECT_EQ(panel.Frame1Position().top, 3120);
  EXPECT_EQ(panel.ProgressBar().max, 100);
}

TEST(ControlPanel, NamesAreDistinct) {
  std::set<std::string_view> names;
  for (size_t i = 0; i < kControlCount; ++i) names.insert(ControlName(static_cast<Control>(i)));
  EXPECT_EQ(names.size(), kControlCount);
  EXPECT_FALSE(names.contains("Text12"));
}

TEST(ControlPanel, OptionsAreExclusive) {
  ControlPanel panel;
  panel.SetTicked(Control::Option5, true);
  EXPECT_EQ(panel.SuffixChoice(), 5);
  EXPECT_FALSE(panel.Ticked(Control::Option2));
  panel.SetTicked(Control::Option5, false);
  EXPECT_EQ(panel.SuffixChoice(), 0);
}

TEST(ControlPanel, ProgressValueOutsideTheRangeIsNotTaken) {
  ControlPanel panel;
  panel.SetProgressMax(2);
  EXPECT_TRUE(panel.SetProgressValue(2));
  EXPECT_FALSE(panel.SetProgressValue(3));
  EXPECT_EQ(panel.ProgressBar().value, 2);
  EXPECT_FALSE(panel.SetProgressValue(-1));
}

TEST(ControlPanel, DroppingAPrefixKeepsTheVersionAndLargeTextsStayExact) {
  ControlPanel panel;
  std::u16string text;
  for (int i = 0; i < 5000; ++i) text += u"line\r\n";
  panel.SetText(kPendingPages, text);
  const auto version = panel.TextVersion(kPendingPages);
  for (int i = 0; i < 4000; ++i) panel.DropTextPrefix(kPendingPages, 6);
  EXPECT_EQ(panel.Text(kPendingPages), std::u16string_view(text).substr(24000));
  EXPECT_EQ(panel.TextVersion(kPendingPages), version);
  panel.SetText(kPendingPages, u"x");
  EXPECT_NE(panel.TextVersion(kPendingPages), version);

  // A list grown at its front, now and then losing a little of it.
  std::u16string expected = u"x";
  for (int i = 0; i < 3000; ++i) {
    const auto letter = static_cast<char16_t>(u'a' + i % 26);
    const std::u16string line(static_cast<size_t>(i % 7 + 1), letter);
    panel.PrependText(kPendingPages, line);
    expected.insert(0, line);
    if (i % 5 == 0) {
      panel.DropTextPrefix(kPendingPages, 3);
      expected.erase(0, 3);
    }
  }
  EXPECT_EQ(panel.Text(kPendingPages), expected);
}

TEST(ControlPanel, ObserversHearEveryWriteAndReactionsOnlyChanges) {
  ControlPanel panel;
  std::vector<Control> heard;
  const auto id = panel.AddObserver([&](Control c) { heard.push_back(c); });
  int reactions = 0;
  panel.SetReaction(Control::Check1, [&] { ++reactions; });
  panel.SetText(kStatusLine, u"a");
  panel.SetText(kStatusLine, u"a");
  panel.SetTicked(Control::Check1, false);  // already clear: no reaction
  panel.SetTicked(Control::Check1, true);
  panel.SetTicked(Control::Check1, true);
  EXPECT_EQ(reactions, 1);
  EXPECT_EQ(std::count(heard.begin(), heard.end(), kStatusLine), 2);
  panel.RemoveObserver(id);
  panel.SetText(kStatusLine, u"b");
  EXPECT_EQ(std::count(heard.begin(), heard.end(), kStatusLine), 2);
}

}  // namespace
}  // namespace quelbo
