#include "window/qt/focus_order.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QWidget>
#include <algorithm>

#include "window/presenter/focus_chain.h"

namespace quelbo {
namespace {

QRect PlaceIn(const QWidget& window, const QWidget& widget) {
  return QRect(widget.mapTo(&window, QPoint(0, 0)), widget.size());
}

bool InSight(const QWidget& window, const QWidget& widget) {
  if (!widget.isVisibleTo(&window) || !widget.isEnabled()) return false;
  if ((widget.focusPolicy() & Qt::TabFocus) == 0) return false;
  const QPoint centre = PlaceIn(window, widget).center();
  if (!window.rect().contains(centre)) return false;
  const QWidget* top = window.childAt(centre);
  return top == &widget || widget.isAncestorOf(top);
}

}  // namespace

std::vector<QWidget*> VisibleFocusChain(const QWidget& window) {
  std::vector<QWidget*> widgets;
  std::vector<FocusCandidate> candidates;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!InSight(window, *widget)) continue;
    const QRect place = PlaceIn(window, *widget);
    const auto* option = qobject_cast<const QRadioButton*>(widget);
    const bool grouped =
        option != nullptr && option->group() != nullptr && option->group()->exclusive();
    widgets.push_back(widget);
    candidates.push_back({{place.left(), place.top(), place.width(), place.height()},
                          true,
                          grouped,
                          grouped && option->isChecked()});
  }
  std::vector<QWidget*> chain;
  for (size_t index : FocusChain(candidates)) chain.push_back(widgets[index]);
  return chain;
}

QWidget* NextInFocusChain(const QWidget& window, const QWidget* current, bool forward) {
  const std::vector<QWidget*> chain = VisibleFocusChain(window);
  std::vector<size_t> order(chain.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto at = std::find_if(chain.begin(), chain.end(), [current](const QWidget* w) {
    return w == current || (current != nullptr && w->isAncestorOf(current));
  });
  const auto next = NextInChain(
      order, at == chain.end() ? std::nullopt : std::optional<size_t>(at - chain.begin()), forward);
  return next ? chain[*next] : nullptr;
}

}  // namespace quelbo
