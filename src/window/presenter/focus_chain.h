#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "window/presenter/twips.h"

namespace quelbo {

// A control that Tab may visit, as the binding sees it on the screen.
struct FocusCandidate {
  PixelRect place;       // in the window's client area
  bool in_sight = true;  // shown, enabled, taking the focus, inside the window, not covered
  // One of the exclusive option group, and whether it is the chosen one.
  bool option = false;
  bool chosen = false;
};

// The order Tab visits the candidates in (their indices): top to bottom, then left to right.
// Only candidates in sight take part; of the option group only the chosen option, or the first
// one when none is chosen (the arrow keys move within the group).
std::vector<size_t> FocusChain(std::span<const FocusCandidate> candidates);

// The candidate after (or before) `current` in the chain, wrapping around; the first (or last)
// when `current` is not in it; none when the chain is empty.
std::optional<size_t> NextInChain(std::span<const size_t> chain, std::optional<size_t> current,
                                  bool forward);

}  // namespace quelbo
