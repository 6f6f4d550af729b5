#include <functional>
#include <string>
#include <vector>

#include "../platform/viewer/dgn_file.h"
#include "platform/viewer/drawing.h"
#include "platform/viewer/reader.h"
#include "standalone/standalone_link_services.h"
#include "viewer_fixture.h"

// Placing picked tokens in the editor's course boxes, and picks through the
// real windows on a DXF.
namespace korvalo::standalone::test {
namespace {

using namespace forms;

const std::string kDeg = "\u00B0";

class PlaceTokenTest : public ViewerWindowTest {
 protected:
  void OpenRow(int k) {
    editor->frameLine(k).SetEnabled(true);
    editor->frameArc(k).SetEnabled(true);
    editor->cmdNo(k).SetEnabled(true);
  }
  // Places the tokens; the results in order.
  std::vector<int> Place(const std::vector<std::string>& tokens) {
    std::vector<int> results;
    for (std::string t : tokens) results.push_back(link->PlaceToken(t));
    return results;
  }
  void UseOrder(int arc, int chord, int radius) {
    ProjectSettings& s = Program().ProjectSettings;
    s.BearingPos = 1;
    s.ArcPos = arc;
    s.ChordPos = chord;
    s.RadiusPos = radius;
    editor->ArrangeArcFields();
  }
};

TEST_F(PlaceTokenTest, TokensFillTheCoursesInOrder) {
  const std::string bearing = "N45%%D30'15\"E";
  const std::string placed = "N45" + kDeg + "30'15\"E";
  Fresh();
  editor->txtParcel.SetFocus();
  // A direction at the name box goes to the first course when it is empty.
  EXPECT_EQ(Place({bearing}), std::vector<int>{0});
  EXPECT_EQ(editor->txtParcel.Text(), "");
  EXPECT_EQ(editor->txtBearingLine(0).Text(), placed);
  EXPECT_EQ(editor->ActiveControl(), &editor->txtDistanceLine(0));
  EXPECT_EQ(policy->FocusRow, 1);
  EXPECT_EQ(policy->FocusField, 2);

  // With the first direction filled, a direction replaces the name.
  editor->txtParcel.SetFocus();
  Place({"S10%%D0'0\"W"});
  EXPECT_EQ(editor->txtParcel.Text(), "S10" + kDeg + "0'0\"W");
  EXPECT_EQ(editor->ActiveControl(), &editor->txtBearingLine(0));

  // A number at the first course's direction joins the name.
  Place({"5"});
  EXPECT_EQ(editor->txtParcel.Text(), "S10" + kDeg + "0'0\"W 5");
}

// The worked sequence under two arc orders: a number where the next
// direction is expected makes the course before a curve.
TEST_F(PlaceTokenTest, LateCurveUnderEitherArcOrder) {
  struct Case {
    int arc, chord, radius;
    std::string arcText, chordText, radiusText;
  };
  for (const Case& c : {Case{2, 3, 4, "100.00", "25.00", "60.00"}, Case{3, 4, 2, "25.00", "60.00", "100.00"}}) {
    SCOPED_TRACE(c.arc);
    UseOrder(c.arc, c.chord, c.radius);
    Fresh();
    editor->txtBearingLine(0).SetFocus();
    EXPECT_EQ(Place({"N10%%D0'0\"E", "100.00", "25.00", "60.00"}), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_FALSE(editor->frameLine(0).Visible());
    EXPECT_EQ(editor->txtBearingArc(0).Text(), "N10" + kDeg + "0'0\"E");
    EXPECT_EQ(editor->txtArc(0).Text(), c.arcText);
    EXPECT_EQ(editor->txtChord(0).Text(), c.chordText);
    EXPECT_EQ(editor->txtRadius(0).Text(), c.radiusText);
    EXPECT_EQ(editor->ActiveControl(), &editor->txtBearingLine(1));
    // A number at row 3's direction when row 2 is already a curve is dropped.
    EXPECT_EQ(Place({"N20%%D0'0\"E", "30", "S1%%D0'0\"W"}), (std::vector<int>{0, 0, 0}));
    editor->txtBearingLine(1).SetFocus();
    editor->ToggleLineCurve(1);
    OpenRow(2);
    editor->txtBearingLine(2).SetFocus();
    const std::string chord = editor->txtChord(1).Text();
    EXPECT_EQ(Place({"77"}), std::vector<int>{0});
    EXPECT_EQ(editor->txtBearingLine(2).Text(), "S1" + kDeg + "0'0\"W");
    EXPECT_EQ(editor->txtChord(1).Text(), chord);
    EXPECT_EQ(editor->txtParcel.Text(), "");
    UseOrder(2, 3, 4);
  }
}

// The last row: the course capacity, and a second number after the last
// distance making that row a curve instead of overwriting the distance.
TEST_F(PlaceTokenTest, LastRowAsLineAndAsArc) {
  Fresh();
  OpenRow(49);
  editor->txtBearingLine(49).SetFocus();
  EXPECT_EQ(Place({"N10%%D0'0\"E", "100.00"}), (std::vector<int>{0, 0}));
  EXPECT_EQ(editor->ActiveControl(), &editor->txtDistanceLine(49));
  EXPECT_EQ(policy->FocusRow, 50);
  EXPECT_EQ(policy->FocusField, 3);
  EXPECT_EQ(Place({"25.00"}), std::vector<int>{0});
  EXPECT_FALSE(editor->frameLine(49).Visible());
  EXPECT_EQ(editor->txtArc(49).Text(), "100.00");
  EXPECT_EQ(editor->txtChord(49).Text(), "25.00");
  EXPECT_EQ(editor->ActiveControl(), &editor->txtRadius(49));
  // The fourth value closes the row: capacity reached, the value kept.
  EXPECT_EQ(Place({"60.00"}), std::vector<int>{1});
  EXPECT_EQ(editor->txtRadius(49).Text(), "60.00");

  // A direction for a next course after the last line row: nothing written.
  Fresh();
  OpenRow(49);
  editor->txtBearingLine(49).SetFocus();
  EXPECT_EQ(Place({"N10%%D0'0\"E", "100.00", "S5%%D0'0\"W"}), (std::vector<int>{0, 0, 1}));
  EXPECT_TRUE(editor->frameLine(49).Visible());
  EXPECT_EQ(editor->txtDistanceLine(49).Text(), "100.00");
}

// --- picks through the windows ----------------------------------------------

class PickTest : public PlaceTokenTest {
 protected:
  void SetUp() override {
    PlaceTokenTest::SetUp();
    const std::string path =
        Dxf("lot.dxf", LayerTable({{"0", 7, 0}}),
            Join({Text("T1", "0", 0, 0, 2, 0, "LOT 5"), Text("T2", "0", 0, 20, 2, 0, "N 45%%D30'15\" E 100.00"),
                  Text("T3", "0", 0, 40, 2, 0, "S 10%%D0'0\" W 50.00"),
                  viewer::testing::Line("L1", "0", 100, 100, 200, 200)}));
    ASSERT_EQ(Load(path), 0);
  }
  void Press(int k, int button, double y) { View().Viewer(k).OnViewerMouseDown(button, 1.0, y + 1.0); }
};

TEST_F(PickTest, PicksFillTheParcelAndMarkTheirTexts) {
  Fresh();
  editor->txtParcel.SetFocus();
  Press(1, vbLeftButton, 0);
  EXPECT_EQ(editor->txtParcel.Text(), "LOT 5");
  Press(1, vbLeftButton, 20);
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "N45" + kDeg + "30'15\"E");
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "100.00");
  // The same text again, with the right button: reversed, marked once.
  Press(1, vbRightButton, 20);
  EXPECT_EQ(editor->txtBearingLine(1).Text(), "S45" + kDeg + "30'15\"W");
  EXPECT_EQ(link->PickedEntityIds[0].size(), 2u);
  EXPECT_TRUE(link->PickedEntityIds[1].empty());
  // In the other viewer it is marked there too.
  Press(2, vbLeftButton, 40);
  EXPECT_EQ(editor->txtBearingLine(2).Text(), "S10" + kDeg + "0'0\"W");
  EXPECT_EQ(link->PickedEntityIds[1].size(), 1u);
  // A press on no text places nothing.
  const std::string before = editor->txtBearingLine(3).Text();
  View().Dbcocx1.OnViewerMouseDown(vbLeftButton, 150, 60);
  EXPECT_EQ(editor->txtBearingLine(3).Text(), before);
  // Not editing: only the pan starts.
  editor->SetEditing(false);
  Press(1, vbLeftButton, 40);
  EXPECT_EQ(editor->txtBearingLine(3).Text(), "");
  EXPECT_NE(View().PanAnchor.X, 0.0);
  link->ClearPickMarks();
  EXPECT_TRUE(link->PickedEntityIds[0].empty());
}

// A label whose font was changed, as drawing programs write it: the font
// code gives no value, at a direction box or at a distance box.
TEST_F(PickTest, AFontCodedLabelFillsItsCourse) {
  const std::string path = Dxf(
      "coded.dxf", LayerTable({{"0", 7, 0}}),
      viewer::testing::MText("M1", "0", 0, 60, 2, "\\fArial|b0|i0|c0|p34;N 12%%d34'56\" W\\P98.76'"));
  ASSERT_EQ(Load(path), 0);
  Fresh();
  editor->txtBearingLine(0).SetFocus();
  Press(1, vbLeftButton, 60);
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "N12" + kDeg + "34'56\"W");
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "98.76");
  EXPECT_EQ(editor->txtBearingLine(1).Text(), "");
  // At the distance of a course the label begins the next one, and the
  // distance box keeps what it held.
  editor->txtDistanceLine(0).SetFocus();
  Press(1, vbLeftButton, 60);
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "98.76");
  EXPECT_EQ(editor->txtBearingLine(1).Text(), "N12" + kDeg + "34'56\"W");
  EXPECT_EQ(editor->txtDistanceLine(1).Text(), "98.76");
}

// Once the editor is gone a press only pans: there is no focus record left
// to place by.
TEST_F(PickTest, WithoutTheEditorAPressOnlyPans) {
  Fresh();
  editor->txtParcel.SetFocus();
  policy.reset();
  Press(1, vbLeftButton, 0);
  EXPECT_EQ(editor->txtParcel.Text(), "");
  EXPECT_TRUE(link->PickedEntityIds[0].empty());
  EXPECT_NE(View().PanAnchor.X, 0.0);
}

// A press while the focus is past the last row's distance changes nothing
// unless a number arrives.
TEST_F(PickTest, PressPastTheLastDistanceNeedsANumber) {
  Fresh();
  OpenRow(49);
  editor->txtBearingLine(49).SetFocus();
  Place({"N10%%D0'0\"E", "100.00"});
  View().Dbcocx1.OnViewerMouseDown(vbLeftButton, 150, 60);  // no text there
  EXPECT_TRUE(editor->frameLine(49).Visible());
  EXPECT_EQ(editor->txtDistanceLine(49).Text(), "100.00");
  // A pick of a direction and a distance: the capacity message, nothing changed.
  prompts.ExpectMsgBox("This version limit is 50 courses.", vbOKOnly, vbOK, "");
  Press(1, vbLeftButton, 40);
  EXPECT_TRUE(editor->frameLine(49).Visible());
  EXPECT_EQ(editor->txtDistanceLine(49).Text(), "100.00");
}

// A press arriving while a pick places its tokens waits for its end.
TEST_F(PickTest, APressDuringAPickWaits) {
  Fresh();
  editor->txtParcel.SetFocus();
  const auto previous = editor->txtBearingLine.OnGotFocus;
  bool pressed = false;
  editor->txtBearingLine.OnGotFocus = [&](int k) {
    if (previous) previous(k);
    if (!pressed) {
      pressed = true;
      Press(1, vbLeftButton, 20);
    }
  };
  Press(1, vbLeftButton, 0);
  EXPECT_TRUE(pressed);
  EXPECT_EQ(editor->txtParcel.Text(), "LOT 5");
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "N45" + kDeg + "30'15\"E");
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "100.00");
}

// A pick that ends by an error drops the presses that waited for it: they
// do not run after the next pick.
TEST_F(PickTest, APickEndedByAnErrorDropsThePressesWaitingForIt) {
  Fresh();
  editor->txtParcel.SetFocus();
  bool failed = false;
  const auto previous = editor->txtParcel.OnChange;
  editor->txtParcel.OnChange = [&](int k) {
    if (previous) previous(k);
    if (failed) return;
    failed = true;
    Press(1, vbLeftButton, 20);
    throw RuntimeError(kErrInvalidProcedureCall, "failed");
  };
  // The press comes through the forms layer, which reports the error.
  CommandButton trigger(*editor, "cmdTrigger");
  trigger.OnClick = [&](int) { Press(1, vbLeftButton, 0); };
  prompts.ExpectMsgBox(UnknownErrorText(kErrInvalidProcedureCall), vbOKOnly);
  trigger.PerformClick();
  EXPECT_EQ(prompts.Pending(), 0);
  ASSERT_TRUE(failed);
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "");
  // The next pick places its own courses, and nothing after them.
  editor->txtBearingLine(0).SetFocus();
  Press(1, vbLeftButton, 40);
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "S10" + kDeg + "0'0\"W");
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "50.00");
  EXPECT_EQ(editor->txtBearingLine(1).Text(), "");
  // Presses run again once a pick ends normally.
  Press(1, vbLeftButton, 20);
  EXPECT_EQ(editor->txtBearingLine(1).Text(), "N45" + kDeg + "30'15\"E");
}

// A pan ends when the pointer passes over the editor: its own area, the
// button frames, the grid or the picture.
TEST_F(PickTest, APanEndsOverTheEditor) {
  struct Area {
    const char* name;
    std::function<void()> move;
  };
  const Area areas[] = {
      {"form", [&] { testing::UserMouseMove(*editor, 60, 60); }},
      {"Frame1", [&] { testing::UserMouseMove(editor->Frame1); }},
      {"Frame3", [&] { testing::UserMouseMove(editor->Frame3); }},
      {"frameBase", [&] { testing::UserMouseMove(editor->frameBase); }},
      {"picParcel", [&] { testing::UserMouseMove(editor->picParcel); }},
  };
  for (const Area& a : areas) {
    SCOPED_TRACE(a.name);
    View().Dbcocx1.OnViewerMouseDown(vbLeftButton, 30.0, 30.0);
    ASSERT_NE(View().PanAnchor.X, 0.0);
    ASSERT_EQ(FormMousePointer(View()), vbCustom);
    a.move();
    EXPECT_EQ(View().PanAnchor.X, 0.0);
    EXPECT_EQ(View().PanAnchor.Y, 0.0);
    EXPECT_EQ(FormMousePointer(View()), vbDefault);
  }
}

TEST_F(PickTest, GrabCollectsUntilRestoreOrDone) {
  Program().ProjectSettings.Minimize = true;
  for (const bool byDone : {false, true}) {
    SCOPED_TRACE(byDone);
    Fresh();
    editor->txtBearingLine(0).SetFocus();
    link->BeginViewerGrab(editor::GrabField::LineBearing, 0);
    EXPECT_EQ(editor->WindowState(), vbMinimized);
    Press(1, vbLeftButton, 20);
    Press(2, vbLeftButton, 40);
    EXPECT_EQ(Standalone().GrabbedTokens.size(), 4u);
    EXPECT_EQ(editor->txtBearingLine(0).Text(), "");
    if (byDone) {
      View().cmdDone(1).PerformClick();
    } else {
      editor->SetWindowState(vbNormal);
    }
    EXPECT_EQ(editor->WindowState(), vbNormal);
    EXPECT_TRUE(Standalone().GrabbedTokens.empty());
    EXPECT_FALSE(link->GrabMode);
    EXPECT_EQ(editor->txtBearingLine(0).Text(), "N45" + kDeg + "30'15\"E");
    EXPECT_EQ(editor->txtDistanceLine(0).Text(), "100.00");
    EXPECT_EQ(editor->txtBearingLine(1).Text(), "S10" + kDeg + "0'0\"W");
    EXPECT_EQ(editor->txtDistanceLine(1).Text(), "50.00");
  }
}

// Every pick ends with the focused course scrolled into view.
TEST_F(PickTest, APickScrollsTheFocusedCourseIntoView) {
  Fresh();
  for (int k = 0; k <= 30; ++k) OpenRow(k);
  editor->VScroll1.SetValue(0);
  editor->txtBearingLine(30).SetFocus();
  Press(1, vbLeftButton, 40);
  EXPECT_EQ(editor->txtBearingLine(30).Text(), "S10" + kDeg + "0'0\"W");
  EXPECT_GT(editor->VScroll1.Value(), 0);
}

// The floating editor has no grab mode: a double-click on a course box or on
// the name box starts a grab in the drawing window.
TEST_F(PickTest, ADoubleClickStartsAGrabWithoutAGrabMode) {
  const auto services = std::make_unique<StandaloneLinkServices>(*policy, *link);
  editor->SetLinkServices(services.get());
  for (const bool onName : {false, true}) {
    SCOPED_TRACE(onName);
    Fresh();
    forms::Control& box = onName ? static_cast<forms::Control&>(editor->txtParcel)
                                 : static_cast<forms::Control&>(editor->txtBearingLine(0));
    box.SetFocus();
    testing::UserDoubleClick(box);
    EXPECT_TRUE(link->GrabMode);
    View().cmdDone(1).PerformClick();
    EXPECT_FALSE(link->GrabMode);
  }
  editor->SetLinkServices(nullptr);
}

// Done auto-inverts only while a parcel is being edited.
TEST_F(PickTest, DoneAutoInvertsOnlyWhileEditing) {
  Program().ProjectSettings.AutoInvert = true;
  for (const bool editing : {false, true}) {
    SCOPED_TRACE(editing);
    Fresh();
    editor->txtBearingLine(0).SetFocus();
    Place({"N10%%D0'0\"W", "100", "N80%%D0'0\"W", "100", "S10%%D0'0\"E", "100"});
    editor->SetEditing(editing);
    View().cmdDone(0).PerformClick();
    EXPECT_EQ(editor->txtBearingLine(1).Text(), editing ? "S80" + kDeg + "0'0\"E" : "N80" + kDeg + "0'0\"W");
  }
}

// The texts of the DWG fixture (one multi-line text) and of DGN drawings
// are picked as a DXF's are: a press on the text where the viewer shows it,
// in either viewer and with either button, fills the editor.
TEST_F(PlaceTokenTest, DwgAndDgnTextsArePicked) {
  const std::string plan = folder.Path() + "/plan.dgn";
  viewer::testing::MakeDgn(plan);
  const std::string lot = folder.Path() + "/lot.DGN";
  viewer::testing::MakeDgn(lot, "N 45\xB0" "30'15\" E 100.00");
  const std::string dwg = viewer::testing::Fixture("text_r2000.dwg");
  // A two-line label (a bearing over its distance) in a DGN, and as a
  // multi-line text with a real degree sign in a DXF of AutoCAD 2018, whose
  // header names a Windows code page while its texts are UTF-8.
  const std::string twoLines = folder.Path() + "/two lines.dgn";
  viewer::testing::MakeDgn(twoLines, "S45\xB0" "30'15\"W\n150.02");
  const std::string r2018 = folder.Path() + "/plat 2018.dxf";
  WriteFile(r2018, DxfText(Join({viewer::testing::Header("AC1032", "ANSI_1252"),
                                 Section("TABLES", LayerTable({{"0", 7, 0}})),
                                 Section("ENTITIES", viewer::testing::MText("1B", "0", 5, 6, 2.5,
                                                                            "S45\u00B030'15\"W\\P150.02"))})) +
                      Eof());
  struct Case {
    std::string path;
    int viewer, button;
    bool atName;  // the focus on the name box, else on the first direction
    std::string name, direction, distance;
  };
  const Case cases[] = {
      // The multi-line text's first word names the parcel; its other words
      // hold no number and are not placed in the courses.
      {dwg, 1, vbLeftButton, true, "This", "", ""},
      {dwg, 2, vbLeftButton, true, "This", "", ""},
      // A bearing without minutes and seconds is only words and a number.
      {plan, 2, vbLeftButton, true, "N 45" + kDeg, "", ""},
      {lot, 1, vbLeftButton, false, "", "N45" + kDeg + "30'15\"E", "100.00"},
      {lot, 2, vbRightButton, false, "", "S45" + kDeg + "30'15\"W", "100.00"},
      {twoLines, 1, vbLeftButton, false, "", "S45" + kDeg + "30'15\"W", "150.02"},
      {r2018, 1, vbLeftButton, false, "", "S45" + kDeg + "30'15\"W", "150.02"},
      {r2018, 2, vbRightButton, false, "", "N45" + kDeg + "30'15\"E", "150.02"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " viewer " + std::to_string(c.viewer) + " button " + std::to_string(c.button));
    ASSERT_EQ(Load(c.path), 0);
    // The middle of the text's box, as the drawing gives it.
    viewer::Drawing drawing;
    ASSERT_FALSE(viewer::ReadDrawing(c.path, drawing));
    const viewer::Entity* text = nullptr;
    for (const viewer::Entity& e : drawing.entities) {
      if (e.IsText()) text = &e;
    }
    ASSERT_NE(text, nullptr);
    const viewer::TextBox box = viewer::TextBoxOf(drawing, *text);
    const double x = (box.x[0] + box.x[1] + box.x[2] + box.x[3]) / 4;
    const double y = (box.y[0] + box.y[1] + box.y[2] + box.y[3]) / 4;
    // A new parcel, as the New command begins it, with no text marked.
    link->ClearPickMarks();
    Fresh();
    if (c.atName) {
      editor->txtParcel.SetFocus();
    } else {
      editor->txtBearingLine(0).SetFocus();
    }
    View().SSTab1.SetTab(c.viewer - 1);
    View().Viewer(c.viewer).OnViewerMouseDown(c.button, x, y);
    EXPECT_EQ(editor->txtParcel.Text(), c.name);
    EXPECT_EQ(editor->txtBearingLine(0).Text(), c.direction);
    EXPECT_EQ(editor->txtDistanceLine(0).Text(), c.distance);
    // The text is marked in the viewer pressed, not in the other.
    EXPECT_EQ(link->PickedEntityIds[c.viewer - 1].size(), 1u);
    EXPECT_TRUE(link->PickedEntityIds[2 - c.viewer].empty());
  }
}

}  // namespace
}  // namespace korvalo::standalone::test
