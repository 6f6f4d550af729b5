#include <exception>
#include <filesystem>
#include <system_error>
#include <memory>
#include <string>

#include "common/edition.h"
#include "common/numbers.h"
#include "platform/print/printer.h"
#include "reports/frm_report.h"
#include "reports/report_export.h"
#include "storage/program_state.h"

// The report window's outputs: Save as, Print of the preview, and the
// report with picture.
namespace korvalo::reports {

using namespace forms;

namespace {

print::Destination DestinationOf(const PrintChoice& choice) {
  if (choice.printer == print::kPdfFileName) return print::Destination::Pdf(choice.pdfPath);
  return print::Destination::Named(choice.printer);
}

// The print dialog asked before replacing the PDF file under the name as
// typed; when the ending was added after it, the file that will be written
// is another one, and the same question is asked for it here. No keeps the
// file's bytes and prints nothing.
bool MayWrite(const PrintChoice& choice, const print::Destination& destination) {
  if (destination.kind != print::Destination::Kind::PdfFile || destination.pdfPath == choice.pdfPath) return true;
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(destination.pdfPath, error))) return true;
  return MsgBox(destination.pdfPath + kReplaceFileQuestion, vbYesNo + vbExclamation + vbDefaultButton2) == vbYes;
}

// Tells that the document could not be opened or written, naming the PDF
// file (with the ending it was given) or the printer.
void TellNotPrinted(const print::Destination& destination) {
  const bool pdf = destination.kind == print::Destination::Kind::PdfFile;
  MsgBox(std::string(kNotPrintedMessage) + (pdf ? destination.pdfPath : destination.printerName) + ".");
}

// The picture box as the run found it.
struct PictureState {
  int top, left, height, width;
  Colour back;
};

}  // namespace

void FrmReport::cmdExport_Click() {
  FileDialogOptions options;
  options.filter = SaveDialogFilter(CurrentEdition());
  options.fileName = lastFileName_;
  options.flags = kOverwritePrompt;
  const std::optional<std::string> name = SaveFileName(options);
  // Cancel writes nothing and says nothing.
  if (!name) return;
  lastFileName_ = *name;
  ExportSource source;
  source.previewText = rtfReport.Text();
  source.fullReportShown = fullReportShown_;
  if (fullReportShown_) source.csvPath = RunScratchPaths().csv;
  const ExportResult result = ExportReport(name, source);
  if (result.status == ExportResult::Status::Refused) MsgBox(result.message);
}

void FrmReport::cmdPrint_Click() {
  const std::vector<std::string> printers = print::Printers();
  if (printers.empty()) {
    MsgBox(kNoPrinterMessage, vbOKOnly + vbCritical, "Korvalo");
    return;
  }
  if (Kind() == ReportKind::Picture) {
    PrintPictureReports();
    return;
  }
  PrintDialogOptions options;
  options.printers = printers;
  options.pdfEntry = print::kPdfFileName;
  options.selection = rtfReport.SelLength() > 0;
  const std::optional<PrintChoice> choice = PrintDialog(options);
  if (!choice) return;
  const std::string text = choice->selectionOnly ? rtfReport.SelText() : rtfReport.Text();
  const print::Destination destination = DestinationOf(*choice);
  if (!MayWrite(*choice, destination)) return;
  if (!print::PrintPlainText(destination, text)) TellNotPrinted(destination);
}

PictureReportPage FrmReport::PageOfShownParcel(PassFail option) const {
  PictureReportPage page;
  page.option = option;
  page.parcel = editor_.ParcelList().Text();
  page.drawingPath = Program().DrawingPath;
  page.directionHeading = directionHeading_;
  for (int k = 0; k < editor_.CourseLimit(); ++k) {
    EditorCourseRow row = editor_.Row(k);
    if (row.direction.empty()) break;
    page.rows.push_back(std::move(row));
  }
  page.figures = editor_.Figures();
  page.errDecimal = Program().ProjectSettings.ErrDecimal;
  page.edition = CurrentEdition();
  const PictureBox::Image image = editor_.Picture().KeptImage();
  page.picture.width = image.width;
  page.picture.height = image.height;
  page.picture.pixels = image.pixels;
  return page;
}

void FrmReport::PrintPictureReports() {
  // The run loads parcel after parcel into the editor: it would load them
  // over the edits.
  if (editor_.Editing()) {
    MsgBox(kSaveBeforeReportsMessage);
    return;
  }
  if (MsgBox(kPrintReportQuestion, vbYesNo) != vbYes) return;
  // An empty list is told before a printer is asked for; the editor's
  // picture is left as it is.
  ComboBox& list = editor_.ParcelList();
  const int n = list.ListCount();
  if (n < 1) {
    MsgBox(kNoDataMessage);
    return;
  }
  PrintDialogOptions options;
  options.printers = print::Printers();
  options.pdfEntry = print::kPdfFileName;
  const std::optional<PrintChoice> choice = PrintDialog(options);
  if (!choice) return;
  const print::Destination destination = DestinationOf(*choice);
  if (!MayWrite(*choice, destination)) return;
  const bool toPdf = destination.kind == print::Destination::Kind::PdfFile;

  Form& editor = editor_.Window();
  PictureBox& picture = editor_.Picture();
  const PictureState kept{picture.Top(), picture.Left(), picture.Height(), picture.Width(), picture.BackColor()};
  picture.Move(0, 0, editor.Height(), editor.Height());
  picture.SetBackColor(0xFFFFFF);
  editor_.Drawing();
  HideEditor();

  const ReportFilter filter = CurrentFilter();
  const bool single = !filter.parcelText.empty();
  const double tolerance = Program().ProjectSettings.ClosureTolerance;
  std::unique_ptr<print::Printer> shared;
  bool printed = true;
  // The run's own index steps through the list: an entry the editor
  // refuses to load is skipped, never printed under another's name.
  for (int i = 0; i < n; ++i) {
    const std::int64_t id = list.ItemData(i);
    if (single && (!filter.selectedId || *filter.selectedId != id)) continue;
    try {
      // Selected anew, so that the editor loads it even when it shows it.
      if (list.ListIndex() == i) list.SetListIndex(-1);
      list.SetListIndex(i);
    } catch (const std::exception&) {
      if (single) break;
      continue;
    }
    if (editor_.ShownParcelId() != id) {
      if (single) break;
      continue;
    }
    if (!single) {
      ReportFilter options;
      options.option = filter.option;
      if (!FilterSelects(options, id, ReadNumber(editor_.Figures().closure), tolerance)) continue;
    }
    const PictureReportPage page = PageOfShownParcel(single ? PassFail::All : filter.option);
    if (toPdf) {
      // The run's pages share one file.
      if (shared) {
        shared->NewPage();
      } else {
        shared = std::make_unique<print::Printer>(destination);
      }
      PrintParcelPage(*shared, page);
    } else {
      print::Printer job(destination);
      PrintParcelPage(job, page);
      job.EndDoc();
      printed = printed && job.Ok();
    }
    if (single) break;
  }
  if (shared) {
    shared->EndDoc();
    printed = printed && shared->Ok();
  }

  picture.Move(kept.left, kept.top, kept.width, kept.height);
  picture.SetBackColor(kept.back);
  picture.Drawing().Clear();
  if (!printed) TellNotPrinted(destination);
}

}  // namespace korvalo::reports
