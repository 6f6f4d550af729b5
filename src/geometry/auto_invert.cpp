#include "geometry/auto_invert.h"

#include <cmath>

#include "common/numbers.h"
#include "geometry/direction.h"

namespace korvalo::geometry {

namespace {

constexpr double kDoublingBackRange = 45.0;

// Whole degrees of an azimuth: the degrees part, read with a "0" in front
// (an empty part is 0).
double WholeDegrees(const std::string& text, const DirectionSettings& settings) {
  DmsParts parts;
  SplitDMS(text, parts, settings);
  return ReadNumberOr("0" + parts[0], 0.0);
}

bool EndsInEast(const std::string& text) {
  return !text.empty() && (text.back() == 'E' || text.back() == 'e');
}

double DistanceFromStart(const Point& p) { return std::sqrt(p.x * p.x + p.y * p.y); }

}  // namespace

std::string AutoInvertAdviceText(Edition edition) {
  if (edition == Edition::R14) {
    return "We recommend that you manually close this figure.  Would you like to close the figure "
           "automatically?";
  }
  return "We recommend that you manually close this figure.";
}

double CircularDifference(double a, double b) {
  double d = std::fmod(std::fabs(a - b), 360.0);
  if (d > 180.0) d = 360.0 - d;
  return d;
}

std::vector<DirectionWrite> AutoInvertDirections(std::vector<CourseRow>& rows, int lastRow,
                                                 const TraverseSettings& settings) {
  std::vector<DirectionWrite> writes;
  if (lastRow < 2 || static_cast<std::size_t>(lastRow) >= rows.size()) return writes;
  const DirectionSettings& dir = settings.direction;
  const auto reverse = [&](int row) {
    std::string& text = rows[static_cast<std::size_t>(row)].direction;
    text = ReverseDirection(text, dir);
    writes.push_back({row, text});
  };

  if (dir.bearing) {
    if (!EndsInEast(rows[1].direction)) reverse(1);
  } else {
    const double first = WholeDegrees(rows[0].direction, dir);
    if (first >= 90.0 && first <= 269.0) reverse(0);
    if (WholeDegrees(rows[1].direction, dir) >= 180.0) reverse(1);
  }

  for (int k = 2; k <= lastRow; ++k) {
    const std::size_t i = static_cast<std::size_t>(k);
    const Traverse traverse = CalCoord(rows, k, settings);
    const Point& from = traverse.coord[i];
    const double d1 = DistanceFromStart(traverse.coord[i + 1]);
    std::string reversed = ReverseDirection(rows[i].direction, dir);
    const double theta = CalAngle(reversed, dir) * kPi / 180.0;
    double length = 0.0;
    ReadMeasureTo(rows[i].distance, length);
    const Point moved{length * std::cos(theta) + from.x, length * std::sin(theta) + from.y};
    if (DistanceFromStart(moved) < d1) reverse(k);

    const double a = AngleFromEast(rows[i - 1].direction, dir);
    const double b = AngleFromEast(rows[i].direction, dir);
    const double ref = std::fmod(RoundHalfEven(a + 180.0, 0), 360.0);
    if (CircularDifference(b, ref) < kDoublingBackRange) reverse(k);
  }
  return writes;
}

}  // namespace korvalo::geometry
