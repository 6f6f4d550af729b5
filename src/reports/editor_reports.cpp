#include "reports/editor_reports.h"

#include "editor/project_events.h"

namespace korvalo::reports {

std::optional<std::int64_t> EditorReportHost::ShownParcelId() const {
  // The grid shows the parcel loaded last; a load the editor refused keeps
  // the previous one there, or clears the list's selection.
  if (e_.cbxParcel.ListIndex() < 0 || e_.CurrentParcelID == 0) return std::nullopt;
  return e_.CurrentParcelID;
}

EditorCourseRow EditorReportHost::Row(int k) const {
  EditorCourseRow row;
  row.arc = !e_.frameLine(k).Visible();
  if (row.arc) {
    row.direction = e_.txtBearingArc(k).Text();
    row.arcLength = e_.txtArc(k).Text();
    row.chord = e_.txtChord(k).Text();
    row.radius = e_.txtRadius(k).Text();
    row.plus = e_.chksign(2 * k).Value() == forms::vbChecked;
  } else {
    row.direction = e_.txtBearingLine(k).Text();
    row.distance = e_.txtDistanceLine(k).Text();
  }
  return row;
}

EditorFigures EditorReportHost::Figures() const {
  return {e_.lblArea.Caption(), e_.lblClosure.Caption(), e_.lblPrecision.Caption(), e_.lblDirection.Caption()};
}

// The report window is built at its first use, not at the start.
EditorReports::EditorReports(editor::FrmEditor& editor) : editor_(editor), host_(editor) {
  editor_.SetReportOpener([this](editor::FrmEditor::ReportItem item) {
    const ReportKind kind = item == editor::FrmEditor::ReportItem::Full      ? ReportKind::Full
                            : item == editor::FrmEditor::ReportItem::Summary ? ReportKind::Summary
                                                                             : ReportKind::Picture;
    OpenReportWindow(Window(), host_, kind);
  });
  editor_.SetReportWindowOpen([this] { return window_ && window_->Loaded(); });
  closingHandler_ = editor::AddProjectEventHandler(editor::ProjectEvent::Closing, [this] {
    if (window_ && window_->Loaded()) window_->Unload();
  });
}

FrmReport& EditorReports::Window() {
  if (!window_) window_ = std::make_unique<FrmReport>(host_);
  return *window_;
}

EditorReports::~EditorReports() {
  editor::RemoveProjectEventHandler(closingHandler_);
  editor_.SetReportOpener(nullptr);
  editor_.SetReportWindowOpen(nullptr);
  if (window_ && window_->Loaded()) window_->Unload();
}

}  // namespace korvalo::reports
