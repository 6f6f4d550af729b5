#include "editor/frm_editor.h"
#include "storage/program_state.h"

// The editor window: the parcel commands and the editing state.
namespace korvalo::editor {

using namespace forms;

void FrmEditor::SetEditing(bool editing) {
  if (!GrabMode()) {
    cmdEdit.SetEnabled(!editing);
    mnuEditMode.SetEnabled(!editing);
    mnuPopEdit.SetEnabled(!editing);
  }
  cmdSave.SetEnabled(editing);
  cmdCancel.SetEnabled(editing);
  cmdAutoInverse.SetEnabled(editing);
  mnuSaveParcel.SetEnabled(editing);
  mnuCancelParcel.SetEnabled(editing);
  txtCover.SetVisible(editing);
  cmdInsert.SetEnabled(!editing);
  mnuInsertParcel.SetEnabled(!editing);
  frameOptmodel.SetEnabled(!editing);
  // Picked courses are inverted by themselves then; the button would only
  // undo the automatic choice.
  if (Program().ProjectSettings.AutoInvert) cmdAutoInverse.SetEnabled(false);
}

}  // namespace korvalo::editor
