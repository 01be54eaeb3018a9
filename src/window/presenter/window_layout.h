#pragma once

#include <optional>

#include "panel/control.h"
#include "window/presenter/twips.h"

// The form as drawn at design size, in twips.

namespace quelbo {

inline constexpr int kClientWidthTwips = 8280;
inline constexpr int kClientHeightTwips = 6750;
inline constexpr int kFrame1WidthTwips = 5535;
inline constexpr int kFrame1HeightTwips = 3735;

struct Placement {
  TwipsRect rect;
  // The rectangle is relative to the block-set panel Frame1 rather than to the form.
  bool on_frame1 = false;
};

// A colour as the form names it.
struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
};

// The colour of a control's text where the form names one: the three block sets (magenta,
// blue, dark orange) and the status line (red). Others use the window system's colours.
std::optional<Rgb> DesignTextColour(Control control);

// The design placement of every control. Form1's is its client area; Frame1's gives only its
// size, since the panel moves and its position is the model's.
Placement DesignPlacement(Control control);

}  // namespace quelbo
