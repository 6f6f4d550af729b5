// How the forms look beside the desktop: access-key underlines as desktop
// programs draw them (only while Alt is held, and never under a symbol, so
// that a caption "&<" reads "<" and not "≤").

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>

#include "platform/forms/internal.h"

namespace korvalo::forms::detail {

namespace {

bool g_altHeld = false;

// The style's access-key rule; everything else is the style beneath.
class DesktopStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_UnderlineShortcut) {
      if (!g_altHeld) return 0;
      QString text;
      if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
        text = item->text;
      } else if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
        text = button->text;
      } else if (const auto* b = qobject_cast<const QAbstractButton*>(widget)) {
        text = b->text();
      } else if (const auto* l = qobject_cast<const QLabel*>(widget)) {
        text = l->text();
      }
      return AccessKeyUnderlined(text) ? 1 : 0;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

// Follows the Alt key for the whole program and repaints the windows when
// it goes down or up.
class AltWatcher : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Alt && !k->isAutoRepeat()) SetAlt(e->type() == QEvent::KeyPress);
        break;
      }
      case QEvent::ApplicationDeactivate:
        SetAlt(false);
        break;
      default:
        break;
    }
    return QObject::eventFilter(watched, e);
  }

 private:
  static void SetAlt(bool held) {
    if (held == g_altHeld) return;
    g_altHeld = held;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible()) w->update();
      for (QWidget* child : w->findChildren<QWidget*>()) child->update();
    }
  }
};

}  // namespace

bool AccessKeyUnderlined(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != QLatin1Char('&')) continue;
    const QChar key = caption[i + 1];
    if (key == QLatin1Char('&')) {
      ++i;
      continue;
    }
    return key.isLetterOrNumber();
  }
  return false;
}

void InstallDesktopStyle() {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!app) return;
  static QPointer<QApplication> installedOn;
  if (installedOn == app && dynamic_cast<DesktopStyle*>(QApplication::style())) return;
  installedOn = app;
  QApplication::setStyle(new DesktopStyle);
  app->installEventFilter(new AltWatcher(app));
  g_altHeld = false;
}

bool AltHeld() { return g_altHeld; }

}  // namespace korvalo::forms::detail
