#include <cstddef>
#include <vector>

#include "common/edition.h"
#include "editor/frm_editor.h"
#include "editor/grid_layout.h"
#include "storage/program_state.h"

// The editor window: the course rows (reading them, locking them, scrolling
// them).
namespace korvalo::editor {

using namespace forms;

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
