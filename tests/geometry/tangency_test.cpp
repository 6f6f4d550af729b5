// Tangency at the joints of a parcel: which joints are examined, the window
// between tolerance and warning range, the wording, the answers and the
// flags the save stores.
#include "geometry/tangency.h"

#include <gtest/gtest.h>

#include "geometry/bearing.h"
#include "script_dialogs.h"
#include "test_rows.h"

namespace korvalo::geometry {
namespace {

using namespace test_rows;

constexpr double kTenSeconds = 10.0 / 3600.0;

SaveCheckSettings Settings(bool ask = true, DirectionSettings direction = kBearing,
                           Edition edition = Edition::A2004) {
  SaveCheckSettings s;
  s.traverse.direction = direction;
  s.traverse.errDecimal = 4;
  s.traverse.edition = edition;
  s.traverse.courseLimit = CourseLimitFor(edition);
  s.tangentCheck = ask;
  s.tangentTolerance = kTenSeconds;
  s.warningRange = 5.0;
  return s;
}

// A right-turning arc of radius 100 over a 60 degree angle whose chord runs
// N30°E: it starts heading due north and ends heading N60°E.
CourseRow ArcNorthToN60E() { return A("N30dE", "104.72", "100", "100", SegmentSign::Plus); }

std::vector<CourseRow> Rows(std::vector<CourseRow> rows, int limit = 80) {
  rows.resize(static_cast<std::size_t>(limit));
  return rows;
}

TEST(ArcTangentBearingTest, TangentsAtBothEndsOfAnArc) {
  const auto rows = Rows({L("N0dE", "100"), ArcNorthToN60E()});
  const TraverseSettings ts = Settings().traverse;
  const Traverse t = CalCoord(rows, 1, ts);
  EXPECT_NEAR(AngleDifference(ArcTangentBearing(rows, 1, ArcEnd::Start, t.coord, ts), D("N0dE"), kBearing), 0.0,
              2.0 / 3600);
  EXPECT_NEAR(AngleDifference(ArcTangentBearing(rows, 1, ArcEnd::End, t.coord, ts), D("N60dE"), kBearing), 0.0,
              2.0 / 3600);
  // A chord longer than the diameter has no tangent.
  const auto bad = Rows({L("N0dE", "100"), A("N30dE", "300", "250", "100", SegmentSign::Plus)});
  EXPECT_EQ(ArcTangentBearing(bad, 1, ArcEnd::Start, CalCoord(bad, 1, ts).coord, ts), "");
}

TEST(ArcTangentBearingTest, ArcOfMoreThanHalfTheCircleTakesTheCentreBeyondTheChord) {
  // The same chord and radius, but the long way round (300 degrees): the
  // centre lies on the other side of the chord, and the tangent at the start
  // is that of the centre there, 60 degrees off the minor arc's.
  const auto rows = Rows({L("N0dE", "100"), A("N30dE", "523.6", "100", "100", SegmentSign::Plus)});
  const TraverseSettings ts = Settings().traverse;
  const Traverse t = CalCoord(rows, 1, ts);
  EXPECT_NEAR(AngleDifference(ArcTangentBearing(rows, 1, ArcEnd::Start, t.coord, ts), D("N60dE"), kBearing), 0.0,
              2.0 / 3600);
}

TEST(VerifyTangentsTest, OnlyJointsBetweenToleranceAndWarningRangeAreReported) {
  struct Case {
    const char* line;  // the line before a tangent-north arc
    bool reported;
  };
  for (const Case& c : {Case{"N0dE", false}, Case{"N0d0'5\"E", false}, Case{"N2dE", true},
                        Case{"N7dE", false}, Case{"N4d59'E", true}}) {
    SCOPED_TRACE(c.line);
    ScriptDialogs dialogs(c.reported ? std::deque<bool>{true} : std::deque<bool>{});
    VerifyTangents(Rows({L(c.line, "100"), ArcNorthToN60E()}), Settings(), dialogs);
    EXPECT_EQ(dialogs.Boxes().size(), c.reported ? 1u : 0u);
  }
}

TEST(VerifyTangentsTest, BothEndsOfTheWindowAreOpen) {
  const auto rows = Rows({L("N3dE", "100"), ArcNorthToN60E()});
  const TraverseSettings ts = Settings().traverse;
  const Traverse t = CalCoord(rows, 1, ts);
  const double d = AngleDifference(D("N3dE"), ArcTangentBearing(rows, 1, ArcEnd::Start, t.coord, ts), kBearing);
  SaveCheckSettings atWarning = Settings();
  atWarning.warningRange = d;
  SaveCheckSettings atTolerance = Settings();
  atTolerance.tangentTolerance = d;
  ScriptDialogs none;
  VerifyTangents(rows, atWarning, none);
  VerifyTangents(rows, atTolerance, none);
  EXPECT_TRUE(none.log.empty());
}

TEST(VerifyTangentsTest, QuestionNamesTheCoursesAndATangentDirection) {
  const auto rows = Rows({L("N2dE", "100"), ArcNorthToN60E(), L("N62dE", "100")});
  ScriptDialogs dialogs({true, true});
  const TangencyResult r = VerifyTangents(rows, Settings(), dialogs);
  ASSERT_EQ(dialogs.log.size(), 2u);
  EXPECT_EQ(dialogs.log[0], "ask: Please check the bearing of 1th line and the tangential bearing (" +
                                D("N0d0'1\"E") + ") of 2th arc. Would you like to save?");
  EXPECT_EQ(dialogs.log[1], "ask: Please check the tangential bearing (" + D("N60d0'1\"E") +
                                ") of 2th arc and the bearing of 3th line. Would you like to save?");
  EXPECT_TRUE(r.ok);
  // Each Yes marks the later course of its joint.
  EXPECT_EQ(r.nonTangFlags, (std::vector<bool>{false, true, true}));
}

TEST(VerifyTangentsTest, TwoLinesAreNeverExaminedTwoArcsAre) {
  ScriptDialogs lines;
  VerifyTangents(Rows({L("N0dE", "100"), L("N3dE", "100"), L("S80dW", "50")}), Settings(), lines);
  EXPECT_TRUE(lines.log.empty());
  // Arc 1 ends heading N60°E, arc 2 starts heading N63°E.
  ScriptDialogs arcs({true});
  VerifyTangents(Rows({ArcNorthToN60E(), A("N93dE", "104.72", "100", "100", SegmentSign::Plus)}), Settings(),
                 arcs);
  ASSERT_EQ(arcs.log.size(), 1u);
  EXPECT_NE(arcs.log[0].find("of 1th arc and the tangential bearing"), std::string::npos) << arcs.log[0];
}

TEST(VerifyTangentsTest, ClosingJointOfAnArcAndALineMarksTheFirstCourse) {
  // The arc ends heading N60°E... the closing line starts N62°E: 2 degrees.
  const auto rows = Rows({L("N62dE", "100"), L("S20dE", "50"), ArcNorthToN60E()});
  ScriptDialogs dialogs({true});
  const TangencyResult r = VerifyTangents(rows, Settings(), dialogs);
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0], "ask: Please check the bearing of first line and the tangential bearing (" +
                                D("N60d0'1\"E") + ") of last arc. Would you like to save?");
  EXPECT_EQ(r.nonTangFlags, (std::vector<bool>{true, false, false}));
}

TEST(VerifyTangentsTest, ClosingJointOfTwoArcsIsNotExamined) {
  // Joint 1-2 is tangent (N60°E to N60°E); the closing joint (N120°E back to
  // north) is far off but never looked at, and so is that of two lines.
  ScriptDialogs dialogs;
  VerifyTangents(Rows({ArcNorthToN60E(), A("N90dE", "104.72", "100", "100", SegmentSign::Plus)}), Settings(),
                 dialogs);
  EXPECT_TRUE(dialogs.log.empty());
}

TEST(VerifyTangentsTest, AnyNoMeansNotSaved) {
  // Three joints each 2 degrees off.
  const auto rows = Rows({L("N2dE", "100"), ArcNorthToN60E(), L("N62dE", "100"),
                          A("N90dE", "104.72", "100", "100", SegmentSign::Plus)});
  struct Case {
    std::deque<bool> answers;
    bool ok;
  };
  for (const Case& c : {Case{{true, true, true}, true}, Case{{false, true, true}, false},
                        Case{{true, true, false}, false}, Case{{true, false, true}, false}}) {
    ScriptDialogs dialogs(c.answers);
    EXPECT_EQ(VerifyTangents(rows, Settings(), dialogs).ok, c.ok);
  }
}

TEST(VerifyTangentsTest, WithoutAskingEachJointIsANoticeAndTheCheckPasses) {
  ScriptDialogs dialogs;
  const TangencyResult r =
      VerifyTangents(Rows({L("N2dE", "100"), ArcNorthToN60E(), L("N62dE", "100")}), Settings(false), dialogs);
  ASSERT_EQ(dialogs.log.size(), 2u);
  EXPECT_EQ(dialogs.log[0], "notice: Please check the bearing of 1th line and the tangential bearing (" +
                                D("N0d0'1\"E") + ") of 2th arc.");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.nonTangFlags, (std::vector<bool>{false, false, false}));
}

TEST(VerifyTangentsTest, AzimuthModeSpeaksOfAzimuths) {
  ScriptDialogs dialogs({true});
  VerifyTangents(Rows({L("2d", "100"), A("30d", "104.72", "100", "100", SegmentSign::Plus)}),
                 Settings(true, kAzimuth), dialogs);
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0].rfind("ask: Please check the azimuth of 1th line and the tangential azimuth (", 0), 0u)
      << dialogs.log[0];
}

TEST(VerifyTangentsTest, StandaloneWordingAndNoFlags) {
  ScriptDialogs dialogs({true});
  const TangencyResult r = VerifyTangents(Rows({L("N2dE", "100"), ArcNorthToN60E()}, 50),
                                          Settings(true, kBearing, Edition::Standalone), dialogs);
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_NE(dialogs.log[0].find("of 2th arc. Would you like to save it?"), std::string::npos) << dialogs.log[0];
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.nonTangFlags.empty());
}

TEST(VerifyTangentsTest, NoCompleteRowAsksNothing) {
  ScriptDialogs dialogs;
  const TangencyResult r = VerifyTangents(Rows({L("", "100")}), Settings(), dialogs);
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.nonTangFlags.empty());
}

}  // namespace
}  // namespace korvalo::geometry
