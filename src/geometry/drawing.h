#pragma once

#include <optional>
#include <vector>

#include "geometry/traverse.h"

// The parcel preview: the complete courses scaled to fit a picture, centred,
// lines in black, confirmed arcs as circular arcs (dark green "+", red "-"),
// unconfirmed arcs as a cyan chord, a course number beside every course and a
// border around the picture.
namespace korvalo::geometry {

// What the preview draws on. Coordinates are twips from the top-left corner,
// y downward; colours are platform colour numbers (low byte red).
class ParcelCanvas {
 public:
  virtual ~ParcelCanvas() = default;
  // Fills the whole picture with its background colour.
  virtual void Clear() = 0;
  virtual void Line(double x1, double y1, double x2, double y2, int colour) = 0;
  // A circular arc from startRad to endRad, counter-clockwise as seen on the
  // screen (0 points right, pi/2 up).
  virtual void Arc(double cx, double cy, double radius, int colour, double startRad,
                   double endRad) = 0;
  // An unfilled rectangle in the picture's foreground colour.
  virtual void Rectangle(double x1, double y1, double x2, double y2) = 0;
};

inline constexpr int kBlack = 0;            // RGB(0, 0, 0)
inline constexpr int kCyan = 16776960;      // RGB(0, 255, 255)

// Placement of a course-number label (label k shows k + 1).
struct CourseLabel {
  bool visible = false;
  double left = 0.0;
  double top = 0.0;
};

struct DrawingResult {
  int lastRow = -1;
  // No value when row 0 is incomplete: the traverse was not computed and the
  // caller's points and total stay as they were. Otherwise the points in
  // picture coordinates (whole twips), or in survey units when the figure
  // has no width or no height and was not drawn.
  std::optional<Coord> coord;
  std::optional<double> totalDistance;
  std::vector<CourseLabel> labels;  // settings.courseLimit entries
  bool completed = false;           // every course and the border were drawn
};

// Draws the parcel of `rows` on a picture of width x height twips.
//
// The complete courses (FindLastLine) are scaled uniformly to fit the smaller
// side less 400 twips and centred. A minor arc whose chord is at most 2% of
// its half chord away from flat is drawn as a straight line in its colour.
// The drawing stops, without its border, at an arc whose half chord exceeds
// its radius; the course numbers stay placed. A figure without width or
// height draws nothing and shows no number. An arc end point's angle is taken
// all round the centre, so arcs whose end points lie straight above, below or
// level with the centre are drawn like any other; a half circle is drawn on
// the side its sign gives, like every arc, to the left of its drawn
// direction. An arc whose arc length or radius does not read as a number, or
// a minor arc of chord 0, has no shape and is left out; the drawing goes on.
// The canvas never receives a value that is not finite: a call that would
// carry one (an arc whose centre or radius lies beyond any picture) is not
// made, and the drawing ends there without its border. A picture whose width
// or height is not finite draws nothing.
DrawingResult DrawParcel(const std::vector<CourseRow>& rows, const TraverseSettings& settings,
                         double width, double height, ParcelCanvas& canvas);

}  // namespace korvalo::geometry
