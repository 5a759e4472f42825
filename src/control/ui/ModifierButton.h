#pragma once

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

namespace corvalis {

// A push button that remembers whether Shift was held when it was pressed,
// for the buttons whose Shift-click sends something else.
class ModifierButton final : public QPushButton {
 public:
  using QPushButton::QPushButton;
  bool ShiftHeld() const { return (modifiers_ & Qt::ShiftModifier) != 0; }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    modifiers_ = event->modifiers();
    QPushButton::mousePressEvent(event);
  }
  void keyPressEvent(QKeyEvent* event) override {
    modifiers_ = event->modifiers();
    QPushButton::keyPressEvent(event);
  }

 private:
  Qt::KeyboardModifiers modifiers_;
};

}  // namespace corvalis
