#pragma once

// The program among the other programs of the desktop: whether it is the
// active application, and the screen's size in pixels.

#include <functional>

namespace korvalo::forms {

// Called with true when the program becomes the active application (one of
// its windows gets the activation from another program), with false when
// another application becomes active.
using ActivationHandler = std::function<void(bool active)>;

// Installs the handler and returns the previous one. The layer starts
// listening to the application's state on the first call and keeps one
// connection for the run; an empty handler stops the calls.
ActivationHandler SetActivationHandler(ActivationHandler handler);
// Whether a handler is installed.
bool ActivationHandled();
// Raises the handler as the window system's change of the application's
// state does (tests; nothing without a handler).
void RaiseActivation(bool active);

// Height of the primary screen in (logical) pixels.
int ScreenHeightPixels();
int ScreenWidthPixels();

// Tests: the screen taken as this many pixels wide and high (ScreenWidth and
// ScreenHeight follow); 0, 0 goes back to the real screen.
void SetScreenPixelsForTests(int width, int height);

}  // namespace korvalo::forms
