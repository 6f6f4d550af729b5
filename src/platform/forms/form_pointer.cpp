#include "platform/forms/form_pointer.h"

#include <QCursor>
#include <QWidget>
#include <map>

#include "platform/forms/form.h"

namespace korvalo::forms {

namespace {

struct PointerState {
  int pointer = 0;
  MouseIcon icon = MouseIcon::None;
};

std::map<const Form*, PointerState>& States() {
  static std::map<const Form*, PointerState> states;
  return states;
}

void Apply(const Form& form) {
  QWidget* window = form.Window();
  if (!window) return;
  const PointerState& s = States()[&form];
  if (s.pointer == vbCustom && s.icon == MouseIcon::Hand) {
    window->setCursor(Qt::OpenHandCursor);
  } else if (s.pointer == vbCustom) {
    window->setCursor(Qt::ArrowCursor);
  } else {
    window->unsetCursor();
  }
}

}  // namespace

int FormMousePointer(const Form& form) {
  const auto it = States().find(&form);
  return it == States().end() ? 0 : it->second.pointer;
}

void SetFormMousePointer(Form& form, int pointer) {
  States()[&form].pointer = pointer;
  Apply(form);
}

MouseIcon FormMouseIcon(const Form& form) {
  const auto it = States().find(&form);
  return it == States().end() ? MouseIcon::None : it->second.icon;
}

void SetFormMouseIcon(Form& form, MouseIcon icon) {
  States()[&form].icon = icon;
  Apply(form);
}

}  // namespace korvalo::forms
