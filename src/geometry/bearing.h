#pragma once

#include <string>
#include <string_view>

#include "geometry/direction.h"

// Directions written from numbers, and directions compared. The texts use the
// degree sign U+00B0, whole numbers without leading zeros and no blanks
// (except the fixed east-west text of BearingFromPoints).
namespace korvalo::geometry {

// The direction of the line from point 1 to point 2 (x east, y north) in the
// current mode. Seconds are cut, not rounded. Equal north values give the
// fixed text "N90° 0'0\"E" / "N90° 0'0\"W" (azimuth "90° 0'0\"" /
// "270° 0'0\""); a line due north is "N0°0'0\"W" or "360°0'0\"". A point that
// is not finite gives "".
std::string BearingFromPoints(double x1, double y1, double x2, double y2,
                              const DirectionSettings& settings);

// An angle in decimal degrees as "d°m's\"": the seconds rounded to a whole
// number (halves to even) without carrying into the minutes, so 60 seconds
// can appear; only the degrees are reduced modulo 360.
std::string DecimalToDMS(double angle);

// The direction turned 90 degrees counter-clockwise; "" when a bearing has no
// valid quadrant (blanks are removed first; letters are read in either case).
std::string RotateLeft90(std::string_view direction, const DirectionSettings& settings);

// How far two directions are from parallel, 0 to 90 degrees for any texts;
// opposite directions give 0.
double AngleDifference(std::string_view p, std::string_view q, const DirectionSettings& settings);

}  // namespace korvalo::geometry
