#include "geometry/save_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/numbers.h"
#include "common/utf8.h"
#include "geometry/direction.h"
#include "geometry/tangency.h"

namespace korvalo::geometry {
namespace {

// The row's texts are all there for its kind (whether they read or not).
bool TextsComplete(const CourseRow& row) {
  if (row.direction.empty() || row.distance.empty()) return false;
  return row.kind == CourseKind::Line || (!row.arcLength.empty() && !row.radius.empty());
}

int RowLimit(const std::vector<CourseRow>& rows, const TraverseSettings& settings) {
  return std::min(static_cast<int>(rows.size()), settings.courseLimit);
}

// The rows a save stores: every row whose texts are complete, also past an
// incomplete row. The arc checks look at all of them, so that no arc is
// stored unexamined behind a gap.
std::vector<int> StoredRows(const std::vector<CourseRow>& rows, const TraverseSettings& settings) {
  std::vector<int> stored;
  const int limit = RowLimit(rows, settings);
  for (int k = 0; k < limit; ++k) {
    if (TextsComplete(rows[static_cast<std::size_t>(k)])) stored.push_back(k);
  }
  return stored;
}

void Mark(CheckResult& result, SaveDialogs& dialogs, FieldMark mark) {
  result.marks.push_back(mark);
  dialogs.Mark(mark);
}

// Decimals of a typed number: the characters after its first point, blanks
// not counted.
int TypedDecimals(std::string_view text) {
  const std::size_t point = text.find('.');
  if (point == std::string_view::npos) return 0;
  return static_cast<int>(utf8::Length(utf8::RemoveBlanks(text.substr(point + 1))));
}

// The number with exactly `places` decimals, as both sides of the arc
// comparison are written.
std::string FixedText(double value, int places) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.*f", places, value);
  return buffer;
}

// The length of the arc over chord c of radius r: the shorter arc, or the
// longer one when the typed length a is more than half the circle.
double ComputedArcLength(double a, double c, double r) {
  const double h = std::sqrt(r * r - (c / 2.0) * (c / 2.0));
  // A chord equal to the diameter: half the circle.
  double length = h == 0.0 ? kPi * r : 2.0 * r * std::atan(c / (2.0 * h));
  if (kPi * r < a) length = kTwoPi * r - length;
  return length;
}

}  // namespace

CheckResult CheckSegmentsConfirmed(const std::vector<CourseRow>& rows, const SaveCheckSettings& settings,
                                   SaveDialogs& dialogs) {
  CheckResult result;
  for (const int r : StoredRows(rows, settings.traverse)) {
    const CourseRow& row = rows[static_cast<std::size_t>(r)];
    if (row.kind != CourseKind::Arc) continue;
    if (row.plusBox == kTicked || row.minusBox == kTicked) continue;
    Mark(result, dialogs, {r, CourseField::RowButton});
    result.ok = false;
  }
  return result;
}

CheckResult VerifyArcs(const std::vector<CourseRow>& rows, const SaveCheckSettings& settings,
                       SaveDialogs& dialogs) {
  CheckResult result;
  const bool standalone = settings.traverse.edition == Edition::Standalone;
  for (const int r : StoredRows(rows, settings.traverse)) {
    const CourseRow& row = rows[static_cast<std::size_t>(r)];
    if (row.kind != CourseKind::Arc) continue;
    const auto fail = [&](const std::string& text) {
      Mark(result, dialogs, {r, CourseField::ArcLength});
      dialogs.Notice(text);
      result.ok = false;
    };
    double a = 0.0;
    double c = 0.0;
    double radius = 0.0;
    if (!ReadNumberTo(row.arcLength, a) || !ReadNumberTo(row.distance, c) || !ReadNumberTo(row.radius, radius)) {
      fail("ERROR: The arc length, chord length or radius of course #" + std::to_string(r + 1) +
           " is not a number.");
      continue;
    }
    if (a < c) {
      fail("ERROR: The arc length must be greater than the chord length.");
      continue;
    }
    if (2.0 * radius < c) {
      fail(standalone ? "ERROR: The chord length cannot be greater than 2 x radius."
                      : "ERROR: The chord length can not be greater than 2 x radius.");
      continue;
    }
    const double length = ComputedArcLength(a, c, radius);
    const int n = TypedDecimals(row.arcLength);
    const double rounded = RoundHalfEven(length, n);
    if (FixedText(rounded, n) == FixedText(a, n)) continue;
    Mark(result, dialogs, {r, CourseField::ArcLength});
    const std::string question =
        "Warning: In course #" + std::to_string(r + 1) +
        " the arc length does not agree with the radius and chord length. The arc length should be " +
        NumberText(rounded) +
        (standalone ? ". Would you like to save it?"
                    : ". Would you like to continue using your values and save this parcel anyways?");
    if (!dialogs.AskYesNo(question)) result.ok = false;
  }
  return result;
}

SaveValidation ValidateForSave(const std::string& parcelName, const std::vector<CourseRow>& rows,
                               const SaveCheckSettings& settings, SaveDialogs& dialogs) {
  SaveValidation v;
  if (parcelName.empty()) {
    dialogs.Notice("You cannot save without parcel name.");
    v.ok = false;
  }
  if (rows.empty() || !TextsComplete(rows[0])) {
    dialogs.Notice("You cannot save the parcel without at least one course.");
    v.ok = false;
  }
  const CheckResult signs = CheckSegmentsConfirmed(rows, settings, dialogs);
  v.marks = signs.marks;
  if (!signs.ok && settings.addAreaCheck) {
    dialogs.Notice("You must confirm segment area (+/-) before saving.");
    v.ok = false;
  }
  const CheckResult arcs = VerifyArcs(rows, settings, dialogs);
  v.marks.insert(v.marks.end(), arcs.marks.begin(), arcs.marks.end());
  TangencyResult tangents = VerifyTangents(rows, settings, dialogs);
  v.nonTangFlags = std::move(tangents.nonTangFlags);
  v.ok = v.ok && arcs.ok && tangents.ok;

  // Every row the save stores has a valid direction; an incomplete row in
  // between is not stored and not looked at.
  for (const int k : StoredRows(rows, settings.traverse)) {
    const CourseRow& row = rows[static_cast<std::size_t>(k)];
    std::string direction = row.direction;
    if (IsValidDirection(direction, settings.traverse.direction)) continue;
    const FieldMark mark{k, row.kind == CourseKind::Line ? CourseField::LineDirection : CourseField::ArcDirection};
    v.marks.push_back(mark);
    dialogs.Mark(mark);
    dialogs.Notice("The bearing value is invalid.");
    v.ok = false;
    return v;
  }
  return v;
}

}  // namespace korvalo::geometry
