#include "geometry/drawing.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "common/numbers.h"
#include "common/utf8.h"

namespace korvalo::geometry {
namespace {

// Passes on only calls whose every number is finite. A call that would carry
// a value that is not finite (an arc whose centre lies beyond any picture) is
// not made, and the drawing ends there as it does at an arc it cannot form.
class FiniteCanvas {
 public:
  explicit FiniteCanvas(ParcelCanvas& canvas) : canvas_(canvas) {}

  bool refused() const { return refused_; }

  void Line(double x1, double y1, double x2, double y2, int colour) {
    if (Check({x1, y1, x2, y2})) canvas_.Line(x1, y1, x2, y2, colour);
  }
  void Arc(double cx, double cy, double radius, int colour, double startRad, double endRad) {
    if (Check({cx, cy, radius, startRad, endRad})) {
      canvas_.Arc(cx, cy, radius, colour, startRad, endRad);
    }
  }
  void Rectangle(double x1, double y1, double x2, double y2) {
    if (Check({x1, y1, x2, y2})) canvas_.Rectangle(x1, y1, x2, y2);
  }

 private:
  bool Check(std::initializer_list<double> values) {
    for (double v : values) {
      if (!std::isfinite(v)) refused_ = true;
    }
    return !refused_;
  }

  ParcelCanvas& canvas_;
  bool refused_ = false;
};

// Angle of a point about a centre, counter-clockwise as seen on the screen
// (y downward), in [0, 2pi).
double ScreenAngle(double cx, double cy, double px, double py) {
  double a = std::atan2(cy - py, px - cx);
  if (a < 0.0) a += kTwoPi;
  if (a >= kTwoPi) a = 0.0;
  return a;
}

// Draws the arc of row r from p to q. False when the drawing must end here
// (a chord longer than the diameter).
bool DrawArc(const CourseRow& row, const std::string& direction, Point p, Point q, double scale,
             const TraverseSettings& settings, FiniteCanvas& canvas) {
  const bool plus = row.plusBox == kTicked;
  const int colour = plus ? kDarkGreen : kRed;
  // A "-" arc bulges to the other side of its chord: seen from the other end.
  const std::string drawn = plus ? direction : ReverseDirection(direction, settings.direction);

  const auto arcLength = ReadMeasure(row.arcLength);
  const auto radiusValue = ReadMeasure(row.radius);
  const double chord = ReadMeasure(row.distance).value_or(0.0);
  // An arc whose arc length or radius cannot be read has no shape to draw.
  if (!arcLength || !radiusValue) return true;
  const double a = *arcLength;
  const double radius = *radiusValue;
  const double half = chord / 2.0;
  if (half > radius) return false;

  std::string copy = drawn;
  const double theta = CalAngle(copy, settings.direction) * kPi / 180.0;
  double d = std::sqrt(radius * radius - half * half);
  // A radius whose square overflows: the same distance without the squares.
  if (!std::isfinite(d)) d = std::sqrt(radius - half) * std::sqrt(radius + half);
  const double mx = (p.x + q.x) / 2.0;
  const double my = (p.y + q.y) / 2.0;
  const bool minor = kPi * radius > a;
  const double ox = RoundHalfEven(d * scale * std::sin(theta), settings.errDecimal);
  const double oy = RoundHalfEven(d * scale * std::cos(theta), settings.errDecimal);
  const double cx = minor ? mx + ox : mx - ox;
  const double cy = minor ? my + oy : my - oy;

  const double angleP = ScreenAngle(cx, cy, p.x, p.y);
  const double angleQ = ScreenAngle(cx, cy, q.x, q.y);
  double a1 = std::min(angleP, angleQ);
  double a2 = std::max(angleP, angleQ);
  const double r = radius * scale;
  if (std::fabs((a2 - a1) - kPi) < 1e-9) {
    // A half circle: both ways are half a turn, so the angles cannot choose.
    // Every arc bulges to the left of its drawn direction, which seen on the
    // screen is counter-clockwise from Q to P ("+"), or from P to Q ("-",
    // drawn the other way).
    if (plus) {
      canvas.Arc(cx, cy, r, colour, angleQ, angleP);
    } else {
      canvas.Arc(cx, cy, r, colour, angleP, angleQ);
    }
  } else if (minor) {
    // A zero chord has no sagitta ratio; there is nothing to draw.
    if (half == 0.0) return true;
    if ((radius - d) / half > 0.02) {
      if (a2 - a1 > kPi) {
        canvas.Arc(cx, cy, r, colour, a2, a1);
      } else {
        canvas.Arc(cx, cy, r, colour, a1, a2);
      }
    } else {
      canvas.Line(p.x, p.y, q.x, q.y, colour);
    }
  } else if (a2 - a1 >= kPi) {
    canvas.Arc(cx, cy, r, colour, a1, a2);
  } else {
    canvas.Arc(cx, cy, r, colour, a2, a1);
  }
  return true;
}

}  // namespace

DrawingResult DrawParcel(const std::vector<CourseRow>& rows, const TraverseSettings& settings,
                         double width, double height, ParcelCanvas& canvas) {
  DrawingResult result;
  result.labels.assign(static_cast<std::size_t>(std::max(settings.courseLimit, 0)), CourseLabel{});
  result.lastRow = FindLastLine(rows, settings);
  canvas.Clear();
  if (result.lastRow < 0) return result;

  const int n = result.lastRow;
  FiniteCanvas checked(canvas);
  Traverse traverse = CalCoord(rows, n, settings);
  result.totalDistance = traverse.totalDistance;
  Coord& coord = traverse.coord;
  const auto point = [&](int i) -> Point& { return coord[static_cast<std::size_t>(i)]; };

  double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
  for (int i = 0; i <= n + 1; ++i) {
    minX = std::min(minX, point(i).x);
    maxX = std::max(maxX, point(i).x);
    minY = std::min(minY, point(i).y);
    maxY = std::max(maxY, point(i).y);
  }
  const double size = width > height ? height - 400.0 : width - 400.0;

  // A figure without width or height cannot be scaled: nothing is drawn.
  const double sx = std::fabs(size / (maxX - minX));
  const double sy = std::fabs(size / (maxY - minY));
  if (maxX == minX || maxY == minY || !std::isfinite(sx) || !std::isfinite(sy) ||
      !std::isfinite(width) || !std::isfinite(height)) {
    result.coord = std::move(coord);
    return result;
  }
  const double scale = std::min(sx, sy);
  const double offX = width / 2.0 - (minX + maxX) * scale / 2.0;
  const double offY = height / 2.0 - (minY + maxY) * scale / 2.0;
  for (int i = 0; i <= n + 1; ++i) {
    Point& pt = point(i);
    pt.x = RoundHalfEven(scale * pt.x + offX, 0);
    pt.y = RoundHalfEven(height - (scale * pt.y + offY), 0);
  }

  for (int r = 0; r <= n; ++r) {
    const Point p = point(r);
    const Point q = point(r + 1);
    CourseLabel& label = result.labels[static_cast<std::size_t>(r)];
    label.visible = true;
    const double mx = (p.x + q.x) / 2.0;
    const double my = (p.y + q.y) / 2.0;
    label.left = mx >= width / 2.0 ? mx + 100.0 : mx - 100.0;
    label.top = my >= height / 2.0 ? my + 100.0 : my - 100.0;
  }

  bool whole = true;
  for (int r = 0; r <= n && whole && !checked.refused(); ++r) {
    const CourseRow& row = rows[static_cast<std::size_t>(r)];
    const Point p = point(r);
    const Point q = point(r + 1);
    if (row.kind == CourseKind::Line) {
      checked.Line(p.x, p.y, q.x, q.y, kBlack);
    } else if (row.plusBox != kTicked && row.minusBox != kTicked) {
      checked.Line(p.x, p.y, q.x, q.y, kCyan);
    } else {
      whole = DrawArc(row, utf8::RemoveBlanks(row.direction), p, q, scale, settings, checked);
    }
  }
  whole = whole && !checked.refused();
  if (whole) checked.Rectangle(0.0, 0.0, width - 80.0, height - 80.0);
  result.completed = whole;
  result.coord = std::move(coord);
  return result;
}

}  // namespace korvalo::geometry
