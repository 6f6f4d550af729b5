#include "standalone/activation.h"

#include "platform/forms/forms.h"
#include "standalone/frm_main.h"
#include "standalone/standalone_state.h"

namespace korvalo::standalone {

void HookMainWindow(FrmMain& main) {
  forms::Form& editor = main.Editor();
  forms::SetActivationHandler([&editor](bool active) {
    // Top-most without moving, sizing or activating the editor; a switch
    // the window system refuses leaves the state as it was.
    try {
      editor.SetTopMost(active);
    } catch (...) {
    }
  });
  Standalone().MainHooked = true;
}

void UnhookMainWindow(FrmMain& main) {
  static_cast<void>(main);
  if (!Standalone().MainHooked) return;
  forms::SetActivationHandler({});
  Standalone().MainHooked = false;
}

}  // namespace korvalo::standalone
