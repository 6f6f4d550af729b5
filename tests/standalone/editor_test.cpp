#include <filesystem>
#include <string>
#include <vector>

#include "common/utf8.h"
#include "editor/course_grid.h"
#include "platform/dao/dao.h"
#include "standalone/editor_layout.h"
#include "standalone_fixture.h"

// The floating editor: its layout on the shared window, the tracking of the
// focused course box, the row deletion that keeps the focus, the scroll
// range and the scrolling to the focused course, the editing switches with
// their menu twins, Save/New, Cancel, the picture and the direction flip.
namespace korvalo::standalone::test {
namespace {

using namespace forms;
using editor::kFocusColour;

std::string Dir(std::string text) { return utf8::ReplaceAll(text, "d", utf8::kDegree); }

// The editor loaded over no project with its controls unlocked as while a
// parcel is edited, and rows 0 to rows - 1 open for entry.
class EditorTest : public StandaloneTest {
 protected:
  void Open(int rows) {
    Load();
    policy->EnableProjectUI(true);
    editor->ClearEditor();
    policy->EnableCourseControls(true);
    for (int k = 0; k < rows; ++k) {
      editor->frameLine(k).SetEnabled(true);
      editor->frameArc(k).SetEnabled(true);
      editor->cmdNo(k).SetEnabled(true);
    }
  }
  void UseArcOrder(int bearing, int arc, int chord, int radius) {
    ProjectSettings& s = Program().ProjectSettings;
    s.BearingPos = bearing;
    s.ArcPos = arc;
    s.ChordPos = chord;
    s.RadiusPos = radius;
  }
};

TEST_F(EditorTest, LayoutIsTheFloatingEditorsOnTheSharedWindow) {
  Load();
  EXPECT_EQ(editor->Caption(), "Korvalo  Editor");
  EXPECT_EQ(editor->cmdSave.Caption(), "&Save/New");
  EXPECT_EQ(&editor->cbxParcel.Parent(), static_cast<Container*>(editor.get()));
  EXPECT_EQ(&editor->cmdZoom.Parent(), static_cast<Container*>(&editor->Frame1));
  // Both the list and the name box are shown; the linked edition's extras
  // are not.
  EXPECT_TRUE(editor->cbxParcel.Visible());
  EXPECT_TRUE(editor->txtParcel.Visible());
  EXPECT_FALSE(editor->txtPrevious.Visible());
  EXPECT_FALSE(editor->frameOptmodel.Visible());
  // The load built 50 rows from the edition's row 0.
  EXPECT_EQ(editor->txtBearingLine.UBound(), 49);
  EXPECT_EQ(editor->txtBearingLine(49).ToolTipText(), editor->txtBearingLine(0).ToolTipText());
  EXPECT_NE(editor->txtBearingLine(49).ToolTipText(), editor->txtChord(49).ToolTipText());
  EXPECT_DOUBLE_EQ(editor->ScrollScale, 1.25);
  EXPECT_EQ(editor->PictureNormalWidth, 2655);
  EXPECT_EQ(editor->PictureNormalHeight, 2655);
  EXPECT_EQ(editor->Width(), 6615);
  EXPECT_EQ(policy->FocusRow, 0);
  EXPECT_EQ(policy->FocusField, 0);
  EXPECT_EQ(policy->CurrentRow, 50);
  EXPECT_EQ(HelpFile(), Program().ProgramFolder + "/VORAVidi.hlp");
  // No menu bar: every menu is the frame's, and the window's inner area is
  // as high as that of a window without menus.
  for (Menu* menu : {&editor->mnuFile, &editor->mnuEdit, &editor->mnuView, &editor->mnuOptions, &editor->mnuReport,
                     &editor->mnuHelpMain, &editor->mnuPopup}) {
    SCOPED_TRACE(menu->Name());
    EXPECT_FALSE(menu->Visible());
  }
  Form plain("plain");
  plain.Move(0, 0, editor->Width(), editor->Height());
  plain.Show();
  EXPECT_EQ(editor->Height() - editor->ScaleHeight(), plain.Height() - plain.ScaleHeight());
}

TEST_F(EditorTest, BadBearingIsToldAndKeptWithItsFocus) {
  Open(1);
  editor->txtBearingLine(0).SetFocus();
  editor->txtBearingLine(0).SetText(Dir("N95d00'00\"E"));
  prompts.ExpectMsgBox(kInvalidBearingNotice, vbOKOnly);
  editor->txtDistanceLine(0).SetFocus();
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(editor->txtBearingLine(0).Text(), Dir("N95d00'00\"E"));
  EXPECT_TRUE(editor->txtBearingLine(0).HasFocus());
  EXPECT_EQ(editor->txtBearingLine(0).BackColor(), kFocusColour);
}

// The row pop-up over a direction that does not read tells it once; the
// direction keeps its text and the focus.
TEST_F(EditorTest, RowPopupOverABadBearingTellsOnce) {
  for (const int pressed : {0, 1}) {
    SCOPED_TRACE(pressed);
    Open(2);
    TextBox& bearing = editor->txtBearingLine(0);
    bearing.SetFocus();
    bearing.SetText(Dir("N95d00'00\"E"));
    const std::size_t shown = prompts.Seen().size();
    prompts.ExpectMsgBox(kInvalidBearingNotice, vbOKOnly);
    prompts.ExpectPopup("mnuPopup", "");
    testing::UserMouseClick(editor->cmdNo(pressed), vbRightButton);
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_EQ(prompts.Seen().size(), shown + 2);
    EXPECT_EQ(bearing.Text(), Dir("N95d00'00\"E"));
    EXPECT_TRUE(bearing.HasFocus());
    EXPECT_EQ(policy->FocusRow, 1);
    EXPECT_EQ(policy->FocusField, 1);
    EXPECT_EQ(editor->mnuPopChangeLineCurve.Caption(), "Change to curve");
    CloseWindows();
  }
}

// ---------------------------------------------------------------------------
// The focused box.

TEST_F(EditorTest, FocusedFieldFollowsTheCourseBoxes) {
  UseArcOrder(1, 4, 2, 3);  // bearing, chord, radius, arc
  Open(3);
  editor->ToggleLineCurve(2);
  struct Step {
    const char* what;
    Control* focus;
    int row, field, current;
    TextBox* green;     // the box that shows the highlight, if any
    TextBox* normal;    // a box that lost it
  };
  TextBox& bearing0 = editor->txtBearingLine(0);
  TextBox& distance0 = editor->txtDistanceLine(0);
  const std::vector<Step> steps = {
      {"direction box", &bearing0, 1, 1, 0, &bearing0, nullptr},
      {"distance of the same row", &distance0, 1, 2, 0, &distance0, &bearing0},
      {"again, nothing changes", &distance0, 1, 2, 0, &distance0, nullptr},
      {"name box", &editor->txtParcel, 0, 2, 50, &editor->txtParcel, &distance0},
      {"chord of an arc row", &editor->txtChord(2), 3, 2, 2, &editor->txtChord(2), &editor->txtParcel},
      {"arc length, last in the order", &editor->txtArc(2), 3, 4, 2, &editor->txtArc(2), &editor->txtChord(2)},
      {"arc direction", &editor->txtBearingArc(2), 3, 1, 2, &editor->txtBearingArc(2), &editor->txtArc(2)},
      {"a row button", &editor->cmdNo(1), 3, 1, 1, &editor->txtBearingArc(2), nullptr},
      {"a parcel button", &editor->cmdZoom, 3, 1, 1, &editor->txtBearingArc(2), nullptr},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.focus->SetFocus();
    EXPECT_EQ(policy->FocusRow, s.row);
    EXPECT_EQ(policy->FocusField, s.field);
    EXPECT_EQ(policy->CurrentRow, s.current);
    if (s.green) {
      EXPECT_EQ(s.green->BackColor(), kFocusColour);
    }
    if (s.normal) {
      EXPECT_EQ(s.normal->BackColor(), vbWindowBackground);
    }
  }
}

// ---------------------------------------------------------------------------
// Deleting a row keeps the focus on its course.

TEST_F(EditorTest, DeletingARowKeepsTheFocusOnItsCourse) {
  struct Order {
    const char* what;
    int bearing, arc, chord, radius;
  };
  struct Case {
    const char* what;
    int deleted;
    int focusRow;   // FocusRow afterwards
    int courseRow;  // where the focused course stands afterwards
    bool focusMoved;
    bool green;     // its box keeps the highlight
  };
  const Order orders[] = {{"shipped order", 1, 2, 3, 4}, {"chord second", 1, 4, 2, 3}};
  const Case cases[] = {
      {"a row well above", 2, 5, 4, true, true},
      {"the row directly above", 4, 5, 4, true, false},
      {"the focused row", 5, 6, 5, false, false},
      {"a row below", 7, 6, 5, false, true},
  };
  for (const bool arc : {false, true}) {
    for (const Order& o : orders) {
      for (const Case& c : cases) {
        SCOPED_TRACE(std::string(arc ? "arc, " : "line, ") + o.what + ", " + c.what);
        UseArcOrder(o.bearing, o.arc, o.chord, o.radius);
        Open(9);
        for (int k = 0; k < 9; ++k) {
          editor->txtBearingLine(k).SetText(Dir("N10dE"));
          editor->txtDistanceLine(k).SetText(std::to_string(100 + k));
        }
        // The focused course: row 5's distance, or the chord of an arc.
        if (arc) editor->ToggleLineCurve(5);
        const auto box = [&](int k) -> TextBox& {
          return arc ? editor->txtChord(k) : editor->txtDistanceLine(k);
        };
        box(5).SetText("555");
        box(5).SetFocus();
        const int field = policy->FocusField;
        ASSERT_EQ(field, arc ? o.chord : 2);

        editor->Delete_Proc(c.deleted);

        EXPECT_EQ(policy->FocusRow, c.focusRow);
        EXPECT_EQ(policy->FocusField, field);
        if (c.deleted != 5) {
          EXPECT_EQ(box(c.courseRow).Text(), "555");
          EXPECT_EQ(editor->frameArc(c.courseRow).Visible(), arc);
          EXPECT_EQ(box(c.courseRow).BackColor() == kFocusColour, c.green);
        }
        if (c.focusMoved) {
          EXPECT_TRUE(box(c.courseRow).HasFocus());
          EXPECT_EQ(policy->CurrentRow, c.courseRow);
          EXPECT_EQ(box(c.courseRow + 1).BackColor(), vbWindowBackground);
        }
        // The freed last row is an empty line row in the normal colour.
        EXPECT_TRUE(editor->frameLine(49).Visible());
        EXPECT_EQ(editor->txtDistanceLine(49).BackColor(), vbWindowBackground);
        CloseWindows();
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Scrolling.

TEST_F(EditorTest, ScrollRangeIsTheFilledGridsWhileTheBarHasTheFocus) {
  struct Case {
    const char* what;
    int rows;
    bool arcs;
    int max;
  };
  const Case cases[] = {
      {"row 0 alone", 1, false, 50},
      {"every row a line", 50, false, 15360},
      {"every row an arc", 50, true, 32000},
      {"ten line rows", 10, false, 2560},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open(c.rows);
    if (c.arcs) {
      for (int k = 0; k < 50; ++k) editor->ToggleLineCurve(k);
    }
    editor->VScroll1.SetFocus();
    EXPECT_EQ(editor->VScroll1.Max(), c.max);
    editor->cmdZoom.SetFocus();
    EXPECT_EQ(editor->VScroll1.Max(), 32000);
    CloseWindows();
  }
}

TEST_F(EditorTest, GotoFocusLineBringsTheFocusedCourseIntoView) {
  struct Case {
    const char* what;
    int enabledRows;
    bool arcs;
    int focusRow;  // 0-based row of the focused distance box
    int value;
  };
  const Case cases[] = {
      {"row 0", 50, false, 0, 0},
      {"row 3", 50, false, 3, 0},
      {"row 10", 50, false, 10, 2240},
      {"row 10 beyond the open rows", 6, false, 10, 640},
      {"last row of arcs", 50, true, 49, 30720},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open(c.enabledRows);
    if (c.arcs) {
      for (int k = 0; k < 50; ++k) editor->ToggleLineCurve(k);
      editor->frameArc(c.focusRow).SetEnabled(true);
      editor->txtRadius(c.focusRow).SetFocus();
    } else {
      editor->frameLine(c.focusRow).SetEnabled(true);
      editor->txtDistanceLine(c.focusRow).SetFocus();
    }
    policy->GotoFocusLine();
    EXPECT_EQ(editor->VScroll1.Value(), c.value);
    // The rows moved with the value.
    EXPECT_EQ(editor->frameLine(0).Top(), -static_cast<int>(c.value * 1.25));
    CloseWindows();
  }
}

// ---------------------------------------------------------------------------
// The editing switches.

TEST_F(EditorTest, SetEditingSwitchesEveryButtonWithItsMenuTwin) {
  Open(1);
  struct Twin {
    const char* what;
    Control& button;
    Menu* twin;
    bool whenEditing;   // enabled while editing
    bool whenBrowsing;  // enabled while browsing
    bool deleteRule;    // follows NewParcel instead
  };
  const std::vector<Twin> twins = {
      {"Edit", editor->cmdEdit, &main->mnuEditMode, false, true, false},
      {"Save", editor->cmdSave, &main->mnuSaveParcel, true, false, false},
      {"Cancel", editor->cmdCancel, &main->mnuCancelParcel, true, false, false},
      {"Auto", editor->cmdAutoInverse, nullptr, true, false, false},
      {"New", editor->cmdInsert, &main->mnuInsertParcel, false, true, false},
      {"Delete", editor->cmdDelete, &main->mnuDeleteParcel, false, false, true},
      {"list", editor->cbxParcel, nullptr, false, true, false},
      {"Previous", editor->cmdPrevious, nullptr, false, true, false},
      {"Next", editor->cmdNext, nullptr, false, true, false},
  };
  for (const bool on : {true, false}) {
    for (const bool newParcel : {true, false}) {
      editor->NewParcel = newParcel;
      // Through the shared editor's switch, as its commands and clicks call it.
      editor->SetEditing(on);
      for (const Twin& t : twins) {
        SCOPED_TRACE(std::string(t.what) + (on ? " editing" : " browsing") + (newParcel ? ", new" : ""));
        const bool want = t.deleteRule ? !newParcel : (on ? t.whenEditing : t.whenBrowsing);
        EXPECT_EQ(t.button.Enabled(), want);
        if (t.twin) {
      EXPECT_EQ(t.twin->Enabled(), want);
    }
      }
      EXPECT_EQ(editor->mnuPopEdit.Enabled(), !on);
      EXPECT_EQ(editor->cbxParcel.BackColor(), on ? vbMenuBar : vbWindowBackground);
    }
  }
  // A click in a course box is the same switch.
  editor->NewParcel = false;
  editor->SetEditing(false);
  editor->txtDistanceLine.OnClick(0);
  EXPECT_TRUE(editor->cmdSave.Enabled());
  EXPECT_TRUE(main->mnuSaveParcel.Enabled());
  EXPECT_FALSE(main->mnuInsertParcel.Enabled());
}

TEST_F(EditorTest, CancelLeavesNothingSelectedAndTheHighlightGone) {
  Open(2);
  editor->cmdInsert_Click();
  EXPECT_TRUE(editor->txtParcel.HasFocus());
  editor->txtParcel.SetText("Lot 9");
  editor->txtDistanceLine(0).SetFocus();
  editor->txtDistanceLine(0).SetText("12");
  editor->ManualInvert = true;

  editor->cmdCancel.OnClick(0);

  EXPECT_EQ(editor->txtDistanceLine(0).BackColor(), vbWindowBackground);
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "");
  EXPECT_EQ(editor->txtParcel.Text(), "");
  EXPECT_EQ(editor->cbxParcel.Text(), "");
  EXPECT_EQ(editor->cbxParcel.ListIndex(), -1);
  EXPECT_FALSE(editor->NewParcel);
  EXPECT_FALSE(editor->ManualInvert);
  EXPECT_FALSE(editor->Editing());
  for (const Control* off : std::vector<const Control*>{&editor->txtParcel, &editor->txtBearingLine(0),
                                                        &editor->txtDistanceLine(1), &editor->chksign(0),
                                                        &editor->cmdDelete, &editor->cmdEdit, &editor->cmdSave}) {
    EXPECT_FALSE(off->Enabled()) << off->Name();
  }
  EXPECT_FALSE(main->mnuDeleteParcel.Enabled());
  EXPECT_FALSE(main->mnuEditMode.Enabled());
  EXPECT_FALSE(editor->mnuPopEdit.Enabled());
  EXPECT_TRUE(editor->cmdInsert.Enabled());
  EXPECT_TRUE(main->mnuInsertParcel.Enabled());
  EXPECT_TRUE(editor->cbxParcel.Enabled());
}

TEST_F(EditorTest, SizePictureTwiceGivesTheThumbnailBack) {
  Open(1);
  editor->picParcel.OnDblClick(0);
  EXPECT_EQ(editor->picParcel.Left(), 0);
  EXPECT_EQ(editor->picParcel.Width(), editor->Width());
  EXPECT_EQ(editor->picParcel.Height(), editor->ScaleHeight());
  EXPECT_EQ(editor->picParcel.ToolTipText(), "Double Click to restore normal view");
  // Whatever the editor's size meanwhile.
  editor->SetHeight(editor->Height() + 1200);
  editor->cmdZoom.OnClick(0);
  EXPECT_EQ(editor->picParcel.Left(), kPictureThumbnailLeft);
  EXPECT_EQ(editor->picParcel.Top(), 0);
  EXPECT_EQ(editor->picParcel.Width(), 2655);
  EXPECT_EQ(editor->picParcel.Height(), 2655);
  EXPECT_EQ(editor->picParcel.ToolTipText(), "Double click to zoom in");
}

TEST_F(EditorTest, FlipBearing) {
  struct Case {
    const char* what;
    bool nameBox;
    std::string before;
    std::string after;
    bool acts;
  };
  const Case cases[] = {
      {"a direction", false, Dir("N45d10'00\"E"), Dir("S45d10'00\"W"), true},
      {"an empty box", false, "", "", true},
      {"from the name box", true, Dir("N45d10'00\"E"), Dir("N45d10'00\"E"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open(1);
    Program().ProjectSettings.Bearing = true;
    editor->txtBearingLine(0).SetText(c.before);
    policy->EnableCourseControls(false);
    policy->SetEditing(false);
    policy->CurrentRow = 0;
    if (c.nameBox) {
      policy->EnableCourseControls(true);
      editor->txtParcel.SetFocus();
    }
    editor->ManualInvert = false;
    policy->FlipBearing();
    EXPECT_EQ(editor->txtBearingLine(0).Text(), c.after);
    EXPECT_EQ(editor->ManualInvert, c.acts);
    EXPECT_EQ(editor->Editing(), c.acts);
    if (!c.nameBox) {
      EXPECT_EQ(editor->txtBearingLine(0).Enabled(), c.acts);
    }
    CloseWindows();
  }
}

// A full grid refuses an insertion from the row's pop-up: the courses, the
// last one included, and the editing state stay as they were.
TEST_F(EditorTest, InsertOnAFullGridChangesNothing) {
  Open(50);
  for (int k = 0; k < 50; ++k) {
    editor->txtBearingLine(k).SetText(Dir("N10dE"));
    editor->txtDistanceLine(k).SetText(std::to_string(k + 1));
  }
  policy->EnableCourseControls(false);
  policy->SetEditing(false);
  const auto popup = [this](int row, const char* item, bool refused) {
    prompts.ExpectPopup("mnuPopup", item);
    if (refused) prompts.ExpectMsgBox("The maximum number of courses is 50.", vbOKOnly);
    testing::UserMouseClick(editor->cmdNo(row), vbRightButton);
  };
  struct Case {
    const char* what;
    const char* item;
    int row;
  };
  const Case cases[] = {{"Insert before", "mnuPopInsertBefore", 3},
                        {"Insert After", "mnuPopInsertAfter", 3},
                        {"Insert After on the last row", "mnuPopInsertAfter", 49}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    popup(c.row, c.item, true);
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_EQ(editor->txtDistanceLine(49).Text(), "50");
    EXPECT_EQ(editor->txtDistanceLine(3).Text(), "4");
    EXPECT_FALSE(editor->Editing());
    EXPECT_FALSE(editor->txtDistanceLine(0).Enabled());
  }
  // With room, the row opens and the parcel is being edited.
  editor->txtDistanceLine(49).SetText("");
  editor->txtBearingLine(49).SetText("");
  popup(3, "mnuPopInsertBefore", false);
  EXPECT_EQ(editor->txtDistanceLine(3).Text(), "");
  EXPECT_EQ(editor->txtDistanceLine(4).Text(), "4");
  EXPECT_TRUE(editor->Editing());
  EXPECT_TRUE(main->mnuSaveParcel.Enabled());
  EXPECT_TRUE(editor->txtDistanceLine(0).Enabled());
}

// The pop-up's Flip bearing flips the row it was opened on and leaves the
// Auto button as it was.
TEST_F(EditorTest, PopupFlipLeavesAutoAsItWas) {
  Open(2);
  Program().ProjectSettings.Bearing = true;
  editor->txtBearingLine(1).SetText(Dir("N45d10'00\"E"));
  editor->cmdAutoInverse.SetEnabled(true);
  prompts.ExpectPopup("mnuPopup", "mnuPopFlipBearing");
  testing::UserMouseClick(editor->cmdNo(1), vbRightButton);
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(editor->txtBearingLine(1).Text(), Dir("S45d10'00\"W"));
  EXPECT_TRUE(editor->ManualInvert);
  EXPECT_TRUE(editor->Editing());
  EXPECT_TRUE(editor->cmdAutoInverse.Enabled());
}

// ---------------------------------------------------------------------------
// Save/New over a project.

class SaveTest : public StandaloneProjectTest {
 protected:
  void EnterSquare(const std::string& eastSide) {
    const auto line = [this](int k, const char* direction, const std::string& distance) {
      editor->frameLine(k).SetEnabled(true);
      editor->txtBearingLine(k).SetText(Dir(direction));
      editor->txtDistanceLine(k).SetText(distance);
    };
    line(0, "N0dE", "100");
    line(1, "N90dE", eastSide);
    line(2, "S0dE", "100");
    line(3, "S90dW", "100");
  }
};

TEST_F(SaveTest, SaveNewSavesAndStartsTheNextParcel) {
  struct Case {
    const char* what;
    std::string eastSide;  // empty: nothing entered
    double tolerance;
    bool asked;
    int answer;
    bool saved;
  };
  const Case cases[] = {
      {"no closure", "", 0.05, false, vbNo, false},
      {"closure equal to the tolerance", "100.05", 0.05, false, vbNo, true},
      {"closure above the tolerance, No", "100.05", 0.04, true, vbNo, false},
      {"closure above the tolerance, Yes", "100.05", 0.04, true, vbYes, true},
  };
  int lot = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenProject();
    const int stored = editor->cbxParcel.ListCount();
    const std::string name = "Lot " + std::to_string(++lot);
    Program().ProjectSettings.ClosureTolerance = c.tolerance;
    editor->cmdInsert.OnClick(0);
    editor->txtParcel.SetText(name);
    if (!c.eastSide.empty()) EnterSquare(c.eastSide);
    editor->txtDistanceLine(0).SetFocus();
    if (c.eastSide.empty()) {
      prompts.ExpectMsgBox("There is no valid parcel to save.", vbOKOnly + vbExclamation, vbOK, "Korvalo");
    } else if (c.asked) {
      prompts.ExpectMsgBox("This parcel has failed the closure tolerance. Would you like to save?", vbYesNo,
                           c.answer);
    }
    editor->cmdSave.OnClick(0);
    EXPECT_EQ(prompts.Pending(), 0);
    // The focused box lost its highlight either way.
    EXPECT_NE(editor->txtDistanceLine(0).BackColor(), kFocusColour);
    EXPECT_EQ(editor->cbxParcel.ListCount(), stored + (c.saved ? 1 : 0));
    // Still editing a new parcel: the next one after a save, else this one.
    EXPECT_TRUE(editor->NewParcel);
    EXPECT_TRUE(editor->Editing());
    EXPECT_EQ(editor->txtParcel.Text(), c.saved ? "" : name);
    if (c.saved) {
      EXPECT_TRUE(editor->txtParcel.HasFocus());
      EXPECT_EQ(editor->txtDistanceLine(0).Text(), "");
      EXPECT_FALSE(main->mnuDeleteParcel.Enabled());
    }
    CloseWindows();
  }
}

// Ending the program while a parcel is being edited offers it for saving
// after the exit question, from either window: Yes saves it (and the program
// ends), No ends without it, Cancel keeps the program and the parcel.
TEST_F(SaveTest, ExitWhileEditingOffersTheParcelForSaving) {
  struct Case {
    const char* what;
    bool fromFrame;
    int answer;
    bool ends;
    int stored;
  };
  const Case cases[] = {{"frame, Yes", true, vbYes, true, 1},   {"frame, No", true, vbNo, true, 0},
                        {"frame, Cancel", true, vbCancel, false, 0}, {"editor, Yes", false, vbYes, true, 1},
                        {"editor, Cancel", false, vbCancel, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetStandaloneState();
    std::filesystem::remove(project);
    ASSERT_TRUE(CreateProjectDatabase(dir.Path() + "/", "Lots", dir.File("Lots.dwg")));
    OpenProject();
    editor->cmdInsert.OnClick(0);
    editor->txtParcel.SetText("Lot 9");
    EnterSquare("100");
    prompts.ExpectMsgBox("Exit Korvalo?", vbYesNo, vbYes, "Korvalo");
    prompts.ExpectMsgBox("Would you like to save the current parcel?", vbYesNoCancel, c.answer);
    testing::UserClose(c.fromFrame ? static_cast<Form&>(*main) : static_cast<Form&>(*editor));
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_EQ(main->Loaded(), !c.ends);
    EXPECT_EQ(editor->Loaded(), !c.ends);
    EXPECT_EQ(Standalone().ExitConfirmed, c.ends);
    if (!c.ends) {
      EXPECT_EQ(editor->txtParcel.Text(), "Lot 9");
      EXPECT_TRUE(editor->Editing());
    }
    {
      dao::Database db = dao::Database::Open(project);
      dao::Recordset rs = db.OpenRecordset("SELECT COUNT(*) AS n FROM tblParcel", dao::RecordsetType::Snapshot);
      EXPECT_EQ(dao::AsLong(rs.Get("n")), c.stored);
    }
    CloseWindows();
  }
}

TEST_F(SaveTest, SavingAStoredParcelEndsInBrowsing) {
  OpenProject();
  editor->cmdInsert.OnClick(0);
  editor->txtParcel.SetText("Lot 1");
  EnterSquare("100");
  editor->cmdSave.OnClick(0);
  editor->cmdCancel.OnClick(0);
  policy->Show_Parcels();
  ASSERT_EQ(editor->cbxParcel.ListIndex(), 0);
  EXPECT_EQ(editor->txtDistanceLine(1).Text(), "100");
  EXPECT_FALSE(editor->Editing());

  editor->cmdEdit.OnClick(0);
  EXPECT_TRUE(editor->Editing());
  EXPECT_TRUE(editor->txtDistanceLine(1).Enabled());
  editor->txtDistanceLine(1).SetText("100.00");
  // The name is given in the name box, as the list shows it.
  editor->txtParcel.SetText(editor->cbxParcel.Text());
  editor->ManualInvert = true;
  editor->cmdSave_Click();

  EXPECT_FALSE(editor->Editing());
  EXPECT_FALSE(editor->NewParcel);
  EXPECT_FALSE(editor->ManualInvert);
  EXPECT_FALSE(editor->txtDistanceLine(1).Enabled());
  EXPECT_TRUE(editor->cmdDelete.Enabled());
  EXPECT_TRUE(main->mnuDeleteParcel.Enabled());
  EXPECT_EQ(editor->cbxParcel.ListCount(), 1);
}

// Save of a stored parcel takes its name from the name box: the list's
// name updates it, another name renames it, an empty box or the name of
// another parcel is refused and stores nothing.
TEST_F(SaveTest, AStoredParcelIsNamedInTheNameBox) {
  struct Case {
    const char* what;
    std::string typed;
    std::string message;  // empty: saved
    std::vector<std::string> stored;
  };
  const Case cases[] = {
      {"the list's name", "Block 7", "", {"Block 7", "Block 9"}},
      {"a new name", "Block 8", "", {"Block 8", "Block 9"}},
      {"no name", "", "You cannot save without parcel name.", {"Block 7", "Block 9"}},
      {"another parcel's name", "Block 9",
       "The lot Block 9 already exists. Please rename the parcel then try to save again.", {"Block 7", "Block 9"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(project);
    ASSERT_TRUE(CreateProjectDatabase(dir.Path() + "/", "Lots", dir.File("Lots.dwg")));
    OpenProject();
    for (const char* name : {"Block 7", "Block 9"}) {
      editor->cmdInsert.OnClick(0);
      editor->txtParcel.SetText(name);
      EnterSquare("100");
      editor->cmdSave.OnClick(0);
    }
    editor->cmdCancel.OnClick(0);
    policy->Show_Parcels();
    ASSERT_EQ(editor->cbxParcel.Text(), "Block 7");
    const long id = editor->cbxParcel.ItemData(0);

    editor->cmdEdit.OnClick(0);
    editor->txtDistanceLine(1).SetText("100.00");
    testing::UserType(editor->txtParcel, c.typed);
    if (!c.message.empty()) prompts.ExpectMsgBox(c.message, vbOKOnly);
    editor->cmdSave.OnClick(0);
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_EQ(editor->Editing(), !c.message.empty());
    std::vector<std::string> names;
    for (int i = 0; i < editor->cbxParcel.ListCount(); ++i) names.push_back(editor->cbxParcel.List(i));
    EXPECT_EQ(names, c.stored);
    // The parcel edited keeps its id and its courses under either name.
    {
      dao::Database db = dao::Database::Open(project);
      dao::Recordset rs = db.OpenRecordset(
          "SELECT p.Parcel AS name, COUNT(m.RowNo) AS courses FROM tblParcel p JOIN tblMeasurements m "
          "ON m.ParcelID = p.ParcelID WHERE p.ParcelID = " + std::to_string(id) + " GROUP BY p.Parcel",
          dao::RecordsetType::Snapshot);
      ASSERT_FALSE(rs.Eof());
      EXPECT_EQ(dao::AsText(rs.Get("name")), c.message.empty() ? c.typed : "Block 7");
      EXPECT_EQ(dao::AsLong(rs.Get("courses")), 4);
    }
    CloseWindows();
  }
}

// Auto is on while a parcel is edited, also with the Auto invert setting
// on, and turns the course that runs back into the figure.
TEST_F(SaveTest, AutoInvertsTheParcelBeingEdited) {
  for (const bool autoInvertSetting : {false, true}) {
    SCOPED_TRACE(autoInvertSetting);
    OpenProject();
    Program().ProjectSettings.Bearing = true;
    Program().ProjectSettings.AutoInvert = autoInvertSetting;
    EXPECT_FALSE(editor->cmdAutoInverse.Enabled());
    editor->cmdInsert.OnClick(0);
    editor->txtParcel.SetText("Lot 4");
    EnterSquare("100");
    editor->txtBearingLine(1).SetText(Dir("S90dW"));
    ASSERT_TRUE(editor->cmdAutoInverse.Enabled());
    testing::UserClick(editor->cmdAutoInverse);
    EXPECT_EQ(editor->txtBearingLine(1).Text(), Dir("N90dE"));
    EXPECT_EQ(editor->lblClosure.Caption(), "0");
    // Inverted by hand, the parcel stays as the user made it.
    testing::UserClick(editor->cmdLineInvert(1));
    EXPECT_TRUE(editor->cmdAutoInverse.Enabled());
    testing::UserClick(editor->cmdAutoInverse);
    EXPECT_EQ(editor->txtBearingLine(1).Text(), Dir("S90dW"));
    editor->cmdCancel.OnClick(0);
    EXPECT_FALSE(editor->cmdAutoInverse.Enabled());
    CloseWindows();
  }
}

TEST_F(SaveTest, ShowParcelsOnAProjectWithoutParcelsLeavesEditOff) {
  OpenProject();
  EXPECT_EQ(editor->cbxParcel.ListCount(), 0);
  EXPECT_FALSE(editor->Editing());
  EXPECT_FALSE(editor->cmdEdit.Enabled());
  EXPECT_TRUE(editor->cmdInsert.Enabled());
}

}  // namespace
}  // namespace korvalo::standalone::test
