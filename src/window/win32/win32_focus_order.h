#pragma once

#include <span>
#include <vector>

#include "window/win32/windows_api.h"

namespace quelbo {

// The controls that Tab visits, in the order the user sees them: top to bottom, then left to
// right. Only controls in sight take part: shown, enabled, inside the window's client area and
// not covered by another control (the block-set panel lies over the fields it covers; a parked
// panel lies outside). Of the option group only the chosen option takes part, or the first
// when none is chosen; the arrow keys move within the group.
// `controls` are the window's controls that can take the focus; `options` the group's, in
// order.
std::vector<HWND> VisibleFocusChain(HWND window, std::span<const HWND> controls,
                                    std::span<const HWND> options);

// The control after (or before) `current` in the chain, wrapping around; the first (or last)
// when `current` is not in it; null when the chain is empty.
HWND NextInFocusChain(const std::vector<HWND>& chain, HWND current, bool forward);

}  // namespace quelbo
