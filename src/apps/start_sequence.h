#pragma once

#include <functional>
#include <memory>

#include "common/edition.h"
#include "storage/windows/start_windows.h"

// The start both editions share: the course capacity, the splash window
// (which opens the system database for the run and so keeps a second
// instance out), the first-run step with the training-video offer, and the
// hand-over to the edition's windows.
namespace korvalo::apps {

// Runs the start; `handOver` makes and shows the edition's windows, after
// which the splash goes. False when the program must end now: the system
// database could not be had (its message shown, no window left), or an
// error stopped the start (reported in the unknown-error box).
bool RunStartSequence(Edition edition, std::unique_ptr<windows::FrmSplash>& splash,
                      const std::function<void()>& handOver);

}  // namespace korvalo::apps
