#include "cadlink/mod_link.h"

#include "storage/program_state.h"

namespace korvalo::cadlink {

void EnableProjectUI(editor::FrmEditor& editor, bool enabled) {
  editor.Frame1.SetEnabled(enabled);
  editor.Frame3.SetEnabled(enabled);
  editor.Frame4.SetEnabled(enabled);
  editor.frameBase.SetEnabled(enabled);
  editor.optmodel(0).SetEnabled(enabled);
  editor.optmodel(1).SetEnabled(enabled);
  editor.cmdZoom.SetEnabled(enabled);
  editor.mnuEdit.SetEnabled(enabled);
  editor.mnuView.SetEnabled(enabled);
  editor.mnuOptions.SetEnabled(enabled);
  editor.mnuReport.SetEnabled(enabled);
  editor.mnuCurrentCAD.SetEnabled(enabled);
  editor.mnuRelocateCAD.SetEnabled(enabled);
  editor.picParcel.SetEnabled(enabled);
  editor.cmdZoom.SetEnabled(enabled);
  editor.mnuSizePicture.SetEnabled(enabled);
}

void ShowLinkState(editor::FrmEditor& editor) {
  editor.SetTopMost(true);
  editor.mnuRelocateCAD.SetEnabled(true);
  editor.mnuCurrentCAD.SetCaption(Program().DrawingPath);
}

}  // namespace korvalo::cadlink
