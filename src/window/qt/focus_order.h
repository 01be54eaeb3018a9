#pragma once

#include <vector>

class QWidget;

namespace quelbo {

// The controls that Tab visits, in the order the user sees them: top to bottom, then left to
// right, by their place in `window`. Only controls in sight take part: shown, enabled, taking
// focus by Tab, inside the window and not covered by another widget (the block-set panel lies
// over the fields it covers; a parked panel lies outside). Of a group of option buttons only
// the chosen one takes part, or the first when none is chosen; the arrow keys move within it.
std::vector<QWidget*> VisibleFocusChain(const QWidget& window);

// The control after (or before) `current` in the chain, wrapping around; the first (or last)
// when `current` is not in it; null when the chain is empty.
QWidget* NextInFocusChain(const QWidget& window, const QWidget* current, bool forward);

}  // namespace quelbo
