#include <string>

#include "editor/course_grid.h"
#include "geometry/direction.h"
#include "standalone/editor_layout.h"
#include "standalone/frm_main.h"
#include "standalone/standalone_editor.h"

// The floating editor's switches that set its buttons together with their
// twins in the frame's menus, the picture's size, the direction flip, and
// the tracking of the course box that last had the focus.
namespace korvalo::standalone {

using namespace forms;

void StandaloneEditor::SetEditing(bool on) {
  editor_.cmdEdit.SetEnabled(!on);
  main_.mnuEditMode.SetEnabled(!on);
  editor_.mnuPopEdit.SetEnabled(!on);
  editor_.cmdSave.SetEnabled(on);
  main_.mnuSaveParcel.SetEnabled(on);
  editor_.cmdCancel.SetEnabled(on);
  main_.mnuCancelParcel.SetEnabled(on);
  // Auto inverts the parcel being edited, whatever the Auto invert setting
  // (which acts on the picks that a grab collects).
  editor_.cmdAutoInverse.SetEnabled(on);
  editor_.cmdInsert.SetEnabled(!on);
  main_.mnuInsertParcel.SetEnabled(!on);
  // A new parcel has nothing stored to delete yet.
  editor_.cmdDelete.SetEnabled(!editor_.NewParcel);
  main_.mnuDeleteParcel.SetEnabled(!editor_.NewParcel);
  editor_.cbxParcel.SetEnabled(!on);
  editor_.cbxParcel.SetBackColor(editor_.cbxParcel.Enabled() ? vbWindowBackground : vbMenuBar);
  editor_.cmdPrevious.SetEnabled(!on);
  editor_.cmdNext.SetEnabled(!on);
}

bool StandaloneEditor::SetEditing(editor::FrmEditor&, bool on) {
  SetEditing(on);
  return true;
}

void StandaloneEditor::EnableCourseControls(bool on) {
  editor_.txtParcel.SetEnabled(on);
  editor_.EnableCourseControls(on);
}

void StandaloneEditor::CancelParcel() {
  editor_.ClearEditor();
  DoEvents();
  editor_.SelectParcelEntry(-1);
  editor_.cbxParcel.SetText("");
  SetEditing(false);
  EnableCourseControls(false);
  editor_.cmdDelete.SetEnabled(false);
  main_.mnuDeleteParcel.SetEnabled(false);
  editor_.cmdEdit.SetEnabled(false);
  main_.mnuEditMode.SetEnabled(false);
  editor_.mnuPopEdit.SetEnabled(false);
  editor_.NewParcel = false;
  editor_.ManualInvert = false;
}

void StandaloneEditor::SizePicture() {
  const bool zoom = editor_.picParcel.Width() != editor_.Width();
  editor_.PlacePicture(zoom, editor_.ScaleHeight(), kPictureThumbnailLeft,
                       zoom ? "Double Click to restore normal view" : "Double click to zoom in");
}

bool StandaloneEditor::ZoomPicture(editor::FrmEditor&) {
  SizePicture();
  return true;
}

void StandaloneEditor::FlipBearing() { FlipRow(CurrentRow); }

void StandaloneEditor::FlipRow(int k) {
  if (k < 0 || k >= editor_.CourseLimit()) return;
  TextBox* box = nullptr;
  if (editor_.frameLine(k).Visible()) {
    box = &editor_.txtBearingLine(k);
  } else if (editor_.frameArc(k).Visible()) {
    box = &editor_.txtBearingArc(k);
  }
  if (box) {
    if (!box->Text().empty()) {
      box->SetText(geometry::ReverseDirection(box->Text(), editor_.CurrentTraverseSettings().direction));
    }
    editor_.CalculateAndDraw();
  }
  EnableCourseControls(true);
  SetEditing(true);
  editor_.ManualInvert = true;
}

std::string StandaloneEditor::InvalidDirectionNotice() const { return kInvalidBearingNotice; }

// ---------------------------------------------------------------------------
// The focused course box.

TextBox* StandaloneEditor::FieldBox(int k, int code) const {
  if (k < 0 || k >= editor_.CourseLimit()) return nullptr;
  if (editor_.frameLine(k).Visible()) {
    return code == 1 ? &editor_.txtBearingLine(k) : &editor_.txtDistanceLine(k);
  }
  if (code == 1) return &editor_.txtBearingArc(k);
  // The arc entry order always names each box once (a damaged order is
  // taken as the shipped one), so a code of 2 to 4 finds its box.
  if (code == editor_.ArcFieldPosition(editor::kArcLengthName)) return &editor_.txtArc(k);
  if (code == editor_.ArcFieldPosition(editor::kChordName)) return &editor_.txtChord(k);
  if (code == editor_.ArcFieldPosition(editor::kRadiusName)) return &editor_.txtRadius(k);
  return nullptr;
}

void StandaloneEditor::ResetFieldHighlight(int row, int code) {
  if (row == 0) {
    editor_.txtParcel.SetBackColor(vbWindowBackground);
    return;
  }
  if (TextBox* box = FieldBox(row - 1, code)) box->SetBackColor(vbWindowBackground);
}

bool StandaloneEditor::CourseBoxGotFocus(editor::FrmEditor&, editor::GrabField field, int row) {
  int code = 0;
  TextBox* box = nullptr;
  switch (field) {
    case editor::GrabField::LineBearing: code = 1; box = &editor_.txtBearingLine(row); break;
    case editor::GrabField::Distance: code = 2; box = &editor_.txtDistanceLine(row); break;
    case editor::GrabField::ArcBearing: code = 1; box = &editor_.txtBearingArc(row); break;
    case editor::GrabField::ArcLength:
      code = editor_.ArcFieldPosition(editor::kArcLengthName);
      box = &editor_.txtArc(row);
      break;
    case editor::GrabField::Chord:
      code = editor_.ArcFieldPosition(editor::kChordName);
      box = &editor_.txtChord(row);
      break;
    case editor::GrabField::Radius:
      code = editor_.ArcFieldPosition(editor::kRadiusName);
      box = &editor_.txtRadius(row);
      break;
  }
  box->SetBackColor(editor::kFocusColour);
  if (FocusRow != row + 1 || FocusField != code) ResetFieldHighlight(FocusRow, FocusField);
  FocusRow = row + 1;
  FocusField = code;
  CurrentRow = row;
  return true;
}

bool StandaloneEditor::NameBoxGotFocus(editor::FrmEditor&) {
  editor_.txtParcel.SetBackColor(editor::kFocusColour);
  if (FocusRow != 0) {
    ResetFieldHighlight(FocusRow, FocusField);
    FocusRow = 0;
  }
  CurrentRow = editor_.CourseLimit();
  return true;
}

void StandaloneEditor::EnterEditMode() { SetEditing(true); }

}  // namespace korvalo::standalone
