#include "window/win32/win32_focus_order.h"

#include <algorithm>

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

bool StandsForItsGroup(HWND control, std::span<const HWND> options) {
  if (std::find(options.begin(), options.end(), control) == options.end()) return true;
  const auto checked = [](HWND option) {
    return ::SendMessageW(option, BM_GETCHECK, 0, 0) == BST_CHECKED;
  };
  if (checked(control)) return true;
  return std::none_of(options.begin(), options.end(), checked) && options.front() == control;
}

}  // namespace

std::vector<HWND> VisibleFocusChain(HWND window, std::span<const HWND> controls,
                                    std::span<const HWND> options) {
  std::vector<HWND> chain;
  for (HWND control : controls) {
    if (InSight(window, control) && StandsForItsGroup(control, options)) chain.push_back(control);
  }
  std::stable_sort(chain.begin(), chain.end(), [window](HWND a, HWND b) {
    const RECT pa = PlaceIn(window, a);
    const RECT pb = PlaceIn(window, b);
    return pa.top != pb.top ? pa.top < pb.top : pa.left < pb.left;
  });
  return chain;
}

HWND NextInFocusChain(const std::vector<HWND>& chain, HWND current, bool forward) {
  if (chain.empty()) return nullptr;
  const auto at = std::find(chain.begin(), chain.end(), current);
  if (at == chain.end()) return forward ? chain.front() : chain.back();
  const auto index = static_cast<size_t>(at - chain.begin());
  const size_t size = chain.size();
  return chain[forward ? (index + 1) % size : (index + size - 1) % size];
}

}  // namespace quelbo
