#include "window/win32/win32_focus_order.h"

#include <algorithm>

#include "window/presenter/focus_chain.h"

namespace quelbo {
namespace {

RECT PlaceIn(HWND window, HWND control) {
  RECT rect;
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The control drawn topmost at `point` of `window`'s client area, looking into the panels.
HWND TopmostAt(HWND window, POINT point) {
  HWND parent = window;
  for (;;) {
    HWND child = ::ChildWindowFromPointEx(parent, point, CWP_SKIPINVISIBLE);
    if (child == nullptr || child == parent) return parent;
    ::MapWindowPoints(parent, child, &point, 1);
    parent = child;
  }
}

bool InSight(HWND window, HWND control) {
  if (!::IsWindowVisible(control) || !::IsWindowEnabled(control)) return false;
  const RECT place = PlaceIn(window, control);
  const POINT centre{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
  RECT client;
  ::GetClientRect(window, &client);
  if (!::PtInRect(&client, centre)) return false;
  return TopmostAt(window, centre) == control;
}

}  // namespace

std::vector<HWND> VisibleFocusChain(HWND window, std::span<const HWND> controls,
                                    std::span<const HWND> options) {
  std::vector<FocusCandidate> candidates;
  for (HWND control : controls) {
    const RECT place = PlaceIn(window, control);
    const bool option = std::find(options.begin(), options.end(), control) != options.end();
    candidates.push_back({{place.left, place.top, place.right - place.left, place.bottom - place.top},
                          InSight(window, control),
                          option,
                          option && ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED});
  }
  std::vector<HWND> chain;
  for (size_t index : FocusChain(candidates)) chain.push_back(controls[index]);
  return chain;
}

HWND NextInFocusChain(const std::vector<HWND>& chain, HWND current, bool forward) {
  std::vector<size_t> order(chain.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto at = std::find(chain.begin(), chain.end(), current);
  const auto next = NextInChain(
      order, at == chain.end() ? std::nullopt : std::optional<size_t>(at - chain.begin()), forward);
  return next ? chain[*next] : nullptr;
}

}  // namespace quelbo
