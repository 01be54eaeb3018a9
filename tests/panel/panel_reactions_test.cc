#include "panel/panel_reactions.h"

#include <gtest/gtest.h>

#include "panel/settings_fields.h"

namespace quelbo {
namespace {

struct Position {
  int left;
  int top;
  std::u16string caption;
};

TEST(PanelReactions, BlockSetPanelPositions) {
  ControlPanel panel;
  auto at = [&] {
    return Position{panel.Frame1Position().left, panel.Frame1Position().top,
                    std::u16string(panel.Text(Control::Command5))};
  };
  auto expect = [&](Position p, const char* step) {
    const Position now = at();
    EXPECT_EQ(now.left, p.left) << step;
    EXPECT_EQ(now.top, p.top) << step;
    EXPECT_EQ(now.caption, p.caption) << step;
  };
  expect({9120, 3120, u"更多"}, "design");
  ClickCommand5(panel);
  expect({120, 1750, u"关闭"}, "shown");
  ClickCommand5(panel);
  expect({120, 8750, u"更多"}, "parked");
  ClickCommand5(panel);
  expect({120, 1750, u"关闭"}, "shown again");
  ClickCommand2(panel);
  expect({120, 8750, u"关闭"}, "hidden, caption kept");
  ClickCommand5(panel);
  expect({120, 8750, u"更多"}, "first press only turns the caption");
  ClickCommand5(panel);
  expect({120, 1750, u"关闭"}, "second press shows");
}

TEST(PanelReactions, AnyCaptionOtherThanMoreParks) {
  ControlPanel panel;
  panel.SetText(Control::Command5, u"更多 ");
  ClickCommand5(panel);
  EXPECT_EQ(panel.Frame1Position().left, 9120);
  EXPECT_EQ(panel.Frame1Position().top, 8750);
  EXPECT_EQ(panel.Text(Control::Command5), u"更多");
}

TEST(PanelReactions, Check1EnablesBlockSet0KeepingItsTexts) {
  ControlPanel panel;
  InstallPanelReactions(panel, nullptr);
  panel.SetText(field::block0Start, u"<!--a-->");
  panel.SetTicked(field::block0Enabled, true);
  panel.SetTicked(field::block0Enabled, false);
  for (Control c : {field::block0Start, field::block0End, field::block0Replace}) {
    EXPECT_FALSE(panel.Enabled(c)) << ControlName(c);
  }
  panel.SetTicked(field::block0Enabled, true);
  EXPECT_TRUE(panel.Enabled(field::block0Replace));
  EXPECT_EQ(panel.Text(field::block0Start), u"<!--a-->");
}

TEST(PanelReactions, Check6ReloadsOnlyWhenSwitchedOn) {
  ControlPanel panel;
  int reloads = 0;
  InstallPanelReactions(panel, [&] { ++reloads; });
  panel.SetTicked(field::moreBlocksEnabled, true);
  EXPECT_EQ(reloads, 1);
  panel.SetTicked(field::moreBlocksEnabled, false);
  EXPECT_EQ(reloads, 1);
  for (Control c : {Control::Text11, Control::Text15, Control::Text16, Control::Text20,
                    Control::Text21, Control::Text22}) {
    EXPECT_FALSE(panel.Enabled(c)) << ControlName(c);
  }
  panel.SetTicked(field::moreBlocksEnabled, true);
  EXPECT_EQ(reloads, 2);
  EXPECT_TRUE(panel.Enabled(Control::Text22));
}

}  // namespace
}  // namespace quelbo
