#pragma once

#include <QPushButton>

namespace quelbo {

// A command button that Enter and keypad Enter press when it has the focus, as Space does.
class CommandButton final : public QPushButton {
 public:
  explicit CommandButton(QWidget* parent) : QPushButton(parent) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace quelbo
