#include "editor/frm_editor.h"
#include "storage/program_state.h"

// The editor window: the row operations that reach beyond the grid.
namespace korvalo::editor {

using namespace forms;

void FrmEditor::ArrangeArcFields() { grid_->ArrangeArcFields(Program().ProjectSettings); }

void FrmEditor::ClearEditor() {
  txtParcel.SetText("");
  // No stored parcel is shown any more: nothing is left for an update to
  // write into.
  storedParcelShown_ = false;
  CurrentParcelID = 0;
  grid_->ClearRows(Program().ProjectSettings);
  for (Label* result : {&lblArea, &lblClosure, &lblDirection, &lblPrecision}) {
    result->SetCaption("");
  }
  // The name box while it is shown, for the next parcel's name, unless it
  // cannot take the focus now (a window not shown, a locked frame). The
  // parcel list is not given the focus: keys typed after a save or a switch
  // of model would rename the parcel shown, in a box the user did not pick.
  if (txtParcel.Visible() && txtParcel.CanFocus()) txtParcel.SetFocus();
}

}  // namespace korvalo::editor
