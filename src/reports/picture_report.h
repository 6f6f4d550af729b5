#pragma once

#include <string>
#include <vector>

#include "common/edition.h"
#include "platform/print/printer.h"
#include "reports/report_data.h"
#include "reports/report_editor.h"

// The printed page of the report with picture: one parcel as the editor
// shows it, its courses, figures and a 4-inch picture of it.
namespace korvalo::reports {

struct PictureReportPage {
  PassFail option = PassFail::All;  // Pass and Fail print "(PASS)" / "(FAIL)" under the title
  std::string parcel;
  std::string drawingPath;
  std::string directionHeading = "BEARING";
  // The rows up to the first one without a direction.
  std::vector<EditorCourseRow> rows;
  EditorFigures figures;
  int errDecimal = 2;
  Edition edition = Edition::A2004;
  print::Picture picture;
};

// The segment area of an arc printed in the ARCAREA column:
// (a r - c r cos(a / 2r)) / 2 rounded to `decimals` places in the report's
// number pattern; "N/A" when a box does not read as a number or the figure
// is not finite (a radius of 0).
std::string SegmentAreaText(const std::string& arcLength, const std::string& radius,
                            const std::string& chord, int decimals);

// Prints the page(s) of one parcel from the printer's present page on; it
// does not end the document. Positions are inches from the printable
// corner. Rows, totals and the picture go onto a new page (from 0.5 inch)
// when they would not fit above the printable area's foot, and the rows
// also after one that ends below 11 inches; a cell wider than its column is
// printed whole, and an item whose place the text before it on the line has
// reached starts a blank after that text. A parcel name or drawing path that
// would pass the printable area's right edge goes on in lines under its own
// start.
void PrintParcelPage(print::Printer& printer, const PictureReportPage& page);

}  // namespace korvalo::reports
