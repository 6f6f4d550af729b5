#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/edition.h"
#include "geometry/direction.h"

// The traverse of a parcel: which leading courses are complete, the points
// they reach from the start (0, 0), and the figures shown to the surveyor:
// area, closure, closure direction and precision.
namespace korvalo::geometry {

enum class CourseKind { Line, Arc };

// The sign of an arc's circular segment, as the "-" box of the row holds it:
// 0 "+" (the segment is added to the polygon), 1 "-" (subtracted),
// 2 not yet confirmed (greyed box).
enum class SegmentSign { Plus = 0, Minus = 1, Unconfirmed = 2 };

// Values of a sign check box.
inline constexpr int kUnticked = 0;
inline constexpr int kTicked = 1;
inline constexpr int kGreyed = 2;

// One course as the editor's grid holds it: texts, because a field may be
// empty or hold something that does not read as a number.
struct CourseRow {
  CourseKind kind = CourseKind::Line;
  std::string direction;  // the line's direction or the arc's chord direction
  std::string distance;   // the line's distance or the arc's chord
  std::string arcLength;  // arc rows only
  std::string radius;     // arc rows only
  int plusBox = kUnticked;   // value of the "+" box
  int minusBox = kUnticked;  // value of the "-" box

  static CourseRow Line(std::string direction, std::string distance);
  static CourseRow Arc(std::string direction, std::string arcLength, std::string chord,
                       std::string radius, SegmentSign sign);
};

// The sign the area takes for an arc row, read from its "-" box; any value
// other than 0 or 1 counts as not confirmed.
SegmentSign AreaSign(const CourseRow& row);

struct TraverseSettings {
  DirectionSettings direction;
  int errDecimal = 2;             // decimals of the figures shown and stored
  double closureTolerance = 0.0;  // closures above it are shown in red
  Edition edition = Edition::A2004;
  int courseLimit = 80;           // rows of the grid (CourseLimitFor(edition))
};

struct Point {
  double x = 0.0;  // east
  double y = 0.0;  // north
};

// Points 0 to courseLimit: point 0 is the start, point i the end of row i - 1.
using Coord = std::vector<Point>;

// Index of the last row of the unbroken run of complete rows from row 0, -1
// when row 0 is incomplete. A line row is complete when its direction and
// distance are not empty, an arc row when its direction, arc length, chord and
// radius are not empty. A row whose direction, distance or chord cannot be
// read (a bearing of fewer than two characters, a direction with a digit run
// too large to read, a number such as "1.2.3" or one above kLargestMeasure,
// common/numbers.h) counts as incomplete as well, so the traverse, the drawing and the save
// checks all stop before it; in the R14 edition, whose total distance runs
// along the arcs, so does an arc row whose arc length cannot be read.
// Rows after the first incomplete row are never looked at.
int FindLastLine(const std::vector<CourseRow>& rows, const TraverseSettings& settings);

struct Traverse {
  Coord coord;                 // courseLimit + 1 points; 0 to n + 1 filled
  double totalDistance = 0.0;  // lines and chords (R14: arc lengths of arcs)
};

// The traverse over rows 0 to n, which must be complete (FindLastLine); an
// incomplete row among them moves the point by nothing.
// Each course moves by its distance or chord along its direction; the total
// distance sums the same lengths, except that the R14 edition counts the arc
// length of an arc row.
Traverse CalCoord(const std::vector<CourseRow>& rows, int n, const TraverseSettings& settings);

// Area of the figure over points 0 to n + 1 (n = last row) plus or minus the
// circular segment of every arc row; no value ("N/A") when an arc's sign is
// not confirmed, its arc length or radius does not read as a number, or its
// segment cannot be formed (a radius of 0).
std::optional<double> ParcelArea(const std::vector<CourseRow>& rows, int n, const Coord& coord);

// 1 / ratio, or -1 meaning "Perfect": a ratio of 0, or one part in a million
// or less.
double CalPrecision(double ratio);

// "Perfect" for -1, else "1:" and the whole number.
std::string PrecisionText(double precision);

// Colours as the platform numbers them (low byte red).
inline constexpr int kRed = 255;          // RGB(255, 0, 0)
inline constexpr int kDarkGreen = 32768;  // RGB(0, 128, 0)

// Every number of the result is finite and no label shows "NaN" or
// "Infinity": the measures are bounded, the closure is a hypotenuse that does
// not overflow, and an area too large for a double (a figure of 1e155 on a
// side) shows "N/A". Should the end point of the traverse not be finite, all
// four labels show "N/A" and the figures stay 0.
struct ClosureResult {
  int lastRow = -1;                // -1: no complete row
  double area = 0.0;               // 0 when "N/A" or no complete row
  bool areaAvailable = false;
  double closure = 0.0;            // rounded to errDecimal
  std::string closureBearing;      // from the unrounded end point to the start
  double precisionRatio = 0.0;     // closure / total distance; 1 when it is 0
  // No value when no row is complete: the editor keeps what it showed.
  std::optional<double> totalDistance;
  std::optional<int> closureColour;
  // The traverse in survey units (points 0 to lastRow + 1 filled), as CalCoord
  // gives it; empty when no row is complete.
  Coord coord;
  // The four result labels.
  std::string areaText;
  std::string closureText;
  std::string directionText;
  std::string precisionText;

  bool HasCourses() const { return lastRow >= 0; }
};

// The whole closure computation of a parcel's rows.
ClosureResult ComputeClosure(const std::vector<CourseRow>& rows, const TraverseSettings& settings);

}  // namespace korvalo::geometry
