#pragma once

#include <string_view>

#include "panel/control.h"
#include "window/presenter/twips.h"

// Cases that both windows, the Qt one and the Windows one, are tested with: each shows the same
// model in the same places.

namespace quelbo::testing {

inline constexpr TwipsRect kFrame1Shown{120, 1750, 5535, 3735};
inline constexpr TwipsRect kFrame1Parked{120, 8750, 5535, 3735};

// Presses of Command5 and Command2 one after the other, each with Command5's caption after it
// and whether the block-set panel is then shown (or parked).
struct PanelPress {
  Control button;
  std::u16string_view caption;
  bool shown;
};
inline constexpr PanelPress kPanelPresses[] = {
    {Control::Command5, u"关闭", true},  {Control::Command5, u"更多", false},
    {Control::Command5, u"关闭", true},  {Control::Command2, u"关闭", false},
    {Control::Command5, u"更多", false}, {Control::Command5, u"关闭", true},
};

// The controls Tab visits from Command5 round to it again, with ".html" (Option2) chosen: row
// by row; of the options only the chosen one; nothing parked or outside.
inline constexpr std::string_view kTabRoundPanelParked[] = {
    "RichTextBox2", "url",     "Text1",  "Text10", "Text2",    "Text3",  "Text4",  "Text5",
    "Text6",        "Text14",  "Text17", "Text18", "Text19",   "Text13", "Check5", "Check3",
    "Command1",     "Option2", "Check2", "Check4", "Command4", "Text9",  "Check1", "Command5"};
// The same with the block-set panel shown: it takes the place of the fields it covers.
inline constexpr std::string_view kTabRoundPanelShown[] = {
    "RichTextBox2", "url",     "Text1",  "Text10", "Text2",    "Text11",   "Text15", "Text16",
    "Text20",       "Text21",  "Text22", "Check6", "Command6", "Command2", "Check5", "Check3",
    "Command1",     "Option2", "Check2", "Check4", "Command4", "Text9",    "Check1", "Command5"};

}  // namespace quelbo::testing
