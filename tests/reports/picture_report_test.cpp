#include <filesystem>

#include "reports/report_text.h"
#include "support/pdf_text.h"
#include "report_window_fixture.h"

namespace korvalo::reports::test {
namespace {

using forms::testing::UserClick;
using forms::testing::UserSelect;

EditorCourseRow Line(const std::string& direction, const std::string& distance) {
  EditorCourseRow row;
  row.direction = Deg(direction);
  row.distance = distance;
  return row;
}

EditorCourseRow Arc(const std::string& direction, const std::string& arc, const std::string& chord,
                    const std::string& radius, bool plus) {
  EditorCourseRow row;
  row.arc = true;
  row.direction = Deg(direction);
  row.arcLength = arc;
  row.chord = chord;
  row.radius = radius;
  row.plus = plus;
  return row;
}

FakeEditor::Parcel Lot(std::int64_t id, const std::string& name, const std::string& closure,
                       FakeEditor::Refusal refusal = FakeEditor::Refusal::None) {
  FakeEditor::Parcel p;
  p.id = id;
  p.name = name;
  p.rows = {Line("N0dE", "100"), Line("N90dE", "1234.5"), Arc("S0dE", "15.708", "14.142", "10", true),
            Arc("S45dW", "3", "2", "0", false)};
  p.figures = {"12345.6789", closure, "1:5000", Deg("N90d0'0\"W")};
  p.refusal = refusal;
  return p;
}

class PictureReportTest : public ReportWindowTest {
 protected:
  void SetUp() override {
    ReportWindowTest::SetUp();
    pdf = folder.File("pictures.pdf");
  }
  void TearDown() override {
    print::SetPdfPaperForTesting(0, 0);
    ReportWindowTest::TearDown();
  }

  // Print clicked, Yes, the PDF file chosen.
  void PrintToPdf() {
    prompts.ExpectMsgBox("Print this report?", forms::vbYesNo, forms::vbYes);
    prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, pdf, false}, false);
    UserClick(window->cmdPrint);
  }

  // The parcel name printed on each page, in order.
  std::vector<std::string> ParcelsPrinted() const {
    std::vector<std::string> out;
    const std::vector<pdf_text::Word> words = pdf_text::Words(pdf);
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
      if (words[i].text == "PARCEL:") out.push_back(words[i + 1].text + " " + words[i + 2].text);
    }
    return out;
  }

  std::string pdf;
};

TEST_F(PictureReportTest, APagePerParcelWithItsCoursesFiguresAndPicture) {
  editor.Add(Lot(alpha, "Lot 1", "0.01"));
  editor.Add(Lot(beta, "Lot 2", "0.2"));
  editor.window.Show();
  Open(ReportKind::Picture);
  const int top = editor.picture.Top(), left = editor.picture.Left();
  const int width = editor.picture.Width(), height = editor.picture.Height();
  PrintToPdf();

  EXPECT_EQ(pdf_text::Pages(pdf), 2);
  EXPECT_EQ(ParcelsPrinted(), (std::vector<std::string>{"Lot 1", "Lot 2"}));
  const std::string page = pdf_text::Layout(pdf, 1);
  for (const char* expected :
       {"CLOSURE AND AREA REPORT", "Drawing FILE: /srv/dwg/site.dwg", "LEG", "BEARING", "ARCAREA +/-",
        "1,234.500", "15.708", "14.142", "10.000", "AREA: 12,345.679", "Misclosure Distance: 0.010",
        "Precision: 1:5000", "Total Distance: 1,353.208", "N/A"}) {
    EXPECT_NE(page.find(expected), std::string::npos) << expected << "\n" << page;
  }
  EXPECT_EQ(page.find("(PASS)"), std::string::npos);
  EXPECT_EQ(page.find("(FAIL)"), std::string::npos);
  // Columns at their inches from the printable corner (0.25 inch margins).
  const std::vector<pdf_text::Word> words = pdf_text::Words(pdf);
  EXPECT_NEAR(pdf_text::Find(words, "PARCEL:").xMin, (0.25 + 0.5) * 72, 1.0);
  EXPECT_NEAR(pdf_text::Find(words, "CLOSURE").xMin, (0.25 + 1.8) * 72, 1.0);
  EXPECT_NEAR(pdf_text::Find(words, "Misclosure").xMin, (0.25 + 3.0) * 72, 1.0);
  EXPECT_NEAR(pdf_text::Find(words, "Precision:").xMin, (0.25 + 5.5) * 72, 1.0);
  // One picture a page.
  const std::vector<std::string> images = pdf_text::Images(pdf);
  ASSERT_EQ(images.size(), 2u);

  // Everything of the editor is put back, the picture emptied; the editor
  // stays hidden until the window closes.
  EXPECT_EQ(editor.picture.Top(), top);
  EXPECT_EQ(editor.picture.Left(), left);
  EXPECT_EQ(editor.picture.Width(), width);
  EXPECT_EQ(editor.picture.Height(), height);
  EXPECT_EQ(editor.picture.BackColor(), 0xC0C0C0);
  EXPECT_FALSE(editor.window.Visible());
  const forms::PictureBox::Image image = editor.picture.KeptImage();
  ASSERT_FALSE(image.pixels.empty());
  for (const std::uint32_t pixel : image.pixels) ASSERT_EQ(pixel & 0xFFFFFF, 0xC0C0C0u);
}

TEST_F(PictureReportTest, PassIncludesTheToleranceAndFailIsStrict) {
  editor.Add(Lot(alpha, "Lot A", "0.050"));
  editor.Add(Lot(beta, "Lot B", "0.051"));
  editor.Add(Lot(gamma, "Lot C", "0.01"));
  Open(ReportKind::Picture);
  UserClick(window->optPassFail(1));
  PrintToPdf();
  EXPECT_EQ(ParcelsPrinted(), (std::vector<std::string>{"Lot A", "Lot C"}));
  EXPECT_NE(pdf_text::Layout(pdf, 1).find("(PASS)"), std::string::npos);

  UserClick(window->optPassFail(2));
  PrintToPdf();
  EXPECT_EQ(ParcelsPrinted(), (std::vector<std::string>{"Lot B"}));
  EXPECT_NE(pdf_text::Layout(pdf).find("(FAIL)"), std::string::npos);
}

// A PDF file that cannot be written is told once, after the run, which
// leaves the editor's picture as it found it.
TEST_F(PictureReportTest, APdfFileThatCannotBeWrittenIsToldOnce) {
  editor.Add(Lot(alpha, "Lot 1", "0.01"));
  editor.Add(Lot(beta, "Lot 2", "0.2"));
  Open(ReportKind::Picture);
  const int top = editor.picture.Top(), width = editor.picture.Width();
  for (const std::string& path : {folder.File("missing/pictures.pdf"), folder.Path()}) {
    SCOPED_TRACE(path);
    pdf = path;
    prompts.ExpectMsgBox("Print this report?", forms::vbYesNo, forms::vbYes);
    prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, pdf, false}, false);
    prompts.ExpectMsgBox("The report could not be printed to " + pdf + ".", forms::vbOKOnly);
    UserClick(window->cmdPrint);
    EXPECT_FALSE(std::filesystem::is_regular_file(pdf));
    EXPECT_EQ(editor.picture.Top(), top);
    EXPECT_EQ(editor.picture.Width(), width);
  }
}

TEST_F(PictureReportTest, APdfNamedWithoutAnEndingGetsDotPdf) {
  editor.Add(Lot(alpha, "Lot 1", "0.01"));
  editor.Add(Lot(beta, "Lot 2", "0.2"));
  Open(ReportKind::Picture);
  prompts.ExpectMsgBox("Print this report?", forms::vbYesNo, forms::vbYes);
  prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, folder.File("smith_pictures"), false}, false);
  UserClick(window->cmdPrint);
  EXPECT_FALSE(std::filesystem::exists(folder.File("smith_pictures")));
  pdf = folder.File("smith_pictures.pdf");
  EXPECT_EQ(ParcelsPrinted(), (std::vector<std::string>{"Lot 1", "Lot 2"}));
}

// The file the ending leads to exists: No keeps its bytes, prints nothing
// and leaves the editor's picture alone.
TEST_F(PictureReportTest, APdfWhoseEndingWasAddedIsReplacedOnlyAfterAsking) {
  editor.Add(Lot(alpha, "Lot 1", "0.01"));
  Open(ReportKind::Picture);
  pdf = folder.File("deed.pdf");
  const std::string known = "%PDF-1.4 the surveyor's own deed\n";
  WriteFile(pdf, known);
  const int width = editor.picture.Width();
  for (const int answer : {forms::vbNo, forms::vbYes}) {
    prompts.ExpectMsgBox("Print this report?", forms::vbYesNo, forms::vbYes);
    prompts.ExpectPrintDialog(forms::PrintChoice{print::kPdfFileName, folder.File("deed"), false}, false);
    prompts.ExpectMsgBox(pdf + " already exists.\nDo you want to replace it?",
                         forms::vbYesNo + forms::vbExclamation + forms::vbDefaultButton2, answer);
    UserClick(window->cmdPrint);
    EXPECT_EQ(editor.picture.Width(), width);
    EXPECT_FALSE(std::filesystem::exists(folder.File("deed")));
    if (answer == forms::vbNo) {
      EXPECT_EQ(ReadFile(pdf), known);
      EXPECT_TRUE(editor.loaded.empty());
    }
  }
  EXPECT_EQ(ParcelsPrinted(), (std::vector<std::string>{"Lot 1"}));
}

TEST_F(PictureReportTest, ASingleParcelPrintsOneDocumentAndStops) {
  editor.Add(Lot(alpha, "Lot A", "0.01"));
  editor.Add(Lot(beta, "Lot B", "0.2"));
  editor.Add(Lot(gamma, "Lot C", "0.01"));
  Open(ReportKind::Picture);
  UserSelect(window->cbxParcel, 1);  // the window's list: Alpha, Beta, Gamma
  PrintToPdf();
  EXPECT_EQ(ParcelsPrinted(), (std::vector<std::string>{"Lot B"}));
  EXPECT_EQ(editor.loaded, (std::vector<std::string>{"Lot B"}));
  EXPECT_EQ(pdf_text::Layout(pdf).find("(PASS)"), std::string::npos);
}

// An entry the editor will not load (no courses: it clears the selection;
// too many rows: it keeps the previous parcel) is passed over; the run ends
// and never prints one parcel under another's name.
TEST_F(PictureReportTest, EntriesTheEditorRefusesArePassedOver) {
  editor.Add(Lot(1, "Lot A", "0.01"));
  editor.Add(Lot(2, "Lot B", "0.01", FakeEditor::Refusal::ClearsSelection));
  editor.Add(Lot(3, "Lot C", "0.01", FakeEditor::Refusal::KeepsPrevious));
  editor.Add(Lot(4, "Lot D", "0.01"));
  Open(ReportKind::Picture);
  PrintToPdf();
  EXPECT_EQ(ParcelsPrinted(), (std::vector<std::string>{"Lot A", "Lot D"}));
  EXPECT_EQ(editor.loaded, (std::vector<std::string>{"Lot A", "Lot D"}));
}

TEST_F(PictureReportTest, NoOrCancelChangesNothing) {
  editor.Add(Lot(alpha, "Lot A", "0.01"));
  Open(ReportKind::Picture);
  const int drawings = editor.drawings;
  const int top = editor.picture.Top();
  prompts.ExpectMsgBox("Print this report?", forms::vbYesNo, forms::vbNo);
  UserClick(window->cmdPrint);
  prompts.ExpectMsgBox("Print this report?", forms::vbYesNo, forms::vbYes);
  prompts.ExpectPrintDialog(std::nullopt);
  UserClick(window->cmdPrint);
  EXPECT_EQ(editor.drawings, drawings);
  EXPECT_EQ(editor.picture.Top(), top);
  EXPECT_TRUE(editor.loaded.empty());
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(PictureReportTest, RefusedWhileTheEditorEditsAndToldWhenTheListIsEmpty) {
  Open(ReportKind::Picture);
  editor.editing = true;
  prompts.ExpectMsgBox("Please save the current parcel before printing reports.", forms::vbOKOnly);
  UserClick(window->cmdPrint);
  editor.editing = false;
  const int top = editor.picture.Top();
  const int drawings = editor.drawings;
  // Told before any printer is asked for.
  prompts.ExpectMsgBox("Print this report?", forms::vbYesNo, forms::vbYes);
  prompts.ExpectMsgBox("There is no data to print.", forms::vbOKOnly);
  UserClick(window->cmdPrint);
  EXPECT_EQ(editor.picture.Top(), top);
  EXPECT_EQ(editor.drawings, drawings);
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

// 80 courses run over the page: rows continue on a new page from 0.5 inch,
// nothing is printed below the printable area, the 4-inch picture is whole
// on its page, and a cell wider than its column is printed whole.
TEST_F(PictureReportTest, ALongParcelBreaksItsPagesWhereTheyEnd) {
  FakeEditor::Parcel p = Lot(alpha, "Lot Long", "0.01");
  p.rows.clear();
  for (int k = 0; k < 79; ++k) p.rows.push_back(Line(k % 2 ? "N0dE" : "S0dE", "10"));
  p.rows.push_back(Line("N90dE", "12345678901234.5"));
  editor.Add(p);
  Open(ReportKind::Picture);
  PrintToPdf();

  const int pages = pdf_text::Pages(pdf);
  EXPECT_GE(pages, 3);
  const std::vector<pdf_text::Word> words = pdf_text::Words(pdf);
  const double foot = (0.25 + 10.5) * 72;
  for (const pdf_text::Word& w : words) EXPECT_LE(w.yMax, foot + 0.5) << w.text << " on page " << w.page;
  EXPECT_NE(pdf_text::Layout(pdf).find("12,345,678,901,234.500"), std::string::npos);
  // Row 80 is printed, and the next page's first row starts at 0.5 inch.
  bool sawLeg80 = false;
  for (const pdf_text::Word& w : words) sawLeg80 = sawLeg80 || (w.text == "80" && std::abs(w.xMax - (0.25 + 0.5) * 72) < 72);
  EXPECT_TRUE(sawLeg80);
  double firstOnPage2 = 1e9;
  for (const pdf_text::Word& w : words) {
    if (w.page == 2) firstOnPage2 = std::min(firstOnPage2, w.yMin);
  }
  EXPECT_NEAR(firstOnPage2, (0.25 + 0.5) * 72, 6.0);
  // The picture: one, on the last page.
  const std::vector<std::string> images = pdf_text::Images(pdf);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(std::stoi(images[0]), pages);
}

// On a paper longer than Letter (legal, 13.5 inches printable) the rows
// still start a new page once one ends below 11 inches.
TEST_F(PictureReportTest, RowsBreakAtElevenInchesOnALongerPaper) {
  print::SetPdfPaperForTesting(8.5, 14);
  FakeEditor::Parcel p = Lot(alpha, "Lot Long", "0.01");
  p.rows.clear();
  for (int k = 0; k < 80; ++k) p.rows.push_back(Line(k % 2 ? "N0dE" : "S0dE", "10"));
  editor.Add(p);
  Open(ReportKind::Picture);
  PrintToPdf();

  const std::vector<pdf_text::Word> words = pdf_text::Words(pdf);
  double lowestOnPage1 = 0;
  for (const pdf_text::Word& w : words) {
    EXPECT_LE(w.yMin, (0.25 + 11) * 72) << w.text << " on page " << w.page;
    if (w.page == 1) lowestOnPage1 = std::max(lowestOnPage1, w.yMax);
  }
  // The first page runs on past Letter's foot up to the 11-inch line.
  EXPECT_GT(lowestOnPage1, (0.25 + 10.5) * 72);
  EXPECT_EQ(pdf_text::Images(pdf).size(), 1u);
}

// A 10 ft blunder gives a misclosure of six characters and more, and the
// R14 caption "Error of closure: " is longer than "Precision: "; a drawing
// path of 185 characters and a name of 50 wide letters go on over lines of
// their own: every text of the page still stands clear of the others and
// inside the printable area (0.25 inch margins on Letter), and the name and
// path are there whole.
TEST(PictureReportPageTest, NoTextRunsIntoAnotherOrOffThePage) {
  const struct {
    const char* name;
    Edition edition;
    PassFail option;
    EditorFigures figures;
    std::string parcel = "Lot 12 Block 7";
    std::string drawingPath = "/srv/dwg/site.dwg";
  } cases[] = {
      {"blunder", Edition::A2004, PassFail::Fail, {"176404.1209", "10.005", "1:135", Deg("S89d59'59\"W")}},
      {"R14 caption", Edition::R14, PassFail::All, {"176404.1209", "1234.567", "1:1", Deg("N45d0'0\"E")}},
      {"long figures", Edition::R14, PassFail::Pass,
       {"123456789.123", "123456.789", "1:999999", Deg("N89d59'59\"W")}},
      {"long name and path", Edition::A2004, PassFail::Pass,
       {"176404.1209", "0.005", "1:135000", Deg("S89d59'59\"W")}, std::string(50, 'W'), LongDrawingPath()},
  };
  ASSERT_EQ(LongDrawingPath().size(), 185u);
  TempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string pdf = folder.File(std::string(c.name) + ".pdf");
    PictureReportPage page;
    page.parcel = c.parcel;
    page.drawingPath = c.drawingPath;
    page.option = c.option;
    page.edition = c.edition;
    page.errDecimal = 3;
    page.figures = c.figures;
    page.rows = {Line("S89d59'59\"W", "1234.5"), Line("N0d0'0\"E", "120.005"),
                 Arc("S45d30'15\"E", "15.708", "14.142", "10", true), Arc("N45d0'0\"W", "3", "2", "0", false)};
    {
      print::Printer printer(print::Destination::Pdf(pdf));
      PrintParcelPage(printer, page);
      printer.EndDoc();
    }
    const std::string caption = c.edition == Edition::R14 ? "Error of closure: " : "Precision: ";
    const std::string text = pdf_text::Layout(pdf);
    EXPECT_NE(text.find(caption + c.figures.precision), std::string::npos) << text;
    EXPECT_NE(text.find("Misclosure Distance: " + ReportNumberFormatText(c.figures.closure, 3)), std::string::npos)
        << text;

    const std::vector<pdf_text::Word> words = pdf_text::Words(pdf);
    ASSERT_GT(words.size(), 40u);
    std::string whole = "PARCEL:" + c.parcel + "DrawingFILE:" + c.drawingPath;
    std::erase(whole, ' ');
    EXPECT_NE(Joined(words).find(whole), std::string::npos) << Joined(words);
    const double left = 0.25 * 72, right = (0.25 + 8.0) * 72, foot = (0.25 + 10.5) * 72;
    for (std::size_t i = 0; i < words.size(); ++i) {
      const pdf_text::Word& a = words[i];
      EXPECT_GE(a.xMin, left - 0.01) << a.text;
      EXPECT_LE(a.xMax, right + 0.01) << a.text;
      EXPECT_LE(a.yMax, foot + 0.01) << a.text;
      for (std::size_t j = i + 1; j < words.size(); ++j) {
        const pdf_text::Word& b = words[j];
        const bool overlap = a.page == b.page && a.xMin < b.xMax - 0.01 && b.xMin < a.xMax - 0.01 &&
                             a.yMin < b.yMax - 0.01 && b.yMin < a.yMax - 0.01;
        EXPECT_FALSE(overlap) << "\"" << a.text << "\" [" << a.xMin << ", " << a.xMax << "] over \"" << b.text
                              << "\" [" << b.xMin << ", " << b.xMax << "] at " << a.yMin;
      }
    }
  }
}

TEST(PictureReportPageTest, SegmentAreaAndTheR14Caption) {
  EXPECT_EQ(SegmentAreaText("15.708", "10", "14.142", 3), "28.541");
  EXPECT_EQ(SegmentAreaText("3", "0", "2", 3), "N/A");
  EXPECT_EQ(SegmentAreaText("x", "10", "2", 3), "N/A");
  EXPECT_EQ(SegmentAreaText("15.708", "10", "14.142", 0), "29.");

  TempFolder folder;
  const std::string pdf = folder.File("r14.pdf");
  PictureReportPage page;
  page.parcel = "Lot";
  page.edition = Edition::R14;
  page.figures = {"N/A", "0", "Perfect", ""};
  {
    print::Printer printer(print::Destination::Pdf(pdf));
    PrintParcelPage(printer, page);
    printer.EndDoc();
  }
  const std::string text = pdf_text::Layout(pdf);
  EXPECT_NE(text.find("Error of closure: Perfect"), std::string::npos) << text;
  EXPECT_NE(text.find("AREA: N/A"), std::string::npos) << text;
}

}  // namespace
}  // namespace korvalo::reports::test
