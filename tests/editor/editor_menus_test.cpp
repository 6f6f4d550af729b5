#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor_fixture.h"
#include "platform/forms/testing.h"

// The Edit, View and Report menus and the row pop-up on the real editor
// window, chosen as a user chooses them.
namespace korvalo::editor::test {
namespace {

using forms::testing::UserChooseMenu;
using forms::testing::UserFocus;
using forms::testing::UserMouseClick;
using forms::testing::UserType;

constexpr const char* kMaximum = "The maximum number of courses is 80.";
constexpr const char* kNotFormatted =
    "The bearing is not formatted correctly. Would you like to keep this value?";

class MenusTest : public EditorTest {
 protected:
  // A project open in the Review model with a parcel of three line courses
  // and an arc shown, its course boxes locked, nothing edited.
  void OpenParcel(bool bearing = true) {
    Program().ProjectSettings.Bearing = bearing;
    LoadEditor();
    link->EnableProjectUI(true);
    editor->ClearEditor();
    if (bearing) {
      SetLine(0, "N0dE", "100");
      SetLine(1, "N90dE", "100");
      SetLine(2, "S0dE", "100");
    } else {
      SetLine(0, "0d", "100");
      SetLine(1, "90d", "100");
      SetLine(2, "180d", "100");
    }
    editor->ToggleLineCurve(3);
    editor->chksign(6).SetValue(forms::vbChecked);
    editor->chksign(7).SetValue(forms::vbUnchecked);
    editor->txtBearingArc(3).SetText(Dir(bearing ? "S90dW" : "270d"));
    editor->txtArc(3).SetText("157.08");
    editor->txtChord(3).SetText("100");
    editor->txtRadius(3).SetText("50");
    editor->EnableCourseControls(false);
    editor->SetEditing(false);
  }

  void CloseEditor() {
    editor.reset();
    link.reset();
  }

  // Row k as "L direction distance" or "A direction arc chord radius".
  std::string Row(int k) const {
    if (editor->frameLine(k).Visible()) {
      return "L " + editor->txtBearingLine(k).Text() + " " + editor->txtDistanceLine(k).Text();
    }
    return "A " + editor->txtBearingArc(k).Text() + " " + editor->txtArc(k).Text() + " " +
           editor->txtChord(k).Text() + " " + editor->txtRadius(k).Text();
  }
  std::vector<std::string> Rows(int n) const {
    std::vector<std::string> rows;
    for (int k = 0; k < n; ++k) rows.push_back(Row(k));
    return rows;
  }
  std::string L(const std::string& direction, const std::string& distance) const {
    return "L " + Dir(direction) + " " + distance;
  }
  std::string A(const std::string& direction) const { return "A " + Dir(direction) + " 157.08 100 50"; }

  // Makes row k current as the user's click on its button does, without the
  // pop-up.
  void SelectRow(int k) {
    UserFocus(editor->cmdNo(k));
    ASSERT_EQ(editor->CurrentRow, k);
  }
  // A right click on the row button choosing `item` ("" chooses nothing).
  void PopupOn(int k, const std::string& item) {
    prompts.ExpectPopup("mnuPopup", item);
    UserMouseClick(editor->cmdNo(k), forms::vbRightButton);
  }
};

// ---------------------------------------------------------------------------
// The Edit menu.

TEST_F(MenusTest, OpeningTheEditMenuFollowsTheCurrentRowAndTheEditingState) {
  OpenParcel();
  struct Case {
    int row;  // -1: no row current
    bool editing;
    bool rowItems;
    const char* change;
  };
  const Case cases[] = {
      {-1, false, false, nullptr},
      {-1, true, false, nullptr},
      {1, false, true, "Change to curve"},
      {3, true, true, "Change to line"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << c.row << " editing " << c.editing);
    if (c.row >= 0) {
      SelectRow(c.row);
    } else {
      UserFocus(editor->cbxParcel);
      ASSERT_EQ(editor->CurrentRow, editor->CourseLimit());
    }
    editor->SetEditing(c.editing);
    UserChooseMenu(editor->mnuEdit);
    for (forms::Menu* item : {&editor->mnuDeleteCourse, &editor->mnuInsertBefore, &editor->mnuInsertAfter,
                              &editor->mnuFlipBearing, &editor->mnuChangeLineCurve}) {
      EXPECT_EQ(item->Enabled(), c.rowItems) << item->Name();
    }
    if (c.change) {
      EXPECT_EQ(editor->mnuChangeLineCurve.Caption(), c.change);
    }
    EXPECT_EQ(editor->mnuNorthing.Enabled(), c.editing);
  }
}

TEST_F(MenusTest, TheEditMenusRowItemsActOnTheCurrentRowAndStartEditing) {
  struct Case {
    const char* name;
    forms::Menu FrmEditor::*item;
    int row;
    std::vector<std::string> rows;  // rows 0 to 4 afterwards
  };
  const std::string empty = "L  ";
  const std::vector<Case> cases = {
      {"delete", &FrmEditor::mnuDeleteCourse, 1,
       {L("N0dE", "100"), L("S0dE", "100"), A("S90dW"), empty, empty}},
      {"insert before", &FrmEditor::mnuInsertBefore, 1,
       {L("N0dE", "100"), empty, L("N90dE", "100"), L("S0dE", "100"), A("S90dW")}},
      {"insert after", &FrmEditor::mnuInsertAfter, 1,
       {L("N0dE", "100"), L("N90dE", "100"), empty, L("S0dE", "100"), A("S90dW")}},
      {"flip", &FrmEditor::mnuFlipBearing, 3,
       {L("N0dE", "100"), L("N90dE", "100"), L("S0dE", "100"), A("N90dE"), empty}},
      {"to line", &FrmEditor::mnuChangeLineCurve, 3,
       {L("N0dE", "100"), L("N90dE", "100"), L("S0dE", "100"), L("S90dW", "157.08"), empty}},
      {"to curve", &FrmEditor::mnuChangeLineCurve, 0,
       {"A " + Dir("N0dE") + " 100  ", L("N90dE", "100"), L("S0dE", "100"), A("S90dW"), empty}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenParcel();
    SelectRow(c.row);
    UserChooseMenu(editor->mnuEdit);
    UserChooseMenu((*editor).*c.item);
    EXPECT_EQ(Rows(5), c.rows);
    EXPECT_TRUE(editor->Editing());
    // The figures follow the grid.
    EXPECT_NE(editor->lblClosure.Caption(), "");
    CloseEditor();
  }
}

TEST_F(MenusTest, FlipBearingMarksAManualReversalEvenOnAnEmptyBox) {
  OpenParcel();
  editor->ManualInvert = false;
  SelectRow(4);  // the empty row after the parcel
  UserChooseMenu(editor->mnuEdit);
  UserChooseMenu(editor->mnuFlipBearing);
  EXPECT_EQ(Row(4), "L  ");
  EXPECT_TRUE(editor->ManualInvert);
  EXPECT_TRUE(editor->Editing());
  EXPECT_FALSE(editor->cmdAutoInverse.Enabled());
  EXPECT_TRUE(editor->txtBearingLine(0).Enabled());  // the course boxes unlocked
}

TEST_F(MenusTest, InsertAfterTheLastRowIsRefusedAndChangesNothing) {
  OpenParcel();
  const int last = editor->CourseLimit() - 1;
  editor->txtBearingLine(last - 1).SetText(Dir("N1dE"));
  editor->cmdNo(last).SetEnabled(true);
  const std::vector<std::string> before = Rows(editor->CourseLimit());

  SelectRow(last);
  prompts.ExpectMsgBox(kMaximum, forms::vbOKOnly);
  UserChooseMenu(editor->mnuEdit);
  UserChooseMenu(editor->mnuInsertAfter);
  EXPECT_EQ(prompts.Pending(), 0);

  prompts.ExpectPopup("mnuPopup", "mnuPopInsertAfter");
  prompts.ExpectMsgBox(kMaximum, forms::vbOKOnly);
  UserMouseClick(editor->cmdNo(last), forms::vbRightButton);
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(Rows(editor->CourseLimit()), before);
  EXPECT_FALSE(editor->Editing());
}

TEST_F(MenusTest, InsertAfterRefusedForACourseInTheLastRowLeavesTheEditingStateOff) {
  // The menu item and the pop-up item alike: the refused insert is no edit.
  const std::vector<std::string> items = {"menu", "popup"};
  for (const std::string& item : items) {
    SCOPED_TRACE(item);
    OpenParcel();
    const int last = editor->CourseLimit() - 1;
    editor->cmdNo(last).SetEnabled(true);
    editor->frameLine(last).SetVisible(true);
    editor->txtBearingLine(last).SetText(Dir("N1dE"));
    editor->txtDistanceLine(last).SetText("5");
    editor->EnableCourseControls(false);
    editor->SetEditing(false);
    const std::vector<std::string> before = Rows(editor->CourseLimit());

    if (item == "menu") {
      SelectRow(1);
      prompts.ExpectMsgBox(kMaximum, forms::vbOKOnly);
      UserChooseMenu(editor->mnuEdit);
      UserChooseMenu(editor->mnuInsertAfter);
    } else {
      prompts.ExpectPopup("mnuPopup", "mnuPopInsertAfter");
      prompts.ExpectMsgBox(kMaximum, forms::vbOKOnly);
      UserMouseClick(editor->cmdNo(1), forms::vbRightButton);
    }
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_EQ(Rows(editor->CourseLimit()), before);
    EXPECT_FALSE(editor->Editing());
    EXPECT_FALSE(editor->cmdSave.Enabled());
    EXPECT_TRUE(editor->cmdInsert.Enabled());
    CloseEditor();
  }
}

TEST_F(MenusTest, WithoutACurrentRowTheRowItemsDoNothing) {
  OpenParcel();
  const std::vector<std::string> before = Rows(editor->CourseLimit());
  ASSERT_EQ(editor->CurrentRow, editor->CourseLimit());
  ASSERT_EQ(editor->PopupRow(), editor->CourseLimit());
  // Run directly, as a menu state gone stale would run them.
  const std::vector<std::function<void()>> handlers = {
      [&] { editor->mnuDeleteCourse_Click(); },      [&] { editor->mnuInsertBefore_Click(); },
      [&] { editor->mnuInsertAfter_Click(); },       [&] { editor->mnuFlipBearing_Click(); },
      [&] { editor->mnuChangeLineCurve_Click(); },   [&] { editor->mnuPopDelete_Click(); },
      [&] { editor->mnuPopInsertBefore_Click(); },   [&] { editor->mnuPopInsertAfter_Click(); },
      [&] { editor->mnuPopChangeLineCurve_Click(); }, [&] { editor->mnuPopFlipBearing_Click(); },
  };
  for (const auto& handler : handlers) handler();
  EXPECT_EQ(Rows(editor->CourseLimit()), before);
  EXPECT_FALSE(editor->Editing());
  EXPECT_FALSE(editor->ManualInvert);
}

// ---------------------------------------------------------------------------
// The row pop-up.

TEST_F(MenusTest, ThePopupItemsActOnTheirRowAndUnlockTheCourses) {
  struct Case {
    const char* item;
    int row;
    std::vector<std::string> rows;
  };
  const std::string empty = "L  ";
  const std::vector<Case> cases = {
      {"mnuPopDelete", 0, {L("N90dE", "100"), L("S0dE", "100"), A("S90dW"), empty, empty}},
      {"mnuPopInsertBefore", 2,
       {L("N0dE", "100"), L("N90dE", "100"), empty, L("S0dE", "100"), A("S90dW")}},
      {"mnuPopInsertAfter", 3,
       {L("N0dE", "100"), L("N90dE", "100"), L("S0dE", "100"), A("S90dW"), empty}},
      {"mnuPopChangeLineCurve", 3,
       {L("N0dE", "100"), L("N90dE", "100"), L("S0dE", "100"), L("S90dW", "157.08"), empty}},
      {"mnuPopFlipBearing", 1, {L("N0dE", "100"), L("S90dW", "100"), L("S0dE", "100"), A("S90dW"), empty}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    OpenParcel();
    PopupOn(c.row, c.item);
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_EQ(Rows(5), c.rows);
    EXPECT_TRUE(editor->Editing());
    EXPECT_TRUE(editor->txtDistanceLine(0).Enabled());
    EXPECT_EQ(editor->PopupRow(), editor->CourseLimit());
    CloseEditor();
  }
}

TEST_F(MenusTest, APopupOnARowWithAnInvalidDirectionActsOnThatRow) {
  OpenParcel();
  editor->EnableCourseControls(true);
  UserType(editor->txtBearingLine(1), "9");
  ASSERT_EQ(editor->txtBearingLine(1).Text(), Dir("N90dE") + "9");
  // Leaving the box asks; Yes keeps the text and the box keeps the focus.
  prompts.ExpectMsgBox(kNotFormatted, forms::vbYesNo, forms::vbYes);
  UserFocus(editor->txtDistanceLine(1));
  ASSERT_TRUE(editor->txtBearingLine(1).HasFocus());

  // The right click: the press leaves the box, which asks once; the row
  // button hands the focus straight back to it, and no row is current any
  // more. The pop-up's Delete still deletes the row it was opened on.
  prompts.ExpectMsgBox(kNotFormatted, forms::vbYesNo, forms::vbYes);
  PopupOn(1, "mnuPopDelete");
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(Rows(3), (std::vector<std::string>{L("N0dE", "100"), L("S0dE", "100"), A("S90dW")}));
  EXPECT_EQ(editor->CurrentRow, editor->CourseLimit());
}

// ---------------------------------------------------------------------------
// Restore all to North.

TEST_F(MenusTest, RestoreAllToNorthTurnsBearingsNorthUpToTheFirstIncompleteRow) {
  OpenParcel();
  editor->EnableCourseControls(true);
  editor->SetEditing(true);
  // Row 1 typed in lower case with blanks; row 5 comes after the gap at row 4.
  editor->txtBearingLine(1).SetText(" " + Dir("n90de") + " ");
  SetLine(5, "S10dE", "5");
  UserChooseMenu(editor->mnuEdit);
  ASSERT_TRUE(editor->mnuNorthing.Enabled());
  UserChooseMenu(editor->mnuNorthing);
  EXPECT_EQ(Rows(6), (std::vector<std::string>{L("N0dE", "100"), L("N90dE", "100"), L("N0dW", "100"),
                                               A("N90dE"), "L  ", L("S10dE", "5")}));
  EXPECT_TRUE(editor->ManualInvert);
  EXPECT_FALSE(editor->cmdAutoInverse.Enabled());
  // The figures are those of the turned courses.
  EXPECT_EQ(editor->Result.LastRow, 3);
}

TEST_F(MenusTest, RestoreAllToNorthReversesAzimuthsFrom90UpTo270) {
  struct Case {
    const char* azimuth;
    const char* after;
  };
  const Case cases[] = {
      {"0d10'20\"", "0d10'20\""},   {"89d59'59\"", "89d59'59\""}, {"90d00'00\"", "270d00'00\""},
      {"180d30'00\"", "0d30'00\""}, {"269d15'30\"", "89d15'30\""}, {"270d00'00\"", "270d00'00\""},
  };
  for (bool arc : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.azimuth << (arc ? " arc" : " line"));
      OpenParcel(false);
      editor->SetEditing(true);
      forms::TextBox& box = arc ? editor->txtBearingArc(3) : editor->txtBearingLine(1);
      box.SetText(Dir(c.azimuth));
      UserChooseMenu(editor->mnuEdit);
      UserChooseMenu(editor->mnuNorthing);
      EXPECT_EQ(box.Text(), Dir(c.after));
      // Row 0 (0 degrees) stays; row 2 (180 degrees) turns.
      EXPECT_EQ(editor->txtBearingLine(0).Text(), Dir("0d"));
      EXPECT_EQ(editor->txtBearingLine(2).Text(), Dir("0d'\""));
      CloseEditor();
    }
  }
}

// A direction that does not read in the project's mode is left as it was
// typed, however large its degrees: turning it would lose what was typed.
TEST_F(MenusTest, RestoreAllToNorthLeavesDirectionsThatDoNotRead) {
  struct Case {
    bool bearing;
    const char* typed;
  };
  const Case cases[] = {{true, "q45d0'0\"e"}, {true, "45d0'0\""}, {false, "40000d0'0\""}, {false, "400d0'0\""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    OpenParcel(c.bearing);
    editor->SetEditing(true);
    editor->txtBearingLine(1).SetText(Dir(c.typed));
    UserChooseMenu(editor->mnuEdit);
    UserChooseMenu(editor->mnuNorthing);
    EXPECT_EQ(editor->txtBearingLine(1).Text(), Dir(c.typed));
    // The courses around it are turned all the same.
    EXPECT_EQ(editor->txtBearingLine(2).Text(), Dir(c.bearing ? "N0dW" : "0d'\""));
    EXPECT_EQ(editor->Result.LastRow, 3);
    CloseEditor();
  }
}

// ---------------------------------------------------------------------------
// The View menu.

TEST_F(MenusTest, TheViewMenuNamesTheZoomAndRefreshes) {
  OpenParcel();
  UserChooseMenu(editor->mnuView);
  EXPECT_EQ(editor->mnuSizePicture.Caption(), "Full picture");
  UserChooseMenu(editor->mnuSizePicture);
  EXPECT_EQ(editor->picParcel.Width(), editor->Width());
  UserChooseMenu(editor->mnuView);
  EXPECT_EQ(editor->mnuSizePicture.Caption(), "Normal picture");
  UserChooseMenu(editor->mnuSizePicture);
  EXPECT_EQ(editor->picParcel.Left(), 3870);
  EXPECT_EQ(editor->picParcel.Width(), 2655);

  // Refresh recomputes even after a computation was left switched off.
  editor->CalcEnabled = false;
  editor->lblClosure.SetCaption("");
  UserChooseMenu(editor->mnuRefresh);
  EXPECT_TRUE(editor->CalcEnabled);
  EXPECT_NE(editor->lblClosure.Caption(), "");

  UserChooseMenu(editor->mnuMiniWin);
  EXPECT_EQ(editor->WindowState(), forms::vbMinimized);
}

// ---------------------------------------------------------------------------
// The Report menu.

TEST_F(MenusTest, TheReportMenuKeepsTheEditorsPlaceAndCallsTheOpener) {
  OpenParcel();
  std::vector<FrmEditor::ReportItem> opened;
  editor->Move(300, 450);
  UserChooseMenu(editor->mnuReport);
  EXPECT_EQ(editor->SavedEditorTop, 450);
  EXPECT_EQ(editor->SavedEditorLeft, 300);
  // Without an opener the items do nothing.
  UserChooseMenu(editor->mnuFullReport);
  editor->SetReportOpener([&opened](FrmEditor::ReportItem item) { opened.push_back(item); });
  UserChooseMenu(editor->mnuFullReport);
  UserChooseMenu(editor->mnuSumReport);
  UserChooseMenu(editor->mnuPicReport);
  EXPECT_EQ(opened, (std::vector<FrmEditor::ReportItem>{FrmEditor::ReportItem::Full, FrmEditor::ReportItem::Summary,
                                                        FrmEditor::ReportItem::Picture}));
}

}  // namespace
}  // namespace korvalo::editor::test
