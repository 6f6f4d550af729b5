#include "cadlink/mod_link.h"

#include "common/edition.h"
#include "platform/cad/system.h"
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
  // A project without a drawing keeps the item's own caption, never a
  // blank item.
  const std::string& path = Program().DrawingPath;
  editor.mnuCurrentCAD.SetCaption(path.empty() ? "Current CAD file path" : path);
}

void EditorLinkHost::SetTopMost(bool on) { editor_.SetTopMost(on); }
void EditorLinkHost::Minimize() { editor_.SetWindowState(forms::vbMinimized); }
void EditorLinkHost::Restore() { editor_.SetWindowState(forms::vbNormal); }
void EditorLinkHost::ProcessPendingEvents() { forms::DoEvents(); }
void EditorLinkHost::SetCalcEnabled(bool enabled) { editor_.CalcEnabled = enabled; }
void EditorLinkHost::SetCurrentCadCaption(const std::string& caption) {
  editor_.mnuCurrentCAD.SetCaption(caption);
}
void EditorLinkHost::SetCurrentCadEnabled(bool enabled) { editor_.mnuCurrentCAD.SetEnabled(enabled); }
void EditorLinkHost::ReloadProjectSettings() { editor_.ReloadProjectSettings(); }
bool EditorLinkHost::SelectGrabModel() {
  // The mode options are locked while a parcel is edited, and the grab
  // switch clears the grid: the parcel and the mode stay, and the new
  // drawing is linked for when the Grab model is chosen.
  if (editor_.Editing() || editor_.optmodel(0).Value()) return false;
  editor_.optmodel(0).SetValue(true);
  return true;
}

ModLink::ModLink(editor::FrmEditor& editor) : ModLink(editor, cad::SystemAutomation()) {}

ModLink::ModLink(editor::FrmEditor& editor, cad::Automation& automation)
    : editor_(editor),
      host_(editor),
      cad_(automation, PolicyFor(CurrentEdition()), host_),
      grab_(editor, [this] { return cad_.PickTextsInCad(); }) {}

}  // namespace korvalo::cadlink
