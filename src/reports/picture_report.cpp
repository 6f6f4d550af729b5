#include "reports/picture_report.h"

#include <cmath>

#include "common/numbers.h"
#include "reports/report_text.h"

namespace korvalo::reports {

namespace {

constexpr const char* kTitle = "CLOSURE AND AREA REPORT";
constexpr const char* kLineBreak = "\r\n";
// A new page starts its print position this far down.
constexpr double kPageTop = 0.5;
constexpr double kPictureSide = 4.0;
constexpr double kPictureLeft = (8.5 - kPictureSide) / 2;

class Page {
 public:
  explicit Page(print::Printer& p) : p_(p) {}

  void Font(double points, bool bold) {
    p_.SetFontSize(points);
    p_.SetFontBold(bold);
  }
  // An item starts at its inches unless the text before it on the line
  // runs that far: then it starts a blank after that text, so no figure is
  // printed over another.
  void At(double x) {
    if (p_.CurrentX() > x) x = p_.CurrentX() + p_.TextWidth(" ");
    p_.SetCurrentX(x);
  }
  void Text(const std::string& text, bool endLine) { p_.Print(text, endLine); }
  // A text that may run past the right edge of the printable area: it goes
  // on in lines under its own start.
  void Wrapped(const std::string& text, bool endLine) { p_.PrintWrapped(text, p_.CurrentX(), endLine); }
  // A cell right-aligned in its width by blanks in front; a wider text is
  // printed whole.
  void Cell(double x, const std::string& text, std::size_t width, bool endLine = false) {
    At(x);
    Text(PadLeft(text, width), endLine);
  }
  void NewPage() {
    p_.NewPage();
    p_.SetCurrentY(kPageTop);
    p_.SetCurrentX(0);
  }
  // Starts a new page unless `height` inches fit below the print position.
  void Fit(double height) {
    if (p_.CurrentY() + height > p_.ScaleHeight()) NewPage();
  }
  double Y() const { return p_.CurrentY(); }
  double LineHeight() const { return p_.TextHeight(); }
  print::Printer& Printer() { return p_; }

 private:
  print::Printer& p_;
};

}  // namespace

std::string SegmentAreaText(const std::string& arcLength, const std::string& radius,
                            const std::string& chord, int decimals) {
  const std::optional<double> a = ReadNumber(arcLength);
  const std::optional<double> r = ReadNumber(radius);
  const std::optional<double> c = ReadNumber(chord);
  if (!a || !r || !c) return "N/A";
  const double segment = (*a * *r - *c * *r * std::cos(*a / (2 * *r))) / 2;
  if (!std::isfinite(segment)) return "N/A";
  return ReportNumberFormat(RoundHalfEven(segment, decimals), decimals);
}

void PrintParcelPage(print::Printer& printer, const PictureReportPage& d) {
  Page page(printer);
  const auto number = [&](const std::string& text) { return ReportNumberFormatText(text, d.errDecimal); };

  // Title, underlined.
  page.Font(24, true);
  printer.SetFontUnderline(true);
  page.At(0);
  page.Text("", true);
  page.At(1.8);
  page.Text(kTitle, true);
  printer.SetFontUnderline(false);
  page.Font(16, true);
  if (d.option == PassFail::Pass || d.option == PassFail::Fail) {
    page.At(3.8);
    page.Text(d.option == PassFail::Pass ? "(PASS)" : "(FAIL)", true);
  }
  page.Text("", true);

  page.Font(12, true);
  page.At(0.5);
  page.Text("PARCEL: ", false);
  page.Wrapped(d.parcel + kLineBreak, true);
  page.At(0.5);
  page.Text("Drawing FILE: ", false);
  page.Font(10, false);
  page.Wrapped(d.drawingPath + kLineBreak, true);
  page.Font(12, true);
  page.At(0.5);
  page.Text("LEG          " + d.directionHeading +
                "            LENGTH      ARCLENGTH         RADIUS       ARCAREA +/-" + kLineBreak,
            true);

  // The courses; the total runs along the arcs.
  page.Font(12, false);
  double total = 0.0;
  for (std::size_t k = 0; k < d.rows.size(); ++k) {
    const EditorCourseRow& row = d.rows[k];
    page.Fit(page.LineHeight());
    page.Cell(0.5, std::to_string(k + 1), 5);
    page.Cell(1.0, row.direction, 16);
    if (row.arc) {
      page.Cell(2.3, number(row.chord), 16);
      page.Cell(3.5, number(row.arcLength), 16);
      page.Cell(4.7, number(row.radius), 16);
      page.Cell(5.9, SegmentAreaText(row.arcLength, row.radius, row.chord, d.errDecimal), 16);
      page.At(7.1);
      page.Text(row.plus ? " + " : "  -", true);
      total += ReadNumberOr(row.arcLength, 0.0);
    } else {
      page.Cell(2.3, number(row.distance), 16, true);
      total += ReadNumberOr(row.distance, 0.0);
    }
    // A row that ends below 11 inches ends the page on any paper; on Letter
    // the printable foot comes first.
    if (page.Y() > 11) page.NewPage();
  }

  // The figures: three lines of 12 points must fit together.
  page.Font(12, true);
  if (page.Y() > 10) page.NewPage();
  page.Fit(3 * page.LineHeight());
  page.Text("", true);
  page.At(0.5);
  page.Text("AREA: ", false);
  page.Font(12, false);
  page.Text(number(d.figures.area), false);
  page.Font(12, true);
  page.At(3.0);
  page.Text("Misclosure Distance: ", false);
  page.Font(12, false);
  page.Text(number(d.figures.closure), false);
  page.Font(12, true);
  page.At(5.5);
  page.Text(d.edition == Edition::R14 ? "Error of closure: " : "Precision: ", false);
  page.Font(12, false);
  page.Text(d.figures.precision, true);
  page.Font(12, true);
  page.At(0.5);
  page.Text("Total Distance: ", false);
  page.Font(12, false);
  page.Text(ReportNumberFormat(total, d.errDecimal), false);
  page.Font(12, true);
  page.At(3.0);
  page.Text("Misclosure Direction: ", false);
  page.Font(12, false);
  page.Text(number(d.figures.direction) + kLineBreak + kLineBreak, true);

  // The picture never starts below 7 inches and always fits whole.
  if (page.Y() > 7) page.NewPage();
  page.Fit(kPictureSide);
  if (!d.picture.Empty()) printer.PaintPicture(d.picture, kPictureLeft, page.Y(), kPictureSide, kPictureSide);
}

}  // namespace korvalo::reports
