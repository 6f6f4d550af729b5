#pragma once

// What the X server and the window manager say about a form's window, and
// the requests a user's actions send through the window manager (maximise
// button, dragging an edge). For the window-manager tests only; they run on
// the X server their test main starts.

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

class QWidget;

namespace korvalo::forms {
class Form;
}

namespace korvalo::forms::wmtest {

// Why the tests cannot run here ("" when they can).
void SetSkipReason(const std::string& reason);
const std::string& SkipReason();

// Waits until a window manager has announced itself on the screen.
bool WaitForWindowManager(std::chrono::milliseconds timeout);

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};
std::string ToString(const Rect& r);
inline void PrintTo(const Rect& r, std::ostream* os) { *os << ToString(r); }

// The form window's inner area (below the title bar) on the screen, pixels.
Rect ClientRect(Form& form);
// The whole window with the manager's frame around it.
Rect FrameRect(Form& form);
// The same for a top-level window that is no form (an overview window).
Rect FrameRect(QWidget& window);
bool Managed(QWidget& window);
// Whether the window asked the manager for its position (USPosition or
// PPosition in its size hints).
bool PositionRequested(Form& form);
// Whether the manager has taken the window in (framed it).
bool Managed(Form& form);
// Whether the manager shows the window maximised (both directions).
bool ShownMaximised(Form& form);

// What the window manager is asked to do, as its title-bar buttons and
// frame edges do: maximise or restore; resize the inner area.
void AskMaximise(Form& form, bool on);
void AskResize(Form& form, int widthPx, int heightPx);

// Runs Qt's events until the condition holds or the time is out; returns
// the condition.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
// Runs Qt's events for a while (lets the window manager and the window
// settle).
void Settle(std::chrono::milliseconds time = std::chrono::milliseconds(300));

}  // namespace korvalo::forms::wmtest
