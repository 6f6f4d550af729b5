#include "platform/forms/playback.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

#include "common/utf8.h"
#include "platform/forms/internal.h"

namespace korvalo::forms {

using detail::Access;

QWidget* detail::MouseTarget(Control& c) {
  QWidget* w = Access::Realise(c);
  if (auto* picture = dynamic_cast<PictureBox*>(&c)) return picture->ContentWidget();
  // The middle of an editable combo box is its text part.
  if (dynamic_cast<ComboBox*>(&c)) {
    if (QLineEdit* edit = static_cast<QComboBox*>(w)->lineEdit()) return edit;
  }
  return w;
}

void detail::SendMouse(QWidget* w, int type, int button, double x, double y) {
  const auto t = static_cast<QEvent::Type>(type);
  const auto b = static_cast<Qt::MouseButton>(button);
  const Qt::MouseButtons buttons = t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(b);
  const QPointF pos(x, y);
  QMouseEvent e(t, pos, w->mapToGlobal(pos), b, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

int detail::QtButton(int button) {
  switch (button) {
    case vbRightButton: return Qt::RightButton;
    case vbMiddleButton: return Qt::MiddleButton;
    default: return Qt::LeftButton;
  }
}

void PlayMouseClick(Control& control, int button, double x, double y) {
  QWidget* w = detail::MouseTarget(control);
  const bool middle = x < 0 || y < 0;
  const double px = middle ? w->width() / 2.0 : x / kTwipsPerPixel;
  const double py = middle ? w->height() / 2.0 : y / kTwipsPerPixel;
  const int b = detail::QtButton(button);
  detail::SendMouse(w, QEvent::MouseButtonPress, b, px, py);
  detail::SendMouse(w, QEvent::MouseButtonRelease, b, px, py);
}

void PlaySelect(ComboBox& combo, int index) {
  if (combo.CanFocus() && !combo.HasFocus()) Access::FocusTo(combo);
  auto* w = static_cast<QComboBox*>(Access::Realise(combo));
  w->setCurrentIndex(index);
  emit w->activated(index);
}

void PlayTyping(const std::string& text) {
  for (const char32_t cp : utf8::Decode(text)) {
    QWidget* w = QApplication::focusWidget();
    if (!w) return;
    const QString typed = QString::fromUcs4(&cp, 1);
    int key = Qt::Key_unknown;
    if (cp < 0x80 && typed.at(0).isLetterOrNumber()) key = typed.toUpper().at(0).unicode();
    if (cp == U' ') key = Qt::Key_Space;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, typed);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, typed);
    QApplication::sendEvent(w, &release);
  }
}

bool PlayMenuChoice(Menu& item) {
  std::vector<Menu*> chain;
  for (Menu* m = &item; m; m = m->ParentMenu()) chain.insert(chain.begin(), m);
  for (Menu* m : chain) {
    if (!m->Visible() || !m->Enabled()) return false;
  }
  for (std::size_t i = 0; i + 1 < chain.size(); ++i) emit Access::MenuWidget(*chain[i])->aboutToShow();
  if (!item.Items().empty()) {
    emit Access::MenuWidget(item)->aboutToShow();
  } else {
    item.Action()->trigger();
  }
  return true;
}

std::vector<Menu*> MenuBarMenus(const Form& form) { return Access::TopMenus(form); }

}  // namespace korvalo::forms
