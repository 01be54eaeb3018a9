#pragma once

#include <QColor>
#include <optional>

#include "panel/control.h"

class QWidget;

namespace quelbo {

// The colour of a control's text where the form names one: the three block sets and the
// status line. Others use the window system's colours.
std::optional<QColor> TextColour(Control control);

// A widget of the control's kind, named after the control, with its colour and scroll bars;
// its content and connections are the window's. REQUIRES: the control is not Form1.
QWidget* MakeControlWidget(Control control, QWidget* parent);

}  // namespace quelbo
