#include "geometry/auto_invert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/utf8.h"

// Auto-invert over course values: the orientation of the first two courses in
// both direction modes, the nearer-to-the-start rule, the doubling-back rule
// measured round the circle, and lengths read by the traverse's rules.
namespace korvalo::geometry {
namespace {

std::string Dir(const std::string& text) { return utf8::ReplaceAll(text, "d", utf8::kDegree); }

TraverseSettings Settings(bool bearing) {
  TraverseSettings s;
  s.direction.bearing = bearing;
  return s;
}

std::vector<CourseRow> Lines(const std::vector<std::pair<std::string, std::string>>& courses) {
  std::vector<CourseRow> rows(80);
  for (std::size_t i = 0; i < courses.size(); ++i) rows[i] = CourseRow::Line(Dir(courses[i].first), courses[i].second);
  return rows;
}

std::vector<DirectionWrite> Invert(std::vector<CourseRow>& rows, bool bearing) {
  const TraverseSettings s = Settings(bearing);
  return AutoInvertDirections(rows, FindLastLine(rows, s), s);
}

// The writes to rows 0 and 1 only.
std::vector<int> OrientedRows(const std::vector<DirectionWrite>& writes) {
  std::vector<int> rows;
  for (const DirectionWrite& w : writes) {
    if (w.row < 2) rows.push_back(w.row);
  }
  return rows;
}

TEST(AutoInvertTest, FirstTwoCoursesAreOrientedByTheirWholeDegreesInAzimuthMode) {
  struct Case {
    std::string row0, row1;
    std::vector<int> reversed;
  };
  const Case cases[] = {
      {"90d", "10d", {0}},          {"269d59'59\"", "10d", {0}}, {"89d59'59\"", "10d", {}},
      {"270d", "10d", {}},          {"10d", "180d", {1}},        {"10d", "179d59'59\"", {}},
      {"120d", "200d", {0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row0 + " / " + c.row1);
    std::vector<CourseRow> rows = Lines({{c.row0, "100"}, {c.row1, "100"}, {"300d", "50"}});
    const std::vector<CourseRow> before = rows;
    const std::vector<DirectionWrite> writes = Invert(rows, false);
    EXPECT_EQ(OrientedRows(writes), c.reversed);
    for (int r : c.reversed) {
      EXPECT_EQ(rows[static_cast<std::size_t>(r)].direction,
                ReverseDirection(before[static_cast<std::size_t>(r)].direction, Settings(false).direction));
    }
  }
}

TEST(AutoInvertTest, BearingModeTurnsRowOneEastAndLeavesRowZero) {
  struct Case {
    std::string row1;
    bool reversed;
  };
  for (const Case& c : {Case{"S45dW", true}, Case{"N45dW", true}, Case{"N45dE", false}, Case{"S45dE", false},
                        Case{"N45de", false}}) {
    SCOPED_TRACE(c.row1);
    std::vector<CourseRow> rows = Lines({{"S10dW", "100"}, {c.row1, "100"}, {"S80dE", "30"}});
    const std::vector<DirectionWrite> writes = Invert(rows, true);
    EXPECT_EQ(OrientedRows(writes), c.reversed ? std::vector<int>{1} : std::vector<int>{});
    EXPECT_EQ(rows[0].direction, Dir("S10dW"));
  }
  std::vector<CourseRow> rows = Lines({{"N10dW", "100"}, {"S45dW", "100"}, {"N0dE", "0"}});
  Invert(rows, true);
  EXPECT_EQ(rows[1].direction, Dir("N45dE"));
}

TEST(AutoInvertTest, AnArcIsOrientedByItsChordDirection) {
  std::vector<CourseRow> rows = Lines({{"", ""}, {"10d", "100"}, {"300d", "50"}});
  rows[0] = CourseRow::Arc(Dir("120d"), "110", "100", "80", SegmentSign::Plus);
  Invert(rows, false);
  EXPECT_EQ(rows[0].direction, ReverseDirection(Dir("120d"), Settings(false).direction));
  EXPECT_EQ(rows[0].kind, CourseKind::Arc);
  EXPECT_EQ(rows[0].arcLength, "110");
}

TEST(AutoInvertTest, FewerThanThreeCompleteCoursesChangeNothing) {
  std::vector<CourseRow> rows = Lines({{"200d", "100"}, {"250d", "100"}, {"300d", ""}});
  EXPECT_TRUE(Invert(rows, false).empty());
  EXPECT_EQ(rows[0].direction, Dir("200d"));
}

TEST(AutoInvertTest, ACourseEndingFartherFromTheStartIsReversed) {
  // A square whose third side was picked the wrong way round.
  std::vector<CourseRow> rows = Lines({{"N0dE", "100"}, {"N90dE", "100"}, {"N0dE", "100"}, {"S90dW", "100"}});
  EXPECT_EQ(Invert(rows, true), (std::vector<DirectionWrite>{{2, Dir("S0dW")}}));
}

TEST(AutoInvertTest, DoublingBackIsMeasuredRoundTheCircle) {
  // Courses of no length end where they start, so the nearer-to-the-start
  // rule keeps them and only the doubling-back rule decides ("." reads 0).
  struct Case {
    std::string previous, course;
    bool reversed;
  };
  const Case cases[] = {
      // 10 then 200: 110 against 100.
      {"10d", "200d", true},
      // 270 then 80: 350 against 0, 10 degrees apart round the circle.
      {"270d", "80d", true},
      // 45 degrees apart is not doubling back.
      {"0d", "225d", false},
      {"0d", "90d", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.previous + " then " + c.course);
    std::vector<CourseRow> rows = Lines({{"0d", "100"}, {"0d", "100"}, {c.previous, "0"}, {c.course, "."}});
    const std::vector<DirectionWrite> writes = Invert(rows, false);
    std::vector<DirectionWrite> expected;
    if (c.reversed) expected.push_back({3, ReverseDirection(Dir(c.course), Settings(false).direction)});
    // Row 2 is judged against row 1 (0 degrees) and never doubles back here.
    EXPECT_EQ(writes, expected);
  }
}

TEST(AutoInvertTest, AnUnreadableLengthEndsTheRunOfCompleteCourses) {
  std::vector<CourseRow> rows = Lines({{"N0dE", "100"}, {"N90dE", "100"}, {"N0dE", "1.2.3"}, {"S90dW", "100"}});
  EXPECT_TRUE(Invert(rows, true).empty());
  EXPECT_EQ(rows[2].direction, Dir("N0dE"));
}

TEST(AutoInvertTest, TheAdviceForLargeFiguresHasTheR14Wording) {
  EXPECT_EQ(AutoInvertAdviceText(Edition::A2004), "We recommend that you manually close this figure.");
  EXPECT_EQ(AutoInvertAdviceText(Edition::R14),
            "We recommend that you manually close this figure.  Would you like to close the figure automatically?");
}

}  // namespace
}  // namespace korvalo::geometry
