#include <utility>

#include "editor/frm_editor.h"
#include "editor/tooltips.h"
#include "storage/program_state.h"
#include "storage/project_settings.h"

// The editor window: the project settings it shows, the Options menu's
// switches and the Report menu.
namespace korvalo::editor {

using namespace forms;

// ---------------------------------------------------------------------------
// Project settings.

void FrmEditor::ShowProjectSettings() {
  const ProjectSettings& project = Program().ProjectSettings;
  mnuVerfyCurves.SetChecked(project.AddAreaCheck);
  mnuAutoInvert.SetChecked(project.AutoInvert);
  mnuVerfyTangent.SetChecked(project.TangentCheck);
  mnuMiniWindow.SetChecked(project.Minimize);
  cmdAutoInverse.SetEnabled(!project.AutoInvert);
  ShowDirectionLabel();
}

void FrmEditor::ShowDirectionLabel() {
  lblBearing.SetCaption(Program().ProjectSettings.Bearing ? "Bearing" : "Azimuth");
}

bool FrmEditor::ReloadProjectSettings() {
  if (!::korvalo::LoadProjectSettings()) return false;
  ShowLoadedSettings();
  return true;
}

void FrmEditor::ShowLoadedSettings() {
  ClearToolTips();
  SetCourseTabOrder();
  ShowProjectSettings();
}

void FrmEditor::FlipProjectSwitch(Menu& item, ProjectSwitch which) {
  const bool on = !item.Checked();
  item.SetChecked(on);
  // A failed store has told the user; the tick goes back, the setting stays.
  if (!ApplyProjectSwitch(which, on)) item.SetChecked(!on);
}

void FrmEditor::mnuVerfyCurves_Click() {
  FlipProjectSwitch(mnuVerfyCurves, ProjectSwitch::VerifyAreaInCurves);
}

void FrmEditor::mnuAutoInvert_Click() {
  FlipProjectSwitch(mnuAutoInvert, ProjectSwitch::AutoInvert);
  // The Auto button inverts on request: it serves a parcel being edited, and
  // only while the program does not already invert picked courses itself.
  cmdAutoInverse.SetEnabled(!Program().ProjectSettings.AutoInvert && cmdSave.Enabled());
}

void FrmEditor::mnuVerfyTangent_Click() {
  FlipProjectSwitch(mnuVerfyTangent, ProjectSwitch::VerifyTangentialCurves);
}

void FrmEditor::mnuMiniWindow_Click() {
  FlipProjectSwitch(mnuMiniWindow, ProjectSwitch::MinimizeDuringGrab);
}

// ---------------------------------------------------------------------------
// Project options

void FrmEditor::SetProjectOptionsHook(std::function<void()> show) {
  showProjectOptions_ = std::move(show);
  mnuSetting.OnClick = [this](int) { mnuSetting_Click(); };
}

void FrmEditor::mnuSetting_Click() {
  // The dialog stays beside the editor and on top of it.
  SetTopMost(false);
  if (showProjectOptions_) showProjectOptions_();
}

// end Project options
// ---------------------------------------------------------------------------

// Reports

void FrmEditor::SetReportOpener(std::function<void(ReportItem)> open) { openReport_ = std::move(open); }

void FrmEditor::SetReportWindowOpen(std::function<bool()> open) { reportWindowOpen_ = std::move(open); }

void FrmEditor::mnuReport_Click() {
  // Before any item is chosen: the report window puts the editor back here
  // when it closes, wherever a report moved it meanwhile. While the window
  // is open the editor may be hidden by it.
  if (reportWindowOpen_ && reportWindowOpen_()) return;
  SavedEditorTop = Top();
  SavedEditorLeft = Left();
}

}  // namespace korvalo::editor
