#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "common/edition.h"
#include "common/numbers.h"
#include "editor/frm_editor.h"
#include "geometry/auto_invert.h"
#include "geometry/direction.h"
#include "platform/dao/dao.h"
#include "storage/parcel_save.h"
#include "storage/program_state.h"

// The editor window: the editing state, the two modes, the parcel commands,
// the invert buttons, the zoom, and the window's activation and unload.
namespace korvalo::editor {

using namespace forms;

namespace {

constexpr const char* kModeSwitchFailed =
    "Error openning database. Korvalo may not work properly. Please restart Korvalo.";
constexpr const char* kSaveQuestion = "Would you like to save the current parcel?";
constexpr int kPictureZoomMargin = 650;
constexpr int kPictureNormalLeft = 3870;

// Deletes a stored parcel and its courses as one unit of work. A failure is
// told and leaves the project as it was (false).
bool DeleteStoredParcel(const std::string& projectPath, ParcelId id) {
  try {
    dao::Database db = dao::Database::Open(projectPath);
    dao::Transaction tx(db);
    db.Execute("DELETE * FROM tblMeasurements where ParcelID = ?", {dao::Value{id}});
    db.Execute("DELETE * FROM tblParcel where ParcelID = ?", {dao::Value{id}});
    tx.Commit();
    return true;
  } catch (const dao::DaoError& e) {
    MsgBox("The parcel could not be deleted.\nError " + std::to_string(e.Number()) + ": " + e.what() +
               "\nNothing was changed in the project.",
           vbOKOnly + vbCritical);
    return false;
  }
}

}  // namespace

void FrmEditor::WireParcelCommands() {
  optmodel.OnClick = [this](int index) { optmodel_Click(index); };
  cbxParcel.OnClick = [this](int) { cbxParcel_Click(); };
  // The list's text is the new name of the parcel shown while it is edited.
  cbxParcel.OnChange = [this](int) {
    if (!restoringList_) RememberListState();
  };
  cmdInsert.OnClick = [this](int) { cmdInsert_Click(); };
  cmdEdit.OnClick = [this](int) { cmdEdit_Click(); };
  cmdSave.OnClick = [this](int) { cmdSave_Click(); };
  cmdCancel.OnClick = [this](int) { cmdCancel_Click(); };
  cmdDelete.OnClick = [this](int) { cmdDelete_Click(); };
  cmdAutoInverse.OnClick = [this](int) { cmdAutoInverse_Click(); };
  cmdPrevious.OnClick = [this](int) { cmdPrevious_Click(); };
  cmdNext.OnClick = [this](int) { cmdNext_Click(); };
  cmdZoom.OnClick = [this](int) { cmdZoom_Click(); };
  cmdLineInvert.OnClick = [this](int k) { cmdLineInvert_Click(k); };
  cmdArcInvert.OnClick = [this](int k) { cmdArcInvert_Click(k); };
  picParcel.OnDblClick = [this](int) { picParcel_DblClick(); };

  // The Edit menu's parcel items and the row pop-up's "Edit" are these
  // commands.
  mnuSaveParcel.OnClick = [this](int) { cmdSave_Click(); };
  mnuCancelParcel.OnClick = [this](int) { cmdCancel_Click(); };
  mnuEditMode.OnClick = [this](int) { cmdEdit_Click(); };
  mnuPopEdit.OnClick = [this](int) { cmdEdit_Click(); };
  mnuDeleteParcel.OnClick = [this](int) { cmdDelete_Click(); };
  mnuInsertParcel.OnClick = [this](int) { cmdInsert_Click(); };

  OnActivate = [this] { Form_Activate(); };
  OnQueryUnload = [this](int& cancel, int) { Form_QueryUnload(cancel); };
  OnUnload = [this](int&) { Form_Unload(); };
}

// ---------------------------------------------------------------------------
// The editing state.

void FrmEditor::SetEditing(bool editing) {
  if (policy_ && policy_->SetEditing(*this, editing)) return;
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
  if (!GrabMode()) {
    cmdDelete.SetEnabled(!NewParcel);
    mnuDeleteParcel.SetEnabled(!NewParcel);
  }
  frameOptmodel.SetEnabled(!editing);
  // Picked courses are inverted by themselves then; the button would only
  // undo the automatic choice.
  if (Program().ProjectSettings.AutoInvert) cmdAutoInverse.SetEnabled(false);
}

// ---------------------------------------------------------------------------
// The modes.

void FrmEditor::optmodel_Click(int index) {
  if (Program().ProjectPath.empty()) return;
  try {
    if (index == 1) {
      // A parcel typed or picked in the Grab model is offered for saving
      // when its first course is there.
      if (!txtParcel.Text().empty()) {
        const bool lineReady = frameLine(0).Visible() && !txtBearingLine(0).Text().empty() &&
                               !txtDistanceLine(0).Text().empty();
        const bool arcReady = !lineReady && !txtRadius(0).Text().empty() &&
                              !txtArc(0).Text().empty() && !txtChord(0).Text().empty() &&
                              !txtBearingArc(0).Text().empty() &&
                              (chksign(0).Value() == vbChecked || chksign(1).Value() == vbChecked);
        if (lineReady || arcReady) {
          if (MsgBox(kSaveQuestion, vbYesNo) == vbYes && !SaveNewParcel()) {
            MsgBox(lineReady ? "Sorry, you cannot save this parcel because some data is invalid."
                             : "Sorry, you cannot save this lot because some data is invalid.");
          }
        }
      }
      // Whatever was entered through New ends here: a stored parcel shown
      // from now on is saved as an update.
      NewParcel = false;
      // The list and the first parcel are read through one connection.
      const ProjectReads reads(Program().ProjectPath);
      Parcel_Bound();
      txtParcel.SetVisible(false);
      cbxParcel.SetVisible(true);
      ClearEditor();
      cmdPrevious.SetEnabled(true);
      cmdNext.SetEnabled(true);
      if (cbxParcel.ListCount() == 0) {
        SetEditing(false);
        EnableCourseControls(false);
        cmdEdit.SetEnabled(false);
      } else {
        // The selection loads the parcel through the list's click; it is
        // loaded here only when the selection raised none.
        const int loads = detailLoads_;
        SelectParcelEntry(0);
        if (detailLoads_ == loads) Show_Detail();
        SetEditing(false);
        EnableCourseControls(false);
      }
      return;
    }

    const int status = link_ ? link_->ConnectCAD() : 2;
    if (status == 2 || status == 3) {
      // No drawing to grab from: back to the Review model.
      optmodel(1).SetValue(true);
      mnuCurrentCAD.SetEnabled(false);
      return;
    }
    mnuCurrentCAD.SetEnabled(status == 0);
    txtParcel.SetVisible(true);
    cbxParcel.SetVisible(false);
    ClearEditor();
    SetEditing(false);
    for (CommandButton* off : {&cmdEdit, &cmdInsert, &cmdPrevious, &cmdNext, &cmdDelete}) {
      off->SetEnabled(false);
    }
    for (Menu* off : {&mnuEditMode, &mnuInsertParcel, &mnuDeleteParcel}) off->SetEnabled(false);
    EnableCourseControls(true);
  } catch (const std::exception&) {
    MsgBox(kModeSwitchFailed);
  }
}

// ---------------------------------------------------------------------------
// The parcel commands.

void FrmEditor::cbxParcel_Click() {
  if (restoringList_) return;
  // A click that chose no entry changes nothing.
  if (cbxParcel.ListIndex() < 0) return;
  if (Editing() && !programSelection_) {
    // The parcel being edited stays: another parcel loaded now would drop
    // the edits, and its id would take the edits' save.
    RestoreListState();
    return;
  }
  RememberListState();
  Show_Detail();
  SetEditing(false);
}

void FrmEditor::cmdInsert_Click() {
  if (policy_ && policy_->NewParcel(*this)) return;
  ClearEditor();
  txtParcel.SetVisible(true);
  cbxParcel.SetVisible(false);
  EnableCourseControls(true);
  cmdInsert.SetEnabled(false);
  NewParcel = true;
  SetEditing(true);
  cmdDelete.SetEnabled(false);
  mnuDeleteParcel.SetEnabled(false);
}

void FrmEditor::cmdEdit_Click() {
  if (policy_ && policy_->EditParcel(*this)) return;
  EnableCourseControls(true);
  SetEditing(true);
}

void FrmEditor::cmdPrevious_Click() {
  if (Editing()) return;
  const int index = cbxParcel.ListIndex();
  if (index > 0) SelectParcelEntry(index - 1);
}

void FrmEditor::cmdNext_Click() {
  if (Editing()) return;
  const int index = cbxParcel.ListIndex();
  if (index < cbxParcel.ListCount() - 1) SelectParcelEntry(index + 1);
}

void FrmEditor::cmdSave_Click() {
  if (policy_ && policy_->Save(*this)) return;
  const std::string closureText = lblClosure.Caption();
  if (closureText.empty()) {
    MsgBox("You cannot save this parcel.");
    return;
  }
  // A closure that does not read as a number ("N/A") has not met the
  // tolerance either.
  const std::optional<double> closure = ReadNumber(closureText);
  if (!closure || *closure > Program().ProjectSettings.ClosureTolerance) {
    if (MsgBox("This parcel has failed the closure tolerance. Would you like to save?", vbYesNo) != vbYes) {
      return;
    }
  }

  const bool review = !NewParcel && !GrabMode();
  if (review && storedParcelShown_) {
    const std::string name = cbxParcel.Text();
    if (!SaveExistingParcel()) return;
    txtPrevious.SetText(name);
    EnableCourseControls(false);
    SetEditing(false);
    ManualInvert = false;
    return;
  }

  // Courses entered in the Review model into a grid that shows no stored
  // parcel (after Cancel, the save of a new parcel, the last parcel deleted)
  // are a new parcel named by the list's text: an update would write them
  // over the parcel loaded last.
  const std::string name = review ? cbxParcel.Text() : txtParcel.Text();
  if (!SaveNewParcel(name)) return;
  if (GrabMode()) {
    ClearEditor();
    SetEditing(false);
  } else {
    Parcel_Bound();
    ClearEditor();
    txtParcel.SetVisible(false);
    cbxParcel.SetVisible(true);
    EnableCourseControls(false);
    SetEditing(false);
  }
  NewParcel = false;
  ManualInvert = false;
  txtPrevious.SetText(name);
}

void FrmEditor::cmdCancel_Click() {
  if (policy_ && policy_->Cancel(*this)) return;
  // The grid is cleared before the editing state ends: clearing resets the
  // sign boxes, whose change is an edit and would turn the state on again.
  if (GrabMode()) {
    ClearEditor();
    cbxParcel.SetText("");
    NewParcel = false;
    SetEditing(false);
  } else {
    txtParcel.SetVisible(false);
    cbxParcel.SetVisible(true);
    ClearEditor();
    SelectParcelEntry(-1);
    cbxParcel.SetText("");
    RememberListState();
    cmdPrevious.SetEnabled(true);
    cmdNext.SetEnabled(true);
    NewParcel = false;
    SetEditing(false);
    EnableCourseControls(false);
    for (CommandButton* off : {&cmdDelete, &cmdEdit}) off->SetEnabled(false);
    for (Menu* off : {&mnuDeleteParcel, &mnuEditMode, &mnuPopEdit}) off->SetEnabled(false);
  }
  ManualInvert = false;
}

void FrmEditor::cmdDelete_Click() {
  if (MsgBox("Are you sure you want to delete the current parcel?", vbYesNo) != vbYes) return;
  // The current parcel is the one a Save would write: while a stored parcel
  // is edited that is the parcel shown, whatever the list's text has become
  // meanwhile (a new name typed there is no entry of the list); otherwise the
  // selected entry.
  int d = cbxParcel.ListIndex();
  std::optional<ParcelId> target;
  if (Editing() && storedParcelShown_) {
    target = CurrentParcelID;
    d = -1;
    for (int i = 0; i < cbxParcel.ListCount(); ++i) {
      if (cbxParcel.ItemData(i) == CurrentParcelID) d = i;
    }
  } else if (d >= 0) {
    target = static_cast<ParcelId>(cbxParcel.ItemData(d));
  }
  if (target) {
    // A failure has been told; the project, the list and the grid stay.
    if (!DeleteStoredParcel(Program().ProjectPath, *target)) return;
    CurrentParcelID = *target;
  }
  if (d < 0) d = 0;
  Parcel_Bound();
  ClearEditor();
  const int count = cbxParcel.ListCount();
  if (d < count) {
    SelectParcelEntry(d);
  } else if (count > 0 && d > 0) {
    SelectParcelEntry(d - 1);
  }
  SetEditing(false);
}

void FrmEditor::cmdAutoInverse_Click() { AutoInverse(); }

void FrmEditor::cmdZoom_Click() { picParcel_DblClick(); }

void FrmEditor::picParcel_DblClick() {
  if (policy_ && policy_->ZoomPicture(*this)) return;
  const bool zoom = picParcel.Width() != Width();
  PlacePicture(zoom, Height() - kPictureZoomMargin, kPictureNormalLeft,
               zoom ? "Double click to normal out" : "Double click to zoom in");
}

void FrmEditor::PlacePicture(bool zoomed, int zoomedHeight, int normalLeft, const std::string& toolTip) {
  if (zoomed) {
    picParcel.Move(0, 0, Width(), zoomedHeight);
    // The enlarged picture covers the frames, the grid and the Zoom button.
    picParcel.ZOrder(0);
  } else {
    picParcel.Move(normalLeft, 0, PictureNormalWidth, PictureNormalHeight);
    picParcel.ZOrder(1);
  }
  picParcel.SetToolTipText(toolTip);
  Drawing();
}

// ---------------------------------------------------------------------------
// Directions reversed.

void FrmEditor::ReverseRowDirection(TextBox& box) {
  if (!box.Text().empty()) {
    box.SetText(geometry::ReverseDirection(box.Text(), CurrentTraverseSettings().direction));
  }
  ManualInvert = true;
  if (!policy_ || !policy_->AutoButtonFollowsEditing()) cmdAutoInverse.SetEnabled(false);
  CalculateAndDraw();
}

void FrmEditor::cmdLineInvert_Click(int k) { ReverseRowDirection(txtBearingLine(k)); }

void FrmEditor::cmdArcInvert_Click(int k) { ReverseRowDirection(txtBearingArc(k)); }

void FrmEditor::WriteDirection(int row, const std::string& text) {
  TextBox& box = frameLine(row).Visible() ? txtBearingLine(row) : txtBearingArc(row);
  box.SetText(text);
}

void FrmEditor::AutoInverse() {
  if (ManualInvert) return;
  std::vector<geometry::CourseRow> rows = CourseRows();
  const geometry::TraverseSettings settings = CurrentTraverseSettings();
  const int lastRow = geometry::FindLastLine(rows, settings);
  Result.LastRow = lastRow;
  if (lastRow > geometry::kAutoInvertAdviceLastRow) {
    MsgBox(geometry::AutoInvertAdviceText(CurrentEdition()), vbOKOnly + vbExclamation);
  }
  // Each reversal goes into its box at once; the box's change handling
  // recalculates the figures and the preview.
  for (const geometry::DirectionWrite& write : geometry::AutoInvertDirections(rows, lastRow, settings)) {
    WriteDirection(write.row, write.text);
  }
}

// ---------------------------------------------------------------------------
// Activation and unload.

void FrmEditor::Form_Activate() {
  const Edition edition = CurrentEdition();
  if (edition != Edition::R14) SetHelpFile(Program().ProgramFolder + "/" + "ZIVidi.hlp");
  // Every return to the editor in the Review model shows the stored parcels
  // afresh -- except while a parcel is edited: its edits stay.
  if (optmodel(1).Value() && optmodel(1).Enabled() && !Editing()) optmodel_Click(1);
  if (edition != Edition::R14) SetAutomationBoxTexts();
}

void FrmEditor::Form_QueryUnload(int& cancel) {
  if (!OfferSaveBeforeClosing()) cancel = 1;
}

bool FrmEditor::ParcelEntered() const {
  const std::string& name = txtParcel.Visible() ? txtParcel.Text() : cbxParcel.Text();
  bool entered = !name.empty();
  for (int k = 0; k < courseLimit_ && !entered; ++k) entered = grid_->RowHoldsCourse(k);
  return entered;
}

bool FrmEditor::OfferSaveBeforeClosing() {
  if (!Editing() || !ParcelEntered()) return true;
  const int answer = MsgBox(kSaveQuestion, vbYesNoCancel);
  if (answer == vbNo) return true;
  if (answer == vbYes) cmdSave_Click();
  // Cancel, or a save that did not happen: the parcel stays, and so does the
  // program. A save that begins the next parcel leaves an empty one.
  return !Editing() || !ParcelEntered();
}

void FrmEditor::Form_Unload() {
  try {
    if (link_) {
      link_->SetCADSDI(0);
      link_->ReleaseCad();
    }
  } catch (...) {
  }
  // Closing the editor ends the program.
  for (Form* form : LoadedForms()) {
    if (form != this) form->Unload();
  }
  Application::Quit(0);
}

void SetAutomationBoxTexts() {
  SetRequestPendingBox({"AutoCAD", "AutoCAD is ready to select text for transfer to Korvalo.\nPress OK to continue."});
  SetServerBusyBox({"AutoCAD", "AutoCAD is currently busy. you may wish to cancel this request\nand try it later."});
}

}  // namespace korvalo::editor
