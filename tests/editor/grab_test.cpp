// Grabs in the real editor: texts picked in a scripted CAD program, placed by
// the link's steps into the course rows.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cadlink/mod_link.h"
#include "common/utf8.h"
#include "platform/cad/testing.h"
#include "platform/forms/testing.h"
#include "parcel_editor_fixture.h"

namespace korvalo::editor::test {
namespace {

using cad::testing::FakeCad;
using cad::testing::FakeEntity;
using forms::testing::UserClick;
using forms::testing::UserDoubleClick;
using forms::testing::UserType;

constexpr const char* kDrawing = "/surveys/Lots.dwg";
const std::string kCapacity = "This version limit is 80 courses.";
const std::string kAdvice = "We recommend that you manually close this figure.";

// A bearing as the drawing writes it (degree code "%%d") and as the row
// shows it.
std::string Picked(int deg, const std::string& quadrant = "NE") {
  return std::string(1, quadrant[0]) + std::to_string(deg) + "%%d0'0\"" + quadrant[1];
}
std::string Shown(int deg, const std::string& quadrant = "NE") {
  return std::string(1, quadrant[0]) + std::to_string(deg) + "\u00B00'0\"" + quadrant[1];
}

class GrabTest : public ParcelEditorTest {
 protected:
  void SetUp() override {
    ParcelEditorTest::SetUp();
    // File dialogs are answered from fileAnswer; everything else goes to the
    // editor fixture's message boxes.
    base_ = forms::SetPromptHandler([this](const forms::Prompt& p) {
      if (p.kind == forms::PromptKind::OpenFile) {
        ++fileDialogs;
        return forms::PromptAnswer{0, fileAnswer, nullptr};
      }
      return base_(p);
    });
  }
  void TearDown() override {
    forms::SetPromptHandler(base_);
    ParcelEditorTest::TearDown();
    modLink.reset();
  }

  // The editor with the real link over the scripted CAD program, a project
  // open, its drawing open in the CAD program, and the Grab model selected.
  void OpenForGrab(Edition edition = Edition::A2004) {
    SetEdition(edition);
    Program().CourseLimit = CourseLimitFor(edition);
    editor = std::make_unique<FrmEditor>(Program().CourseLimit);
    modLink = std::make_unique<cadlink::ModLink>(*editor, cad);
    link.editor = editor.get();
    editor->SetLinkServices(modLink.get());
    editor->Load();
    OpenProject();
    Program().ProjectSettings.Minimize = false;
    Program().DrawingPath = kDrawing;
    cad.SetDrawings({kDrawing});
    UserClick(editor->optmodel(0));
    ASSERT_TRUE(editor->GrabMode());
    ASSERT_TRUE(boxes.empty()) << boxes.front();
  }

  void Script(const std::vector<std::string>& texts) {
    std::vector<FakeEntity> entities;
    for (const std::string& t : texts) entities.push_back({"AcDbText", t});
    cad.ScriptSelection(std::move(entities));
  }

  // The square of side 100 (area 10000), as four picked texts.
  static std::vector<std::string> Square() {
    return {Picked(0) + " 100", Picked(90) + " 100", Picked(0, "SE") + " 100", Picked(90, "SW") + " 100"};
  }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> out;
    for (const Box& b : boxes) out.push_back(b.text);
    return out;
  }
  int Count(const std::string& text) const {
    int n = 0;
    for (const Box& b : boxes) n += b.text == text ? 1 : 0;
    return n;
  }

  // The figures the grab left are those of the grid: computing again
  // changes nothing, and computing is on.
  void ExpectFiguresCurrent() {
    EXPECT_TRUE(editor->CalcEnabled);
    const std::string area = editor->lblArea.Caption();
    const std::string closure = editor->lblClosure.Caption();
    editor->CalculateAndDraw();
    EXPECT_EQ(editor->lblArea.Caption(), area);
    EXPECT_EQ(editor->lblClosure.Caption(), closure);
  }

  cadlink::GrabSteps& Steps() { return modLink->Grab(); }

  FakeCad cad;
  std::unique_ptr<cadlink::ModLink> modLink;
  std::optional<std::string> fileAnswer;
  int fileDialogs = 0;

 private:
  forms::PromptHandler base_;
};

// ---------------------------------------------------------------------------
// The parcel name and row 0.

TEST_F(GrabTest, NameEntryTakesTheLeadingWordsAndRowZeroTheRest) {
  struct Case {
    const char* what;
    std::vector<std::string> texts;
    std::string name;
    std::string direction;
    std::string distance;
  };
  const std::vector<Case> cases = {
      {"name, a number, a course", {"LOT 12 N45%%d30'15\"E 100.00="}, "LOT 12", "N45\u00B030'15\"E", "100.00"},
      {"one word", {"A", "N45%%d30'15\"E", "100.00"}, "A", "N45\u00B030'15\"E", "100.00"},
      {"a direction first keeps the name", {"N45%%d30'15\"E 100.00"}, "Kept", "N45\u00B030'15\"E", "100.00"},
      {"a name alone", {"Block 7"}, "Block 7", "", ""},
  };
  OpenForGrab();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    editor->ClearEditor();
    editor->txtParcel.SetText("Kept");
    Script(c.texts);
    UserDoubleClick(editor->txtParcel);
    EXPECT_EQ(editor->txtParcel.Text(), c.name);
    EXPECT_EQ(editor->txtBearingLine(0).Text(), c.direction);
    EXPECT_EQ(editor->txtDistanceLine(0).Text(), c.distance);
    EXPECT_TRUE(editor->Editing());
    EXPECT_TRUE(editor->CalcEnabled);
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(GrabTest, WordsBeforeALaterRowsDirectionAreDropped) {
  OpenForGrab();
  editor->txtParcel.SetText("Lot 4");
  Script({Picked(10) + " 50 Parcel B " + Picked(20) + " 60"});
  UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_EQ(editor->txtParcel.Text(), "Lot 4");
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "50");
  EXPECT_EQ(editor->txtBearingLine(1).Text(), Shown(20));
  EXPECT_EQ(editor->txtDistanceLine(1).Text(), "60");
}

// ---------------------------------------------------------------------------
// Rows: kinds, values, arc orders.

TEST_F(GrabTest, TheGroupAfterADirectionDecidesTheRowKind) {
  struct Case {
    const char* what;
    bool startAsCurve;
    std::vector<std::string> values;
    bool lineAfter;
  };
  const std::vector<Case> cases = {
      {"line + three values", false, {"15.708", "15.643", "100"}, false},
      {"curve + two values", true, {"12", "34"}, true},
      {"curve + one value", true, {"12"}, false},
      {"line + one value", false, {"12"}, true},
      {"curve + a value and 0 (no value)", true, {"12", "0"}, false},
      {"curve + a value and 0.00 (a value)", true, {"12", "0.00"}, true},
  };
  OpenForGrab();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    editor->ClearEditor();
    if (c.startAsCurve) editor->ToggleLineCurve(0);
    std::vector<std::string> texts = {Picked(10)};
    texts.insert(texts.end(), c.values.begin(), c.values.end());
    Script(texts);
    UserDoubleClick(c.startAsCurve ? editor->txtBearingArc(0) : editor->txtBearingLine(0));
    EXPECT_EQ(editor->frameLine(0).Visible(), c.lineAfter);
    EXPECT_EQ(editor->frameArc(0).Visible(), !c.lineAfter);
    EXPECT_EQ(c.lineAfter ? editor->txtBearingLine(0).Text() : editor->txtBearingArc(0).Text(), Shown(10));
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(GrabTest, ArcValuesFollowTheEntryOrderAndTheNextRowFollows) {
  struct Order {
    int arc, chord, radius;
    // The boxes the three values land in, in picked order.
    std::vector<std::string> names;
  };
  const std::vector<Order> orders = {
      {2, 3, 4, {"arc", "chord", "radius"}},
      {4, 3, 2, {"radius", "chord", "arc"}},
  };
  OpenForGrab();
  for (const Order& o : orders) {
    SCOPED_TRACE(o.names.front());
    ProjectSettings& s = Program().ProjectSettings;
    s.BearingPos = 1;
    s.ArcPos = o.arc;
    s.ChordPos = o.chord;
    s.RadiusPos = o.radius;
    editor->ClearEditor();
    Script({Picked(10) + " 1.1 2.2 3.3 " + Picked(20) + " 40"});
    UserDoubleClick(editor->txtBearingLine(0));
    ASSERT_TRUE(editor->frameArc(0).Visible());
    const auto value = [&](const std::string& name) {
      if (name == "arc") return editor->txtArc(0).Text();
      if (name == "chord") return editor->txtChord(0).Text();
      return editor->txtRadius(0).Text();
    };
    EXPECT_EQ(value(o.names[0]), "1.1");
    EXPECT_EQ(value(o.names[1]), "2.2");
    EXPECT_EQ(value(o.names[2]), "3.3");
    // The row is complete at the last arc input; the next row takes the
    // line.
    EXPECT_TRUE(editor->frameLine(1).Visible());
    EXPECT_EQ(editor->txtBearingLine(1).Text(), Shown(20));
    EXPECT_EQ(editor->txtDistanceLine(1).Text(), "40");
  }
}

TEST_F(GrabTest, ACurveRowFurtherOnStartsAtItsChordDirection) {
  OpenForGrab();
  editor->ToggleLineCurve(1);
  Script({Picked(10) + " 40 " + Picked(20) + " 15.708 15.643 100"});
  UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_EQ(editor->txtBearingArc(1).Text(), Shown(20));
  EXPECT_EQ(editor->txtArc(1).Text(), "15.708");
  EXPECT_EQ(editor->txtChord(1).Text(), "15.643");
  EXPECT_EQ(editor->txtRadius(1).Text(), "100");
}

TEST_F(GrabTest, NumbersAreTheTokensDigitsAndWordsWithoutDigitsAreSkipped) {
  OpenForGrab();
  Script({Picked(10), "ft", "120.50'"});
  UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "120.50");
  EXPECT_TRUE(Steps().PickedTexts()->empty());
}

TEST_F(GrabTest, AzimuthsAndDegreeCodesArePlacedWithTheDegreeSign) {
  OpenForGrab();
  Program().ProjectSettings.Bearing = false;
  editor->ShowProjectSettings();
  Script({"45%%D30'15\" 100 135%%d0'0\" 100 225\u00F80'0\" 100"});
  UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "45\u00B030'15\"");
  EXPECT_EQ(editor->txtBearingLine(1).Text(), "135\u00B00'0\"");
  EXPECT_EQ(editor->txtBearingLine(2).Text(), "225\u00B00'0\"");
  EXPECT_EQ(editor->txtDistanceLine(2).Text(), "100");
  // A bearing is no azimuth: it is skipped as a direction.
  editor->ClearEditor();
  Script({Picked(10) + " 5"});
  UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "");
  EXPECT_TRUE(boxes.empty());
}

// A value with a foot or inch mark is a value in both modes, although an
// azimuth may leave out its degrees ("50'" alone reads as 0°50'); where a
// value belongs, only a degree mark makes an azimuth.
TEST_F(GrabTest, AValueWithAFootOrInchMarkIsNoAzimuth) {
  struct Case {
    const char* what;
    bool bearing;
    std::string value;
    std::string distance;  // row 0's distance
    std::string next;      // row 1's direction (the value handed back)
  };
  const std::vector<Case> cases = {
      {"azimuth, feet", false, "50'", "50", ""},
      {"azimuth, feet below one minute", false, "59'", "59", ""},
      {"azimuth, inches", false, "45\"", "45", ""},
      {"azimuth, degree code", false, "12%%d30'", "", "12\u00B030'"},
      {"azimuth, degree sign", false, "12\u00B030'", "", "12\u00B030'"},
      {"azimuth, character 248", false, "12\u00F830'", "", "12\u00B030'"},
      {"bearing, feet", true, "50'", "50", ""},
      {"bearing, inches", true, "45\"", "45", ""},
      {"bearing, a bearing", true, "N45%%dE", "", "N45\u00B0E"},
  };
  OpenForGrab();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Program().ProjectSettings.Bearing = c.bearing;
    editor->ShowProjectSettings();
    editor->ClearEditor();
    Script({c.bearing ? Picked(10) : "45%%d0'0\"", c.value});
    UserDoubleClick(editor->txtBearingLine(0));
    EXPECT_EQ(editor->txtBearingLine(0).Text(), c.bearing ? Shown(10) : "45\u00B00'0\"");
    EXPECT_EQ(editor->txtDistanceLine(0).Text(), c.distance);
    EXPECT_EQ(editor->txtBearingLine(1).Text(), c.next);
  }
  // The arc values too, and the three of them make the row a curve row.
  Program().ProjectSettings.Bearing = false;
  editor->ShowProjectSettings();
  editor->ClearEditor();
  Script({"45%%d0'0\" 52' 49' 50' 90%%d0'0\" 20'"});
  UserDoubleClick(editor->txtBearingLine(0));
  ASSERT_TRUE(editor->frameArc(0).Visible());
  EXPECT_EQ(editor->txtArc(0).Text(), "52");
  EXPECT_EQ(editor->txtChord(0).Text(), "49");
  EXPECT_EQ(editor->txtRadius(0).Text(), "50");
  EXPECT_EQ(editor->txtBearingLine(1).Text(), "90\u00B00'0\"");
  EXPECT_EQ(editor->txtDistanceLine(1).Text(), "20");
  EXPECT_TRUE(boxes.empty()) << boxes.front().text;
}

TEST_F(GrabTest, ALowerCaseBearingAndAWordDegreeCodeAreReadAndUpperCased) {
  OpenForGrab();
  Program().ProjectSettings.DegreeSymbol = "deg";
  Script({"n12deg30'0\"w 77"});
  UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "N12\u00B030'0\"W");
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "77");
}

// ---------------------------------------------------------------------------
// A direction where a value belongs.

TEST_F(GrabTest, ADirectionWhereAValueBelongsStartsTheNextRow) {
  struct Case {
    const char* what;
    bool curve;
    // The box double-clicked in row 0.
    std::function<forms::TextBox&(FrmEditor&)> start;
    std::vector<std::string> texts;
    // The box of row 0 that stays short of its value, and what row 0 got.
    std::function<forms::TextBox&(FrmEditor&)> shortBox;
    std::string arcLength;
  };
  const auto bearing = [](FrmEditor& e) -> forms::TextBox& { return e.txtBearingLine(0); };
  const auto distance = [](FrmEditor& e) -> forms::TextBox& { return e.txtDistanceLine(0); };
  const auto chordDirection = [](FrmEditor& e) -> forms::TextBox& { return e.txtBearingArc(0); };
  const auto chord = [](FrmEditor& e) -> forms::TextBox& { return e.txtChord(0); };
  const std::vector<Case> cases = {
      {"met by the distance", false, bearing, {Picked(10), Picked(20), "100"}, distance, ""},
      {"met by an arc value", true, chordDirection, {Picked(10), "5", Picked(20), "100"}, chord, "5"},
      // The direction was the last token: the queue takes it back as its
      // head all the same.
      {"the only token, met by the distance", false, distance, {Picked(20)}, distance, ""},
  };
  OpenForGrab();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    editor->ClearEditor();
    if (c.curve) editor->ToggleLineCurve(0);
    Script(c.texts);
    UserDoubleClick(c.start(*editor));
    EXPECT_EQ(c.shortBox(*editor).Text(), "");
    EXPECT_EQ(editor->txtArc(0).Text(), c.arcLength);
    EXPECT_EQ(editor->txtBearingLine(1).Text(), Shown(20));
    EXPECT_TRUE(editor->frameLine(1).IsEffectivelyEnabled());
  }
  // Never a direction's digits as a number, never "You can not place a
  // bearing in this box.".
  EXPECT_TRUE(boxes.empty()) << boxes.front().text;
}

TEST_F(GrabTest, ADirectionMetOnTheLastRowIsLeftOverAndTheCapacityNoticeEndsTheGrab) {
  OpenForGrab();
  const int last = editor->CourseLimit() - 1;
  for (bool curve : {false, true}) {
    SCOPED_TRACE(curve ? "chord" : "distance");
    editor->ClearEditor();
    boxes.clear();
    for (forms::Control* c : std::vector<forms::Control*>{&editor->frameLine(last), &editor->frameArc(last),
                                                          &editor->cmdNo(last)}) {
      c->SetEnabled(true);
    }
    if (curve) editor->ToggleLineCurve(last);
    Script({Picked(45), "100"});
    UserDoubleClick(curve ? editor->txtChord(last) : editor->txtDistanceLine(last));
    EXPECT_EQ(curve ? editor->txtChord(last).Text() : editor->txtDistanceLine(last).Text(), "");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kCapacity});
    ASSERT_TRUE(Steps().PickedTexts());
    EXPECT_TRUE(Steps().PickedTexts()->empty());
    EXPECT_TRUE(editor->CalcEnabled);
  }
}

// ---------------------------------------------------------------------------
// The end of a grab.

TEST_F(GrabTest, EightyOneCoursesFillEveryRowAndTellTheCapacityOnce) {
  OpenForGrab();
  std::vector<std::string> texts;
  for (int k = 0; k < 81; ++k) texts.push_back(Picked(k % 90) + " " + std::to_string(k + 1));
  Script(texts);
  UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_EQ(editor->txtBearingLine(79).Text(), Shown(79));
  EXPECT_EQ(editor->txtDistanceLine(79).Text(), "80");
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kCapacity});
  EXPECT_TRUE(Steps().PickedTexts()->empty());
  ExpectFiguresCurrent();

  // Exactly eighty: full, nothing left over, nothing to tell.
  editor->ClearEditor();
  boxes.clear();
  texts.pop_back();
  Script(texts);
  UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_EQ(editor->txtDistanceLine(79).Text(), "80");
  EXPECT_TRUE(boxes.empty());
  ExpectFiguresCurrent();
}

TEST_F(GrabTest, HoweverAGrabEndsTheEditorComputesAgain) {
  struct Case {
    const char* what;
    std::vector<std::string> texts;
    std::string degreeCode = "%%D";
  };
  const std::vector<Case> cases = {
      {"the queue used up after a distance", Square()},
      {"no direction picked", {"Parcel B", "East", "line"}},
      {"a course short of its distance", {Picked(0) + " 100 " + Picked(90) + " 100 " + Picked(0, "SE")}},
      // A degree code that is the quadrant letter leaves a bearing without
      // its last letter: refused, with tokens left.
      {"a refused direction with tokens left", {"N45E0'0\"E 15 16 17 5"}, "E"},
  };
  OpenForGrab();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Program().ProjectSettings.DegreeSymbol = c.degreeCode;
    editor->ClearEditor();
    // Three typed courses first, so that there are figures to keep current.
    SetLine(0, "N0dE", "100");
    SetLine(1, "N90dE", "100");
    SetLine(2, "S0dE", "100");
    editor->CalculateAndDraw();
    Script(c.texts);
    UserDoubleClick(editor->txtBearingLine(3));
    ExpectFiguresCurrent();
    // Typed courses compute again after the grab.
    const std::string before = editor->lblClosure.Caption();
    UserType(editor->txtDistanceLine(1), "5");
    EXPECT_NE(editor->lblClosure.Caption(), before);
  }
  Program().ProjectSettings.DegreeSymbol = "%%D";
  EXPECT_EQ(Count("Unable to determine text content to be an origentation or distance value.  Some data may be "
                  "missing from the transfer."),
            1);
}

TEST_F(GrabTest, ASquareGrabbedShowsItsArea) {
  OpenForGrab();
  Script(Square());
  UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_EQ(editor->txtBearingLine(3).Text(), Shown(90, "SW"));
  EXPECT_EQ(editor->lblArea.Caption(), editor->lblArea.Caption());
  EXPECT_NE(editor->lblArea.Caption().find("10000"), std::string::npos) << editor->lblArea.Caption();
  ExpectFiguresCurrent();
}

TEST_F(GrabTest, AutoInvertRunsOnceAtTheEndOfAChain) {
  OpenForGrab();
  Program().ProjectSettings.AutoInvert = true;
  // Twelve courses: every run of auto-invert advises closing by hand, so
  // the advice counts the runs. Row 1 runs west: auto-invert turns it east.
  std::vector<std::string> texts = {Picked(0) + " 100", Picked(90, "NW") + " 100"};
  for (int k = 2; k < 12; ++k) texts.push_back(Picked(10 * (k % 9)) + " 10");
  Script(texts);
  UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_EQ(Count(kAdvice), 1);
  EXPECT_EQ(editor->txtBearingLine(1).Text(), Shown(90, "SE"));
  ExpectFiguresCurrent();

  // Without the setting nothing is inverted.
  Program().ProjectSettings.AutoInvert = false;
  editor->ClearEditor();
  boxes.clear();
  UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_EQ(Count(kAdvice), 0);
  EXPECT_EQ(editor->txtBearingLine(1).Text(), Shown(90, "NW"));
}

// ---------------------------------------------------------------------------
// The pick around the grab.

TEST_F(GrabTest, AFailedPickPlacesNothingAndLeavesTheEditorUsable) {
  OpenForGrab();
  Program().ProjectSettings.Minimize = true;
  Script({Picked(10) + " 100"});
  cad.Fail("SelectionSet.SelectOnScreen", -2147418113, "The window was closed");
  UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"The window was closed"});
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "");
  EXPECT_FALSE(Steps().PickedTexts());
  EXPECT_EQ(editor->WindowState(), forms::vbNormal);
  EXPECT_TRUE(editor->CalcEnabled);
}

TEST_F(GrabTest, APickWithoutTextsDropsTheLastQueue) {
  OpenForGrab();
  Steps().SetPickedTexts(std::deque<std::string>{"left", "over"});
  cad.ScriptSelection({{"AcDbLine", ""}});
  UserDoubleClick(editor->txtDistanceLine(0));
  ASSERT_TRUE(Steps().PickedTexts());
  EXPECT_TRUE(Steps().PickedTexts()->empty());
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "");
  EXPECT_TRUE(editor->CalcEnabled);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(GrabTest, TheQueueOperations) {
  OpenForGrab();
  cadlink::GrabSteps& steps = Steps();
  // An empty queue takes a token back as its head.
  steps.SetPickedTexts(std::deque<std::string>{});
  steps.PushBackToken("N1\u00B0E");
  EXPECT_EQ(*steps.PickedTexts(), std::deque<std::string>{"N1\u00B0E"});
  steps.SetPickedTexts(std::nullopt);
  steps.PushBackToken("x");
  EXPECT_EQ(*steps.PickedTexts(), std::deque<std::string>{"x"});

  struct Take {
    cadlink::PickTokenKind kind;
    std::deque<std::string> queue;
    std::string token;
    std::deque<std::string> left;
  };
  const std::vector<Take> takes = {
      {cadlink::kTakeDirection, {"LOT", "12", "N1\u00B0E", "5"}, "N1\u00B0E", {"5"}},
      {cadlink::kTakeDirection, {"LOT", "12"}, "", {}},
      {cadlink::kTakeNumber, {"ft", "12'", "x"}, "12'", {"x"}},
      {cadlink::kTakeAny, {"ft", "12"}, "ft", {"12"}},
  };
  for (const Take& t : takes) {
    steps.SetPickedTexts(t.queue);
    EXPECT_EQ(steps.TakeToken(t.kind), t.token);
    EXPECT_EQ(*steps.PickedTexts(), t.left);
  }

  steps.SetPickedTexts(std::deque<std::string>{"Lot", "9", "N1\u00B0E", "1", "0", "0.00", "N2\u00B0E", "7"});
  EXPECT_EQ(steps.ClassifyTokens(), cadlink::kGroupLine);
  EXPECT_EQ(steps.PendingNameWords(), " Lot 9");
  EXPECT_EQ(steps.PickedTexts()->front(), "N1\u00B0E");
}

// ---------------------------------------------------------------------------
// The editor's side of the link.

TEST_F(GrabTest, TheFileMenusDrawingItemsLinkAndRelocate) {
  OpenForGrab();
  // "Current CAD file path" links again and stays enabled while linked.
  cad.ClearLog();
  editor->mnuCurrentCAD.PerformClick();
  EXPECT_FALSE(cad.Log().empty());
  EXPECT_EQ(cad.Log().front(), "GetObject(AutoCAD.Application)");
  EXPECT_TRUE(editor->mnuCurrentCAD.Enabled());

  // Several drawings: refused, the item off.
  cad.SetDrawings({kDrawing, "/surveys/Other.dwg"});
  editor->mnuCurrentCAD.PerformClick();
  EXPECT_FALSE(editor->mnuCurrentCAD.Enabled());
  boxes.clear();

  // "Relocate CAD file": cancelling changes nothing.
  cad.ClearLog();
  fileAnswer.reset();
  editor->mnuRelocateCAD.SetEnabled(true);
  editor->mnuRelocateCAD.PerformClick();
  EXPECT_EQ(fileDialogs, 1);
  EXPECT_EQ(Program().DrawingPath, kDrawing);
  EXPECT_TRUE(cad.Log().empty());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(GrabTest, RelocatingTheDrawingKeepsAStoredParcelBeingEdited) {
  struct Case {
    bool editing;
    bool grabAfter;
  };
  // Not editing: the Grab model, as after any relocation. Editing: the mode
  // options are locked, and the parcel and its edits stay.
  const Case cases[] = {{false, true}, {true, false}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.editing ? "editing" : "not editing");
    OpenForGrab();
    const ParcelId id = StoreSquare("Lot A");
    UserClick(editor->optmodel(1));
    ASSERT_FALSE(editor->GrabMode());
    if (c.editing) {
      UserClick(editor->cmdEdit);
      editor->txtDistanceLine(1).SetText("90");
    }
    const std::string plan = dir.File("Plan" + std::to_string(n++) + ".dwg");
    std::ofstream(plan) << "0\nEOF\n";
    fileAnswer = plan;
    boxes.clear();
    forms::testing::UserChooseMenu(editor->mnuRelocateCAD);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_EQ(Program().DrawingPath, plan);
    EXPECT_EQ(editor->GrabMode(), c.grabAfter);
    if (c.editing) {
      EXPECT_TRUE(editor->Editing());
      EXPECT_EQ(editor->CurrentParcelID, id);
      EXPECT_EQ(editor->txtDistanceLine(1).Text(), "90");
      UserClick(editor->cmdSave);
      EXPECT_DOUBLE_EQ(Courses(id)[1].Length, 90.0);
    } else {
      EXPECT_EQ(editor->txtDistanceLine(1).Text(), "");
    }
    editor.reset();
    modLink.reset();
    std::filesystem::remove(Program().ProjectPath);
  }
}

TEST_F(GrabTest, RelocatingToADrawingThatDoesNotOpenSaysSoOnce) {
  // From the Review model the relocation selects the Grab model, which
  // links; from the Grab model, or while a parcel is edited, the relocation
  // links itself. Either way one link, one message.
  struct Case {
    const char* what;
    bool review;
    bool editing;
    bool grabAfter;
  };
  const Case cases[] = {{"review", true, false, true}, {"grab", false, false, true}, {"editing", true, true, false}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenForGrab();
    StoreSquare("Lot A");
    if (c.review) UserClick(editor->optmodel(1));
    if (c.editing) UserClick(editor->cmdEdit);
    const std::string plan = dir.File("Unreadable" + std::to_string(n++) + ".dwg");
    std::ofstream(plan) << "not a drawing\n";
    cad.Fail("Document.Open(" + plan + ")", 321, "Invalid file");
    fileAnswer = plan;
    boxes.clear();
    forms::testing::UserChooseMenu(editor->mnuRelocateCAD);
    int told = 0;
    for (const std::string& text : BoxTexts()) told += text.find(plan + " failed to load .") != std::string::npos;
    EXPECT_EQ(told, 1);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(editor->GrabMode(), c.grabAfter);
    EXPECT_FALSE(editor->mnuCurrentCAD.Enabled());
    boxes.clear();
    editor.reset();
    modLink.reset();
    std::filesystem::remove(Program().ProjectPath);
  }
}

TEST_F(GrabTest, TheUnloadLeavesSingleDocumentModeOffAndLetsGoOfTheCadProgram) {
  OpenForGrab();
  ASSERT_TRUE(modLink->Cad().AcadApp());
  cad.ClearLog();
  editor->Unload();
  EXPECT_EQ(cad.Variable("SDI"), 0);
  EXPECT_FALSE(modLink->Cad().AcadApp());
  EXPECT_FALSE(modLink->Cad().AcadDoc());
  for (const std::string& line : cad.Log()) EXPECT_NE(line, "CreateObject(AutoCAD.Application)");
}

}  // namespace
}  // namespace korvalo::editor::test
