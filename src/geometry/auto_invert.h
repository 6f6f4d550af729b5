#pragma once

#include <string>
#include <vector>

#include "common/edition.h"
#include "geometry/traverse.h"

// Auto-invert: turns course directions of a picked figure so that it closes
// as well as it can. The first two courses get a fixed orientation; then each
// later complete course is walked once, in order, and reversed when the
// reversed course ends nearer to the start, or when it doubles back on the
// course before it. Only direction texts change.
//
// The computation works on course values; the windows write each reversal
// into its direction box, in the order given, so that a box's change
// handling sees the same sequence of texts as the user would.
namespace korvalo::geometry {

// One direction text written back: row and its new direction.
struct DirectionWrite {
  int row = 0;
  std::string text;
  bool operator==(const DirectionWrite&) const = default;
};

// Figures with more complete courses than this are better closed by hand:
// the user is told so, and the inversion goes on.
inline constexpr int kAutoInvertAdviceLastRow = 9;

// The advice shown (exclamation icon, OK) when lastRow > kAutoInvertAdviceLastRow.
std::string AutoInvertAdviceText(Edition edition);

// Reverses directions of rows 0 to lastRow (lastRow as FindLastLine gives
// it) in `rows` and returns every write in the order it was made. Nothing
// happens with fewer than three complete courses.
//
// - Bearing mode: row 1 is reversed unless its last character is "E" (in
//   either case); row 0 stays. Azimuth mode: row 0 is reversed when its whole
//   degrees are 90 to 269, row 1 when they are 180 or more.
// - Rows 2 to lastRow: reversed when the reversed course's end point lies
//   strictly nearer to the start than the course's own end point; then
//   reversed (again) when the course doubles back on the one before it, that
//   is when its comparison angle lies within 45 degrees of the previous
//   course's angle turned by 180, measured round the circle (350 and 0 are 10
//   degrees apart).
// Lengths are read by the traverse's rules ("." reads 0); every row up to
// lastRow reads, since FindLastLine counts an unreadable row as incomplete.
std::vector<DirectionWrite> AutoInvertDirections(std::vector<CourseRow>& rows, int lastRow,
                                                 const TraverseSettings& settings);

// The difference of two angles in degrees round the circle: 0 to 180.
double CircularDifference(double a, double b);

}  // namespace korvalo::geometry
