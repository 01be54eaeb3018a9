#pragma once

#include <functional>

#include "panel/control_panel.h"

// The panel's own reactions: the block-set panel moves and the two block-set switches.

namespace quelbo {

inline constexpr FramePosition kFrame1ShownPosition{120, 1750};
inline constexpr int kFrame1ParkedTop = 8750;

// "更多" shows the block-set panel and turns the caption to "关闭"; any other caption parks it
// (Top only) and turns the caption back to "更多".
void ClickCommand5(ControlPanel& panel);

// "隐藏版块" parks the panel without touching Command5's caption.
void ClickCommand2(ControlPanel& panel);

// Installs the reactions of Check1 (enable or disable block set 0) and Check6 (enable or
// disable block sets 1 and 2; when switched on, then `reload_extra_block_sets`). They run
// whenever a box changes state, whoever changes it.
void InstallPanelReactions(ControlPanel& panel, std::function<void()> reload_extra_block_sets);

}  // namespace quelbo
