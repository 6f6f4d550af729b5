#pragma once

#include <string>

#include "common/utf8.h"
#include "geometry/traverse.h"

// Course rows for the tests. Direction texts are written with "d" for the
// degree sign: D("N45d30'E") is "N45°30'E".
namespace korvalo::geometry::test_rows {

inline std::string D(const std::string& text) { return utf8::ReplaceAll(text, "d", utf8::kDegree); }

inline const DirectionSettings kBearing{true, "%%D"};
inline const DirectionSettings kAzimuth{false, "%%D"};

inline CourseRow L(const std::string& direction, const std::string& distance) {
  return CourseRow::Line(D(direction), distance);
}

inline CourseRow A(const std::string& direction, const std::string& arc, const std::string& chord,
                   const std::string& radius, SegmentSign sign) {
  return CourseRow::Arc(D(direction), arc, chord, radius, sign);
}

}  // namespace korvalo::geometry::test_rows
