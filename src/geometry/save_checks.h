#pragma once

#include <string>
#include <vector>

#include "geometry/save_prompts.h"
#include "geometry/traverse.h"

// The checks a parcel passes before it is saved: a name, a first course,
// confirmed arc signs, arcs whose length agrees with their chord and radius,
// tangency, and valid directions.
namespace korvalo::geometry {

struct CheckResult {
  bool ok = true;
  std::vector<FieldMark> marks;  // in the order they were made
};

// Every arc row the save stores (each row whose texts are complete, also
// past an incomplete row) has "+" or "-" ticked (a
// greyed box is not ticked). Each arc without a confirmed sign has its row
// button marked; no message.
CheckResult CheckSegmentsConfirmed(const std::vector<CourseRow>& rows, const SaveCheckSettings& settings,
                                   SaveDialogs& dialogs);

// Every arc row the save stores: the arc at least as long as its chord, the chord at
// most the diameter, and the arc length typed agreeing, at the decimals it is
// typed with, with the length computed from chord and radius (the longer arc
// when the arc typed is longer than half the circle). A disagreement asks
// whether to keep the values; only a Yes lets the save go on. An arc whose
// length, chord or radius is not a number fails with a message of its own.
// Each failing arc's length field is marked before its box.
CheckResult VerifyArcs(const std::vector<CourseRow>& rows, const SaveCheckSettings& settings,
                       SaveDialogs& dialogs);

struct SaveValidation {
  bool ok = true;
  std::vector<FieldMark> marks;   // every mark, in order; the last focus mark is where the focus ends
  std::vector<bool> nonTangFlags; // the tangency check's flags, for the save to store
};

// Runs the checks in their order and shows a box for each problem: the name
// (the text of the visible name box: the new-parcel box or the parcel list),
// the first course, the arc signs (a message only when settings.addAreaCheck),
// the arcs and the tangency (both always run), then the directions of every
// complete row up to the last complete one, where the first invalid one is
// focused and reported and ends the checks.
SaveValidation ValidateForSave(const std::string& parcelName, const std::vector<CourseRow>& rows,
                               const SaveCheckSettings& settings, SaveDialogs& dialogs);

}  // namespace korvalo::geometry
