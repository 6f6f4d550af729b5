#pragma once

// The editor floats over the other windows of the program while the program
// is the active application, and drops behind when the user switches to
// another program. The frame's activation handler does the switching.
namespace korvalo::standalone {

class FrmMain;

// Installs the handler (once for the run; a second call replaces it).
void HookMainWindow(FrmMain& main);
// Removes it; nothing when it is not installed, so a second call is
// harmless.
void UnhookMainWindow(FrmMain& main);

}  // namespace korvalo::standalone
