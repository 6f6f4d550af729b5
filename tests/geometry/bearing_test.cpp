#include "geometry/bearing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "test_rows.h"

namespace korvalo::geometry {
namespace {

using namespace test_rows;

TEST(BearingFromPoints, BothModes) {
  struct Case {
    double x1, y1, x2, y2;
    std::string bearing;
    std::string azimuth;
  };
  const Case cases[] = {
      {0, 0, 100, 100, D("N45d0'0\"E"), D("45d0'0\"")},
      {0, 0, -100, -100, D("S45d0'0\"W"), D("225d0'0\"")},
      // The arctangent of 1 comes out a hair above 45 degrees; seconds are cut.
      {0, 0, -100, 100, D("N45d0'0\"W"), D("314d59'59\"")},
      {0, 0, 100, -100, D("S45d0'0\"E"), D("134d59'59\"")},
      {100, 0, 0, 0, D("N90d 0'0\"W"), D("270d 0'0\"")},
      {0, 0, 100, 0, D("N90d 0'0\"E"), D("90d 0'0\"")},
      {0, 0, 0, 0, D("N90d 0'0\"W"), D("270d 0'0\"")},
      {0, 0, 0, 100, D("N0d0'0\"W"), D("360d0'0\"")},
      {0, 0, 0, -100, D("S0d0'0\"W"), D("180d0'0\"")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BearingFromPoints(c.x1, c.y1, c.x2, c.y2, kBearing), c.bearing) << c.bearing;
    EXPECT_EQ(BearingFromPoints(c.x1, c.y1, c.x2, c.y2, kAzimuth), c.azimuth) << c.azimuth;
  }
}

TEST(BearingFromPoints, SecondsAreCutWhileDecimalToDmsRoundsThem) {
  const double angle = 10.0 + 59.0 / 60.0 + 59.9 / 3600.0;
  const double x = std::tan(angle * kPi / 180.0) * 1000.0;
  EXPECT_EQ(BearingFromPoints(0, 0, x, 1000.0, kBearing), D("N10d59'59\"E"));
  EXPECT_EQ(DecimalToDMS(angle), D("10d59'60\""));
  EXPECT_EQ(DecimalToDMS(45.25), D("45d15'0\""));
  EXPECT_EQ(DecimalToDMS(405.5), D("45d30'0\""));
}

TEST(RotateLeft90, TurnsCounterClockwise) {
  struct Case {
    std::string direction;
    bool bearing;
    std::string rotated;
  };
  const Case cases[] = {
      {D("N30dE"), true, D("N60d0'0\"W")},  {D("S30dE"), true, D("N60d0'0\"E")},
      {D("N30dW"), true, D("S60d0'0\"W")},  {D("S30dW"), true, D("S60d0'0\"E")},
      {D("N45dE"), true, D("N45d0'0\"W")},
      // Lower-case letters turn like upper-case ones.
      {D("n45de"), true, D("N45d0'0\"W")},  {D("X45dE"), true, ""},
      {"N", true, ""},                       {D("30d"), false, D("300d0'0\"")},
      // Blanks around the letters are removed before the quadrant is taken.
      {D(" N30dE "), true, D("N60d0'0\"W")}, {D("S 30d E"), true, D("N60d0'0\"E")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RotateLeft90(c.direction, c.bearing ? kBearing : kAzimuth), c.rotated)
        << c.direction;
  }
}

TEST(AngleDifference, ParallelAndOppositeAreZero) {
  struct Case {
    std::string p, q;
    double difference;
  };
  const Case cases[] = {
      {D("N10dE"), D("N10dE"), 0},  {D("N10dE"), D("S10dW"), 0},
      {D("N89dE"), D("S89dE"), 2},  {D("N10dE"), D("S5dE"), 15},
      {D("n10de"), D("S10dW"), 0},
      // Texts past a quadrant are no bearings, but still give 0 to 90: their
      // angles (-0.5 and 360.5) lie a turn apart.
      {D("N90d30'E"), D("S90d30'E"), 1}, {D("N100dE"), D("S100dE"), 20},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(AngleDifference(c.p, c.q, kBearing), c.difference, 1e-9) << c.p << " " << c.q;
  }
}

// Every valid bearing gives an angle from 0 to 360, and any two of them lie
// 0 to 90 degrees from parallel.
TEST(AngleDifference, ValidBearingsStayInRange) {
  std::vector<std::string> bearings;
  for (const char* quadrant : {"NE", "NW", "SE", "SW"}) {
    for (const char* angle : {"0d", "0d0'1\"", "45d30'15\"", "89d59'59\"", "90d", "90d0'0\""}) {
      bearings.push_back(std::string(1, quadrant[0]) + D(angle) + quadrant[1]);
    }
  }
  for (const std::string& p : bearings) {
    std::string copy = p;
    ASSERT_TRUE(IsValidDirection(copy, kBearing)) << p;
    copy = p;
    const double angle = CalAngle(copy, kBearing);
    EXPECT_GE(angle, 0.0) << p;
    EXPECT_LE(angle, 360.0) << p;
    for (const std::string& q : bearings) {
      const double d = AngleDifference(p, q, kBearing);
      EXPECT_GE(d, 0.0) << p << " " << q;
      EXPECT_LE(d, 90.0) << p << " " << q;
    }
  }
}

TEST(BearingFromPoints, PointsThatAreNotFiniteHaveNoDirection) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(BearingFromPoints(inf, 0, 0, 0, kBearing), "");
  EXPECT_EQ(BearingFromPoints(0, 0, 0, std::nan(""), kAzimuth), "");
}

}  // namespace
}  // namespace korvalo::geometry
