#include "window/qt/focus_order.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QWidget>
#include <algorithm>

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

// An option that is not chosen is reached with the arrow keys from the chosen one.
bool StandsForItsGroup(const QWidget& widget) {
  const auto* option = qobject_cast<const QRadioButton*>(&widget);
  if (option == nullptr || option->group() == nullptr || !option->group()->exclusive()) {
    return true;
  }
  if (option->isChecked()) return true;
  const QList<QAbstractButton*> buttons = option->group()->buttons();
  const bool none_chosen = std::none_of(buttons.begin(), buttons.end(),
                                        [](const QAbstractButton* b) { return b->isChecked(); });
  return none_chosen && buttons.front() == option;
}

}  // namespace

std::vector<QWidget*> VisibleFocusChain(const QWidget& window) {
  std::vector<QWidget*> chain;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (InSight(window, *widget) && StandsForItsGroup(*widget)) chain.push_back(widget);
  }
  std::stable_sort(chain.begin(), chain.end(), [&window](const QWidget* a, const QWidget* b) {
    const QPoint pa = PlaceIn(window, *a).topLeft();
    const QPoint pb = PlaceIn(window, *b).topLeft();
    return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
  });
  return chain;
}

QWidget* NextInFocusChain(const QWidget& window, const QWidget* current, bool forward) {
  const std::vector<QWidget*> chain = VisibleFocusChain(window);
  if (chain.empty()) return nullptr;
  const auto at = std::find_if(chain.begin(), chain.end(), [current](const QWidget* w) {
    return w == current || (current != nullptr && w->isAncestorOf(current));
  });
  if (at == chain.end()) return forward ? chain.front() : chain.back();
  const auto index = static_cast<size_t>(at - chain.begin());
  const size_t size = chain.size();
  return chain[forward ? (index + 1) % size : (index + size - 1) % size];
}

}  // namespace quelbo
