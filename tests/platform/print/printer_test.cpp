#include "platform/print/printer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <filesystem>
#include <string>

#include "support/pdf_text.h"
#include "support/temp_folder.h"

namespace korvalo::print {
namespace {

// Points of a position given in inches from the printable area's corner.
double PointsFromEdge(double inches) { return 18.0 + inches * 72.0; }

// A small page: a title, a row of cells at fixed inches, a line printed in
// two parts, a text with a line break inside.
void PrintSamplePage(Printer& p) {
  p.SetFontSize(24);
  p.SetFontBold(true);
  p.SetFontUnderline(true);
  p.SetCurrentX(1.8);
  p.Print("TITLE");
  p.SetFontUnderline(false);
  p.SetFontSize(12);
  p.SetFontBold(false);
  for (const auto& [x, text] : {std::pair{0.5, "Leg"}, {1.0, "N45°0'0\"E"}, {2.3, "1,234.50"}}) {
    p.SetCurrentX(x);
    p.Print(text, false);
  }
  p.Print("");
  p.SetCurrentX(0.5);
  p.Print("AREA: ", false);
  p.Print("9.75");
  p.Print("upper\r\nlower");
}

TEST(PrinterTest, TextLandsAtItsInchesAndMeasuresTheSameAtEveryResolution) {
  TempFolder folder;
  std::vector<std::vector<pdf_text::Word>> runs;
  for (const int dpi : {300, 1200}) {
    const std::string pdf = folder.File("page" + std::to_string(dpi) + ".pdf");
    {
      Printer p(Destination::Pdf(pdf, dpi));
      ASSERT_TRUE(p.Ok());
      PrintSamplePage(p);
      p.EndDoc();
    }
    const std::string layout = pdf_text::Layout(pdf);
    EXPECT_NE(layout.find("TITLE"), std::string::npos) << layout;
    EXPECT_NE(layout.find("N45°0'0\"E"), std::string::npos) << layout;
    runs.push_back(pdf_text::Words(pdf));
  }
  for (const auto& words : runs) {
    const struct {
      const char* text;
      double inches;
    } cells[] = {{"TITLE", 1.8}, {"Leg", 0.5}, {"N45°0'0\"E", 1.0}, {"1,234.50", 2.3}, {"AREA:", 0.5},
                 {"upper", 0.0}, {"lower", 0.0}};
    for (const auto& c : cells) {
      const pdf_text::Word w = pdf_text::Find(words, c.text);
      ASSERT_EQ(w.page, 1) << c.text;
      EXPECT_NEAR(w.xMin, PointsFromEdge(c.inches), 1.5) << c.text;
    }
    // Printed without a line end, the next text starts where the last ended.
    const double gap = pdf_text::Find(words, "9.75").xMin - pdf_text::Find(words, "AREA:").xMax;
    EXPECT_GT(gap, 1.0);  // the blank
    EXPECT_LT(gap, 6.0);
    // Lines run down the page in order.
    EXPECT_LT(pdf_text::Find(words, "TITLE").yMax, pdf_text::Find(words, "Leg").yMax);
    EXPECT_LT(pdf_text::Find(words, "Leg").yMax, pdf_text::Find(words, "AREA:").yMax);
    EXPECT_LT(pdf_text::Find(words, "upper").yMax, pdf_text::Find(words, "lower").yMax);
  }
  ASSERT_EQ(runs[0].size(), runs[1].size());
  // The words in page order: the reader's own order of the blocks may
  // differ between the two files.
  for (auto& words : runs) {
    std::sort(words.begin(), words.end(), [](const pdf_text::Word& a, const pdf_text::Word& b) {
      return std::tie(a.yMin, a.xMin) < std::tie(b.yMin, b.xMin);
    });
  }
  for (std::size_t i = 0; i < runs[0].size(); ++i) {
    EXPECT_EQ(runs[0][i].text, runs[1][i].text);
    EXPECT_NEAR(runs[0][i].xMin, runs[1][i].xMin, 0.2) << runs[0][i].text;
    EXPECT_NEAR(runs[0][i].xMax, runs[1][i].xMax, 0.2) << runs[0][i].text;
    EXPECT_NEAR(runs[0][i].yMin, runs[1][i].yMin, 0.2) << runs[0][i].text;
  }
}

TEST(PrinterTest, PositionAndFontFollowTheCalls) {
  TempFolder folder;
  Printer p(Destination::Pdf(folder.File("p.pdf")));
  ASSERT_TRUE(p.Ok());
  // Letter less 0.25 inch margins on each side.
  EXPECT_NEAR(p.ScaleWidth(), 8.0, 1e-6);
  EXPECT_NEAR(p.ScaleHeight(), 10.5, 1e-6);
  p.SetFontSize(12);
  const double line = p.TextHeight();
  EXPECT_GT(line, 0.12);
  EXPECT_LT(line, 0.3);
  EXPECT_NEAR(p.TextHeight("a\r\nb"), 2 * line, 1e-9);
  p.SetCurrentY(1.0);
  p.Print("one\r\n", true);  // a line break printed in a line that ends advances two lines
  EXPECT_NEAR(p.CurrentY(), 1.0 + 2 * line, 1e-9);
  EXPECT_EQ(p.CurrentX(), 0.0);
  p.SetCurrentX(2.0);
  p.Print("abc", false);
  EXPECT_NEAR(p.CurrentX(), 2.0 + p.TextWidth("abc"), 1e-9);
  p.SetFontBold(true);
  EXPECT_GT(p.TextWidth("WWWW"), 0.0);
  p.NewPage();
  EXPECT_EQ(p.CurrentX(), 0.0);
  EXPECT_EQ(p.CurrentY(), 0.0);
}

TEST(PrinterTest, PagesAndPicturesReachTheFile) {
  TempFolder folder;
  const std::string pdf = folder.File("pages.pdf");
  {
    Printer p(Destination::Pdf(pdf, 600));
    p.Print("first page");
    p.NewPage();
    Picture picture;
    picture.width = 40;
    picture.height = 40;
    picture.pixels.assign(40 * 40, 0xFFFF0000u);
    p.PaintPicture(picture, 2.25, 1.0, 4.0, 4.0);
    p.Print("second page");
    p.EndDoc();
    p.EndDoc();  // a second end does nothing
  }
  EXPECT_EQ(pdf_text::Pages(pdf), 2);
  EXPECT_NE(pdf_text::Layout(pdf, 2).find("second page"), std::string::npos);
  EXPECT_EQ(pdf_text::Layout(pdf, 2).find("first page"), std::string::npos);
  const std::vector<std::string> images = pdf_text::Images(pdf);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(std::stoi(images[0]), 2) << images[0];  // on page 2
}

TEST(PrinterTest, PlainTextBreaksIntoPagesAndLosesNoLine) {
  TempFolder folder;
  const std::string pdf = folder.File("text.pdf");
  std::string text;
  for (int i = 1; i <= 150; ++i) text += "line " + std::to_string(i) + " N45°0'0\"E\r\n";
  ASSERT_TRUE(PrintPlainText(Destination::Pdf(pdf), text));
  const int pages = pdf_text::Pages(pdf);
  EXPECT_GE(pages, 2);
  const std::string all = pdf_text::Layout(pdf);
  for (int i = 1; i <= 150; ++i) {
    EXPECT_NE(all.find("line " + std::to_string(i) + " N45°0'0\"E"), std::string::npos) << i;
  }
}

TEST(PrinterTest, AFileThatCannotBeWrittenIsReportedNotCrashed) {
  Printer p(Destination::Pdf("/nonexistent-folder/x/out.pdf"));
  EXPECT_FALSE(p.Ok());
  p.Print("ignored");
  p.NewPage();
  p.EndDoc();
  EXPECT_FALSE(PrintPlainText(Destination::Pdf("/nonexistent-folder/x/out.pdf"), "text"));
}

TEST(PrinterTest, APdfFileNamedWithoutAnEndingGetsDotPdf) {
  TempFolder folder;
  std::filesystem::create_directory(folder.File("jobs.2024"));
  const struct {
    std::string named;
    std::string written;
  } cases[] = {
      {folder.File("smith_full"), folder.File("smith_full.pdf")},
      {folder.File("smith_full.pdf"), folder.File("smith_full.pdf")},
      {folder.File("SMITH.PDF"), folder.File("SMITH.PDF")},
      {folder.File("a.PDF"), folder.File("a.PDF")},
      // A point in the name is no ending of a PDF.
      {folder.File("smith.summary"), folder.File("smith.summary.pdf")},
      {folder.File("Lot 5.3 closure"), folder.File("Lot 5.3 closure.pdf")},
      {folder.File("smith.txt"), folder.File("smith.txt.pdf")},
      {folder.File("smith.pd"), folder.File("smith.pd.pdf")},
      {folder.File("jobs.2024/smith"), folder.File("jobs.2024/smith.pdf")},  // the folder's point is not the file's
      {folder.File(".smith"), folder.File(".smith.pdf")},
      {folder.Path(), folder.Path()},  // a folder is no file name: refused, not renamed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.named);
    EXPECT_EQ(PdfFilePath(c.named), c.written);
    EXPECT_EQ(Destination::Pdf(c.named).pdfPath, c.written);
  }
  ASSERT_TRUE(PrintPlainText(Destination::Pdf(folder.File("smith_full")), "Lot 1"));
  EXPECT_TRUE(std::filesystem::is_regular_file(folder.File("smith_full.pdf")));
  EXPECT_FALSE(std::filesystem::exists(folder.File("smith_full")));
  EXPECT_NE(pdf_text::Layout(folder.File("smith_full.pdf")).find("Lot 1"), std::string::npos);
}

// The printable area's right edge, in points from the page's left edge.
constexpr double kRightEdge = 18.0 + 8.0 * 72.0;

// The words of a file joined without their blanks, in reading order.
std::string Joined(const std::vector<pdf_text::Word>& words) {
  std::string out;
  for (const pdf_text::Word& w : words) out += w.text;
  return out;
}

// A 185-character drawing path, as long names of folders make it.
std::string LongPath() {
  std::string path = "/srv/survey/Oak Ridge Estates phase 2/drawings";
  while (path.size() < 175) path += "/subdivision-plat";
  path.resize(176);
  return path + "/site.dwg";
}

// Lines wider than the paper go on over the next lines: nothing passes the
// printable area and no character is lost.
TEST(PrinterTest, PlainTextWrapsLinesWiderThanThePaper) {
  TempFolder folder;
  const std::string pdf = folder.File("wide.pdf");
  const std::string path = LongPath();
  ASSERT_EQ(path.size(), 185u);
  const std::string wide(130, 'W');
  const std::string text = "Drawing: " + path + "\r\n" + wide + "\r\nshort line\r\n";
  ASSERT_TRUE(PrintPlainText(Destination::Pdf(pdf), text));
  const std::vector<pdf_text::Word> words = pdf_text::Words(pdf);
  ASSERT_FALSE(words.empty());
  for (const pdf_text::Word& w : words) EXPECT_LE(w.xMax, kRightEdge + 0.5) << w.text;
  std::string expected = "Drawing:" + path + wide + "shortline";
  std::erase(expected, ' ');
  EXPECT_EQ(Joined(words), expected);
  // The short line follows the broken ones, each broken line on lines of
  // its own.
  EXPECT_GT(pdf_text::Find(words, "short").yMin, pdf_text::Find(words, "Drawing:").yMin + 3 * 10.0);
}

// PrintWrapped goes on under the text's own start and keeps the position
// rule of Print: after the last piece the line ends, or the position stays
// after the text.
TEST(PrinterTest, PrintWrappedGoesOnUnderItsStart) {
  TempFolder folder;
  const std::string pdf = folder.File("wrapped.pdf");
  const std::string name(50, 'W');
  {
    Printer p(Destination::Pdf(pdf));
    p.SetFontSize(12);
    p.SetFontBold(true);
    p.SetCurrentX(0.5);
    p.Print("PARCEL: ", false);
    const double start = p.CurrentX();
    const double top = p.CurrentY();
    p.PrintWrapped(name + "\r\n", start, true);
    EXPECT_NEAR(p.CurrentY(), top + 3 * p.TextHeight(), 1e-9);  // two lines of the name, then the break
    EXPECT_EQ(p.CurrentX(), 0.0);
    // Not even the first word has room on its line: all of it goes on.
    p.SetCurrentX(7.8);
    const double before = p.CurrentY();
    p.PrintWrapped("tail end", 1.0, true);
    EXPECT_NEAR(p.CurrentY(), before + 2 * p.TextHeight(), 1e-9);
    p.PrintWrapped("fits", 1.0, false);
    EXPECT_NEAR(p.CurrentX(), p.TextWidth("fits"), 1e-9);
    p.EndDoc();
  }
  const std::vector<pdf_text::Word> words = pdf_text::Words(pdf);
  for (const pdf_text::Word& w : words) EXPECT_LE(w.xMax, kRightEdge + 0.5) << w.text;
  EXPECT_EQ(Joined(words), "PARCEL:" + name + "tailendfits");
  const pdf_text::Word first = words.at(1);
  const pdf_text::Word second = words.at(2);
  EXPECT_EQ(first.text + second.text, name);
  EXPECT_NEAR(second.xMin, first.xMin, 0.5);
  EXPECT_GT(second.yMin, first.yMin);
  // "tail" (which the reader may split) starts the line at the indent.
  EXPECT_NEAR(words.at(3).xMin, 18.0 + 72.0, 0.5) << words.at(3).text;
  EXPECT_GT(words.at(3).yMin, second.yMin);
}

// The pages are set in a face with Arial's widths, whatever the system's
// sans-serif face is: the layouts' fixed columns are made for those widths.
TEST(PrinterTest, PagesUseAFaceWithArialWidths) {
  TempFolder folder;
  const std::string pdf = folder.File("face.pdf");
  {
    Printer p(Destination::Pdf(pdf));
    p.SetFontSize(12);
    // Arial's advance widths at 12 points: "0" 6.674, "W" 11.328, a blank 3.334.
    EXPECT_NEAR(p.TextWidth("0000000000") * 72, 66.74, 0.1);
    EXPECT_NEAR(p.TextWidth("WWWWWWWWWW") * 72, 113.28, 0.1);
    EXPECT_NEAR(p.TextWidth("          ") * 72, 33.34, 0.1);
    p.SetFontBold(true);
    p.Print("Bold");
    p.SetFontBold(false);
    p.Print("Regular");
    p.EndDoc();
  }
  const std::string fonts = pdf_text::Run("pdffonts " + pdf_text::Quote(pdf));
  EXPECT_NE(fonts.find("LiberationSans-Bold"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("LiberationSans "), std::string::npos) << fonts;
  EXPECT_EQ(fonts.find("DejaVu"), std::string::npos) << fonts;
}

TEST(PrinterTest, PrintersEndWithThePdfFileAndTestsCanEmptyTheList) {
  const std::vector<std::string> names = Printers();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.back(), kPdfFileName);
  const std::vector<std::string> none;
  SetPrinterListForTesting(&none);
  EXPECT_TRUE(Printers().empty());
  SetPrinterListForTesting(nullptr);
  EXPECT_EQ(Printers().back(), kPdfFileName);
}

}  // namespace
}  // namespace korvalo::print
