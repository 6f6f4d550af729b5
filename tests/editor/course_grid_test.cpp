#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "editor/grid_layout.h"
#include "editor/tooltips.h"
#include "editor_fixture.h"

// The course grid driven as a user drives it: keys, clicks and focus on the
// real editor window.
namespace korvalo::editor::test {
namespace {

using forms::CheckBox;
using forms::TextBox;
using forms::testing::RecordingCanvas;
using forms::testing::UserClick;
using forms::testing::UserFocus;
using forms::testing::UserKey;
using forms::testing::UserMouseClick;
using forms::testing::UserType;

constexpr const char* kNotFormatted =
    "The bearing is not formatted correctly. Would you like to keep this value?";

struct ArcOrder {
  const char* name;
  int arc, chord, radius;  // the chord direction is at position 1
};
constexpr ArcOrder kShippedOrder{"direction, arc, chord, radius", 2, 3, 4};
constexpr ArcOrder kRadiusFirst{"direction, radius, arc, chord", 3, 4, 2};

// The link's grabs as the editor asks for them.
class RecordingLink : public cadlink::ModLink {
 public:
  using ModLink::ModLink;
  void GrabCourseField(GrabField field, int row) override { grabs.emplace_back(field, row); }
  void GrabParcelName() override { ++nameGrabs; }
  std::vector<std::pair<GrabField, int>> grabs;
  int nameGrabs = 0;
};

class GridTest : public EditorTest {
 protected:
  // The editor as a project open in grab mode leaves it for a new parcel:
  // the grid emptied, the course boxes unlocked, nothing edited yet.
  void OpenGrid(ArcOrder order = kShippedOrder, bool bearing = true,
                Edition edition = Edition::A2004) {
    ProjectSettings& s = Program().ProjectSettings;
    s.BearingPos = 1;
    s.ArcPos = order.arc;
    s.ChordPos = order.chord;
    s.RadiusPos = order.radius;
    s.Bearing = bearing;
    s.ToolTipOn = true;
    LoadEditor(edition);
    recording = std::make_unique<RecordingLink>(*editor);
    editor->SetLinkServices(recording.get());
    link->EnableProjectUI(true);
    editor->optmodel(0).SetValue(true);
    editor->cbxParcel.SetVisible(false);
    editor->txtParcel.SetVisible(true);
    editor->ClearEditor();
    editor->EnableCourseControls(true);
    editor->SetEditing(false);
  }

  bool RowUnlocked(int k) const {
    return editor->frameLine(k).Enabled() && editor->frameArc(k).Enabled() &&
           editor->cmdNo(k).Enabled();
  }
  bool RowLocked(int k) const {
    return !editor->frameLine(k).Enabled() && !editor->frameArc(k).Enabled() &&
           !editor->cmdNo(k).Enabled();
  }
  int LastUnlockedRow() const {
    int k = 0;
    while (k + 1 < editor->CourseLimit() && RowUnlocked(k + 1)) ++k;
    return k;
  }

  // The sign pair of row k as ("+" value, "-" value).
  std::pair<int, int> Sign(int k) const {
    return {editor->chksign(2 * k).Value(), editor->chksign(2 * k + 1).Value()};
  }

  // What row k holds: kind, direction, distance (line distance or chord)
  // and for arcs the arc length, radius and sign.
  std::string Row(int k) const {
    if (editor->frameLine(k).Visible()) {
      return "L " + editor->txtBearingLine(k).Text() + " " + editor->txtDistanceLine(k).Text();
    }
    return "A " + editor->txtBearingArc(k).Text() + " " + editor->txtChord(k).Text() + " " +
           editor->txtArc(k).Text() + " " + editor->txtRadius(k).Text() + " " +
           std::to_string(Sign(k).first) + std::to_string(Sign(k).second);
  }

  std::unique_ptr<RecordingLink> recording;
};

// ---------------------------------------------------------------------------
// Key filters.

TEST_F(GridTest, KeyFiltersByModeAndFieldKind) {
  struct Case {
    bool bearingMode;
    bool directionBox;
    std::string keys;
    std::string expected;
  };
  const Case cases[] = {
      {true, true, "N45d30'e", Dir("N45d30'E")},
      {true, true, "s12D5'7\"w", Dir("S12d5'7\"W")},
      {true, true, "N4.5 X°E", "N45E"},  // point, blank, X, a typed degree sign
      {true, true, "nsewNSEW", "NSEWNSEW"},
      {true, true, "N45\bS", "N4S"},  // backspace passes
      {false, true, "123D45'", Dir("123d45'")},
      {false, true, "N123dSEW45\"", Dir("123d45\"")},  // quadrant letters swallowed
      {false, true, "1.2 x", "12"},
      {true, false, "12.5", "12.5"},
      {true, false, "1a b2,3N", "123"},
      {true, false, "1.2.3", "1.2.3"},  // a second point passes the filter
      {false, false, "7d8'9\"", "789"},
  };
  for (bool arcRow : {false, true}) {
    for (bool bearing : {true, false}) {
      OpenGrid(kShippedOrder, bearing);
      if (arcRow) editor->ToggleLineCurve(0);
      std::vector<TextBox*> directions = {arcRow ? &editor->txtBearingArc(0)
                                                 : &editor->txtBearingLine(0)};
      std::vector<TextBox*> numbers;
      if (arcRow) {
        numbers = {&editor->txtArc(0), &editor->txtChord(0), &editor->txtRadius(0)};
      } else {
        numbers = {&editor->txtDistanceLine(0)};
      }
      for (const Case& c : cases) {
        if (c.bearingMode != bearing) continue;
        for (TextBox* box : c.directionBox ? directions : numbers) {
          SCOPED_TRACE(box->Name() + " keys " + c.keys);
          UserType(*box, c.keys);
          EXPECT_EQ(box->Text(), c.expected);
          // Paste and the other clipboard keys do nothing.
          forms::testing::SetClipboardText("45");
          UserKey(*box, 22);
          forms::testing::UserContextPaste(*box);
          EXPECT_EQ(box->Text(), c.expected);
          box->SetText("");  // leaves the box without a question
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Focus colours and the direction check.

TEST_F(GridTest, LeavingADirectionBoxChecksTheDirection) {
  OpenGrid();
  TextBox& bearing = editor->txtBearingLine(0);
  TextBox& distance = editor->txtDistanceLine(0);

  // Empty: nothing asked, the normal colour back.
  UserFocus(bearing);
  EXPECT_EQ(bearing.BackColor(), kFocusColour);
  UserFocus(distance);
  EXPECT_EQ(bearing.BackColor(), forms::vbWindowBackground);
  EXPECT_EQ(distance.BackColor(), kFocusColour);

  // Yes keeps the text for correction; the focus goes back to the box.
  UserType(bearing, "N95dE");
  prompts.ExpectMsgBox(kNotFormatted, forms::vbYesNo, forms::vbYes);
  UserFocus(distance);
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_TRUE(bearing.HasFocus());
  EXPECT_EQ(bearing.Text(), Dir("N95dE"));
  EXPECT_EQ(bearing.BackColor(), kFocusColour);
  EXPECT_EQ(distance.BackColor(), forms::vbWindowBackground);
  // The row button passed the focus on: no row is current.
  EXPECT_EQ(editor->CurrentRow, editor->CourseLimit());

  // No empties the box; the focus is back in it, and leaving it again is
  // silent.
  prompts.ExpectMsgBox(kNotFormatted, forms::vbYesNo, forms::vbNo);
  UserFocus(distance);
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_TRUE(bearing.HasFocus());
  EXPECT_EQ(bearing.Text(), "");
  UserFocus(distance);
  EXPECT_TRUE(distance.HasFocus());
  EXPECT_EQ(bearing.BackColor(), forms::vbWindowBackground);

  // A valid direction passes; blanks typed... cannot be typed, but a
  // program text with blanks stays as it is.
  bearing.SetText(Dir(" N45d E"));
  UserFocus(bearing);
  UserFocus(distance);
  EXPECT_EQ(bearing.Text(), Dir(" N45d E"));
  EXPECT_EQ(bearing.BackColor(), forms::vbWindowBackground);
}

TEST_F(GridTest, TheDirectionCheckFollowsTheDirectionMode) {
  OpenGrid(kShippedOrder, /*bearing=*/false);
  editor->ToggleLineCurve(0);
  TextBox& chordDirection = editor->txtBearingArc(0);
  UserType(chordDirection, "359d59'");
  UserFocus(editor->txtArc(0));
  EXPECT_TRUE(editor->txtArc(0).HasFocus());
  chordDirection.SetText(Dir("360d"));
  UserFocus(chordDirection);
  prompts.ExpectMsgBox(kNotFormatted, forms::vbYesNo, forms::vbNo);
  UserFocus(editor->txtArc(0));
  EXPECT_TRUE(chordDirection.HasFocus());
  EXPECT_EQ(chordDirection.Text(), "");
}

// ---------------------------------------------------------------------------
// Rows open one after another.

TEST_F(GridTest, TheLastBoxOfARowUnlocksTheNext) {
  struct Case {
    ArcOrder order;
    const char* box;  // the arc box changed
    bool unlocks;
  };
  const Case cases[] = {
      {kShippedOrder, "txtRadius", true},   {kShippedOrder, "txtArc", false},
      {kShippedOrder, "txtChord", false},   {kShippedOrder, "txtBearingArc", false},
      {kRadiusFirst, "txtChord", true},     {kRadiusFirst, "txtRadius", false},
      {kRadiusFirst, "txtArc", false},      {kRadiusFirst, "txtBearingArc", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.order.name) + ": " + c.box);
    OpenGrid(c.order);
    editor->ToggleLineCurve(0);
    ASSERT_TRUE(RowLocked(1));
    TextBox& box = c.box == std::string("txtRadius")  ? editor->txtRadius(0)
                   : c.box == std::string("txtArc")   ? editor->txtArc(0)
                   : c.box == std::string("txtChord") ? editor->txtChord(0)
                                                      : editor->txtBearingArc(0);
    UserType(box, "5");
    EXPECT_EQ(RowUnlocked(1), c.unlocks);
    EXPECT_TRUE(RowLocked(2));
    box.SetText("");
  }

  // Line rows: the distance unlocks, the direction never; emptying unlocks
  // as well; the last row unlocks nothing and says nothing.
  OpenGrid();
  UserType(editor->txtBearingLine(0), "N1dE");
  EXPECT_TRUE(RowLocked(1));
  UserType(editor->txtDistanceLine(0), "1");
  EXPECT_TRUE(RowUnlocked(1));
  EXPECT_TRUE(RowLocked(2));
  editor->txtDistanceLine(3).SetText("");  // no change: nothing raised
  editor->txtDistanceLine(3).SetText("7");
  editor->txtDistanceLine(3).SetText("");
  EXPECT_TRUE(RowUnlocked(4));
  const int last = editor->CourseLimit() - 1;
  editor->txtDistanceLine(last).SetText("9");
  EXPECT_EQ(prompts.Seen().size(), 0u);
}

// ---------------------------------------------------------------------------
// The editing state.

TEST_F(GridTest, EditsByKeyboardAloneTurnTheEditingStateOn) {
  struct Case {
    const char* what;
    std::function<void(FrmEditor&)> edit;
  };
  const Case cases[] = {
      {"a typed direction", [](FrmEditor& e) { UserType(e.txtBearingLine(0), "N"); }},
      {"a typed distance", [](FrmEditor& e) { UserType(e.txtDistanceLine(0), "1"); }},
      {"a typed name", [](FrmEditor& e) { UserType(e.txtParcel, "Lot 4"); }},
      {"a click in a course box", [](FrmEditor& e) { UserClick(e.txtDistanceLine(0)); }},
      {"a click in the name box", [](FrmEditor& e) { UserClick(e.txtParcel); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenGrid();
    ASSERT_FALSE(editor->Editing());
    c.edit(*editor);
    EXPECT_TRUE(editor->Editing());
    EXPECT_TRUE(editor->cmdCancel.Enabled());
    EXPECT_TRUE(editor->txtCover.Visible());
    EXPECT_FALSE(editor->cmdInsert.Enabled());
    EXPECT_FALSE(editor->frameOptmodel.Enabled());
  }

  // Values the program places in the rows (a parcel shown, a grab) are no
  // edit.
  OpenGrid();
  SetLine(0, "N1dE", "10");
  EXPECT_FALSE(editor->Editing());
}

// ---------------------------------------------------------------------------
// The row button and its pop-up.

TEST_F(GridTest, RowButtonMakesItsRowCurrentAndOpensThePopup) {
  OpenGrid();
  UserType(editor->txtDistanceLine(0), "1");
  UserType(editor->txtDistanceLine(1), "1");
  editor->ToggleLineCurve(1);

  prompts.ExpectPopup("mnuPopup", "");
  UserMouseClick(editor->cmdNo(0), forms::vbRightButton);
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(editor->mnuPopChangeLineCurve.Caption(), "Change to curve");
  EXPECT_TRUE(editor->mnuPopChangeLineCurve.Enabled());
  EXPECT_EQ(editor->CurrentRow, 0);
  EXPECT_EQ(editor->cmdNo(0).BackColor(), kRowButtonFocusColour);

  prompts.ExpectPopup("mnuPopup", "");
  UserMouseClick(editor->cmdNo(1), forms::vbLeftButton);
  EXPECT_EQ(editor->mnuPopChangeLineCurve.Caption(), "Change to line");
  EXPECT_EQ(editor->CurrentRow, 1);
  EXPECT_EQ(editor->cmdNo(0).BackColor(), editor->BackColor());

  // The middle button opens nothing.
  UserMouseClick(editor->cmdNo(0), forms::vbMiddleButton);
  EXPECT_EQ(prompts.Seen().size(), 2u);

  // Leaving the button leaves no row current.
  UserFocus(editor->txtDistanceLine(0));
  EXPECT_EQ(editor->CurrentRow, editor->CourseLimit());
}

// A press on a row button while a direction box holds a direction that does
// not read asks once; the pop-up still opens for the pressed row, and the
// focus stays where the answer put it.
TEST_F(GridTest, RowPopupOverAnInvalidDirectionAsksOnce) {
  struct Case {
    const char* what;
    int answer;
    int invalidRow;  // the row whose direction box is left
    int pressedRow;
    const char* textAfter;
  };
  const Case cases[] = {
      {"Yes, own row", forms::vbYes, 0, 0, "N95dE"},
      {"No, own row", forms::vbNo, 0, 0, ""},
      {"Yes, another row", forms::vbYes, 0, 1, "N95dE"},
      {"No, another row", forms::vbNo, 0, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenGrid();
    UserType(editor->txtDistanceLine(0), "1");
    TextBox& bearing = editor->txtBearingLine(c.invalidRow);
    UserType(bearing, "N95dE");
    const std::size_t shown = prompts.Seen().size();
    prompts.ExpectMsgBox(kNotFormatted, forms::vbYesNo, c.answer);
    prompts.ExpectPopup("mnuPopup", "");
    UserMouseClick(editor->cmdNo(c.pressedRow), forms::vbRightButton);
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_EQ(prompts.Seen().size(), shown + 2);
    EXPECT_EQ(bearing.Text(), Dir(c.textAfter));
    EXPECT_TRUE(bearing.HasFocus());
    EXPECT_EQ(editor->mnuPopChangeLineCurve.Caption(), "Change to curve");
  }
}

// ---------------------------------------------------------------------------
// The sign pair.

TEST_F(GridTest, SignPairEndsWithOneBoxTickedByMouseAndByKeyboard) {
  OpenGrid();
  editor->ToggleLineCurve(0);
  editor->SetEditing(false);
  editor->cmdNo(0).SetBackColor(forms::vbRed);
  ASSERT_EQ(Sign(0), std::make_pair(0, 2));
  CheckBox& plus = editor->chksign(0);
  CheckBox& minus = editor->chksign(1);

  UserClick(minus);
  EXPECT_EQ(Sign(0), std::make_pair(0, 1));
  EXPECT_TRUE(editor->Editing());
  EXPECT_EQ(editor->cmdNo(0).BackColor(), forms::vbButtonFace);
  // A second click on the ticked box keeps it ticked; any button counts.
  UserClick(minus);
  EXPECT_EQ(Sign(0), std::make_pair(0, 1));
  UserMouseClick(plus, forms::vbRightButton);
  EXPECT_EQ(Sign(0), std::make_pair(1, 0));

  // Space gives what a click gives, never both ticked.
  UserKey(minus, ' ');
  EXPECT_EQ(Sign(0), std::make_pair(0, 1));
  UserKey(minus, ' ');
  EXPECT_EQ(Sign(0), std::make_pair(0, 1));
  UserKey(plus, ' ');
  EXPECT_EQ(Sign(0), std::make_pair(1, 0));
}

TEST_F(GridTest, ASignChangeRecalculates) {
  OpenGrid();
  // A half circle of radius 50 closed by its diameter.
  SetLine(0, "N0dE", "100");
  editor->ToggleLineCurve(1);
  editor->txtBearingArc(1).SetText(Dir("S0dE"));
  editor->txtArc(1).SetText("157.0796327");
  editor->txtChord(1).SetText("100");
  editor->txtRadius(1).SetText("50");
  UserClick(editor->chksign(3));
  const std::string minus = editor->lblArea.Caption();
  UserClick(editor->chksign(2));
  EXPECT_NE(editor->lblArea.Caption(), minus);
}

// ---------------------------------------------------------------------------
// Grabs.

TEST_F(GridTest, DoubleClicksStartAGrabInGrabModeOnly) {
  OpenGrid();
  UserType(editor->txtDistanceLine(0), "1");
  editor->ToggleLineCurve(1);
  editor->SetEditing(false);
  forms::testing::UserDoubleClick(editor->txtBearingLine(0));
  EXPECT_TRUE(editor->Editing());
  forms::testing::UserDoubleClick(editor->txtDistanceLine(0));
  for (TextBox* box : {&editor->txtBearingArc(1), &editor->txtArc(1), &editor->txtChord(1),
                       &editor->txtRadius(1)}) {
    forms::testing::UserDoubleClick(*box);
  }
  forms::testing::UserDoubleClick(editor->txtParcel);
  const std::vector<std::pair<GrabField, int>> expected = {
      {GrabField::LineBearing, 0}, {GrabField::Distance, 0}, {GrabField::ArcBearing, 1},
      {GrabField::ArcLength, 1},   {GrabField::Chord, 1},    {GrabField::Radius, 1}};
  EXPECT_EQ(recording->grabs, expected);
  EXPECT_EQ(recording->nameGrabs, 1);

  // Review mode: a double-click starts nothing.
  editor->optmodel(1).SetValue(true);
  editor->SetEditing(false);
  forms::testing::UserDoubleClick(editor->txtDistanceLine(0));
  forms::testing::UserDoubleClick(editor->txtParcel);
  EXPECT_EQ(recording->grabs.size(), expected.size());
  EXPECT_EQ(recording->nameGrabs, 1);
}

// ---------------------------------------------------------------------------
// Arc inputs: order, places, focus order.

TEST_F(GridTest, ArcFieldsTakeTheirSlotsAndTabStopsInEntryOrder) {
  struct Expected {
    ArcOrder order;
    std::array<std::string, 4> names;
    // Left and top of the arc, chord and radius boxes.
    std::array<std::pair<int, int>, 3> places;
  };
  const Expected cases[] = {
      {kShippedOrder,
       {"txtBearing", "txtArc", "txtChord", "txtRadius"},
       {{{2160, 120}, {3960, 120}, {360, 460}}}},
      {kRadiusFirst,
       {"txtBearing", "txtRadius", "txtArc", "txtChord"},
       {{{3960, 120}, {360, 460}, {2160, 120}}}},
  };
  for (const Expected& c : cases) {
    SCOPED_TRACE(c.order.name);
    OpenGrid(c.order);
    EXPECT_EQ(editor->ArcFieldOrder(), c.names);
    for (int p = 1; p <= 4; ++p) EXPECT_EQ(editor->ArcFieldPosition(c.names[p - 1]), p);
    EXPECT_EQ(editor->ArcFieldPosition("txtBearingArc"), 0);
    EXPECT_EQ(editor->ArcFieldPosition("TXTARC"), 0);

    for (int k : {0, 1, editor->CourseLimit() - 1}) {
      SCOPED_TRACE(k);
      const std::array<TextBox*, 3> boxes = {&editor->txtArc(k), &editor->txtChord(k),
                                             &editor->txtRadius(k)};
      const std::array<forms::Label*, 3> labels = {&editor->lblA(k), &editor->lblC(k),
                                                   &editor->lblR(k)};
      for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::make_pair(boxes[i]->Left(), boxes[i]->Top()), c.places[i]);
        EXPECT_EQ(std::make_pair(labels[i]->Left(), labels[i]->Top()),
                  std::make_pair(c.places[i].first - 240, c.places[i].second));
      }
      EXPECT_EQ(editor->txtBearingArc(k).Left(), 360);
    }

    // The focus order: row after row, and in a row the table's order.
    editor->SetCourseTabOrder();
    for (int k : {0, 5}) {
      SCOPED_TRACE(k);
      std::vector<forms::Control*> stops = {&editor->cmdNo(k), &editor->txtBearingLine(k),
                                            &editor->txtDistanceLine(k),
                                            &editor->cmdLineInvert(k), &editor->txtBearingArc(k)};
      for (int p = 2; p <= 4; ++p) {
        const std::string& name = c.names[static_cast<std::size_t>(p - 1)];
        stops.push_back(name == "txtArc" ? static_cast<forms::Control*>(&editor->txtArc(k))
                        : name == "txtChord" ? &editor->txtChord(k)
                                             : &editor->txtRadius(k));
      }
      stops.push_back(&editor->chksign(2 * k));
      stops.push_back(&editor->chksign(2 * k + 1));
      stops.push_back(&editor->cmdArcInvert(k));
      const int first = editor->cmdNo(k).TabIndex();
      for (std::size_t n = 0; n < stops.size(); ++n) {
        EXPECT_EQ(stops[n]->TabIndex(), first + static_cast<int>(n)) << n;
      }
      EXPECT_EQ(editor->cmdNo(k + 1).TabIndex(), first + 11);
    }
    EXPECT_LT(editor->frameBase.TabIndex(), editor->cmdNo(0).TabIndex());
  }
}

TEST_F(GridTest, TabMovesThroughAnArcRowInEntryOrder) {
  OpenGrid(kRadiusFirst);
  editor->SetCourseTabOrder();
  editor->ToggleLineCurve(0);
  UserFocus(editor->txtBearingArc(0));
  for (TextBox* next : {&editor->txtRadius(0), &editor->txtArc(0), &editor->txtChord(0)}) {
    forms::testing::UserTab(*static_cast<TextBox*>(editor->ActiveControl()));
    EXPECT_TRUE(next->HasFocus()) << next->Name();
  }
}

TEST_F(GridTest, ToolTipsAreClearedWhileSwitchedOffAndStayCleared) {
  OpenGrid();
  ClearToolTips();  // switched on: nothing changes
  EXPECT_EQ(editor->txtArc(7).ToolTipText(), editor->txtArc(0).ToolTipText());
  EXPECT_FALSE(editor->cmdSave.ToolTipText().empty());

  Program().ProjectSettings.ToolTipOn = false;
  ClearToolTips();
  for (forms::Control* c : {static_cast<forms::Control*>(&editor->txtArc(7)),
                            static_cast<forms::Control*>(&editor->cmdSave),
                            static_cast<forms::Control*>(&editor->chksign(0)),
                            static_cast<forms::Control*>(&editor->picParcel)}) {
    EXPECT_EQ(c->ToolTipText(), "") << c->Name();
  }
  Program().ProjectSettings.ToolTipOn = true;
  ClearToolTips();
  EXPECT_EQ(editor->cmdSave.ToolTipText(), "");
}

// ---------------------------------------------------------------------------
// Row operations.

TEST_F(GridTest, ToggleLineCurveCarriesTheCourseBothWays) {
  for (const ArcOrder& order : {kShippedOrder, kRadiusFirst}) {
    SCOPED_TRACE(order.name);
    OpenGrid(order);
    SetLine(2, "N10dE", "25.5");
    const int below = editor->frameLine(3).Top();
    editor->ToggleLineCurve(2);
    EXPECT_TRUE(editor->frameArc(2).Visible());
    EXPECT_FALSE(editor->frameLine(2).Visible());
    EXPECT_EQ(editor->frameArc(2).Height(), 800);
    EXPECT_EQ(editor->txtBearingArc(2).Text(), Dir("N10dE"));
    TextBox& second = order.radius == 2 ? editor->txtRadius(2) : editor->txtArc(2);
    EXPECT_EQ(second.Text(), "25.5");
    for (int k : {3, editor->CourseLimit() - 1}) {
      EXPECT_EQ(editor->frameLine(k).Top(), 400 * k + 400);
      EXPECT_EQ(editor->frameArc(k).Top(), 400 * k + 400);
      EXPECT_EQ(editor->cmdNo(k).Top(), 400 * k + 500);
    }
    EXPECT_EQ(editor->frameLine(1).Top(), 400);

    editor->txtBearingArc(2).SetText(Dir("N11dE"));
    second.SetText("30");
    editor->ToggleLineCurve(2);
    EXPECT_TRUE(editor->frameLine(2).Visible());
    EXPECT_EQ(editor->txtBearingLine(2).Text(), Dir("N11dE"));
    EXPECT_EQ(editor->txtDistanceLine(2).Text(), "30");
    EXPECT_EQ(editor->frameLine(3).Top(), below);
    // The source boxes keep their texts.
    EXPECT_EQ(editor->txtBearingArc(2).Text(), Dir("N11dE"));
  }
}

// A line, an arc and a line in rows 0 to 2, row 3 open for the next course.
class RowOperationsTest : public GridTest {
 protected:
  void EnterFixture(Edition edition = Edition::A2004) {
    OpenGrid(kShippedOrder, true, edition);
    SetLine(0, "N0dE", "100");
    editor->ToggleLineCurve(1);
    editor->txtBearingArc(1).SetText(Dir("S45dE"));
    editor->txtArc(1).SetText("80");
    editor->txtChord(1).SetText("70");
    editor->txtRadius(1).SetText("60");
    editor->chksign(3).SetValue(forms::vbChecked);
    editor->chksign(2).SetValue(forms::vbUnchecked);
    SetLine(2, "S90dW", "49.5");
  }
  const std::string line0 = "L " + Dir("N0dE") + " 100";
  const std::string arc1 = "A " + Dir("S45dE") + " 70 80 60 01";
  const std::string line2 = "L " + Dir("S90dW") + " 49.5";
};

TEST_F(RowOperationsTest, InsertOpensAnEmptyLineRowAndMovesTheCoursesDown) {
  EnterFixture();
  ASSERT_EQ(Row(1), arc1);
  ASSERT_EQ(LastUnlockedRow(), 3);
  const int arcTop = editor->frameArc(1).Top();
  const int line2Top = editor->frameLine(2).Top();

  RecordingCanvas canvas(editor->picParcel);
  ASSERT_TRUE(editor->Insert_Proc(1));
  EXPECT_EQ(Row(0), line0);
  EXPECT_EQ(Row(1), "L  ");
  EXPECT_EQ(Sign(1), std::make_pair(2, 2));
  EXPECT_EQ(Row(2), arc1);
  EXPECT_EQ(Row(3), line2);
  EXPECT_EQ(Row(4), "L  ");
  EXPECT_EQ(LastUnlockedRow(), 4);
  // The empty line row takes the arc's place; the courses end 400 lower.
  EXPECT_EQ(editor->frameLine(1).Top(), arcTop);
  EXPECT_EQ(editor->frameArc(2).Top(), arcTop + 400);
  EXPECT_EQ(editor->frameLine(3).Top(), line2Top + 400);
  EXPECT_EQ(editor->cmdNo(3).Top(), line2Top + 500);
  // The parcel was recalculated once, not once per box.
  int clears = 0;
  for (const auto& call : canvas.Calls()) clears += call.kind == forms::testing::DrawCall::Kind::Clear;
  EXPECT_EQ(clears, 1);
  EXPECT_TRUE(editor->CalcEnabled);
}

TEST_F(RowOperationsTest, DeleteMovesTheLaterCoursesUp) {
  EnterFixture();
  const int line2Top = editor->frameLine(2).Top();
  editor->Delete_Proc(1);
  EXPECT_EQ(Row(0), line0);
  EXPECT_EQ(Row(1), line2);
  EXPECT_EQ(Row(2), "L  ");
  // Rows below the arc move up 800, the last row stays where it was.
  EXPECT_EQ(editor->frameLine(1).Top(), line2Top - 800);
  const int last = editor->CourseLimit() - 1;
  EXPECT_EQ(editor->frameLine(last).Top(), 400 * last + 400);
  EXPECT_EQ(Row(last), "L  ");
  EXPECT_EQ(Sign(last), std::make_pair(2, 2));
  EXPECT_EQ(LastUnlockedRow(), 2);

  // Down to nothing: row 0 stays open for entry.
  editor->Delete_Proc(0);
  editor->Delete_Proc(0);
  EXPECT_EQ(Row(0), "L  ");
  EXPECT_TRUE(RowUnlocked(0));
}

TEST_F(RowOperationsTest, DeletingRowZeroLeavesItOpenInEveryBuild) {
  for (Edition edition : {Edition::A2004, Edition::A2000, Edition::R14}) {
    SCOPED_TRACE(static_cast<int>(edition));
    OpenGrid(kShippedOrder, true, edition);
    SetLine(0, "N0dE", "100");
    editor->txtDistanceLine(0).SetText("");  // row 1 open ...
    editor->frameLine(1).SetEnabled(false);   // ... and locked again
    editor->frameArc(1).SetEnabled(false);
    editor->cmdNo(1).SetEnabled(false);
    editor->Delete_Proc(0);
    EXPECT_TRUE(RowUnlocked(0));
  }
}

TEST_F(RowOperationsTest, AFullGridRefusesAnInsertAndLosesNothing) {
  EnterFixture();
  const int last = editor->CourseLimit() - 1;
  for (int k = 3; k <= last; ++k) SetLine(k, "N1dE", std::to_string(k));
  const std::string before = Row(last);

  for (int idx : {0, 1, last}) {
    SCOPED_TRACE(idx);
    prompts.ExpectMsgBox("The maximum number of courses is 80.", forms::vbOKOnly);
    EXPECT_FALSE(editor->Insert_Proc(idx));
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_EQ(Row(1), arc1);
    EXPECT_EQ(Row(last), before);
  }

  // With the last row empty the insert goes ahead, and "insert before" the
  // last row empties nothing of value.
  editor->ResetRow(last);
  EXPECT_TRUE(editor->Insert_Proc(last));
  EXPECT_EQ(Row(last - 1), "L " + Dir("N1dE") + " " + std::to_string(last - 1));
  EXPECT_TRUE(editor->Insert_Proc(0));
  EXPECT_EQ(Row(1), line0);
  EXPECT_EQ(Row(last), "L " + Dir("N1dE") + " " + std::to_string(last - 1));
}

TEST_F(RowOperationsTest, TheStandaloneGridRefusesAtFifty) {
  EnterFixture(Edition::Standalone);
  ASSERT_EQ(editor->CourseLimit(), 50);
  SetLine(49, "N1dE", "5");
  prompts.ExpectMsgBox("The maximum number of courses is 50.", forms::vbOKOnly);
  EXPECT_FALSE(editor->Insert_Proc(2));
  EXPECT_EQ(Row(49), "L " + Dir("N1dE") + " 5");
}

TEST_F(RowOperationsTest, ResetRowEmptiesAnArcRowIntoALineRow) {
  EnterFixture();
  const int line2Top = editor->frameLine(2).Top();
  editor->ResetRow(1);
  EXPECT_EQ(Row(1), "L  ");
  EXPECT_EQ(Sign(1), std::make_pair(2, 2));
  EXPECT_EQ(editor->frameLine(2).Top(), line2Top - 400);
  EXPECT_TRUE(RowUnlocked(1));
}

TEST_F(RowOperationsTest, ClearEditorLeavesAnEmptyGridReadyForTheNextParcel) {
  EnterFixture();
  editor->txtParcel.SetText("Lot 1");
  prompts.ExpectPopup("mnuPopup", "");
  UserMouseClick(editor->cmdNo(1), forms::vbLeftButton);
  ASSERT_EQ(editor->CurrentRow, 1);
  editor->cmdNo(2).SetBackColor(forms::vbRed);
  Program().ProjectSettings.ArcPos = 3;
  Program().ProjectSettings.ChordPos = 2;

  editor->ClearEditor();
  EXPECT_EQ(editor->txtParcel.Text(), "");
  EXPECT_TRUE(editor->txtParcel.HasFocus());
  for (int k : {0, 1, 2, editor->CourseLimit() - 1}) {
    SCOPED_TRACE(k);
    EXPECT_EQ(Row(k), "L  ");
    EXPECT_EQ(editor->txtArc(k).Text(), "");
    EXPECT_EQ(Sign(k), std::make_pair(0, 2));
    EXPECT_FALSE(editor->frameArc(k).Visible());
    EXPECT_EQ(editor->frameArc(k).Top(), 400 * k);
    EXPECT_EQ(editor->frameLine(k).Top(), 400 * k);
    EXPECT_EQ(editor->cmdNo(k).Top(), 400 * k + 100);
    EXPECT_EQ(editor->cmdNo(k).BackColor(), forms::vbButtonFace);
    EXPECT_EQ(k == 0 ? RowUnlocked(k) : RowLocked(k), true);
    // The arc inputs in the order just set.
    EXPECT_EQ(editor->txtChord(k).Left(), 2160);
  }
  EXPECT_EQ(editor->ArcFieldPosition("txtArc"), 3);
  for (forms::Label* label :
       {&editor->lblArea, &editor->lblClosure, &editor->lblDirection, &editor->lblPrecision}) {
    EXPECT_EQ(label->Caption(), "");
  }
  EXPECT_EQ(editor->CurrentRow, editor->CourseLimit());
  EXPECT_TRUE(editor->CalcEnabled);

  // With the name box hidden the focus stays where it was: the parcel list
  // does not take keys the user typed for another control.
  forms::testing::UserFocus(editor->cmdZoom);
  editor->txtParcel.SetVisible(false);
  editor->cbxParcel.SetVisible(true);
  editor->ClearEditor();
  EXPECT_FALSE(editor->cbxParcel.HasFocus());
  EXPECT_TRUE(editor->cmdZoom.HasFocus());
}

}  // namespace
}  // namespace korvalo::editor::test
