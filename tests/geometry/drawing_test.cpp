#include "geometry/drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "test_rows.h"

namespace korvalo::geometry {
namespace {

using namespace test_rows;

struct Call {
  std::string what;  // "clear", "line", "arc", "rectangle"
  double a = 0, b = 0, c = 0, d = 0;
  int colour = -1;
  double start = 0, end = 0;
};

class RecordingCanvas : public ParcelCanvas {
 public:
  std::vector<Call> calls;
  void Clear() override { calls.push_back({"clear"}); }
  void Line(double x1, double y1, double x2, double y2, int colour) override {
    calls.push_back({"line", x1, y1, x2, y2, colour});
  }
  void Arc(double cx, double cy, double radius, int colour, double start, double end) override {
    calls.push_back({"arc", cx, cy, radius, 0, colour, start, end});
  }
  void Rectangle(double x1, double y1, double x2, double y2) override {
    calls.push_back({"rectangle", x1, y1, x2, y2});
  }
  int Count(const std::string& what) const {
    int n = 0;
    for (const Call& c : calls) n += c.what == what;
    return n;
  }
  const Call& First(const std::string& what) const {
    for (const Call& c : calls) {
      if (c.what == what) return c;
    }
    static const Call none{"none"};
    return none;
  }
};

TraverseSettings Settings() {
  TraverseSettings s;
  s.errDecimal = 2;
  return s;
}

int VisibleLabels(const DrawingResult& r) {
  int n = 0;
  for (const CourseLabel& l : r.labels) n += l.visible;
  return n;
}

TEST(DrawParcel, NothingToDraw) {
  struct Case {
    const char* what;
    std::vector<CourseRow> rows;
    bool traverseComputed;
  };
  const Case cases[] = {
      {"row 0 incomplete", {L("N0dE", ""), L("N0dE", "100")}, false},
      {"no width or height: due east", {L("N90dE", "100")}, true},
      {"no width: two courses due east", {L("N90dE", "100"), L("N90dE", "50")}, true},
  };
  for (const Case& c : cases) {
    RecordingCanvas canvas;
    const DrawingResult r = DrawParcel(c.rows, Settings(), 2655, 2655, canvas);
    ASSERT_EQ(canvas.calls.size(), 1u) << c.what;
    EXPECT_EQ(canvas.calls[0].what, "clear") << c.what;
    EXPECT_EQ(r.labels.size(), 80u);
    EXPECT_EQ(VisibleLabels(r), 0) << c.what;
    EXPECT_EQ(r.coord.has_value(), c.traverseComputed) << c.what;
    EXPECT_FALSE(r.completed);
  }
}

TEST(DrawParcel, DueNorthIsDrawn) {
  RecordingCanvas canvas;
  const DrawingResult r = DrawParcel({L("N0dE", "100")}, Settings(), 2655, 2655, canvas);
  EXPECT_EQ(canvas.Count("line"), 1);
  EXPECT_EQ(canvas.Count("rectangle"), 1);
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(VisibleLabels(r), 1);
}

TEST(DrawParcel, FitsAndCentresTheFigure) {
  // 1000 wide, 500 high in a square picture of 2655: scale 2.255, centred.
  const std::vector<CourseRow> rows = {L("N90dE", "1000"), L("N0dE", "500"), L("S90dW", "1000"),
                                       L("S0dE", "500")};
  RecordingCanvas canvas;
  const DrawingResult r = DrawParcel(rows, Settings(), 2655, 2655, canvas);
  ASSERT_TRUE(r.coord.has_value());
  const Coord& c = *r.coord;
  EXPECT_EQ(c[0].x, 200);
  EXPECT_EQ(c[1].x, 2455);
  EXPECT_EQ(c[0].y, 1891);  // 1891.25
  EXPECT_EQ(c[2].y, 764);   // 763.75
  EXPECT_EQ(r.totalDistance, 3000.0);
  ASSERT_EQ(canvas.Count("line"), 4);
  EXPECT_EQ(canvas.First("line").colour, kBlack);
  const Call& border = canvas.First("rectangle");
  EXPECT_EQ(border.c, 2575);
  EXPECT_EQ(border.d, 2575);

  // A 3000 x 2000 box uses its height: 1600 twips for the square.
  RecordingCanvas wide;
  const DrawingResult w = DrawParcel({L("N90dE", "100"), L("N0dE", "100"), L("S90dW", "100"),
                                      L("S0dE", "100")},
                                     Settings(), 3000, 2000, wide);
  EXPECT_EQ((*w.coord)[1].x - (*w.coord)[0].x, 1600);
  EXPECT_EQ((*w.coord)[0].x, 700);
  EXPECT_EQ((*w.coord)[0].y, 1800);
}

TEST(DrawParcel, LabelsSitOutwardFromTheMidpoints) {
  const std::vector<CourseRow> rows = {L("N90dE", "1000"), L("N0dE", "500"), L("S90dW", "1000"),
                                       L("S0dE", "500")};
  RecordingCanvas canvas;
  const DrawingResult r = DrawParcel(rows, Settings(), 2655, 2655, canvas);
  ASSERT_EQ(VisibleLabels(r), 4);
  // Course 1 runs along the bottom, its midpoint exactly on the vertical
  // centre line: the number goes to the right.
  EXPECT_EQ(r.labels[0].left, 1327.5 + 100);
  EXPECT_EQ(r.labels[0].top, 1891 + 100);
  // Course 2 runs up the right side.
  EXPECT_EQ(r.labels[1].left, 2455 + 100);
  EXPECT_EQ(r.labels[1].top, 1327.5 + 100);  // exactly on the middle: outward below
  EXPECT_EQ(r.labels[3].left, 200 - 100);
}

// A triangle whose first course is an arc of chord 100 running east.
std::vector<CourseRow> ArcTriangle(const std::string& arc, const std::string& radius,
                                   SegmentSign sign) {
  return {A("N90dE", arc, "100", radius, sign), L("N0dE", "100"), L("S45dW", "141.4213562373")};
}

TEST(DrawParcel, ArcColoursSidesAndTheFlatArcRule) {
  struct Case {
    const char* what;
    std::string arc, radius;
    SegmentSign sign;
    std::string drawnAs;
    int colour;
  };
  const Case cases[] = {
      {"minor arc, sagitta ratio 0.025", "100.0417136", "1000", SegmentSign::Plus, "arc", kDarkGreen},
      {"flat arc, ratio 0.0125", "100.0104196", "2000", SegmentSign::Plus, "line", kDarkGreen},
      {"flat \"-\" arc", "100.0104196", "2000", SegmentSign::Minus, "line", kRed},
      {"\"-\" arc", "100.0417136", "1000", SegmentSign::Minus, "arc", kRed},
      {"unconfirmed: cyan chord", "100.0417136", "1000", SegmentSign::Unconfirmed, "line", kCyan},
      {"unconfirmed chord longer than the diameter", "100", "10", SegmentSign::Unconfirmed, "line", kCyan},
  };
  for (const Case& c : cases) {
    RecordingCanvas canvas;
    const DrawingResult r = DrawParcel(ArcTriangle(c.arc, c.radius, c.sign), Settings(), 2655, 2655, canvas);
    EXPECT_TRUE(r.completed) << c.what;
    ASSERT_GE(canvas.calls.size(), 2u);
    const Call& first = canvas.calls[1];
    EXPECT_EQ(first.what, c.drawnAs) << c.what;
    EXPECT_EQ(first.colour, c.colour) << c.what;
  }
}

TEST(DrawParcel, MinusArcBulgesToTheOtherSide) {
  const auto centreY = [](SegmentSign sign) {
    RecordingCanvas canvas;
    const DrawingResult r =
        DrawParcel(ArcTriangle("100.0417136", "1000", sign), Settings(), 2655, 2655, canvas);
    const Call& arc = canvas.First("arc");
    return arc.b - ((*r.coord)[0].y + (*r.coord)[1].y) / 2;
  };
  // "+": centre below the eastward chord on the screen, so the arc bulges up.
  EXPECT_GT(centreY(SegmentSign::Plus), 0);
  EXPECT_LT(centreY(SegmentSign::Minus), 0);
}

TEST(DrawParcel, SemicirclesAreDrawnWholeOnTheirOwnSide) {
  const std::string half = "314.159265358979";
  struct Case {
    const char* what;
    std::vector<CourseRow> rows;
    double start, end;  // counter-clockwise on the screen
  };
  const Case cases[] = {
      // End points straight below and above the centre; the figure lies east
      // of the chord, the "+" half bulges west (top, left, bottom).
      {"north chord, +",
       {A("N0dE", half, "200", "100", SegmentSign::Plus), L("N90dE", "100"), L("S0dE", "200"),
        L("S90dW", "100")},
       kPi / 2, 3 * kPi / 2},
      {"north chord, -",
       {A("N0dE", half, "200", "100", SegmentSign::Minus), L("N90dE", "100"), L("S0dE", "200"),
        L("S90dW", "100")},
       3 * kPi / 2, kPi / 2},
      // The end point level with the centre on its right is at angle 0.
      {"east chord, +",
       {A("N90dE", half, "200", "100", SegmentSign::Plus), L("S0dE", "100"), L("S90dW", "200"),
        L("N0dE", "100")},
       0, kPi},
      {"west chord, +",
       {A("S90dW", half, "200", "100", SegmentSign::Plus), L("N0dE", "100"), L("N90dE", "200"),
        L("S0dE", "100")},
       kPi, 0},
  };
  for (const Case& c : cases) {
    RecordingCanvas canvas;
    const DrawingResult r = DrawParcel(c.rows, Settings(), 2655, 2655, canvas);
    EXPECT_TRUE(r.completed) << c.what;
    ASSERT_EQ(canvas.Count("arc"), 1) << c.what;
    EXPECT_NEAR(canvas.First("arc").start, c.start, 1e-9) << c.what;
    EXPECT_NEAR(canvas.First("arc").end, c.end, 1e-9) << c.what;
  }
}

TEST(DrawParcel, ChordLongerThanTheDiameterEndsTheDrawing) {
  RecordingCanvas canvas;
  const DrawingResult r = DrawParcel({L("N0dE", "100"), A("N90dE", "200", "150", "50", SegmentSign::Plus),
                                      L("S0dE", "100"), L("S90dW", "150")},
                                     Settings(), 2655, 2655, canvas);
  EXPECT_FALSE(r.completed);
  EXPECT_EQ(canvas.Count("line"), 1);
  EXPECT_EQ(canvas.Count("arc"), 0);
  EXPECT_EQ(canvas.Count("rectangle"), 0);
  EXPECT_EQ(VisibleLabels(r), 4);
  EXPECT_EQ(r.lastRow, 3);
}

TEST(DrawParcel, MajorArcGoesTheLongWay) {
  // Chord 100, radius 60, arc longer than half the circle.
  RecordingCanvas canvas;
  const DrawingResult r = DrawParcel({A("N90dE", "250", "100", "60", SegmentSign::Plus),
                                      L("S0dE", "100"), L("S90dW", "100"), L("N0dE", "100")},
                                     Settings(), 2655, 2655, canvas);
  EXPECT_TRUE(r.completed);
  const Call& arc = canvas.First("arc");
  ASSERT_EQ(arc.what, "arc");
  double sweep = arc.end - arc.start;
  if (sweep < 0) sweep += kTwoPi;
  EXPECT_GT(sweep, kPi);
}

bool AllFinite(const Call& c) {
  for (double v : {c.a, c.b, c.c, c.d, c.start, c.end}) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

// The canvas never receives a value that is not finite. A figure of 1e155 is
// drawn like any other; an arc whose centre lies beyond any picture ends the
// drawing there, as an arc that cannot be formed does.
TEST(DrawParcel, NeverDrawsAValueThatIsNotFinite) {
  const std::string e155 = "1" + std::string(155, '0');
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    std::vector<CourseRow> rows;
    double width, height;
    int lines, arcs;
    bool completed;
  };
  const Case cases[] = {
      {"three lines of 1e155", {L("N0dE", e155), L("N90dE", e155), L("S0dE", e155)}, 3000, 2000,
       3, 0, true},
      {"major arc of radius 3e299 on a picture of 1e-7",
       {L("N0dE", "0.0000001"),
        A("N90dE", "1" + std::string(300, '0'), "0.0000001", "3" + std::string(299, '0'),
          SegmentSign::Plus),
        L("S0dE", "0.0000001")},
       3000, 2000, 1, 0, false},
      {"picture of infinite width", {L("N0dE", "100"), L("N90dE", "100")}, inf, 2000, 0, 0, false},
      {"picture of NaN height", {L("N0dE", "100"), L("N90dE", "100")}, 3000, std::nan(""), 0, 0,
       false},
  };
  for (const Case& c : cases) {
    RecordingCanvas canvas;
    const DrawingResult r = DrawParcel(c.rows, Settings(), c.width, c.height, canvas);
    for (const Call& call : canvas.calls) EXPECT_TRUE(AllFinite(call)) << c.what << " " << call.what;
    EXPECT_EQ(canvas.Count("line"), c.lines) << c.what;
    EXPECT_EQ(canvas.Count("arc"), c.arcs) << c.what;
    EXPECT_EQ(canvas.Count("rectangle"), c.completed ? 1 : 0) << c.what;
    EXPECT_EQ(r.completed, c.completed) << c.what;
    for (const CourseLabel& label : r.labels) {
      EXPECT_TRUE(std::isfinite(label.left) && std::isfinite(label.top)) << c.what;
    }
  }
}

}  // namespace
}  // namespace korvalo::geometry
