#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "common/numbers.h"
#include "editor/grid_layout.h"
#include "standalone/frm_main.h"
#include "standalone/standalone_editor.h"
#include "storage/program_state.h"

// The floating editor's commands: Save/New, Cancel, the row deletion that
// keeps the focus on its course, the scroll range while the scroll bar has
// the focus, the scrolling to the focused course, and the pop-up's flip.
namespace korvalo::standalone {

using namespace forms;

namespace {

// Scroll values are whole numbers, halves to the even neighbour.
int Whole(double value) { return static_cast<int>(std::nearbyint(value)); }

}  // namespace

void StandaloneEditor::cmdSave_Click() {
  ResetFieldHighlight(FocusRow, FocusField);
  const std::string closureText = editor_.lblClosure.Caption();
  if (closureText.empty()) {
    MsgBox("There is no valid parcel to save.", vbOKOnly + vbExclamation, "Korvalo");
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
  // Courses in a grid that shows no stored parcel (after Cancel, or a row
  // command on the emptied grid) are a new parcel: an update would write
  // them over the parcel loaded last.
  if (editor_.NewParcel || !editor_.StoredParcelShown()) {
    if (!editor_.SaveNewParcel()) return;
    editor_.Parcel_Bound();
    editor_.ClearEditor();
    editor_.ManualInvert = false;
    // Saved, and the next new parcel started in the same step.
    editor_.cmdInsert_Click();
    return;
  }
  if (!editor_.SaveExistingParcel()) return;
  EnableCourseControls(false);
  SetEditing(false);
  editor_.ManualInvert = false;
}

void StandaloneEditor::cmdCancel_Click() {
  CancelParcel();
  ResetFieldHighlight(FocusRow, FocusField);
}

bool StandaloneEditor::Save(editor::FrmEditor&) {
  cmdSave_Click();
  return true;
}

bool StandaloneEditor::Cancel(editor::FrmEditor&) {
  cmdCancel_Click();
  return true;
}

bool StandaloneEditor::NewParcel(editor::FrmEditor&) {
  viewer_.ClearPickMarks();
  editor_.ClearEditor();
  EnableCourseControls(true);
  editor_.cmdInsert.SetEnabled(false);
  SetEditing(true);
  editor_.cmdDelete.SetEnabled(false);
  main_.mnuDeleteParcel.SetEnabled(false);
  editor_.NewParcel = true;
  if (editor_.txtParcel.CanFocus()) editor_.txtParcel.SetFocus();
  return true;
}

bool StandaloneEditor::EditParcel(editor::FrmEditor&) {
  EnableCourseControls(true);
  SetEditing(true);
  viewer_.ClearPickMarks();
  return true;
}

// ---------------------------------------------------------------------------
// Row deletion.

void StandaloneEditor::Delete_Proc(int index) {
  const int limit = editor_.CourseLimit();
  if (index < 0 || index >= limit) return;
  // The boxes' colours move up with their courses, so that the highlight
  // stays on the course that had it.
  struct RowColours {
    std::array<Colour, 6> back{};
  };
  const auto boxes = [this](int k) {
    return std::array<TextBox*, 6>{&editor_.txtBearingLine(k), &editor_.txtDistanceLine(k),
                                   &editor_.txtBearingArc(k),  &editor_.txtArc(k),
                                   &editor_.txtChord(k),       &editor_.txtRadius(k)};
  };
  std::vector<RowColours> colours(static_cast<std::size_t>(limit));
  for (int k = index + 1; k < limit; ++k) {
    const auto row = boxes(k);
    for (std::size_t b = 0; b < row.size(); ++b) colours[static_cast<std::size_t>(k)].back[b] = row[b]->BackColor();
  }
  editor_.DeleteGridRow(index);
  for (int k = index; k < limit - 1; ++k) {
    const auto row = boxes(k);
    for (std::size_t b = 0; b < row.size(); ++b) row[b]->SetBackColor(colours[static_cast<std::size_t>(k + 1)].back[b]);
  }
  for (TextBox* box : boxes(limit - 1)) box->SetBackColor(vbWindowBackground);

  // The focused course lay below the deleted row: it is one row up now, and
  // the focus follows it.
  if (FocusRow - 1 > index && FocusRow >= 2) {
    FocusRow -= 1;
    TextBox* box = FieldBox(FocusRow - 1, FocusField);
    if (box && box->CanFocus()) {
      box->SetFocus();
      DoEvents();
    }
  }
  editor_.frameLine(0).SetEnabled(true);
  editor_.frameArc(0).SetEnabled(true);
  editor_.cmdNo(0).SetEnabled(true);
  for (TextBox* box : boxes(index)) box->SetBackColor(vbWindowBackground);
}

bool StandaloneEditor::DeleteRow(editor::FrmEditor&, int row) {
  Delete_Proc(row);
  return true;
}

// ---------------------------------------------------------------------------
// Scrolling.

int StandaloneEditor::RowsHeight(int last) const {
  int height = 0;
  for (int i = 0; i <= last && i < editor_.CourseLimit(); ++i) {
    height += editor_.frameLine(i).Visible() ? editor::kLineRowHeight : editor::kArcRowHeight;
  }
  return height;
}

int StandaloneEditor::LastEnabledRow(int limit) const {
  int last = 0;
  for (int i = 0; i < limit && i < editor_.CourseLimit(); ++i) {
    if (!editor_.frameLine(i).Enabled() && !editor_.frameArc(i).Enabled()) break;
    last = i;
  }
  return last;
}

void StandaloneEditor::VScroll1_GotFocus() {
  const int limit = editor_.CourseLimit();
  const double h = RowsHeight(LastEnabledRow(limit));
  int max = 0;
  if (h / editor::kArcRowHeight + 1 > limit) {
    max = editor::kScrollFullMax;
  } else if (h < editor::kArcRowHeight) {
    max = limit;
  } else {
    max = Whole((h - editor::kArcRowHeight) * 40 / limit);
  }
  editor_.VScroll1.SetMax(max);
}

void StandaloneEditor::VScroll1_LostFocus() { editor_.VScroll1.SetMax(editor::kScrollFullMax); }

bool StandaloneEditor::ScrollBarFocus(editor::FrmEditor&, bool got) {
  if (got) {
    VScroll1_GotFocus();
  } else {
    VScroll1_LostFocus();
  }
  return true;
}

void StandaloneEditor::GotoFocusLine() {
  constexpr int kKeptAbove = 1600;
  const int limit = editor_.CourseLimit();
  const int last = FocusRow >= 2 ? LastEnabledRow(FocusRow) : 0;
  const int h = std::max(RowsHeight(last), kKeptAbove) - kKeptAbove;
  if (static_cast<double>(h) / editor::kArcRowHeight > limit) {
    editor_.VScroll1.SetValue(editor_.VScroll1.Max());
  } else {
    editor_.VScroll1.SetValue(Whole(static_cast<double>(h) * 40 / limit));
  }
}

// ---------------------------------------------------------------------------
// The row button's pop-up menu.

void StandaloneEditor::WireRowMenu() {
  // The other items are the shared editor's, acting on the row the pop-up
  // was opened on through this edition's switches. The flip leaves the Auto
  // button as it is here.
  editor_.mnuPopFlipBearing.OnClick = [this](int) { FlipRow(editor_.PopupRow()); };
}

}  // namespace korvalo::standalone
