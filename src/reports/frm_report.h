#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/dao/dao.h"
#include "platform/forms/forms.h"
#include "reports/picture_report.h"
#include "reports/report_builders.h"
#include "reports/report_data.h"
#include "reports/report_editor.h"

// The report window: the full report, the summary report or the report with
// picture of the open project, chosen by the menu that opens it and kept in
// the window's caption. A bar across the top holds the parcel filter (All,
// Pass, Fail), a list for a single parcel, and Print, Close and Save as;
// below it the preview of the full and summary reports. The report with
// picture has no preview: Print steps the editor through the parcels and
// prints what the editor shows.
//
// One window object lives for the program's run. Each opening loads it
// afresh from its design (controls, tooltips, the project connection);
// what it keeps between openings is the last save dialog's name.
namespace korvalo::reports {

enum class ReportKind { Full, Summary, Picture };

inline constexpr const char* kFullReportCaption = "Korvalo full report";
inline constexpr const char* kSummaryReportCaption = "Korvalo summary report";
inline constexpr const char* kPictureReportCaption = "Korvalo report with picture";
const char* CaptionOf(ReportKind kind);

inline constexpr const char* kSaveBeforeReportsMessage =
    "Please save the current parcel before printing reports.";
inline constexpr const char* kNoPrinterMessage = "No printer found.";
inline constexpr const char* kPrintReportQuestion = "Print this report?";
// After the name of a PDF file that exists (Yes replaces it).
inline constexpr const char* kReplaceFileQuestion = " already exists.\nDo you want to replace it?";
// Followed by the PDF file or the printer, and ".".
inline constexpr const char* kNotPrintedMessage = "The report could not be printed to ";

class FrmReport : public forms::Form {
 public:
  explicit FrmReport(ReportEditor& editor);
  ~FrmReport() override;

  // The kind the caption names; none for any other caption.
  std::optional<ReportKind> Kind() const;

  // The parcel selection as the controls hold it now.
  ReportFilter CurrentFilter() const;

  // Runs the report of the kind anew (nothing for the report with picture).
  void BuildReport();

  // Save as and Print.
  void cmdExport_Click();
  void cmdPrint_Click();
  // The report with picture: one document per reported parcel.
  void PrintPictureReports();

  // Hides the editor while the report with picture is open; closing the
  // window shows it again in its place.
  void HideEditor();

  // Whether the preview shows a full report built whole in this opening
  // (only then does a CSV name copy its CSV).
  bool FullReportShown() const { return fullReportShown_; }

  forms::Frame frameBar;
  forms::ControlArray<forms::OptionButton> optPassFail;
  forms::Label Label1;
  forms::ComboBox cbxParcel;
  forms::CommandButton cmdPrint;
  forms::CommandButton cmdClose;
  forms::CommandButton cmdExport;
  forms::RichTextBox rtfReport;

 private:
  void Design();
  void WireEvents();
  void Form_Load();
  void Form_Activate();
  void Form_Resize();
  void Form_Unload();
  void optPassFail_Click(int index);
  void cbxParcel_Click();
  ReportSettings CurrentSettings() const;
  PictureReportPage PageOfShownParcel(PassFail option) const;

  ReportEditor& editor_;
  std::unique_ptr<DatabaseReportProject> project_;
  std::string directionHeading_ = "BEARING";
  bool fullReportShown_ = false;
  std::string lastFileName_;
  bool editorHidden_ = false;
};

// What a Report menu item does: refuses while the editor is editing a parcel,
// loads the window (unloading it first when it is open, so that every
// opening starts from the design), lays it out for the kind and the edition, sets the
// caption and shows it (which builds the report).
void OpenReportWindow(FrmReport& window, ReportEditor& editor, ReportKind kind);

}  // namespace korvalo::reports
