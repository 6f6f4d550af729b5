// The checks before a save: arc signs, arc consistency and the order and
// accumulation of the save validation's boxes.
#include "geometry/save_checks.h"

#include <gtest/gtest.h>

#include "script_dialogs.h"
#include "test_rows.h"

namespace korvalo::geometry {
namespace {

using namespace test_rows;

SaveCheckSettings Settings(Edition edition = Edition::A2004) {
  SaveCheckSettings s;
  s.traverse.direction = kBearing;
  s.traverse.errDecimal = 4;
  s.traverse.edition = edition;
  s.traverse.courseLimit = CourseLimitFor(edition);
  s.addAreaCheck = true;
  s.tangentCheck = true;
  s.tangentTolerance = 10.0 / 3600.0;
  s.warningRange = 5.0;
  return s;
}

std::vector<CourseRow> Rows(std::vector<CourseRow> rows, int limit = 80) {
  rows.resize(static_cast<std::size_t>(limit));
  return rows;
}

// A line heading away from the arc's start at a right angle, so that no
// joint is examined closely: the arc is checked alone.
std::vector<CourseRow> WithArc(const CourseRow& arc) { return Rows({L("N90dW", "10"), arc}); }

const std::string kKeepValues = ". Would you like to continue using your values and save this parcel anyways?";

TEST(VerifyArcsTest, LengthChordAndRadius) {
  struct Case {
    const char* what;
    const char* arc;
    const char* chord;
    const char* radius;
    std::vector<std::string> boxes;  // expected; a question is answered No
  };
  const std::string shouldBe =
      "ask: Warning: In course #2 the arc length does not agree with the radius and chord length. "
      "The arc length should be ";
  const std::vector<Case> cases = {
      {"agrees at two decimals", "104.72", "100", "100", {}},
      {"agrees at one decimal", "104.7", "100", "100", {}},
      {"agrees at no decimal", "105", "100", "100", {}},
      {"disagrees: names the length at the typed decimals", "104.8", "100", "100", {shouldBe + "104.7" + kKeepValues}},
      {"arc equal to its chord", "10", "10", "100000", {}},
      {"arc shorter than its chord", "9.99", "10", "100", {"notice: ERROR: The arc length must be greater than the chord length."}},
      {"chord longer than the diameter, no question", "40", "30", "10", {"notice: ERROR: The chord length can not be greater than 2 x radius."}},
      {"major arc", "523.6", "100", "100", {}},
      {"major arc disagreeing", "520", "100", "100", {shouldBe + "524" + kKeepValues}},
      {"half circle", "314.16", "200", "100", {}},
      {"half circle disagreeing: the half circumference", "314.3", "200", "100", {shouldBe + "314.2" + kKeepValues}},
      {"not a number", "1.2.3", "100", "100", {"notice: ERROR: The arc length, chord length or radius of course #2 is not a number."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::deque<bool> answers;
    for (const std::string& b : c.boxes) {
      if (b.rfind("ask:", 0) == 0) answers.push_back(false);
    }
    ScriptDialogs dialogs(answers);
    const CheckResult r = VerifyArcs(WithArc(A("N30dE", c.arc, c.chord, c.radius, SegmentSign::Plus)), Settings(),
                                     dialogs);
    EXPECT_EQ(dialogs.Boxes(), c.boxes);
    EXPECT_EQ(r.ok, c.boxes.empty());
    if (!c.boxes.empty()) {
      // The arc-length field is marked before its box.
      EXPECT_EQ(dialogs.log.front(), "mark: 1 arc length");
      EXPECT_EQ(r.marks, (std::vector<FieldMark>{{1, CourseField::ArcLength}}));
    }
  }
}

TEST(VerifyArcsTest, AnyNoFailsAndAYesKeepsTheValues) {
  const auto rows = Rows({A("N30dE", "104.8", "100", "100", SegmentSign::Plus),
                          A("N90dE", "104.8", "100", "100", SegmentSign::Plus)});
  for (const auto& [answers, ok] : std::vector<std::pair<std::deque<bool>, bool>>{
           {{true, true}, true}, {{false, true}, false}, {{true, false}, false}}) {
    ScriptDialogs dialogs(answers);
    EXPECT_EQ(VerifyArcs(rows, Settings(), dialogs).ok, ok);
  }
}

TEST(VerifyArcsTest, StandaloneWording) {
  ScriptDialogs dialogs({false});
  VerifyArcs(Rows({L("N90dW", "10"), A("N30dE", "40", "30", "10", SegmentSign::Plus),
                   A("N30dE", "104.8", "100", "100", SegmentSign::Plus)},
                  50),
             Settings(Edition::Standalone), dialogs);
  EXPECT_EQ(dialogs.Boxes(),
            (std::vector<std::string>{"notice: ERROR: The chord length cannot be greater than 2 x radius.",
                                      "ask: Warning: In course #3 the arc length does not agree with the radius "
                                      "and chord length. The arc length should be 104.7. Would you like to save it?"}));
}

TEST(CheckSegmentsConfirmedTest, MarksEveryArcWithoutATickedSign) {
  CourseRow greyed = A("N30dE", "104.72", "100", "100", SegmentSign::Unconfirmed);
  CourseRow unticked = greyed;
  unticked.plusBox = kUnticked;
  unticked.minusBox = kUnticked;
  const auto rows = Rows({L("N0dE", "10"), greyed, A("N30dE", "104.72", "100", "100", SegmentSign::Minus),
                          unticked, A("N30dE", "104.72", "100", "100", SegmentSign::Plus)});
  ScriptDialogs dialogs;
  const CheckResult r = CheckSegmentsConfirmed(rows, Settings(), dialogs);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.marks, (std::vector<FieldMark>{{1, CourseField::RowButton}, {3, CourseField::RowButton}}));
  EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST(ValidateForSaveTest, NoNameAndNoFirstCourseGiveTwoMessagesInOrder) {
  ScriptDialogs dialogs;
  const SaveValidation v = ValidateForSave("", Rows({L("N0dE", "")}), Settings(), dialogs);
  EXPECT_FALSE(v.ok);
  EXPECT_EQ(dialogs.Boxes(), (std::vector<std::string>{"notice: You cannot save without parcel name.",
                                                       "notice: You cannot save the parcel without at least one course."}));
}

TEST(ValidateForSaveTest, EveryCheckSpeaksInItsOrderAndOnlyTheFirstBadDirection) {
  // Row 1: an arc whose sign is not confirmed; row 2: an arc shorter than its
  // chord; row 3 a line 2 degrees off the tangent of row 2... rows 4 and 6
  // have invalid directions, row 5 is incomplete.
  CourseRow unconfirmed = A("N30dE", "104.72", "100", "100", SegmentSign::Unconfirmed);
  const auto rows = Rows({L("N90dW", "10"), unconfirmed, A("S10dW", "20", "30", "50", SegmentSign::Plus),
                          L("N95dE", "10"), L("N0dE", ""), L("S91dW", "10")});
  ScriptDialogs dialogs;
  const SaveValidation v = ValidateForSave("", rows, Settings(), dialogs);
  EXPECT_FALSE(v.ok);
  EXPECT_EQ(dialogs.Boxes(),
            (std::vector<std::string>{"notice: You cannot save without parcel name.",
                                      "notice: You must confirm segment area (+/-) before saving.",
                                      "notice: ERROR: The arc length must be greater than the chord length.",
                                      "notice: The bearing value is invalid."}));
  EXPECT_EQ(v.marks, (std::vector<FieldMark>{{1, CourseField::RowButton},
                                             {2, CourseField::ArcLength},
                                             {3, CourseField::LineDirection}}));
}

TEST(ValidateForSaveTest, UnconfirmedSignWithoutAreaCheckStillChecksLaterDirections) {
  SaveCheckSettings settings = Settings();
  settings.addAreaCheck = false;
  const auto rows = Rows({L("N90dW", "10"), A("N30dE", "104.72", "100", "100", SegmentSign::Unconfirmed),
                          L("S50dE", "10"), L("N30dX", "10")});
  ScriptDialogs dialogs;
  const SaveValidation v = ValidateForSave("Lot 1", rows, settings, dialogs);
  EXPECT_FALSE(v.ok);
  EXPECT_EQ(dialogs.Boxes(), (std::vector<std::string>{"notice: The bearing value is invalid."}));
  EXPECT_EQ(v.marks.back(), (FieldMark{3, CourseField::LineDirection}));
}

// The save stores every complete row, also those past an incomplete one, so
// an arc behind the gap is checked like any other: here its sign is not
// confirmed, it is shorter than its chord, and its chord is longer than the
// diameter.
TEST(ValidateForSaveTest, ArcsPastAnIncompleteRowAreCheckedToo) {
  const auto rows = Rows({L("N0dE", "100"), L("N90dE", "100"), L("S0dE", ""), L("S0dE", "100"),
                          A("S90dW", "5", "10", "2", SegmentSign::Unconfirmed)});
  ScriptDialogs dialogs;
  const SaveValidation v = ValidateForSave("Lot 1", rows, Settings(), dialogs);
  EXPECT_FALSE(v.ok);
  EXPECT_EQ(dialogs.Boxes(),
            (std::vector<std::string>{"notice: You must confirm segment area (+/-) before saving.",
                                      "notice: ERROR: The arc length must be greater than the chord length."}));
  EXPECT_EQ(v.marks, (std::vector<FieldMark>{{4, CourseField::RowButton}, {4, CourseField::ArcLength}}));

  // An arc past the gap whose figures do not read is refused with its own
  // message rather than stored.
  auto unreadable = rows;
  unreadable[4] = A("S90dW", "1.2.3", "10", "20", SegmentSign::Plus);
  ScriptDialogs second;
  EXPECT_FALSE(ValidateForSave("Lot 1", unreadable, Settings(), second).ok);
  EXPECT_EQ(second.Boxes(), (std::vector<std::string>{
                                "notice: ERROR: The arc length, chord length or radius of course #5 is not a number."}));
}

TEST(ValidateForSaveTest, SoundParcelPassesAndHandsOverTheTangencyFlags) {
  const auto rows = Rows({L("N2dE", "100"), A("N30dE", "104.72", "100", "100", SegmentSign::Plus)});
  ScriptDialogs dialogs({true});
  const SaveValidation v = ValidateForSave("Lot 1", rows, Settings(), dialogs);
  EXPECT_TRUE(v.ok);
  EXPECT_EQ(v.nonTangFlags, (std::vector<bool>{false, true}));
  ScriptDialogs no({false});
  EXPECT_FALSE(ValidateForSave("Lot 1", rows, Settings(), no).ok);
}

}  // namespace
}  // namespace korvalo::geometry
