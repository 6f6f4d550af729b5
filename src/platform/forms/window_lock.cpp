#include "platform/forms/window_lock.h"

#include <QPointer>
#include <QWidget>

#include "platform/forms/controls.h"

namespace korvalo::forms {

namespace {
Control* g_locked = nullptr;
QPointer<QWidget> g_lockedWidget;
}  // namespace

void LockWindowUpdate(Control* control) {
  if (g_lockedWidget) g_lockedWidget->setUpdatesEnabled(true);
  g_lockedWidget = nullptr;
  g_locked = control;
  if (control && control->Widget()) {
    g_lockedWidget = control->Widget();
    g_lockedWidget->setUpdatesEnabled(false);
  }
}

Control* LockedWindow() { return g_locked; }

}  // namespace korvalo::forms
