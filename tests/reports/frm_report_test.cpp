#include <filesystem>

#include "reports/report_export.h"
#include "reports/run_folder.h"
#include "support/pdf_text.h"
#include "report_window_fixture.h"

namespace korvalo::reports::test {
namespace {

using forms::testing::UserActivate;
using forms::testing::UserClick;
using forms::testing::UserSelect;

// The full report judges the stored closure, the summary the recomputed one.
TEST_F(ReportWindowTest, FilterPicksTheParcelsOfEachKind) {
  struct Case {
    ReportKind kind;
    int option;          // -1: a parcel chosen from the list instead
    std::string parcel;  // the chosen parcel
    std::string shown;
  };
  const Case cases[] = {
      {ReportKind::Full, 0, "", "Alpha,Beta,Gamma"},  {ReportKind::Full, 1, "", "Alpha,Gamma"},
      {ReportKind::Full, 2, "", "Beta"},              {ReportKind::Full, -1, "Gamma", "Gamma"},
      {ReportKind::Summary, 0, "", "Alpha,Beta,Gamma"}, {ReportKind::Summary, 1, "", "Alpha"},
      {ReportKind::Summary, 2, "", "Beta,Gamma"},     {ReportKind::Summary, -1, "Beta", "Beta"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(CaptionOf(c.kind)) + " option " + std::to_string(c.option) + " " + c.parcel);
    Open(c.kind);
    ASSERT_TRUE(window->Visible());
    EXPECT_EQ(Shown(), "Alpha,Beta,Gamma") << "the opening reports all";
    EXPECT_TRUE(window->optPassFail(0).Value());
    if (c.option >= 0) {
      UserClick(window->optPassFail(c.option));
    } else {
      for (int i = 0; i < window->cbxParcel.ListCount(); ++i) {
        if (window->cbxParcel.List(i) == c.parcel) UserSelect(window->cbxParcel, i);
      }
      for (int i = 0; i < 3; ++i) EXPECT_FALSE(window->optPassFail(i).Value());
    }
    EXPECT_EQ(Shown(), c.shown);
    UserClick(window->cmdClose);
    EXPECT_FALSE(window->Loaded());
  }
}

TEST_F(ReportWindowTest, TypedTextThatNamesNoParcelReportsNone) {
  Open(ReportKind::Full);
  window->cbxParcel.SetText("Alph");
  window->BuildReport();
  EXPECT_EQ(Shown(), "");
  window->cbxParcel.SetText("Beta");  // the name of an entry selects it
  window->BuildReport();
  EXPECT_EQ(Shown(), "Beta");
}

TEST_F(ReportWindowTest, ComingBackFromTheEditorSelectsAllButAMessageBoxDoesNot) {
  editor.window.Show();
  Open(ReportKind::Summary);
  UserClick(window->optPassFail(2));
  ASSERT_EQ(Shown(), "Beta,Gamma");
  // A message box closing gives the activation back: the filter stays.
  prompts.ExpectSaveFile(folder.File("out.csv"));
  prompts.ExpectMsgBox(kOnlyFullReportCsvMessage, forms::vbOKOnly);
  UserClick(window->cmdExport);
  EXPECT_TRUE(window->optPassFail(2).Value());
  EXPECT_EQ(Shown(), "Beta,Gamma");
  // Worked in the editor, then back.
  UserActivate(editor.window);
  UserActivate(*window);
  EXPECT_TRUE(window->optPassFail(0).Value());
  EXPECT_EQ(window->cbxParcel.Text(), "");
  EXPECT_EQ(Shown(), "Alpha,Beta,Gamma");
}

TEST_F(ReportWindowTest, EachOpeningLaysOutItsKindAndClosingPutsTheEditorBack) {
  Open(ReportKind::Full);
  EXPECT_EQ(window->Caption(), "Korvalo full report");
  EXPECT_EQ(window->Width(), forms::ScreenWidth());
  EXPECT_EQ(window->Height(), forms::ScreenHeight());
  EXPECT_EQ(window->rtfReport.Height(), window->ScaleHeight() - 555);
  EXPECT_TRUE(window->TopMost());
  EXPECT_FALSE(editor.window.TopMost());
  UserClick(window->cmdClose);
  EXPECT_TRUE(editor.window.TopMost());

  editor.savedTop = 1200;
  editor.savedLeft = 450;
  editor.window.Show();
  Open(ReportKind::Picture);
  EXPECT_EQ(window->Caption(), "Korvalo report with picture");
  EXPECT_EQ(window->Height(), 555 + 405);
  // The inside ends just before Save as: Close shows whole.
  EXPECT_EQ(window->ScaleWidth(), 7200);
  EXPECT_LE(window->cmdClose.Left() + window->cmdClose.Width(), window->ScaleWidth());
  EXPECT_FALSE(window->rtfReport.Visible());
  EXPECT_EQ(window->frameBar.Width(), window->Width());
  // The editor is hidden, not moved: a window manager would keep a window
  // moved off the screen partly in sight.
  EXPECT_FALSE(editor.window.Visible());
  EXPECT_EQ(editor.window.Top(), 900);
  EXPECT_EQ(editor.window.Left(), 600);
  EXPECT_EQ(window->rtfReport.Text(), "") << "the report with picture builds nothing";
  // An option only sets the filter.
  UserClick(window->optPassFail(1));
  EXPECT_EQ(window->rtfReport.Text(), "");
  UserClick(window->cmdClose);
  EXPECT_TRUE(editor.window.Visible());
  EXPECT_EQ(editor.window.Top(), 1200);
  EXPECT_EQ(editor.window.Left(), 450);
  EXPECT_TRUE(editor.window.TopMost());

  // Every opening starts from the design: the preview is back, under the
  // bar (the window's first showing fits it there).
  Open(ReportKind::Summary);
  EXPECT_TRUE(window->rtfReport.Visible());
  EXPECT_EQ(window->rtfReport.Height(), window->ScaleHeight() - 555);
  EXPECT_EQ(window->rtfReport.Width(), window->ScaleWidth());
  EXPECT_EQ(window->cbxParcel.ListCount(), 3);
  EXPECT_EQ(window->cbxParcel.ItemData(1), beta);
}

// A Report item chosen while the window is open as another kind lays the
// window out as a first opening of that kind does: a full or summary report
// opened over the report with picture shows its preview, and the editor
// comes back where the Report menu found it.
TEST_F(ReportWindowTest, OpeningAnotherKindOverAnOpenWindowLaysItOutAfresh) {
  struct Layout {
    std::string caption;
    int width, height, barWidth, previewWidth, previewHeight;
    bool previewVisible;
    std::string shown;
    bool operator==(const Layout&) const = default;
  };
  const auto layout = [&] {
    return Layout{window->Caption(),          window->Width(),
                  window->Height(),           window->frameBar.Width(),
                  window->rtfReport.Width(),  window->rtfReport.Height(),
                  window->rtfReport.Visible(), Shown()};
  };
  const auto print = [](const Layout& l) {
    return l.caption + " " + std::to_string(l.width) + "x" + std::to_string(l.height) + " bar " +
           std::to_string(l.barWidth) + " preview " + std::to_string(l.previewWidth) + "x" +
           std::to_string(l.previewHeight) + (l.previewVisible ? " shown " : " hidden ") + l.shown;
  };
  const ReportKind kinds[] = {ReportKind::Full, ReportKind::Summary, ReportKind::Picture};
  for (const Edition edition : {Edition::A2004, Edition::Standalone}) {
    SetEdition(edition);
    for (const ReportKind second : kinds) {
      Open(second);
      const Layout first = layout();
      UserClick(window->cmdClose);
      for (const ReportKind before : kinds) {
        SCOPED_TRACE(EditionProgramName(edition) + std::string(": ") + CaptionOf(before) + ", then " + CaptionOf(second));
        Open(before);
        Open(second);
        const Layout again = layout();
        EXPECT_EQ(again, first) << print(again) << "\n" << print(first);
        EXPECT_TRUE(window->optPassFail(0).Value());
        UserClick(window->cmdClose);
        EXPECT_EQ(editor.window.Top(), editor.savedTop);
        EXPECT_EQ(editor.window.Left(), editor.savedLeft);
      }
    }
  }
}

TEST_F(ReportWindowTest, TooltipsFollowTheSettingAtEachOpening) {
  Program().ProjectSettings.ToolTipOn = false;
  Open(ReportKind::Full);
  EXPECT_EQ(window->cmdPrint.ToolTipText(), "");
  window->Unload();
  Program().ProjectSettings.ToolTipOn = true;
  Open(ReportKind::Full);
  EXPECT_EQ(window->cmdPrint.ToolTipText(), "Click to print this report.");
  EXPECT_EQ(window->optPassFail(1).ToolTipText(),
            "Show only parcels that have a closure distance better than the tolerance found in settings.");
}

TEST_F(ReportWindowTest, OpeningRefusesWhileTheEditorEdits) {
  editor.editing = true;
  prompts.ExpectMsgBox("Please save the current parcel before printing reports.", forms::vbOKOnly);
  Open(ReportKind::Full);
  EXPECT_FALSE(window->Loaded());
}

TEST_F(ReportWindowTest, AProjectWithoutParcelsOpensWithAnEmptyList) {
  db.Execute("DELETE FROM tblMeasurements");
  db.Execute("DELETE FROM tblParcel");
  prompts.ExpectMsgBox("There is no data to print.", forms::vbOKOnly);
  Open(ReportKind::Full);
  EXPECT_EQ(window->cbxParcel.ListCount(), 0);
}

TEST_F(ReportWindowTest, AProjectThatCannotBeOpenedIsToldAndNothingEnds) {
  Program().ProjectPath = folder.File("missing.kvx");
  prompts.ExpectMsgBox("Can't open the project: " + folder.File("missing.kvx"), forms::vbOKOnly);
  Open(ReportKind::Full);
  EXPECT_TRUE(window->Visible());
  EXPECT_EQ(window->cbxParcel.ListCount(), 0);
}

// Save as: the name's last three letters choose the format; Cancel does
// nothing; a CSV only from a full report built in this opening.
TEST_F(ReportWindowTest, SaveAsWritesWhatTheNameAsks) {
  Open(ReportKind::Full);
  const std::string preview = window->rtfReport.Text();
  ASSERT_NE(preview.find("Lot Closure Report"), std::string::npos);
  struct Case {
    std::string name;
    enum { Text, Rtf, Csv } wanted;
  };
  const Case cases[] = {{"a.TXT", Case::Text}, {"b.txt", Case::Text}, {"c.Txt", Case::Text},
                        {"d.rtf", Case::Rtf},  {"e.doc", Case::Rtf},  {"f", Case::Rtf},
                        {"g.csv", Case::Csv}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompts.ExpectSaveFile(folder.File(c.name));
    UserClick(window->cmdExport);
    const std::string written = ReadFile(folder.File(c.name));
    switch (c.wanted) {
      case Case::Text: EXPECT_EQ(written, preview); break;
      case Case::Rtf:
        EXPECT_EQ(written.rfind("{\\rtf1", 0), 0u);
        EXPECT_NE(written.find("\\'b0"), std::string::npos) << "the degree sign";
        break;
      case Case::Csv: EXPECT_EQ(written, ReadFile(ScratchCsvPath())); break;
    }
  }
  EXPECT_EQ(prompts.Seen().back().file.flags & kOverwritePrompt, kOverwritePrompt);
  EXPECT_EQ(prompts.Seen().back().file.fileName, folder.File("f")) << "the dialog offers the last name";

  // Cancel: nothing written, nothing said, the earlier file untouched.
  std::filesystem::remove(folder.File("b.txt"));
  prompts.ExpectSaveFile(std::nullopt);
  UserClick(window->cmdExport);
  EXPECT_FALSE(std::filesystem::exists(folder.File("b.txt")));

  // A folder that cannot be written.
  prompts.ExpectSaveFile(folder.File("no/such/folder/x.txt"));
  prompts.ExpectMsgBox("Invalid file name. The report has not been saved.", forms::vbOKOnly);
  UserClick(window->cmdExport);
}

TEST_F(ReportWindowTest, ACsvNeedsTheFullReportOfThisOpening) {
  Open(ReportKind::Full);
  window->Unload();
  Open(ReportKind::Summary);
  prompts.ExpectSaveFile(folder.File("s.csv"));
  prompts.ExpectMsgBox("Only the full report can be saved as a CSV file.", forms::vbOKOnly);
  UserClick(window->cmdExport);
  EXPECT_FALSE(std::filesystem::exists(folder.File("s.csv")));
  // Nor after a build that failed half-way: its CSV is incomplete.
  window->Unload();
  Open(ReportKind::Full);
  db.Execute("DROP TABLE tblMeasurements");
  DatabaseReportProject project(db);
  ReportFilter pass;
  pass.option = PassFail::Pass;
  const BuildResult failed =
      BuildFullReport(project, pass, ReportSettings{}, {folder.File("t.rpt"), folder.File("c.rpt")});
  ASSERT_EQ(failed.status, BuildResult::Status::Failed);
  // The failed build let its read of the file go: the connection writes.
  EXPECT_NO_THROW(db.Execute("UPDATE tblParcel SET Closure = Closure"));
  prompts.ExpectMsgBox(failed.message, forms::vbOKOnly);
  UserClick(window->optPassFail(1));
  EXPECT_FALSE(window->FullReportShown());
}

TEST_F(ReportWindowTest, PrintWithoutPrinterSaysSoInEveryKind) {
  std::vector<std::string> none;
  print::SetPrinterListForTesting(&none);
  for (const ReportKind kind : {ReportKind::Full, ReportKind::Summary, ReportKind::Picture}) {
    Open(kind);
    prompts.ExpectMsgBox("No printer found.", forms::vbOKOnly + forms::vbCritical, forms::vbOK, "Korvalo");
    UserClick(window->cmdPrint);
    window->Unload();
  }
}

TEST_F(ReportWindowTest, PrintTheWholePreviewOrItsSelectionAndCancelPrintsNothing) {
  Open(ReportKind::Summary);
  const std::string pdf = folder.File("summary.pdf");
  prompts.ExpectPrintDialog(std::nullopt, false);
  UserClick(window->cmdPrint);
  EXPECT_FALSE(std::filesystem::exists(pdf));

  prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, pdf, false}, false);
  UserClick(window->cmdPrint);
  std::string text = pdf_text::Layout(pdf);
  EXPECT_NE(text.find("Alpha"), std::string::npos);
  EXPECT_NE(text.find("Gamma"), std::string::npos);

  const std::string preview = window->rtfReport.Text();
  const auto at = preview.find("Beta");
  ASSERT_NE(at, std::string::npos);
  window->rtfReport.SetSelStart(static_cast<int>(utf8::Length(preview.substr(0, at))));
  window->rtfReport.SetSelLength(4);
  prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, pdf, true}, true);
  UserClick(window->cmdPrint);
  text = pdf_text::Layout(pdf);
  EXPECT_NE(text.find("Beta"), std::string::npos);
  EXPECT_EQ(text.find("Alpha"), std::string::npos);
}

// A PDF file named without an ending is written with ".pdf", and a failure
// names the file so written.
TEST_F(ReportWindowTest, APdfNamedWithoutAnEndingGetsDotPdf) {
  Open(ReportKind::Full);
  prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, folder.File("smith_full"), false}, false);
  UserClick(window->cmdPrint);
  EXPECT_FALSE(std::filesystem::exists(folder.File("smith_full")));
  EXPECT_NE(pdf_text::Layout(folder.File("smith_full.pdf")).find("Lot Closure Report"), std::string::npos);

  prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, folder.File("missing/smith_full"), false},
                            false);
  prompts.ExpectMsgBox("The report could not be printed to " + folder.File("missing/smith_full.pdf") + ".",
                       forms::vbOKOnly);
  UserClick(window->cmdPrint);
}

// The name typed in the print dialog gained ".pdf" after the dialog asked
// about the name as typed: the file that will be written is asked about
// too. No keeps its bytes and writes nothing; Yes replaces it; a name typed
// with its ending was asked about by the dialog alone.
TEST_F(ReportWindowTest, APdfWhoseEndingWasAddedIsReplacedOnlyAfterAsking) {
  const std::string deed = folder.File("deed.pdf");
  const std::string known = "%PDF-1.4 the surveyor's own deed\n";
  const std::string question = deed + " already exists.\nDo you want to replace it?";
  const int buttons = forms::vbYesNo + forms::vbExclamation + forms::vbDefaultButton2;
  for (const ReportKind kind : {ReportKind::Full, ReportKind::Summary}) {
    SCOPED_TRACE(CaptionOf(kind));
    WriteFile(deed, known);
    Open(kind);
    prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, folder.File("deed"), false}, false);
    prompts.ExpectMsgBox(question, buttons, forms::vbNo);
    UserClick(window->cmdPrint);
    EXPECT_EQ(ReadFile(deed), known);
    EXPECT_FALSE(std::filesystem::exists(folder.File("deed")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1 + 1) << "project and deed";

    prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, folder.File("deed"), false}, false);
    prompts.ExpectMsgBox(question, buttons, forms::vbYes);
    UserClick(window->cmdPrint);
    EXPECT_NE(pdf_text::Layout(deed).find("Alpha"), std::string::npos);

    WriteFile(deed, known);
    prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, deed, false}, false);
    UserClick(window->cmdPrint);
    EXPECT_NE(pdf_text::Layout(deed).find("Alpha"), std::string::npos);
    window->Unload();
  }
}

// A drawing path longer than the paper is wide goes on over the next lines
// in the printed full and summary reports: no text passes the printable
// area (0.25 inch margins on Letter) and the whole path is there.
TEST_F(ReportWindowTest, PrintedReportsWrapALongDrawingPath) {
  const std::string path = LongDrawingPath();
  ASSERT_EQ(path.size(), 185u);
  Program().DrawingPath = path;
  std::string squeezed = path;
  std::erase(squeezed, ' ');
  for (const ReportKind kind : {ReportKind::Full, ReportKind::Summary}) {
    SCOPED_TRACE(CaptionOf(kind));
    Open(kind);
    const std::string pdf = folder.File(std::string(kind == ReportKind::Full ? "full" : "summary") + ".pdf");
    prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, pdf, false}, false);
    UserClick(window->cmdPrint);
    const std::vector<pdf_text::Word> words = pdf_text::Words(pdf);
    ASSERT_FALSE(words.empty());
    for (const pdf_text::Word& w : words) EXPECT_LE(w.xMax, (0.25 + 8.0) * 72 + 0.5) << w.text;
    EXPECT_NE(Joined(words).find(squeezed), std::string::npos) << Joined(words);
    window->Unload();
  }
}

// A PDF file that cannot be written is told; the preview stays as it was.
TEST_F(ReportWindowTest, APdfFileThatCannotBeWrittenIsTold) {
  const std::vector<std::string> paths = {folder.File("missing/summary.pdf"), folder.Path()};
  for (const ReportKind kind : {ReportKind::Full, ReportKind::Summary}) {
    Open(kind);
    const std::string preview = window->rtfReport.Text();
    for (const std::string& pdf : paths) {
      SCOPED_TRACE(pdf);
      prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, pdf, false}, false);
      prompts.ExpectMsgBox("The report could not be printed to " + pdf + ".", forms::vbOKOnly);
      UserClick(window->cmdPrint);
      EXPECT_FALSE(std::filesystem::is_regular_file(pdf));
    }
    EXPECT_EQ(window->rtfReport.Text(), preview);
    window->Unload();
  }
}

}  // namespace
}  // namespace korvalo::reports::test
