#include "geometry/traverse.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/numbers.h"
#include "geometry/bearing.h"

namespace korvalo::geometry {
namespace {

// What the traverse takes from a complete course.
struct CourseValues {
  double angle = 0.0;       // degrees counter-clockwise from east
  double length = 0.0;      // distance or chord: how far the point moves
  double pathLength = 0.0;  // what the total distance counts
};

// The values of a complete course; no value when the row is incomplete.
std::optional<CourseValues> ReadCourse(const CourseRow& row, const TraverseSettings& settings) {
  const bool arc = row.kind == CourseKind::Arc;
  if (row.direction.empty() || row.distance.empty()) return std::nullopt;
  if (arc && (row.arcLength.empty() || row.radius.empty())) return std::nullopt;
  const std::optional<double> angle = ReadDirectionAngle(row.direction, settings.direction);
  if (!angle) return std::nullopt;
  const std::optional<double> length = ReadMeasure(row.distance);
  if (!length) return std::nullopt;
  CourseValues values{*angle, *length, *length};
  if (arc && settings.edition == Edition::R14) {
    const std::optional<double> arcLength = ReadMeasure(row.arcLength);
    if (!arcLength) return std::nullopt;
    values.pathLength = *arcLength;
  }
  return values;
}

Traverse StartTraverse(const TraverseSettings& settings) {
  Traverse traverse;
  traverse.coord.assign(static_cast<std::size_t>(std::max(settings.courseLimit, 0)) + 1, Point{});
  return traverse;
}

// Point i from point i - 1 along the course of row i - 1.
void Advance(Traverse& traverse, int i, const CourseValues& values) {
  traverse.totalDistance += values.pathLength;
  const double theta = values.angle * kPi / 180.0;
  const Point& from = traverse.coord[static_cast<std::size_t>(i - 1)];
  traverse.coord[static_cast<std::size_t>(i)] = {from.x + values.length * std::cos(theta),
                                                 from.y + values.length * std::sin(theta)};
}

// What the area takes from an arc row: its circular segment's values, no
// value where a field does not read, and the sign of the segment.
struct ArcSegment {
  std::optional<double> arcLength;
  std::optional<double> chord;
  std::optional<double> radius;
  SegmentSign sign = SegmentSign::Plus;
};

ArcSegment SegmentOf(const CourseRow& row, std::optional<double> chord) {
  return {ReadMeasure(row.arcLength), chord, ReadMeasure(row.radius), AreaSign(row)};
}

// Area of the polygon over points 0 to n + 1 (n >= 0).
double PolygonArea(const Coord& coord, int n) {
  const auto p = [&](int i) { return coord[static_cast<std::size_t>(i)]; };
  double sum = p(0).x * (p(1).y - p(n).y);
  for (int i = 1; i <= n; ++i) sum += p(i).x * (p(i + 1).y - p(i - 1).y);
  return std::fabs(sum) / 2.0;
}

// The polygon's area with the arcs' segments added or subtracted in row order.
// Products of two measures can overflow (a figure of 1e155 on a side): an
// area that is not finite cannot be given.
std::optional<double> AreaWithSegments(double area, const std::vector<ArcSegment>& segments) {
  if (!std::isfinite(area)) return std::nullopt;
  for (const ArcSegment& segment : segments) {
    const auto& [a, c, radius, sign] = segment;
    // A segment that cannot be formed must not leave an area that looks valid.
    if (!a || !c || !radius || *radius == 0.0) return std::nullopt;
    const double s = (*a * *radius - *c * *radius * std::cos(*a / (2.0 * *radius))) / 2.0;
    switch (sign) {
      case SegmentSign::Plus:
        area += s;
        break;
      case SegmentSign::Minus:
        area -= s;
        break;
      case SegmentSign::Unconfirmed:
        return std::nullopt;
    }
    if (!std::isfinite(area)) return std::nullopt;
  }
  return area;
}

int RowLimit(const std::vector<CourseRow>& rows, const TraverseSettings& settings) {
  return std::min(static_cast<int>(rows.size()), settings.courseLimit);
}

}  // namespace

CourseRow CourseRow::Line(std::string direction, std::string distance) {
  CourseRow row;
  row.kind = CourseKind::Line;
  row.direction = std::move(direction);
  row.distance = std::move(distance);
  return row;
}

CourseRow CourseRow::Arc(std::string direction, std::string arcLength, std::string chord,
                         std::string radius, SegmentSign sign) {
  CourseRow row;
  row.kind = CourseKind::Arc;
  row.direction = std::move(direction);
  row.arcLength = std::move(arcLength);
  row.distance = std::move(chord);
  row.radius = std::move(radius);
  switch (sign) {
    case SegmentSign::Plus:
      row.plusBox = kTicked;
      row.minusBox = kUnticked;
      break;
    case SegmentSign::Minus:
      row.plusBox = kUnticked;
      row.minusBox = kTicked;
      break;
    case SegmentSign::Unconfirmed:
      row.plusBox = kGreyed;
      row.minusBox = kGreyed;
      break;
  }
  return row;
}

SegmentSign AreaSign(const CourseRow& row) {
  if (row.minusBox == kUnticked) return SegmentSign::Plus;
  if (row.minusBox == kTicked) return SegmentSign::Minus;
  return SegmentSign::Unconfirmed;
}

int FindLastLine(const std::vector<CourseRow>& rows, const TraverseSettings& settings) {
  const int limit = RowLimit(rows, settings);
  int last = -1;
  for (int k = 0; k < limit; ++k) {
    if (!ReadCourse(rows[static_cast<std::size_t>(k)], settings)) break;
    last = k;
  }
  return last;
}

Traverse CalCoord(const std::vector<CourseRow>& rows, int n, const TraverseSettings& settings) {
  Traverse traverse = StartTraverse(settings);
  n = std::min(n, RowLimit(rows, settings) - 1);
  for (int i = 1; i <= n + 1; ++i) {
    const auto values = ReadCourse(rows[static_cast<std::size_t>(i - 1)], settings);
    Advance(traverse, i, values.value_or(CourseValues{}));
  }
  return traverse;
}

std::optional<double> ParcelArea(const std::vector<CourseRow>& rows, int n, const Coord& coord) {
  n = std::min({n, static_cast<int>(rows.size()) - 1, static_cast<int>(coord.size()) - 2});
  if (n < 0) return 0.0;
  std::vector<ArcSegment> segments;
  for (int r = 0; r <= n; ++r) {
    const CourseRow& row = rows[static_cast<std::size_t>(r)];
    if (row.kind == CourseKind::Arc) segments.push_back(SegmentOf(row, ReadMeasure(row.distance)));
  }
  return AreaWithSegments(PolygonArea(coord, n), segments);
}

double CalPrecision(double ratio) {
  if (ratio == 0.0) return -1.0;
  const double q = 1.0 / ratio;
  return q < 1000000.0 ? q : -1.0;
}

std::string PrecisionText(double precision) {
  if (precision == -1.0) return "Perfect";
  return "1:" + RoundedText(precision, 0);
}

ClosureResult ComputeClosure(const std::vector<CourseRow>& rows, const TraverseSettings& settings) {
  ClosureResult result;
  // One pass reads the rows as FindLastLine does, each row once, the arcs'
  // segments from the values already read; the points are walked afterwards,
  // from the values gathered, as CalCoord walks them.
  const int limit = RowLimit(rows, settings);
  std::vector<CourseValues> courses;
  courses.reserve(static_cast<std::size_t>(std::max(limit, 0)));
  std::vector<ArcSegment> segments;
  segments.reserve(courses.capacity());
  for (int k = 0; k < limit; ++k) {
    const CourseRow& row = rows[static_cast<std::size_t>(k)];
    const auto values = ReadCourse(row, settings);
    if (!values) break;
    courses.push_back(*values);
    if (row.kind == CourseKind::Arc) segments.push_back(SegmentOf(row, values->length));
    result.lastRow = k;
  }
  Traverse traverse = StartTraverse(settings);
  for (std::size_t i = 0; i < courses.size(); ++i) {
    Advance(traverse, static_cast<int>(i) + 1, courses[i]);
  }
  if (result.lastRow < 0) {
    result.areaText = "0";
    result.closureText = "0";
    return result;
  }
  const int n = result.lastRow;
  result.totalDistance = traverse.totalDistance;

  const std::optional<double> area = AreaWithSegments(PolygonArea(traverse.coord, n), segments);
  result.areaAvailable = area.has_value();
  result.area = area.value_or(0.0);

  const Point end = traverse.coord[static_cast<std::size_t>(n + 1)];
  // The measures are bounded (kLargestMeasure), so the end point and the
  // total are finite for any grid; should they not be, the figures that
  // depend on them cannot be formed and show "N/A", and nothing that is not
  // finite is kept.
  const double closure = std::hypot(end.x, end.y);
  if (!std::isfinite(closure) || !std::isfinite(traverse.totalDistance)) {
    result.totalDistance = 0.0;
    result.areaText = result.closureText = result.directionText = result.precisionText = "N/A";
    result.closureColour = kRed;
    return result;
  }
  result.closure = RoundHalfEven(closure, settings.errDecimal);
  result.closureBearing = BearingFromPoints(end.x, end.y, 0.0, 0.0, settings.direction);
  // The ratio uses the rounded closure, so a closure that rounds to 0 is 0.
  result.precisionRatio =
      traverse.totalDistance != 0.0 ? result.closure / traverse.totalDistance : 1.0;

  result.areaText = result.areaAvailable ? RoundedText(result.area, settings.errDecimal) : "N/A";
  result.closureText = RoundedText(result.closure, settings.errDecimal);
  result.directionText = result.closureBearing;
  result.precisionText = PrecisionText(CalPrecision(result.precisionRatio));
  result.closureColour =
      ReadNumberOr(result.closureText, 0.0) > settings.closureTolerance ? kRed : kDarkGreen;
  result.coord = std::move(traverse.coord);
  return result;
}

}  // namespace korvalo::geometry
