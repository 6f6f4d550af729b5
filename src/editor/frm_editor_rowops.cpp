#include "editor/frm_editor.h"
#include "storage/program_state.h"

// The editor window: the row operations that reach beyond the grid.
namespace korvalo::editor {

using namespace forms;

void FrmEditor::ArrangeArcFields() { grid_->ArrangeArcFields(Program().ProjectSettings); }

void FrmEditor::ClearEditor() {
  txtParcel.SetText("");
  storedParcelShown_ = false;
  grid_->ClearRows(Program().ProjectSettings);
  for (Label* result : {&lblArea, &lblClosure, &lblDirection, &lblPrecision}) {
    result->SetCaption("");
  }
  // The name box while it is shown, else the parcel list; neither when it
  // cannot take the focus now (a window not shown, a locked frame).
  Control& target = txtParcel.Visible() ? static_cast<Control&>(txtParcel)
                                        : static_cast<Control&>(cbxParcel);
  if (target.CanFocus()) target.SetFocus();
}

}  // namespace korvalo::editor
