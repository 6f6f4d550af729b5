#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf8.h"
#include "editor/frm_editor.h"
#include "geometry/direction.h"
#include "geometry/traverse.h"

// The editor window: the Edit and View menus and the row button's pop-up
// menu. The row items act through the grid's row operations; the parcel
// items are the parcel buttons (wired with the parcel commands).
namespace korvalo::editor {

using namespace forms;

namespace {

constexpr const char* kChangeToCurve = "Change to curve";
constexpr const char* kChangeToLine = "Change to line";

// Degrees from which an azimuth points south of the east-west line.
constexpr long kSouthFrom = 90;
constexpr long kSouthTo = 270;

std::string TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// The whole degrees of an azimuth's degree digits ("" reads 0). A run too
// long for any azimuth reads as none.
std::optional<long> WholeDegrees(const std::string& digits) {
  if (digits.size() > 9) return std::nullopt;
  long degrees = 0;
  for (char c : digits) degrees = degrees * 10 + (c - '0');
  return degrees;
}

}  // namespace

void FrmEditor::WireEditMenus() {
  mnuEdit.OnClick = [this](int) { mnuEdit_Click(); };
  mnuDeleteCourse.OnClick = [this](int) { mnuDeleteCourse_Click(); };
  mnuInsertBefore.OnClick = [this](int) { mnuInsertBefore_Click(); };
  mnuInsertAfter.OnClick = [this](int) { mnuInsertAfter_Click(); };
  mnuFlipBearing.OnClick = [this](int) { mnuFlipBearing_Click(); };
  mnuChangeLineCurve.OnClick = [this](int) { mnuChangeLineCurve_Click(); };
  mnuNorthing.OnClick = [this](int) { mnuNorthing_Click(); };

  mnuView.OnClick = [this](int) { mnuView_Click(); };
  mnuSizePicture.OnClick = [this](int) { mnuSizePicture_Click(); };
  mnuMiniWin.OnClick = [this](int) { mnuMiniWin_Click(); };
  mnuRefresh.OnClick = [this](int) { mnuRefresh_Click(); };

  mnuReport.OnClick = [this](int) { mnuReport_Click(); };
  const auto reportItem = [this](ReportItem which) {
    return [this, which](int) {
      if (openReport_) openReport_(which);
    };
  };
  mnuFullReport.OnClick = reportItem(ReportItem::Full);
  mnuSumReport.OnClick = reportItem(ReportItem::Summary);
  mnuPicReport.OnClick = reportItem(ReportItem::Picture);

  mnuPopDelete.OnClick = [this](int) { mnuPopDelete_Click(); };
  mnuPopInsertBefore.OnClick = [this](int) { mnuPopInsertBefore_Click(); };
  mnuPopInsertAfter.OnClick = [this](int) { mnuPopInsertAfter_Click(); };
  mnuPopChangeLineCurve.OnClick = [this](int) { mnuPopChangeLineCurve_Click(); };
  mnuPopFlipBearing.OnClick = [this](int) { mnuPopFlipBearing_Click(); };
}

// ---------------------------------------------------------------------------
// The Edit menu.

void FrmEditor::mnuEdit_Click() {
  const bool row = ValidRow(CurrentRow);
  for (Menu* item : {&mnuDeleteCourse, &mnuInsertBefore, &mnuInsertAfter, &mnuFlipBearing,
                     &mnuChangeLineCurve}) {
    item->SetEnabled(row);
  }
  if (row) mnuChangeLineCurve.SetCaption(frameLine(CurrentRow).Visible() ? kChangeToCurve : kChangeToLine);
  mnuNorthing.SetEnabled(Editing());
}

void FrmEditor::mnuDeleteCourse_Click() {
  if (!ValidRow(CurrentRow)) return;
  const int row = CurrentRow;
  SetEditing(true);
  Delete_Proc(row);
}

void FrmEditor::mnuInsertBefore_Click() {
  if (!ValidRow(CurrentRow)) return;
  // A refused insert (the last row holds a course) has told the user and
  // changed nothing.
  if (Insert_Proc(CurrentRow)) SetEditing(true);
}

bool FrmEditor::InsertAfter(int row) {
  if (row + 1 == courseLimit_) {
    MsgBox("The maximum number of courses is " + std::to_string(courseLimit_) + ".", vbOKOnly);
    return false;
  }
  if (!ValidRow(row)) return false;
  return Insert_Proc(row + 1);
}

void FrmEditor::mnuInsertAfter_Click() {
  // A refused insert (the last row, or a course in the last row) has told
  // the user and changed nothing, the editing state included.
  if (InsertAfter(CurrentRow)) SetEditing(true);
}

void FrmEditor::mnuFlipBearing_Click() { FlipBearing(CurrentRow); }

void FrmEditor::mnuChangeLineCurve_Click() {
  if (!ValidRow(CurrentRow)) return;
  ToggleLineCurve(CurrentRow);
  CalculateAndDraw();
  SetEditing(true);
}

void FrmEditor::FlipBearing(int row) {
  if (!ValidRow(row)) return;
  TextBox* box = nullptr;
  if (frameLine(row).Visible()) {
    box = &txtBearingLine(row);
  } else if (frameArc(row).Visible()) {
    box = &txtBearingArc(row);
  }
  if (box) {
    if (!box->Text().empty()) {
      box->SetText(geometry::ReverseDirection(box->Text(), CurrentTraverseSettings().direction));
    }
    CalculateAndDraw();
  }
  EnableCourseControls(true);
  SetEditing(true);
  ManualInvert = true;
  // A direction reversed by hand stays: Auto would undo it.
  cmdAutoInverse.SetEnabled(false);
}

void FrmEditor::RestoreAllToNorth() {
  const geometry::TraverseSettings settings = CurrentTraverseSettings();
  const int last = geometry::FindLastLine(CourseRows(), settings);
  Result.LastRow = last;
  // Each changed box recalculates through its change handling; the
  // figures are worked out once, at the end.
  bool changed = false;
  const bool wasEnabled = CalcEnabled;
  CalcEnabled = false;
  const auto write = [&changed](TextBox& box, const std::string& text) {
    if (box.Text() == text) return;
    box.SetText(text);
    changed = true;
  };
  try {
    for (int k = 0; k <= last; ++k) {
      TextBox& box = frameLine(k).Visible() ? txtBearingLine(k) : txtBearingArc(k);
      if (settings.direction.bearing) {
        const std::string text = utf8::AsciiUpper(TrimBlanks(box.Text()));
        // Turning a text that is no bearing would lose what was typed.
        std::string check = text;
        if (!geometry::IsValidDirection(check, settings.direction)) continue;
        write(box, text);
        if (!box.Text().starts_with('N')) {
          write(box, geometry::ReverseDirection(box.Text(), settings.direction));
        }
      } else {
        std::string check = box.Text();
        if (!geometry::IsValidDirection(check, settings.direction)) continue;
        geometry::DmsParts parts;
        geometry::SplitDMS(box.Text(), parts, settings.direction);
        const std::optional<long> degrees = WholeDegrees(parts[0]);
        if (degrees && *degrees >= kSouthFrom && *degrees < kSouthTo) {
          write(box, geometry::ReverseDirection(box.Text(), settings.direction));
        }
      }
    }
  } catch (...) {
    CalcEnabled = wasEnabled;
    throw;
  }
  CalcEnabled = wasEnabled;
  if (changed) CalculateAndDraw();
  ManualInvert = true;
}

void FrmEditor::mnuNorthing_Click() {
  RestoreAllToNorth();
  cmdAutoInverse.SetEnabled(false);
}

// ---------------------------------------------------------------------------
// The View menu.

void FrmEditor::mnuView_Click() {
  // The picture fills the window's width exactly while it is zoomed.
  mnuSizePicture.SetCaption(picParcel.Width() != Width() ? "Full picture" : "Normal picture");
}

void FrmEditor::mnuSizePicture_Click() { picParcel_DblClick(); }

void FrmEditor::mnuMiniWin_Click() { SetWindowState(vbMinimized); }

void FrmEditor::mnuRefresh_Click() {
  CalcEnabled = true;
  CalculateAndDraw();
}

// ---------------------------------------------------------------------------
// The row pop-up.

void FrmEditor::mnuPopDelete_Click() {
  const int row = popupRow_;
  if (!ValidRow(row)) return;
  Delete_Proc(row);
  EnableCourseControls(true);
  SetEditing(true);
}

void FrmEditor::mnuPopInsertBefore_Click() {
  const int row = popupRow_;
  if (!ValidRow(row)) return;
  if (!Insert_Proc(row)) return;
  EnableCourseControls(true);
  SetEditing(true);
}

void FrmEditor::mnuPopInsertAfter_Click() {
  const int row = popupRow_;
  if (!InsertAfter(row)) return;
  EnableCourseControls(true);
  SetEditing(true);
}

void FrmEditor::mnuPopChangeLineCurve_Click() {
  const int row = popupRow_;
  if (!ValidRow(row)) return;
  ToggleLineCurve(row);
  CalculateAndDraw();
  EnableCourseControls(true);
  SetEditing(true);
}

void FrmEditor::mnuPopFlipBearing_Click() { FlipBearing(popupRow_); }

}  // namespace korvalo::editor
