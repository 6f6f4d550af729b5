#include "platform/forms/desktop.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/forms/internal.h"

namespace korvalo::forms {

namespace {

ActivationHandler& Handler() {
  static ActivationHandler handler;
  return handler;
}

bool g_connected = false;
int g_testWidth = 0;
int g_testHeight = 0;
// The last state passed on: Qt reports Hidden and Suspended too, which are
// no change of the activation.
int g_lastActive = -1;

void StateChanged(Qt::ApplicationState state) {
  if (state != Qt::ApplicationActive && state != Qt::ApplicationInactive) return;
  const bool active = state == Qt::ApplicationActive;
  if (g_lastActive == static_cast<int>(active)) return;
  g_lastActive = active ? 1 : 0;
  detail::QtBoundary boundary;
  RaiseActivation(active);
}

}  // namespace

ActivationHandler SetActivationHandler(ActivationHandler handler) {
  if (!g_connected && qGuiApp) {
    g_connected = true;
    g_lastActive = QGuiApplication::applicationState() == Qt::ApplicationActive ? 1 : 0;
    QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, qGuiApp, &StateChanged);
  }
  ActivationHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

bool ActivationHandled() { return static_cast<bool>(Handler()); }

void RaiseActivation(bool active) {
  // A copy: the handler may replace itself.
  const ActivationHandler handler = Handler();
  if (handler) detail::RunHandler([&] { handler(active); });
}

int ScreenHeightPixels() {
  if (g_testHeight > 0) return g_testHeight;
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 0;
}

int ScreenWidthPixels() {
  if (g_testWidth > 0) return g_testWidth;
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 0;
}

void SetScreenPixelsForTests(int width, int height) {
  g_testWidth = width;
  g_testHeight = height;
}

}  // namespace korvalo::forms
