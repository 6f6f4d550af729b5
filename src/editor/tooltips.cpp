#include "editor/tooltips.h"

#include "platform/forms/forms.h"
#include "storage/program_state.h"

namespace korvalo::editor {

void ClearToolTips() {
  if (Program().ProjectSettings.ToolTipOn) return;
  for (forms::Form* form : forms::LoadedForms()) {
    for (forms::Control* control : forms::FormControls(*form)) {
      if (!control->ToolTipText().empty()) control->SetToolTipText("");
    }
  }
}

}  // namespace korvalo::editor
