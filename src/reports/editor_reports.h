#pragma once

#include <memory>

#include "editor/frm_editor.h"
#include "reports/frm_report.h"
#include "reports/report_editor.h"

// The linked edition's editor as the report window sees it, and the wiring
// of the editor's Report menu to the window.
namespace korvalo::reports {

class EditorReportHost : public ReportEditor {
 public:
  explicit EditorReportHost(editor::FrmEditor& editor) : e_(editor) {}

  forms::Form& Window() override { return e_; }
  int SavedTop() const override { return e_.SavedEditorTop; }
  int SavedLeft() const override { return e_.SavedEditorLeft; }
  bool Editing() const override { return e_.Editing(); }
  forms::ComboBox& ParcelList() override { return e_.cbxParcel; }
  // The parcel of the list's selected entry: the list's selection loads it.
  std::optional<std::int64_t> ShownParcelId() const override;
  int CourseLimit() const override { return e_.CourseLimit(); }
  EditorCourseRow Row(int k) const override;
  EditorFigures Figures() const override;
  forms::PictureBox& Picture() override { return e_.picParcel; }
  void Drawing() override { e_.Drawing(); }

 private:
  editor::FrmEditor& e_;
};

// Owns the report window of the run: the editor's Report items open it, and
// a change of project unloads it first (it holds a connection to the old
// project). Undone when it goes.
class EditorReports {
 public:
  explicit EditorReports(editor::FrmEditor& editor);
  ~EditorReports();
  EditorReports(const EditorReports&) = delete;
  EditorReports& operator=(const EditorReports&) = delete;

  // The report window, built when first wanted.
  FrmReport& Window();
  ReportEditor& Host() { return host_; }

 private:
  editor::FrmEditor& editor_;
  EditorReportHost host_;
  std::unique_ptr<FrmReport> window_;
  int closingHandler_ = 0;
};

}  // namespace korvalo::reports
