#include "geometry/traverse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "test_rows.h"

namespace korvalo::geometry {
namespace {

using namespace test_rows;

TraverseSettings Settings(int errDecimal = 2, double tolerance = 0.01,
                          Edition edition = Edition::A2004) {
  TraverseSettings s;
  s.errDecimal = errDecimal;
  s.closureTolerance = tolerance;
  s.edition = edition;
  s.courseLimit = CourseLimitFor(edition);
  return s;
}

std::vector<CourseRow> Square(const std::string& north = "100") {
  return {L("N0dE", north), L("N90dE", "100"), L("S0dE", "100"), L("S90dW", "100")};
}

TEST(ComputeClosure, NoCompleteRowIsDistinguishable) {
  for (const auto& rows : {std::vector<CourseRow>{}, std::vector<CourseRow>{L("N0dE", "")},
                           std::vector<CourseRow>{L("", "100"), L("N0dE", "100")}}) {
    const ClosureResult r = ComputeClosure(rows, Settings());
    EXPECT_FALSE(r.HasCourses());
    EXPECT_EQ(r.lastRow, -1);
    EXPECT_EQ(r.areaText, "0");
    EXPECT_EQ(r.closureText, "0");
    EXPECT_EQ(r.directionText, "");
    EXPECT_EQ(r.precisionText, "");
    EXPECT_EQ(r.closureBearing, "");
    EXPECT_EQ(r.precisionRatio, 0.0);
    // The editor keeps its total and closure colour in this case.
    EXPECT_FALSE(r.totalDistance.has_value());
    EXPECT_FALSE(r.closureColour.has_value());
  }
}

TEST(ComputeClosure, SingleLineMissesByItsLength) {
  const ClosureResult r = ComputeClosure({L("N0dE", "100")}, Settings());
  EXPECT_EQ(r.lastRow, 0);
  EXPECT_EQ(r.areaText, "0");
  EXPECT_EQ(r.closureText, "100");
  EXPECT_EQ(r.closureBearing, D("S0d0'0\"W"));
  EXPECT_EQ(r.precisionText, "1:1");
  EXPECT_EQ(r.totalDistance, 100.0);
  EXPECT_EQ(r.closureColour, kRed);
}

TEST(ComputeClosure, ClosedSquareIsPerfect) {
  const ClosureResult r = ComputeClosure(Square(), Settings());
  EXPECT_EQ(r.lastRow, 3);
  EXPECT_TRUE(r.areaAvailable);
  EXPECT_EQ(r.areaText, "10000");
  EXPECT_EQ(r.closureText, "0");
  EXPECT_EQ(r.precisionText, "Perfect");
  EXPECT_EQ(r.closureColour, kDarkGreen);
  EXPECT_EQ(r.totalDistance, 400.0);
}

TEST(ComputeClosure, SquareWithALongSide) {
  const ClosureResult r = ComputeClosure(Square("100.05"), Settings(2, 0.01));
  EXPECT_DOUBLE_EQ(r.closure, 0.05);
  EXPECT_EQ(r.closureText, "0.05");
  EXPECT_EQ(r.precisionText, "1:8001");
  EXPECT_EQ(r.closureColour, kRed);
  EXPECT_EQ(r.closureBearing.substr(0, 1), "S");
  // At a tolerance equal to the shown closure it is green.
  EXPECT_EQ(ComputeClosure(Square("100.05"), Settings(2, 0.05)).closureColour, kDarkGreen);
  // Without decimals the closure rounds to 0 and so does the ratio.
  const ClosureResult coarse = ComputeClosure(Square("100.05"), Settings(0, 0.01));
  EXPECT_EQ(coarse.closureText, "0");
  EXPECT_EQ(coarse.precisionRatio, 0.0);
  EXPECT_EQ(coarse.precisionText, "Perfect");
}

TEST(ComputeClosure, AllDistancesZeroGiveOneToOne) {
  const ClosureResult r =
      ComputeClosure({L("N0dE", "0"), L("N90dE", "0"), L("S0dE", "")}, Settings());
  EXPECT_EQ(r.lastRow, 1);
  EXPECT_EQ(r.closureText, "0");
  EXPECT_EQ(r.precisionRatio, 1.0);
  EXPECT_EQ(r.precisionText, "1:1");
}

// A textbook traverse: 300 north, 400 east and back on the 3-4-5 diagonal
// measured 0.10 long. Misclosure 0.10 towards N52°37'E, precision 1:12001.
TEST(ComputeClosure, TextbookTraverse) {
  const ClosureResult r = ComputeClosure(
      {L("N0d00'00\"E", "300.00"), L("N90d00'00\"E", "400.00"), L("S53d07'48\"W", "500.10")},
      Settings(2, 0.05));
  EXPECT_EQ(r.closureText, "0.1");
  EXPECT_EQ(r.closureBearing, D("N52d37'5\"E"));
  EXPECT_EQ(r.precisionText, "1:12001");
  EXPECT_EQ(r.areaText, "60012.14");
  EXPECT_EQ(r.closureColour, kRed);
}

TEST(ComputeClosure, ArcSegmentsAddOrSubtract) {
  const std::string halfCircle = "314.159265358979";
  // A diameter east and a half circle back: the area is the half disc.
  const ClosureResult half = ComputeClosure(
      {L("N90dE", "200"), A("S90dW", halfCircle, "200", "100", SegmentSign::Plus)}, Settings());
  EXPECT_TRUE(half.areaAvailable);
  EXPECT_EQ(half.areaText, "15707.96");
  // A square with a half circle cut out of its north side.
  std::vector<CourseRow> rows = {L("N0dE", "200"), A("N90dE", halfCircle, "200", "100", SegmentSign::Minus),
                                 L("S0dE", "200"), L("S90dW", "200")};
  EXPECT_EQ(ComputeClosure(rows, Settings()).areaText, "24292.04");
}

TEST(ComputeClosure, AreaNotAvailable) {
  struct Case {
    const char* what;
    CourseRow arc;
  };
  const Case cases[] = {
      {"greyed sign", A("N90dE", "100", "100", "1000", SegmentSign::Unconfirmed)},
      {"radius 0", A("N90dE", "100", "100", "0", SegmentSign::Plus)},
      {"radius not a number", A("N90dE", "100", "100", "1.2.3", SegmentSign::Plus)},
      {"arc length not a number", A("N90dE", "1.2.3", "100", "1000", SegmentSign::Plus)},
  };
  for (const Case& c : cases) {
    const std::vector<CourseRow> rows = {L("N0dE", "100"), c.arc, L("S0dE", "100"),
                                         L("S90dW", "100"), A("N90dE", "100", "99", "500", SegmentSign::Plus)};
    const ClosureResult r = ComputeClosure(rows, Settings());
    EXPECT_EQ(r.lastRow, 4) << c.what;
    EXPECT_FALSE(r.areaAvailable) << c.what;
    EXPECT_EQ(r.area, 0.0) << c.what;
    EXPECT_EQ(r.areaText, "N/A") << c.what;
    // The closure is shown all the same: 99 over 499.
    EXPECT_EQ(r.closureText, "99") << c.what;
    EXPECT_EQ(r.precisionText, "1:5") << c.what;
  }
}

// The pieces the reports call on their own give the closure's area.
TEST(ParcelArea, OverCalCoordsPointsIsTheClosuresArea) {
  const std::string halfCircle = "314.159265358979";
  const std::vector<std::vector<CourseRow>> parcels = {
      Square("100.05"),
      {L("N0dE", "200"), A("N90dE", halfCircle, "200", "100", SegmentSign::Minus), L("S0dE", "200"),
       L("S90dW", "200")},
      {L("N0dE", "100"), A("N90dE", "100", "100", "0", SegmentSign::Plus), L("S0dE", "100")},
      {L("N0dE", "100"), A("N90dE", "100", "100", "1000", SegmentSign::Unconfirmed)},
      {L("N0dE", "100")},
  };
  for (const auto& rows : parcels) {
    const TraverseSettings settings = Settings();
    const int last = FindLastLine(rows, settings);
    const Coord coord = CalCoord(rows, last, settings).coord;
    const std::optional<double> area = ParcelArea(rows, last, coord);
    const ClosureResult r = ComputeClosure(rows, settings);
    // The closure hands back the same survey points CalCoord gives.
    ASSERT_EQ(r.coord.size(), coord.size());
    for (int i = 0; i <= last + 1; ++i) {
      EXPECT_EQ(r.coord[static_cast<std::size_t>(i)].x, coord[static_cast<std::size_t>(i)].x);
      EXPECT_EQ(r.coord[static_cast<std::size_t>(i)].y, coord[static_cast<std::size_t>(i)].y);
    }
    ASSERT_EQ(area.has_value(), r.areaAvailable) << rows.size();
    if (area) {
      EXPECT_DOUBLE_EQ(*area, r.area) << rows.size();
    }
  }
  EXPECT_EQ(ParcelArea({}, -1, Coord(81)), 0.0);  // no complete row
}

TEST(FindLastLine, StopsAtTheFirstIncompleteOrUnreadableRow) {
  struct Case {
    const char* what;
    CourseRow row;
    int lastRow;  // with the row at index 1
  };
  const Case cases[] = {
      {"complete line", L("N90dE", "100"), 3},
      {"no direction", L("", "100"), 0},
      {"no distance", L("N90dE", ""), 0},
      {"distance 1.2.3", L("N90dE", "1.2.3"), 0},
      {"distance .", L("N90dE", "."), 3},
      {"bearing of one letter", L("N", "100"), 0},
      {"invalid but readable direction", L("N95dQ", "100"), 3},
      {"complete arc", A("N90dE", "100", "99", "500", SegmentSign::Plus), 3},
      {"arc without radius", A("N90dE", "100", "99", "", SegmentSign::Plus), 0},
      {"arc without arc length", A("N90dE", "", "99", "500", SegmentSign::Plus), 0},
      {"arc chord 1.2.3", A("N90dE", "100", "1.2.3", "500", SegmentSign::Plus), 0},
      {"arc with a line's fields only", CourseRow{CourseKind::Arc, D("N90dE"), "100", "", "", 0, 0}, 0},
      // Numbers too large for the computation read as unreadable.
      {"distance 1e301", L("N90dE", "1" + std::string(301, '0')), 0},
      {"distance 1e300", L("N90dE", "1" + std::string(300, '0')), 3},
      {"arc chord 1e301", A("N90dE", "100", "1" + std::string(301, '0'), "500", SegmentSign::Plus), 0},
      {"degrees of 308 digits", L("S" + std::string(308, '9') + "dW", "100"), 0},
      {"malformed degree sign", CourseRow::Line("N45\xC0\xB0" "E", "100"), 3},
  };
  for (const Case& c : cases) {
    const std::vector<CourseRow> rows = {L("N0dE", "100"), c.row, L("S0dE", "100"),
                                         L("S90dW", "100")};
    EXPECT_EQ(FindLastLine(rows, Settings()), c.lastRow) << c.what;
  }
}

TEST(FindLastLine, RowsAfterTheFirstIncompleteRowAreIgnored) {
  std::vector<CourseRow> rows = Square();
  rows.insert(rows.begin() + 2, L("", ""));
  const ClosureResult r = ComputeClosure(rows, Settings());
  EXPECT_EQ(r.lastRow, 1);
  EXPECT_EQ(r.totalDistance, 200.0);
}

TEST(FindLastLine, AtMostCourseLimitRows) {
  const std::vector<CourseRow> rows(90, L("N0dE", "1"));
  EXPECT_EQ(FindLastLine(rows, Settings()), 79);
  EXPECT_EQ(FindLastLine(rows, Settings(2, 0.01, Edition::Standalone)), 49);
  const Traverse t = CalCoord(rows, 79, Settings());
  EXPECT_EQ(t.coord.size(), 81u);
  EXPECT_NEAR(t.coord[80].y, 80.0, 1e-9);
}

TEST(CalCoord, R14CountsArcLengthsInTheTotal) {
  const std::vector<CourseRow> rows = {L("N0dE", "100"),
                                       A("N90dE", "110", "100", "60", SegmentSign::Plus),
                                       L("S0dE", "100"), L("S90dW", "100")};
  const Traverse linked = CalCoord(rows, 3, Settings());
  const Traverse r14 = CalCoord(rows, 3, Settings(2, 0.01, Edition::R14));
  EXPECT_DOUBLE_EQ(linked.totalDistance, 400.0);
  EXPECT_DOUBLE_EQ(r14.totalDistance, 410.0);
  // The points still follow the chord.
  EXPECT_DOUBLE_EQ(r14.coord[2].x, linked.coord[2].x);
  EXPECT_DOUBLE_EQ(r14.coord[2].y, linked.coord[2].y);
  // R14 needs the arc length to read, the others only the chord.
  std::vector<CourseRow> bad = rows;
  bad[1].arcLength = "1.2.3";
  EXPECT_EQ(FindLastLine(bad, Settings()), 3);
  EXPECT_EQ(FindLastLine(bad, Settings(2, 0.01, Edition::R14)), 0);
}

TEST(ComputeClosure, LowerCaseQuadrantsTraverseLikeUpperCase) {
  const std::vector<CourseRow> lower = {L("n0de", "100"), L("n90de", "100"), L("s0de", "100"),
                                        L("s90dw", "100")};
  const ClosureResult r = ComputeClosure(lower, Settings());
  EXPECT_EQ(r.areaText, "10000");
  EXPECT_EQ(r.precisionText, "Perfect");
}

TEST(ComputeClosure, AzimuthMode) {
  TraverseSettings s = Settings();
  s.direction.bearing = false;
  const ClosureResult r = ComputeClosure(
      {L("0d", "100"), L("90d", "100"), L("180d", "100"), L("270d", "100")}, s);
  EXPECT_EQ(r.areaText, "10000");
  EXPECT_EQ(r.closureText, "0");
}

TEST(CalPrecision, PerfectAtOnePartInAMillion) {
  EXPECT_EQ(CalPrecision(0.0), -1.0);
  EXPECT_EQ(CalPrecision(0.5), 2.0);
  EXPECT_EQ(CalPrecision(1e-6), -1.0);
  EXPECT_NEAR(CalPrecision(1.0 / 999999.0), 999999.0, 1e-6);
  EXPECT_EQ(PrecisionText(-1.0), "Perfect");
  EXPECT_EQ(PrecisionText(8001.0000001), "1:8001");
  EXPECT_EQ(PrecisionText(2.5), "1:2");
}

// No figure shown or kept is ever NaN or infinite. The cases the fuzzer
// found: measures so large that the traverse overflowed, and a square that
// overflowed though the closure itself is a plain double.
TEST(ComputeClosure, AbsurdMagnitudesNeverShowNaNOrInfinity) {
  const std::string e155 = "1" + std::string(155, '0');
  const std::string e308 = "1" + std::string(308, '0');
  struct Case {
    const char* what;
    std::vector<CourseRow> rows;
    int lastRow;
    std::string areaText;
    double closure;  // 0: no complete row
  };
  const Case cases[] = {
      // Each 1e308 is read as unreadable: no row is complete.
      {"two lines of 1e308", {L("N0dE", e308), L("N0dE", e308)}, -1, "0", 0.0},
      // The closure's square overflows, the closure does not; the area does.
      {"three lines of 1e155", {L("N0dE", e155), L("N90dE", e155), L("S0dE", e155)}, 2, "N/A", 1e155},
      {"degrees of 308 digits after a line",
       {L("N0dE", "100"), L("S" + std::string(308, '9') + "dW", "100")}, 0, "0", 100.0},
      {"arc of radius 1e300",
       {L("N0dE", "100"), A("N90dE", "1" + std::string(300, '0'), "100", "1" + std::string(300, '0'),
                            SegmentSign::Plus)},
       1, "N/A", 141.42},
  };
  for (const Case& c : cases) {
    const ClosureResult r = ComputeClosure(c.rows, Settings());
    EXPECT_EQ(r.lastRow, c.lastRow) << c.what;
    EXPECT_EQ(r.areaText, c.areaText) << c.what;
    EXPECT_NEAR(r.closure, c.closure, c.closure * 1e-12) << c.what;
    for (double v : {r.area, r.closure, r.precisionRatio, r.totalDistance.value_or(0.0)}) {
      EXPECT_TRUE(std::isfinite(v)) << c.what;
    }
    for (const std::string& text : {r.areaText, r.closureText, r.directionText, r.precisionText}) {
      EXPECT_EQ(text.find("NaN"), std::string::npos) << c.what << ": " << text;
      EXPECT_EQ(text.find("Infinity"), std::string::npos) << c.what << ": " << text;
    }
    if (r.HasCourses()) {
      // A closure this large is no closure a surveyor accepts.
      EXPECT_EQ(r.closureColour, kRed) << c.what;
      EXPECT_NE(r.precisionText, "Perfect") << c.what;
    }
  }
}

}  // namespace
}  // namespace korvalo::geometry
