#pragma once

// Suspends the painting of one control's window: only one window can be
// locked at a time; locking another moves the lock, null releases it.

namespace korvalo::forms {

class Control;

void LockWindowUpdate(Control* control);
// The control whose painting is suspended now, null when none.
Control* LockedWindow();

// Locks a control's window for a scope; the lock is released on every path
// out of it.
class WindowUpdateLock {
 public:
  explicit WindowUpdateLock(Control& control) { LockWindowUpdate(&control); }
  ~WindowUpdateLock() { LockWindowUpdate(nullptr); }
  WindowUpdateLock(const WindowUpdateLock&) = delete;
  WindowUpdateLock& operator=(const WindowUpdateLock&) = delete;
};

}  // namespace korvalo::forms
