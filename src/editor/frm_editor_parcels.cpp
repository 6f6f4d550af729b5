#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "editor/frm_editor.h"
#include "geometry/save_checks.h"
#include "storage/parcel_save.h"
#include "storage/program_state.h"

// The editor window: parcels between the project file and the grid -- the
// parcel list, loading a parcel, and saving the grid as a new parcel or as
// the update (or rename) of the parcel shown. Checking and storing are done
// on values by the save checks and parcel storage; this file reads the
// window's controls into those values and shows what comes back.
namespace korvalo::editor {

using namespace forms;

namespace {

// The save checks' boxes and field marks, on this window.
class EditorSaveDialogs : public geometry::SaveDialogs {
 public:
  explicit EditorSaveDialogs(FrmEditor& editor) : editor_(editor) {}

  void Notice(const std::string& text) override { MsgBox(text, vbOKOnly); }
  bool AskYesNo(const std::string& text) override { return MsgBox(text, vbYesNo) == vbYes; }

  void Mark(const geometry::FieldMark& mark) override {
    const int row = mark.row;
    if (row < 0 || row >= editor_.CourseLimit()) return;
    switch (mark.field) {
      case geometry::CourseField::RowButton:
        editor_.cmdNo(row).SetBackColor(static_cast<Colour>(geometry::kUnconfirmedSignColour));
        break;
      case geometry::CourseField::ArcLength:
        Focus(editor_.txtArc(row));
        editor_.txtArc(row).SetBackColor(static_cast<Colour>(geometry::kArcMismatchColour));
        break;
      case geometry::CourseField::LineDirection:
        Focus(editor_.txtBearingLine(row));
        break;
      case geometry::CourseField::ArcDirection:
        Focus(editor_.txtBearingArc(row));
        break;
    }
  }

 private:
  static void Focus(TextBox& box) {
    if (box.CanFocus()) box.SetFocus();
  }
  FrmEditor& editor_;
};

geometry::SaveCheckSettings SaveSettingsFor(const geometry::TraverseSettings& traverse) {
  const ProjectSettings& project = Program().ProjectSettings;
  geometry::SaveCheckSettings settings;
  settings.traverse = traverse;
  settings.addAreaCheck = project.AddAreaCheck;
  settings.tangentCheck = project.TangentCheck;
  settings.tangentTolerance = project.TangentTolerance;
  settings.warningRange = project.WarningRange;
  return settings;
}

// The parcel on the grid under the name given, once the save checks have
// passed it (their boxes shown, their fields marked): the tangency flags of
// the checks, and the figures computed from the same rows. No value when a
// check refused the save.
std::optional<ParcelToSave> CheckedParcel(FrmEditor& editor, const std::string& name) {
  std::vector<geometry::CourseRow> rows = editor.CourseRows();
  const geometry::TraverseSettings traverse = editor.CurrentTraverseSettings();
  EditorSaveDialogs dialogs(editor);
  geometry::SaveValidation validation =
      geometry::ValidateForSave(name, rows, SaveSettingsFor(traverse), dialogs);
  if (!validation.ok) return std::nullopt;
  ParcelToSave parcel;
  parcel.name = name;
  parcel.figures = FiguresOf(geometry::ComputeClosure(rows, traverse));
  parcel.rows = std::move(rows);
  parcel.nonTangFlags = std::move(validation.nonTangFlags);
  return parcel;
}

}  // namespace

// ---------------------------------------------------------------------------
// The parcel list.

void FrmEditor::Parcel_Bound() {
  cbxParcel.Clear();
  std::vector<ComboBox::Item> items;
  for (ParcelListEntry& entry : ParcelList(Program().ProjectPath)) {
    items.push_back({std::move(entry.Parcel), static_cast<long>(entry.ParcelID)});
  }
  cbxParcel.AddItems(std::move(items));
  RememberListState();
}

void FrmEditor::SelectParcelEntry(int index) {
  const bool previous = programSelection_;
  programSelection_ = true;
  try {
    cbxParcel.SetListIndex(index);
  } catch (...) {
    programSelection_ = previous;
    throw;
  }
  programSelection_ = previous;
  RememberListState();
}

void FrmEditor::RememberListState() {
  shownListIndex_ = cbxParcel.ListIndex();
  shownListText_ = cbxParcel.Text();
}

void FrmEditor::RestoreListState() {
  restoringList_ = true;
  const int index = shownListIndex_ < cbxParcel.ListCount() ? shownListIndex_ : -1;
  cbxParcel.SetListIndex(index);
  // A renamed entry's text is no entry of the list: it comes back as typed.
  if (index < 0 && cbxParcel.Text() != shownListText_) cbxParcel.SetText(shownListText_);
  restoringList_ = false;
}

// ---------------------------------------------------------------------------
// Loading a parcel.

void FrmEditor::Show_Detail() {
  ++detailLoads_;
  const int index = cbxParcel.ListIndex();
  if (index < 0) return;
  const ParcelId id = cbxParcel.ItemData(index);
  CalcEnabled = false;
  const LoadedParcel loaded = LoadParcel(CurrentParcelContext(), id);
  if (loaded.status != LoadStatus::Loaded) {
    // The grid keeps the parcel it showed, and so does CurrentParcelID: a
    // later update must not write that grid over the parcel that could not
    // be shown.
    if (loaded.status == LoadStatus::NoCourses) SelectParcelEntry(-1);
    CalcEnabled = true;
    return;
  }
  ClearEditor();
  CurrentParcelID = id;
  const int n = static_cast<int>(loaded.rows.size());
  for (int i = 0; i < n; ++i) {
    const geometry::CourseRow& row = loaded.rows[static_cast<std::size_t>(i)];
    cmdNo(i).SetEnabled(true);
    if (row.kind == geometry::CourseKind::Line) {
      frameLine(i).SetVisible(true);
      frameArc(i).SetVisible(false);
      frameLine(i).SetEnabled(true);
      frameArc(i).SetEnabled(true);
      txtBearingLine(i).SetText(row.direction);
      txtDistanceLine(i).SetText(row.distance);
    } else {
      ToggleLineCurve(i);
      frameLine(i).SetVisible(false);
      frameArc(i).SetVisible(true);
      frameLine(i).SetEnabled(true);
      frameArc(i).SetEnabled(true);
      txtBearingArc(i).SetText(row.direction);
      txtArc(i).SetText(row.arcLength);
      txtRadius(i).SetText(row.radius);
      txtChord(i).SetText(row.distance);
      chksign(2 * i).SetValue(row.plusBox);
      chksign(2 * i + 1).SetValue(row.minusBox);
    }
  }
  if (n < courseLimit_) {
    cmdNo(n).SetEnabled(true);
    frameLine(n).SetVisible(true);
    frameLine(n).SetEnabled(true);
  }
  storedParcelShown_ = true;
  lblArea.SetCaption(loaded.areaText);
  lblClosure.SetCaption(loaded.closureText);
  CalcEnabled = true;
  CalculateAndDraw();
}

// ---------------------------------------------------------------------------
// Saving.

bool FrmEditor::SaveNewParcel() { return SaveNewParcel(txtParcel.Text()); }

bool FrmEditor::SaveNewParcel(const std::string& name) {
  const std::optional<ParcelToSave> parcel = CheckedParcel(*this, name);
  return parcel && ::korvalo::SaveNewParcel(CurrentParcelContext(), *parcel).has_value();
}

bool FrmEditor::SaveExistingParcel() {
  // An update writes into the parcel the grid shows, and into no other: a
  // grid cleared since its load shows none.
  if (!storedParcelShown_) {
    MsgBox("No stored parcel is shown, so there is none to update. Nothing was saved.", vbOKOnly + vbExclamation);
    return false;
  }
  const bool nameBox = policy_ && policy_->NameBoxNamesStoredParcel();
  const std::string name = nameBox ? txtParcel.Text() : cbxParcel.Text();
  const std::optional<ParcelToSave> parcel = CheckedParcel(*this, name);
  if (!parcel) return false;
  // A name other than the list's is a new name for the parcel shown: the
  // name box's text that differs from the list's, or the list's text that is
  // none of its entries. Either way the parcel written is the one loaded
  // last: a selection the list took meanwhile is not followed (it is put
  // back while editing).
  const bool rename = nameBox ? name != cbxParcel.Text() : cbxParcel.ListIndex() < 0;
  if (!::korvalo::SaveExistingParcel(CurrentParcelContext(), CurrentParcelID, *parcel, rename)) {
    return false;
  }
  if (!rename) return true;

  // The renamed parcel is shown again under its new name, at its new place.
  Parcel_Bound();
  ClearEditor();
  const std::string stored = StoredParcelName(name);
  for (int i = 0; i < cbxParcel.ListCount(); ++i) {
    if (cbxParcel.List(i) == stored) {
      SelectParcelEntry(i);
      break;
    }
  }
  Show_Detail();
  return true;
}

}  // namespace korvalo::editor
