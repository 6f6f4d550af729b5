#include "geometry/tangency.h"

#include <cmath>

#include "common/numbers.h"
#include "geometry/bearing.h"

namespace korvalo::geometry {
namespace {

struct RowDirections {
  std::string start;
  std::string end;
};

std::string ModeWord(const TraverseSettings& settings) {
  return settings.direction.bearing ? "bearing" : "azimuth";
}

// The part of a message that names one course of a joint. `number` is the
// course number counted from 1, or "first" / "last" for the closing joint;
// `direction` the tangent shown for an arc.
std::string CoursePart(const CourseRow& row, const std::string& number, const std::string& direction,
                       const std::string& mode) {
  if (row.kind == CourseKind::Arc) return "the tangential " + mode + " (" + direction + ") of " + number + " arc";
  return "the " + mode + " of " + number + " line";
}

std::string Numbered(int course) { return std::to_string(course) + "th"; }

}  // namespace

std::string ArcTangentBearing(const std::vector<CourseRow>& rows, int r, ArcEnd e, const Coord& coord,
                              const TraverseSettings& settings) {
  const CourseRow& row = rows[static_cast<std::size_t>(r)];
  // From the middle of the chord towards the centre of the minor arc.
  std::string b = RotateLeft90(row.direction, settings.direction);
  if (row.plusBox == kTicked) b = ReverseDirection(b, settings.direction);
  const double c = ReadNumberOr(row.distance, 0.0);
  const double radius = ReadNumberOr(row.radius, 0.0);
  const double a = ReadNumberOr(row.arcLength, 0.0);
  if (c / 2.0 > radius) return "";
  const double theta = CalAngle(b, settings.direction) * kPi / 180.0;
  const double h = std::sqrt(radius * radius - (c / 2.0) * (c / 2.0));
  const double dx = RoundHalfEven(h * std::cos(theta), settings.errDecimal);
  const double dy = RoundHalfEven(h * std::sin(theta), settings.errDecimal);
  const Point& p0 = coord[static_cast<std::size_t>(r)];
  const Point& p1 = coord[static_cast<std::size_t>(r + 1)];
  const Point middle{(p0.x + p1.x) / 2.0, (p0.y + p1.y) / 2.0};
  // An arc of half the circle or more has its centre beyond the chord.
  const bool major = kPi * radius <= a;
  const Point centre = major ? Point{middle.x - dx, middle.y - dy} : Point{middle.x + dx, middle.y + dy};
  const Point& p = e == ArcEnd::Start ? p0 : p1;
  return RotateLeft90(BearingFromPoints(p.x, p.y, centre.x, centre.y, settings.direction), settings.direction);
}

TangencyResult VerifyTangents(const std::vector<CourseRow>& rows, const SaveCheckSettings& settings,
                              SaveDialogs& dialogs) {
  TangencyResult result;
  const TraverseSettings& ts = settings.traverse;
  const int last = FindLastLine(rows, ts);
  if (last < 0) return result;
  const bool standalone = ts.edition == Edition::Standalone;
  const Traverse traverse = CalCoord(rows, last, ts);
  std::vector<RowDirections> dirs(static_cast<std::size_t>(last) + 1);
  for (int r = 0; r <= last; ++r) {
    const CourseRow& row = rows[static_cast<std::size_t>(r)];
    RowDirections& d = dirs[static_cast<std::size_t>(r)];
    if (row.kind == CourseKind::Arc) {
      d.start = ArcTangentBearing(rows, r, ArcEnd::Start, traverse.coord, ts);
      d.end = ArcTangentBearing(rows, r, ArcEnd::End, traverse.coord, ts);
    } else {
      d.start = d.end = row.direction;
    }
  }
  if (!standalone) result.nonTangFlags.assign(static_cast<std::size_t>(last) + 1, false);
  const std::string mode = ModeWord(ts);
  const std::string question = standalone ? ". Would you like to save it?" : ". Would you like to save?";

  // Reports the joint where `before` ends and `after` starts, if it falls
  // between the tolerance and the warning range; `flagRow` is the course a
  // Yes marks.
  const auto examine = [&](const std::string& endBefore, const std::string& startAfter, const std::string& first,
                           const std::string& second, int flagRow) {
    // An arc without a tangent has already been reported by the arc check.
    if (endBefore.empty() || startAfter.empty()) return;
    const double d = AngleDifference(endBefore, startAfter, ts.direction);
    if (!(settings.tangentTolerance < d && d < settings.warningRange)) return;
    const std::string text = "Please check " + first + " and " + second;
    if (!settings.tangentCheck) {
      dialogs.Notice(text + ".");
      return;
    }
    if (dialogs.AskYesNo(text + question)) {
      if (!standalone) result.nonTangFlags[static_cast<std::size_t>(flagRow)] = true;
    } else {
      // Any No stops the save, whatever is answered later.
      result.ok = false;
    }
  };

  const CourseRow& firstRow = rows[0];
  const CourseRow& lastRow = rows[static_cast<std::size_t>(last)];
  if ((firstRow.kind == CourseKind::Arc) != (lastRow.kind == CourseKind::Arc)) {
    // The later course of the closing joint is the first course.
    examine(dirs[static_cast<std::size_t>(last)].end, dirs[0].start,
            CoursePart(firstRow, "first", dirs[0].start, mode),
            CoursePart(lastRow, "last", dirs[static_cast<std::size_t>(last)].end, mode), 0);
  }
  for (int i = 1; i <= last; ++i) {
    const CourseRow& before = rows[static_cast<std::size_t>(i - 1)];
    const CourseRow& after = rows[static_cast<std::size_t>(i)];
    if (before.kind == CourseKind::Line && after.kind == CourseKind::Line) continue;
    const RowDirections& db = dirs[static_cast<std::size_t>(i - 1)];
    const RowDirections& da = dirs[static_cast<std::size_t>(i)];
    examine(db.end, da.start, CoursePart(before, Numbered(i), db.end, mode),
            CoursePart(after, Numbered(i + 1), da.start, mode), i);
  }
  return result;
}

}  // namespace korvalo::geometry
