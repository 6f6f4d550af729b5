#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "common/edition.h"
#include "editor/frm_editor.h"
#include "editor/grid_layout.h"
#include "storage/program_state.h"

// The editor window: the course rows (their rules, reading them, locking
// them, scrolling them) and the parcel-name box.
namespace korvalo::editor {

using namespace forms;

void FrmEditor::WireRowRules() {
  CourseGridControls controls{*this,           frameBase,     cmdNo,           frameLine,
                              frameArc,        txtBearingLine, txtDistanceLine, cmdLineInvert,
                              txtBearingArc,   txtArc,        txtChord,        txtRadius,
                              lblA,            lblC,          lblR,            chksign,
                              cmdArcInvert};
  CourseGridHooks hooks;
  hooks.calculate = [this] { CalculateAndDraw(); };
  hooks.enterEditing = [this] { SetEditing(true); };
  hooks.grabMode = [this] { return DoubleClickGrabs(); };
  hooks.grab = [this](GrabField field, int row) {
    if (link_) link_->GrabCourseField(field, row);
  };
  hooks.rowMenu = [this](int row) { ShowRowMenu(row); };
  hooks.boxGotFocus = [this](GrabField field, int row) {
    return policy_ && policy_->CourseBoxGotFocus(*this, field, row);
  };
  hooks.boxLostFocus = [this](GrabField field, int row) {
    return policy_ && policy_->CourseBoxLostFocus(*this, field, row);
  };
  hooks.directionNotice = [this] { return policy_ ? policy_->InvalidDirectionNotice() : std::string(); };
  hooks.keepCurrentRow = [this] { return policy_ && policy_->RowButtonKeepsCurrentRow(); };
  grid_ = std::make_unique<CourseGrid>(controls, courseLimit_, CalcEnabled, CurrentRow,
                                       std::move(hooks));
  grid_->WireRowEvents();

  txtParcel.OnGotFocus = [this](int) {
    if (policy_ && policy_->NameBoxGotFocus(*this)) return;
    txtParcel.SetBackColor(kFocusColour);
  };
  txtParcel.OnLostFocus = [this](int) { txtParcel.SetBackColor(vbWindowBackground); };
  txtParcel.OnClick = [this](int) { SetEditing(true); };
  // A name typed or pasted is an edit of the parcel, as a click is.
  txtParcel.OnChange = [this](int) {
    if (txtParcel.HasFocus()) SetEditing(true);
  };
  txtParcel.OnDblClick = [this](int) { txtParcel_DblClick(); };
}

bool FrmEditor::DoubleClickGrabs() const {
  return GrabMode() || (policy_ && policy_->GrabsWithoutGrabMode());
}

void FrmEditor::txtParcel_DblClick() {
  if (!DoubleClickGrabs()) return;
  SetEditing(true);
  if (link_) link_->GrabParcelName();
}

void FrmEditor::ShowRowMenu(int row) {
  // Each step runs even when the one before failed; a failure is reported.
  const auto step = [](const std::function<void()>& body) {
    try {
      body();
    } catch (const std::exception& e) {
      ShowUnknownError(ErrorNumberOf(e));
    }
  };
  step([&] {
    mnuPopChangeLineCurve.SetCaption(frameLine(row).Visible() ? "Change to curve"
                                                               : "Change to line");
    mnuPopChangeLineCurve.SetEnabled(true);
  });
  // The focus makes the row current. When the press left a direction box
  // that does not read, the user has just answered for it and the box has
  // the focus back: moving the focus again would only ask a second time.
  if (!grid_->FocusBackAfterDirectionCheck()) step([&] { cmdNo(row).SetFocus(); });
  // The items act on this row even when the focus could not stay on its
  // button (a direction box left invalid takes it back, and CurrentRow with
  // it); once the menu has closed they act on none.
  struct PopupOpen {
    int& row;
    int none;
    ~PopupOpen() { row = none; }
  } open{popupRow_, courseLimit_};
  popupRow_ = row;
  step([&] { PopupMenu(mnuPopup); });
}

void FrmEditor::SetCourseTabOrder() { grid_->SetCourseTabOrder(Program().ProjectSettings); }

std::vector<bool> FrmEditor::LineRows() const {
  std::vector<bool> lines(static_cast<std::size_t>(courseLimit_));
  for (int i = 0; i < courseLimit_; ++i) lines[static_cast<std::size_t>(i)] = frameLine(i).Visible();
  return lines;
}

void FrmEditor::VScroll1_Change() {
  const std::vector<int> tops = ScrolledRowTops(LineRows(), VScroll1.Value(), ScrollScale);
  for (int i = 0; i < courseLimit_; ++i) {
    const int top = tops[static_cast<std::size_t>(i)];
    frameLine(i).SetTop(top);
    frameArc(i).SetTop(top);
    cmdNo(i).SetTop(top + kRowButtonDrop);
  }
}

void FrmEditor::VScroll1_GotFocus() {
  if (policy_ && policy_->ScrollBarFocus(*this, true)) return;
  std::vector<bool> enabled(static_cast<std::size_t>(courseLimit_));
  for (int i = 0; i < courseLimit_; ++i) {
    enabled[static_cast<std::size_t>(i)] = frameLine(i).Enabled() || frameArc(i).Enabled();
  }
  VScroll1.SetMax(NarrowedScrollMax(LineRows(), enabled, courseLimit_, false));
}

// ---------------------------------------------------------------------------
// The course model and the computation.

void FrmEditor::EnableCourseControls(bool enabled) {
  for (int k = 0; k < courseLimit_; ++k) {
    txtArc(k).SetEnabled(enabled);
    txtChord(k).SetEnabled(enabled);
    txtRadius(k).SetEnabled(enabled);
    txtBearingArc(k).SetEnabled(enabled);
    txtBearingLine(k).SetEnabled(enabled);
    txtDistanceLine(k).SetEnabled(enabled);
    cmdLineInvert(k).SetEnabled(enabled);
    cmdArcInvert(k).SetEnabled(enabled);
    chksign(2 * k).SetEnabled(enabled);
    chksign(2 * k + 1).SetEnabled(enabled);
  }
}

std::vector<geometry::CourseRow> FrmEditor::CourseRows() const {
  std::vector<geometry::CourseRow> rows(static_cast<std::size_t>(courseLimit_));
  for (int k = 0; k < courseLimit_; ++k) {
    geometry::CourseRow& row = rows[static_cast<std::size_t>(k)];
    if (frameLine(k).Visible()) {
      row.kind = geometry::CourseKind::Line;
      row.direction = txtBearingLine(k).Text();
      row.distance = txtDistanceLine(k).Text();
    } else {
      row.kind = geometry::CourseKind::Arc;
      row.direction = txtBearingArc(k).Text();
      row.distance = txtChord(k).Text();
    }
    row.arcLength = txtArc(k).Text();
    row.radius = txtRadius(k).Text();
    row.plusBox = chksign(2 * k).Value();
    row.minusBox = chksign(2 * k + 1).Value();
  }
  return rows;
}

geometry::TraverseSettings FrmEditor::CurrentTraverseSettings() const {
  const ProjectSettings& project = Program().ProjectSettings;
  geometry::TraverseSettings settings;
  settings.direction.bearing = project.Bearing;
  settings.direction.degreeSymbol = project.DegreeSymbol;
  settings.errDecimal = project.ErrDecimal;
  settings.closureTolerance = project.ClosureTolerance;
  settings.edition = CurrentEdition();
  settings.courseLimit = courseLimit_;
  return settings;
}

}  // namespace korvalo::editor
