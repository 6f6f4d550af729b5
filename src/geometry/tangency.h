#pragma once

#include <string>
#include <vector>

#include "geometry/save_prompts.h"
#include "geometry/traverse.h"

// Tangency at the joints of a parcel: where a course meets an arc, the two
// directions should agree. Up to the tangent tolerance a joint counts as
// tangent; from the warning range on it is taken as not meant to be tangent;
// both pass in silence. A joint between the two is reported, and the user
// may accept it as not tangent.
namespace korvalo::geometry {

enum class ArcEnd { Start = 0, End = 1 };

// The tangent direction of the arc of row r at its start or end, from its
// chord, radius, arc length and sign and the traverse points (coord, from
// CalCoord over at least rows 0 to r). The centre lies on the side of the
// chord that the sign gives, offset by the centre's distance from the chord
// (each part rounded to ErrDecimal places), beyond the chord for an arc of
// half the circle or more. "" when the chord is longer than the diameter.
std::string ArcTangentBearing(const std::vector<CourseRow>& rows, int r, ArcEnd e, const Coord& coord,
                              const TraverseSettings& settings);

struct TangencyResult {
  // False when the user answered No to any question.
  bool ok = true;
  // One flag per row 0 to the last complete row: true for the later course
  // of a joint the user accepted as not tangent (row 0 for the joint where
  // the last course meets the first). Empty when no row is complete, and in
  // the standalone edition, whose files keep no such mark.
  std::vector<bool> nonTangFlags;
};

// Checks every joint of the complete courses that involves an arc, and the
// closing joint when exactly one of the first and the last course is an arc.
// A difference strictly between the tolerance and the warning range is
// reported: a Yes/No question when settings.tangentCheck is set, else a
// notice. A joint whose arc has no tangent (chord longer than its diameter,
// already reported by the arc check) is passed over. Nothing is written
// anywhere: the save stores the flags.
TangencyResult VerifyTangents(const std::vector<CourseRow>& rows, const SaveCheckSettings& settings,
                              SaveDialogs& dialogs);

}  // namespace korvalo::geometry
