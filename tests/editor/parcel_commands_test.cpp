#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "geometry/auto_invert.h"
#include "parcel_editor_fixture.h"
#include "platform/forms/testing.h"

// The parcel commands and the two modes through the real editor window over a
// real project: the editing state, the mode switches and the link's answers,
// New, Edit, Save, Cancel, Delete, the list and its stepping, Auto and the
// invert buttons, the zoom, activation and unload.
namespace korvalo::editor::test {
namespace {

using forms::vbChecked;
using forms::vbCritical;
using forms::vbExclamation;
using forms::vbNo;
using forms::vbOKOnly;
using forms::vbYes;
using forms::vbYesNo;

constexpr const char* kSaveQuestion = "Would you like to save the current parcel?";
constexpr const char* kClosureQuestion = "This parcel has failed the closure tolerance. Would you like to save?";
constexpr const char* kDeleteQuestion = "Are you sure you want to delete the current parcel?";

// Keys typed into the window as the keyboard delivers them: to the widget
// that has the window's focus, else to the window itself.
void TypeAtTheFocus(QWidget* window, const std::string& text) {
  for (const char c : text) {
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    const QString key(QChar::fromLatin1(c));
    QKeyEvent press(QEvent::KeyPress, key.toUpper().at(0).unicode(), Qt::NoModifier, key);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key.toUpper().at(0).unicode(), Qt::NoModifier, key);
    QApplication::sendEvent(target, &release);
  }
}

// The colour the widget shows at a point (its middle by default).
std::string PixelOf(forms::Control& control, int x = -1, int y = -1) {
  forms::DoEvents();
  QWidget* w = control.Widget();
  if (!w) return "no widget";
  const QImage image = w->grab().toImage();
  return image.pixelColor(x < 0 ? image.width() / 2 : x, y < 0 ? image.height() / 2 : y).name().toStdString();
}

// ---------------------------------------------------------------------------
// The editing state.

TEST_F(ParcelEditorTest, SetEditingSwitchesTheCommandsByModeNewParcelAndAutoInvert) {
  LoadEditor();
  struct Case {
    bool grab, editing, newParcel, autoInvert;
  };
  for (bool grab : {false, true}) {
    for (bool editing : {false, true}) {
      for (bool newParcel : {false, true}) {
        for (bool autoInvert : {false, true}) {
          SCOPED_TRACE(testing::Message() << "grab " << grab << " editing " << editing << " new " << newParcel
                                          << " autoInvert " << autoInvert);
          // No project is open: selecting an option only selects it.
          editor->optmodel(grab ? 0 : 1).SetValue(true);
          ASSERT_EQ(editor->GrabMode(), grab);
          editor->NewParcel = newParcel;
          Program().ProjectSettings.AutoInvert = autoInvert;
          // What grab mode leaves alone keeps a marker value.
          editor->cmdEdit.SetEnabled(true);
          editor->cmdDelete.SetEnabled(true);
          editor->mnuDeleteParcel.SetEnabled(true);
          editor->SetEditing(editing);

          EXPECT_EQ(editor->Editing(), editing);
          EXPECT_EQ(editor->cmdSave.Enabled(), editing);
          EXPECT_EQ(editor->cmdCancel.Enabled(), editing);
          EXPECT_EQ(editor->mnuSaveParcel.Enabled(), editing);
          EXPECT_EQ(editor->mnuCancelParcel.Enabled(), editing);
          EXPECT_EQ(editor->cmdAutoInverse.Enabled(), editing && !autoInvert);
          EXPECT_EQ(editor->txtCover.Visible(), editing);
          EXPECT_EQ(editor->cmdInsert.Enabled(), !editing);
          EXPECT_EQ(editor->mnuInsertParcel.Enabled(), !editing);
          EXPECT_EQ(editor->frameOptmodel.Enabled(), !editing);
          EXPECT_EQ(editor->cmdEdit.Enabled(), grab || !editing);
          EXPECT_EQ(editor->cmdDelete.Enabled(), grab || !newParcel);
          EXPECT_EQ(editor->mnuDeleteParcel.Enabled(), grab || !newParcel);
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------
// The modes.

TEST_F(ParcelEditorTest, TheGrabSwitchFollowsTheLinkStatus) {
  LoadEditor();
  OpenProject();
  StoreSquare("Lot 1");
  for (int status : {0, 1, 2, 3}) {
    SCOPED_TRACE(status);
    editor->optmodel(1).SetValue(true);
    link.calls.clear();
    link.status = status;
    editor->mnuCurrentCAD.SetEnabled(status != 0);
    editor->optmodel(0).SetValue(true);
    EXPECT_EQ(link.calls, std::vector<std::string>{"ConnectCAD"});
    const bool linked = status < 2;
    EXPECT_EQ(editor->GrabMode(), linked);
    EXPECT_EQ(editor->mnuCurrentCAD.Enabled(), status == 0);
    EXPECT_EQ(editor->txtParcel.Visible(), linked);
    EXPECT_EQ(editor->cbxParcel.Visible(), !linked);
    EXPECT_FALSE(editor->Editing());
    EXPECT_EQ(editor->txtBearingLine(0).Enabled(), linked);
    if (linked) {
      for (const forms::CommandButton* off : {&editor->cmdEdit, &editor->cmdInsert, &editor->cmdPrevious,
                                              &editor->cmdNext, &editor->cmdDelete}) {
        EXPECT_FALSE(off->Enabled()) << off->Name();
      }
      EXPECT_FALSE(editor->mnuDeleteParcel.Enabled());
      EXPECT_EQ(editor->txtBearingLine(0).Text(), "");
    } else {
      // Back in the Review model with the first parcel shown.
      EXPECT_EQ(editor->cbxParcel.ListIndex(), 0);
      EXPECT_EQ(editor->txtBearingLine(0).Text(), Dir("N0dE"));
      EXPECT_TRUE(editor->cmdEdit.Enabled());
    }
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ParcelEditorTest, SwitchingToReviewOffersToSaveAGrabbedParcel) {
  struct Case {
    bool arc;
    int sign;  // for the arc: 0 "+", 2 not confirmed
    int answer;
    bool asked;
    bool stored;
  };
  const Case cases[] = {
      {false, 0, vbYes, true, true},
      {false, 0, vbNo, true, false},
      {true, 0, vbYes, true, true},
      {true, 2, vbYes, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "arc " << c.arc << " sign " << c.sign << " answer " << c.answer);
    LoadEditor();
    OpenProject();
    link.status = 0;
    editor->optmodel(0).SetValue(true);
    ASSERT_TRUE(editor->GrabMode());
    editor->txtParcel.SetText("Picked");
    if (c.arc) {
      SetArc(0, "N45dE", "104.72", "100", "100", c.sign);
    } else {
      SetLine(0, "N0dE", "100");
    }
    SetLine(1, "N90dE", "100");
    boxes.clear();
    if (c.asked) answers.push_back(c.answer);
    editor->optmodel(1).SetValue(true);
    EXPECT_FALSE(editor->GrabMode());
    std::vector<Box> expected;
    if (c.asked) expected.push_back({kSaveQuestion, vbYesNo});
    EXPECT_EQ(boxes, expected);
    EXPECT_EQ(ListTexts(), c.stored ? std::vector<std::string>{"Picked"} : std::vector<std::string>{});
    editor.reset();
    std::filesystem::remove(Program().ProjectPath);
  }
}

TEST_F(ParcelEditorTest, AGrabbedParcelThatFailsItsChecksIsReportedAndTheSwitchGoesOn) {
  LoadEditor();
  OpenProject();
  editor->optmodel(0).SetValue(true);
  // A name and a first course, but a direction that is no direction.
  editor->txtParcel.SetText("Bad");
  SetLine(0, "N0dE", "100");
  SetLine(1, "N99dE", "100");
  editor->optmodel(1).SetValue(true);
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes.front(), (Box{kSaveQuestion, vbYesNo}));
  EXPECT_EQ(boxes.back(), (Box{"Sorry, you cannot save this parcel because some data is invalid.", vbOKOnly}));
  EXPECT_FALSE(editor->GrabMode());
  EXPECT_TRUE(ListTexts().empty());
}

// ---------------------------------------------------------------------------
// New, Save and the closure question.

TEST_F(ParcelEditorTest, SaveRightAfterNewHasNothingToSave) {
  LoadEditor();
  OpenProject();
  forms::testing::UserClick(editor->cmdInsert);
  EXPECT_TRUE(editor->NewParcel);
  EXPECT_TRUE(editor->txtParcel.Visible());
  EXPECT_FALSE(editor->cbxParcel.Visible());
  EXPECT_FALSE(editor->cmdDelete.Enabled());
  forms::testing::UserClick(editor->cmdSave);
  EXPECT_EQ(boxes, (std::vector<Box>{{"You cannot save this parcel.", vbOKOnly}}));
  EXPECT_TRUE(editor->Editing());
  EXPECT_EQ(Count("tblParcel"), 0);
}

TEST_F(ParcelEditorTest, TheClosureQuestionComesOnlyAboveTheTolerance) {
  struct Case {
    std::string eastSide;  // the square's closure is its difference from 100
    int answer;            // 0: no question expected
    bool stored;
  };
  const Case cases[] = {
      {"100.5", 0, true},      // equal to the tolerance
      {"100.25", 0, true},     // below it
      {"100.75", vbYes, true}, // above it, kept
      {"100.75", vbNo, false}, // above it, refused
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.eastSide << " answer " << c.answer);
    LoadEditor();
    OpenProject("Closure " + std::to_string(n));
    Program().ProjectSettings.ClosureTolerance = 0.5;
    const long before = Count("tblParcel");
    forms::testing::UserClick(editor->cmdInsert);
    const std::string name = "Parcel " + std::to_string(n++);
    editor->txtParcel.SetText(name);
    SetLine(0, "N0dE", "100");
    SetLine(1, "N90dE", c.eastSide);
    SetLine(2, "S0dE", "100");
    SetLine(3, "S90dW", "100");
    boxes.clear();
    if (c.answer) answers.push_back(c.answer);
    forms::testing::UserClick(editor->cmdSave);
    std::vector<Box> expected;
    if (c.answer) expected.push_back({kClosureQuestion, vbYesNo});
    EXPECT_EQ(boxes, expected);
    EXPECT_EQ(Count("tblParcel"), before + (c.stored ? 1 : 0));
    if (c.stored) {
      // A new parcel saved in review: the list reloaded, nothing selected,
      // the grid cleared and locked, the name shown as the previous parcel.
      EXPECT_FALSE(editor->Editing());
      EXPECT_FALSE(editor->NewParcel);
      EXPECT_TRUE(editor->cbxParcel.Visible());
      EXPECT_EQ(editor->cbxParcel.ListIndex(), -1);
      EXPECT_EQ(editor->txtPrevious.Text(), name);
      EXPECT_EQ(editor->txtBearingLine(0).Text(), "");
      EXPECT_FALSE(editor->txtBearingLine(0).Enabled());
    } else {
      EXPECT_TRUE(editor->Editing());
      EXPECT_EQ(editor->txtParcel.Text(), name);
      EXPECT_EQ(editor->txtDistanceLine(1).Text(), c.eastSide);
    }
    editor.reset();
  }
}

// After a save the locked rows look locked, also the boxes that had the
// focus, and what the user types reaches no control: not the parcel's name,
// and the editing state stays off.
TEST_F(ParcelEditorTest, AfterASaveTheLockedRowsLookLockedAndTypedKeysGoNowhere) {
  LoadEditor();
  OpenProject();
  StoreSquare("Lot 7");
  editor->Parcel_Bound();
  const struct {
    const char* way;
    std::function<void()> save;
  } saves[] = {
      {"Save button", [&] { forms::testing::UserClick(editor->cmdSave); }},
      {"Edit menu", [&] { forms::testing::UserChooseMenu(editor->mnuSaveParcel); }},
      {"Save button after a rename",
       [&] {
         editor->cbxParcel.SetText("Lot 8");
         forms::testing::UserClick(editor->cmdSave);
       }},
  };
  for (const auto& s : saves) {
    SCOPED_TRACE(s.way);
    editor->SelectParcelEntry(0);
    forms::testing::UserClick(editor->cmdEdit);
    ASSERT_TRUE(editor->Editing());
    // The user works through the boxes of the first rows and saves.
    for (int k = 0; k < 3; ++k) {
      forms::testing::UserFocus(editor->txtBearingLine(k));
      forms::testing::UserFocus(editor->txtDistanceLine(k));
    }
    forms::testing::UserType(editor->txtDistanceLine(3), "0");
    s.save();
    ASSERT_FALSE(editor->Editing());
    ASSERT_FALSE(editor->txtBearingLine(0).IsEffectivelyEnabled());
    for (forms::TextBox* box : {&editor->txtBearingLine(0), &editor->txtDistanceLine(2), &editor->txtDistanceLine(3),
                                &editor->txtBearingLine(5)}) {
      SCOPED_TRACE(box->Name() + "(" + std::to_string(box->Index()) + ")");
      EXPECT_NE(PixelOf(*box, 4, 4), "#ffffff");
    }
    // A click in a locked box, then keys.
    forms::testing::UserMouseClick(editor->txtDistanceLine(1), forms::vbLeftButton);
    TypeAtTheFocus(editor->Window(), "5");
    EXPECT_EQ(editor->cbxParcel.Text().find('5'), std::string::npos) << editor->cbxParcel.Text();
    EXPECT_EQ(editor->txtParcel.Text().find('5'), std::string::npos) << editor->txtParcel.Text();
    EXPECT_FALSE(editor->Editing());
    EXPECT_TRUE(boxes.empty());
  }
}

// Review model: after Cancel the list's text is blank; a click in its text
// part chooses no parcel and enables nothing, and courses entered into the
// emptied grid under a name typed into the list are stored as a new parcel,
// never over the parcel shown before the Cancel.
TEST_F(ParcelEditorTest, AfterCancelTheEmptiedListWritesIntoNoStoredParcel) {
  LoadEditor();
  OpenProject();
  StoreSquare("LOT 1", "50");
  const ParcelId lot2 = Store("LOT 2", {Line("N0dE", "100"), Line("N90dE", "100"), Line("S0dE", "100")});
  editor->optmodel_Click(1);
  const std::vector<StoredCourse> lot2Courses = Courses(lot2);
  forms::testing::UserSelect(editor->cbxParcel, 1);
  ASSERT_EQ(editor->CurrentParcelID, lot2);
  forms::testing::UserClick(editor->cmdEdit);
  forms::testing::UserClick(editor->cmdCancel);
  EXPECT_EQ(editor->CurrentParcelID, 0);
  ASSERT_EQ(editor->cbxParcel.Text(), "");

  forms::testing::UserClick(editor->cbxParcel);
  EXPECT_EQ(editor->cbxParcel.ListIndex(), -1);
  for (const forms::Control* off : std::vector<const forms::Control*>{&editor->cmdEdit, &editor->cmdDelete}) {
    EXPECT_FALSE(off->Enabled()) << off->Name();
  }
  EXPECT_FALSE(editor->mnuEditMode.Enabled());
  EXPECT_FALSE(editor->Editing());

  forms::testing::UserType(editor->cbxParcel, "NEWLOT");
  SetLine(0, "N45dE", "10");
  editor->SetEditing(true);
  forms::testing::UserClick(editor->cmdSave);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{" LOT 1", " LOT 2", "NEWLOT"}));
  const std::vector<StoredCourse> after = Courses(lot2);
  ASSERT_EQ(after.size(), lot2Courses.size());
  for (std::size_t k = 0; k < after.size(); ++k) {
    EXPECT_EQ(after[k].Direction, lot2Courses[k].Direction);
    EXPECT_EQ(after[k].Length, lot2Courses[k].Length);
  }
}

// In the Grab model the name box keeps the focus after a save, for the next
// parcel's name; a click on a grey, locked row box takes it away, so that
// the keys typed then change no box and do not turn the editing state on.
TEST_F(ParcelEditorTest, AfterAGrabModeSaveAClickOnALockedBoxLeavesEveryBoxAsItWas) {
  LoadEditor();
  OpenProject();
  editor->optmodel(0).SetValue(true);
  forms::testing::UserType(editor->txtParcel, "G1");
  SetLine(0, "N0dE", "100");
  SetLine(1, "N90dE", "100");
  SetLine(2, "S0dE", "100");
  SetLine(3, "S90dW", "100");
  ASSERT_TRUE(editor->Editing());
  forms::testing::UserClick(editor->cmdSave);
  ASSERT_EQ(Count("tblParcel"), 1);
  ASSERT_FALSE(editor->Editing());
  ASSERT_TRUE(editor->txtParcel.HasFocus());
  ASSERT_FALSE(editor->txtDistanceLine(1).IsEffectivelyEnabled());

  forms::testing::UserMouseClick(editor->txtDistanceLine(1), forms::vbLeftButton);
  TypeAtTheFocus(editor->Window(), "5");
  EXPECT_EQ(editor->txtParcel.Text(), "");
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    for (forms::TextBox* box : {&editor->txtBearingLine(k), &editor->txtDistanceLine(k)}) {
      EXPECT_EQ(box->Text(), "");
    }
  }
  EXPECT_FALSE(editor->Editing());
  EXPECT_FALSE(editor->cmdSave.Enabled());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ParcelEditorTest, GrabModeSaveClearsTheGridForTheNextParcel) {
  LoadEditor();
  OpenProject();
  editor->optmodel(0).SetValue(true);
  editor->txtParcel.SetText("G1");
  SetLine(0, "N0dE", "100");
  SetLine(1, "N90dE", "100");
  SetLine(2, "S0dE", "100");
  editor->SetEditing(true);
  editor->ManualInvert = true;
  forms::testing::UserClick(editor->cmdSave);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Count("tblParcel"), 1);
  EXPECT_TRUE(editor->GrabMode());
  EXPECT_FALSE(editor->Editing());
  EXPECT_FALSE(editor->ManualInvert);
  EXPECT_EQ(editor->txtPrevious.Text(), "G1");
  EXPECT_EQ(editor->txtParcel.Text(), "");
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "");
  EXPECT_TRUE(editor->cmdInsert.Enabled());
  // New is reachable again; a later switch to review offers Delete.
  forms::testing::UserClick(editor->cmdInsert);
  editor->optmodel(1).SetValue(true);
  EXPECT_TRUE(editor->cmdDelete.Enabled());
}

// ---------------------------------------------------------------------------
// Storage through the editor.

TEST_F(ParcelEditorTest, ARoundTripKeepsGapsInRowNoAndLoadsTheCoursesInOrder) {
  LoadEditor();
  OpenProject();
  forms::testing::UserClick(editor->cmdInsert);
  editor->txtParcel.SetText("Gap");
  SetLine(0, "N0dE", "100");
  SetArc(1, "S45dE", "104.72", "100", "100", 2);
  SetLine(2, "N90dE", "");
  SetLine(3, "S0dW", "50");
  forms::testing::UserClick(editor->cmdSave);
  EXPECT_TRUE(boxes.empty());
  ASSERT_EQ(ListTexts(), std::vector<std::string>{"   Gap"});
  const ParcelId id = editor->cbxParcel.ItemData(0);
  EXPECT_EQ(RowNos(id), (std::vector<int>{0, 1, 3}));

  forms::testing::UserSelect(editor->cbxParcel, 0);
  EXPECT_EQ(editor->CurrentParcelID, id);
  EXPECT_FALSE(editor->Editing());
  EXPECT_EQ(editor->txtBearingLine(0).Text(), Dir("N0dE"));
  EXPECT_TRUE(editor->frameArc(1).Visible());
  EXPECT_EQ(editor->txtArc(1).Text(), "104.72");
  // Plus 2: "+" unticked, "-" greyed.
  EXPECT_EQ(editor->chksign(2).Value(), forms::vbUnchecked);
  EXPECT_EQ(editor->chksign(3).Value(), forms::vbGrayed);
  EXPECT_EQ(editor->txtBearingLine(2).Text(), Dir("S0dW"));
  EXPECT_EQ(editor->txtDistanceLine(2).Text(), "50");
  // The row after the last course is ready for typing.
  EXPECT_TRUE(editor->frameLine(3).Visible());
  EXPECT_TRUE(editor->frameLine(3).Enabled());
  EXPECT_TRUE(editor->cmdNo(3).Enabled());
  EXPECT_EQ(editor->txtBearingLine(3).Text(), "");

  // Saved back unchanged as an update: Plus stays 2, the rows close up.
  forms::testing::UserClick(editor->cmdEdit);
  forms::testing::UserClick(editor->cmdSave);
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(editor->Editing());
  EXPECT_EQ(Count("tblParcel"), 1);
  const std::vector<StoredCourse> stored = Courses(id);
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[1].Plus, 2);
  EXPECT_EQ(RowNos(id), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(editor->txtPrevious.Text(), "   Gap");
  EXPECT_FALSE(editor->txtBearingLine(0).Enabled());
}

TEST_F(ParcelEditorTest, AParcelLongerThanTheGridIsNotLoadedAndKeepsTheShownParcelForSaves) {
  LoadEditor();
  OpenProject();
  const ParcelId shown = StoreSquare("A lot");
  std::vector<geometry::CourseRow> many;
  for (int i = 0; i < 81; ++i) many.push_back(Line(i % 2 ? "N90dE" : "N0dE", "1"));
  const ParcelId longer = Store("B long", many, 90);
  editor->optmodel_Click(1);
  ASSERT_EQ(editor->CurrentParcelID, shown);
  boxes.clear();
  forms::testing::UserSelect(editor->cbxParcel, 1);
  EXPECT_EQ(boxes, (std::vector<Box>{{"This parcel has 81 courses, more than the 80 the editor holds, so it cannot "
                                      "be shown.",
                                      vbOKOnly}}));
  EXPECT_EQ(editor->CurrentParcelID, shown);
  EXPECT_EQ(editor->txtBearingLine(3).Text(), Dir("S90dW"));
  // An update now writes the grid to the parcel it came from, never over the
  // long one.
  forms::testing::UserClick(editor->cmdEdit);
  editor->txtDistanceLine(0).SetText("100");
  forms::testing::UserClick(editor->cmdSave);
  EXPECT_EQ(Courses(longer).size(), 81u);
  EXPECT_EQ(Courses(shown).size(), 4u);
}

TEST_F(ParcelEditorTest, DuplicateNamesGiveTheLotMessagesAndStoreNothing) {
  LoadEditor();
  OpenProject();
  StoreSquare("Lot 7");
  const ParcelId other = StoreSquare("Lot 8");
  const long courses = Count("tblMeasurements");

  forms::testing::UserClick(editor->cmdInsert);
  editor->txtParcel.SetText("LOT 7");
  SetLine(0, "N0dE", "10");
  SetLine(1, "N90dE", "10");
  boxes.clear();
  forms::testing::UserClick(editor->cmdSave);
  EXPECT_EQ(boxes, (std::vector<Box>{
                       {"The lot LOT 7 already exists. Please rename the parcel before saving again.", vbOKOnly}}));
  EXPECT_TRUE(editor->Editing());
  EXPECT_EQ(Count("tblParcel"), 2);
  forms::testing::UserClick(editor->cmdCancel);

  // Renaming Lot 8 to another letter case of Lot 7.
  editor->optmodel_Click(1);
  forms::testing::UserSelect(editor->cbxParcel, 1);
  ASSERT_EQ(editor->CurrentParcelID, other);
  forms::testing::UserClick(editor->cmdEdit);
  editor->cbxParcel.SetText("lot 7");
  boxes.clear();
  forms::testing::UserClick(editor->cmdSave);
  EXPECT_EQ(boxes, (std::vector<Box>{
                       {"The lot lot 7 already exists. Please rename the parcel then try to save again.", vbOKOnly}}));
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{" Lot 7", " Lot 8"}));
  EXPECT_EQ(Count("tblMeasurements"), courses);
  EXPECT_TRUE(editor->Editing());
}

TEST_F(ParcelEditorTest, ARenameReloadsTheListAndShowsTheParcelUnderItsNewName) {
  LoadEditor();
  OpenProject();
  const ParcelId a = StoreSquare("Alpha");
  StoreSquare("Bravo");
  editor->optmodel_Click(1);
  forms::testing::UserClick(editor->cmdEdit);
  editor->cbxParcel.SetText("Z1");
  editor->txtDistanceLine(0).SetText("90");
  forms::testing::UserClick(editor->cmdSave);
  EXPECT_TRUE(boxes.empty());
  // Short names are stored right-aligned, so the blanks sort first.
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{"    Z1", " Bravo"}));
  EXPECT_EQ(editor->cbxParcel.ListIndex(), 0);
  EXPECT_EQ(editor->CurrentParcelID, a);
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "90");
  EXPECT_FALSE(editor->Editing());
  EXPECT_EQ(editor->txtPrevious.Text(), "Z1");
}

TEST_F(ParcelEditorTest, AFailureInTheMiddleOfAnUpdateLeavesTheParcelAsItWas) {
  LoadEditor();
  OpenProject();
  const ParcelId id = StoreSquare("Lot 5");
  const std::vector<StoredCourse> before = Courses(id);
  {
    dao::Database db = Db();
    db.Execute("CREATE TRIGGER fail_third BEFORE INSERT ON tblMeasurements WHEN NEW.RowNo = 2 "
               "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
  }
  editor->optmodel_Click(1);
  forms::testing::UserClick(editor->cmdEdit);
  editor->txtDistanceLine(1).SetText("100");
  editor->txtBearingLine(2).SetText(Dir("S1dE"));
  boxes.clear();
  forms::testing::UserClick(editor->cmdSave);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].buttons, vbOKOnly + vbCritical);
  EXPECT_NE(boxes[0].text.find("Nothing was changed"), std::string::npos) << boxes[0].text;
  EXPECT_EQ(Courses(id), before);
  // The edits stay on the grid, still being edited.
  EXPECT_TRUE(editor->Editing());
  EXPECT_EQ(editor->txtBearingLine(2).Text(), Dir("S1dE"));
}

// ---------------------------------------------------------------------------
// The list: stepping, Delete and its reselection.

TEST_F(ParcelEditorTest, PreviousAndNextStopAtTheEnds) {
  LoadEditor();
  OpenProject();
  for (const char* name : {"Lot A", "Lot B", "Lot C"}) StoreSquare(name);
  editor->optmodel_Click(1);
  ASSERT_EQ(editor->cbxParcel.ListIndex(), 0);
  forms::testing::UserClick(editor->cmdPrevious);
  EXPECT_EQ(editor->cbxParcel.ListIndex(), 0);
  forms::testing::UserClick(editor->cmdNext);
  forms::testing::UserClick(editor->cmdNext);
  EXPECT_EQ(editor->cbxParcel.ListIndex(), 2);
  EXPECT_EQ(editor->CurrentParcelID, editor->cbxParcel.ItemData(2));
  forms::testing::UserClick(editor->cmdNext);
  EXPECT_EQ(editor->cbxParcel.ListIndex(), 2);
  forms::testing::UserClick(editor->cmdPrevious);
  EXPECT_EQ(editor->cbxParcel.ListIndex(), 1);
  // With nothing selected, Next selects the first entry.
  forms::testing::UserClick(editor->cmdEdit);
  forms::testing::UserClick(editor->cmdCancel);
  ASSERT_EQ(editor->cbxParcel.ListIndex(), -1);
  forms::testing::UserClick(editor->cmdNext);
  EXPECT_EQ(editor->cbxParcel.ListIndex(), 0);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ParcelEditorTest, DeleteSelectsTheFollowingParcelOrTheOneBefore) {
  struct Case {
    int parcels;
    int selected;  // -1: none
    std::vector<std::string> left;
    int selectedAfter;
  };
  const Case cases[] = {
      {3, 1, {"Parcel A", "Parcel C"}, 1},              // the middle: the one that followed
      {3, 2, {"Parcel A", "Parcel B"}, 1},              // the last: the one before
      {1, 0, {}, -1},                                   // the only one: an empty list
      {3, -1, {"Parcel A", "Parcel B", "Parcel C"}, 0},  // none selected: nothing deleted
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.parcels << " parcels, selected " << c.selected);
    LoadEditor();
    OpenProject("Delete " + std::to_string(c.parcels) + " " + std::to_string(c.selected));
    const std::string names[] = {"Parcel A", "Parcel B", "Parcel C"};
    for (int i = 0; i < c.parcels; ++i) StoreSquare(names[i]);
    editor->optmodel_Click(1);
    if (c.selected < 0) {
      forms::testing::UserClick(editor->cmdEdit);
      forms::testing::UserClick(editor->cmdCancel);
    } else {
      forms::testing::UserSelect(editor->cbxParcel, c.selected);
    }
    const ParcelId deleted = c.selected < 0 ? 0 : editor->cbxParcel.ItemData(c.selected);
    const long coursesBefore = Count("tblMeasurements");
    boxes.clear();
    answers.push_back(vbYes);
    editor->cmdDelete.SetEnabled(true);
    forms::testing::UserClick(editor->cmdDelete);
    EXPECT_EQ(boxes, (std::vector<Box>{{kDeleteQuestion, vbYesNo}}));
    EXPECT_EQ(ListTexts(), c.left);
    EXPECT_EQ(editor->cbxParcel.ListIndex(), c.selectedAfter);
    EXPECT_FALSE(editor->Editing());
    if (c.selected >= 0) {
      EXPECT_TRUE(Courses(deleted).empty());
      EXPECT_EQ(Count("tblMeasurements"), coursesBefore - 4);
    } else {
      EXPECT_EQ(Count("tblMeasurements"), coursesBefore);
    }
    if (c.selectedAfter < 0) {
      EXPECT_EQ(editor->txtBearingLine(0).Text(), "");
    } else {
      EXPECT_EQ(editor->CurrentParcelID, editor->cbxParcel.ItemData(c.selectedAfter));
    }
    editor.reset();
  }
}

TEST_F(ParcelEditorTest, DeleteAnsweredNoOrFailingLeavesEverything) {
  LoadEditor();
  OpenProject();
  StoreSquare("Lot A");
  StoreSquare("Lot B");
  editor->optmodel_Click(1);
  answers.push_back(vbNo);
  forms::testing::UserClick(editor->cmdDelete);
  EXPECT_EQ(Count("tblParcel"), 2);

  {
    dao::Database db = Db();
    db.Execute("CREATE TRIGGER keep BEFORE DELETE ON tblParcel BEGIN SELECT RAISE(ABORT, 'held'); END");
  }
  const long courses = Count("tblMeasurements");
  boxes.clear();
  answers.push_back(vbYes);
  forms::testing::UserClick(editor->cmdDelete);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].buttons, vbOKOnly + vbCritical);
  EXPECT_NE(boxes[1].text.find("could not be deleted"), std::string::npos) << boxes[1].text;
  // The courses deleted before the failure came back with the rollback.
  EXPECT_EQ(Count("tblMeasurements"), courses);
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{" Lot A", " Lot B"}));
  EXPECT_EQ(editor->cbxParcel.ListIndex(), 0);
  EXPECT_EQ(editor->txtBearingLine(0).Text(), Dir("N0dE"));
}

TEST_F(ParcelEditorTest, DeleteWhileEditingDeletesTheParcelShownWhateverTheListsText) {
  struct Case {
    const char* typed;  // the list's text typed while editing; nullptr: left as it was
  };
  const Case cases[] = {
      {nullptr},
      {"Lot Z"},   // a new name: no entry is selected
      {" Lot C"},  // another parcel's name: its entry is selected
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed ? c.typed : "(untouched)");
    LoadEditor();
    OpenProject("Delete renamed " + std::to_string(n++));
    const ParcelId a = StoreSquare("Lot A");
    const ParcelId b = StoreSquare("Lot B");
    const ParcelId lotC = StoreSquare("Lot C", "50");
    editor->optmodel_Click(1);
    forms::testing::UserSelect(editor->cbxParcel, 1);
    ASSERT_EQ(editor->CurrentParcelID, b);
    forms::testing::UserClick(editor->cmdEdit);
    editor->txtDistanceLine(0).SetText("90");
    if (c.typed) editor->cbxParcel.SetText(c.typed);
    ASSERT_TRUE(editor->cmdDelete.Enabled());
    boxes.clear();
    answers.push_back(vbYes);
    forms::testing::UserClick(editor->cmdDelete);
    EXPECT_EQ(boxes, (std::vector<Box>{{kDeleteQuestion, vbYesNo}}));
    // Lot B is gone with its courses; the others are whole.
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{" Lot A", " Lot C"}));
    EXPECT_TRUE(Courses(b).empty());
    EXPECT_EQ(Courses(a).size(), 4u);
    EXPECT_EQ(Courses(lotC).size(), 4u);
    // The parcel that followed it is shown.
    EXPECT_EQ(editor->cbxParcel.ListIndex(), 1);
    EXPECT_EQ(editor->CurrentParcelID, lotC);
    EXPECT_EQ(editor->txtDistanceLine(0).Text(), "50");
    EXPECT_FALSE(editor->Editing());
    editor.reset();
  }
}

TEST_F(ParcelEditorTest, CoursesEnteredAfterCancelAreANewParcelNotAnUpdateOfTheOneLoadedLast) {
  struct Case {
    const char* name;  // typed in the list's text
    bool stored;
  };
  const Case cases[] = {{"Lot Q", true}, {"lot a", false}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadEditor();
    OpenProject("After cancel " + std::to_string(n++));
    const ParcelId a = StoreSquare("Lot A");
    editor->optmodel_Click(1);
    forms::testing::UserClick(editor->cmdEdit);
    forms::testing::UserClick(editor->cmdCancel);
    // The row pop-up unlocks the courses and starts editing on the empty grid.
    const forms::PromptHandler base = forms::SetPromptHandler(nullptr);
    forms::SetPromptHandler([&](const forms::Prompt& p) {
      if (p.kind == forms::PromptKind::PopupMenu) return forms::PromptAnswer{0, {}, &editor->mnuPopInsertBefore};
      return base(p);
    });
    forms::testing::UserMouseClick(editor->cmdNo(0), forms::vbRightButton);
    forms::SetPromptHandler(base);
    ASSERT_TRUE(editor->Editing());
    SetLine(0, "N0dE", "50");
    SetLine(1, "N90dE", "50");
    SetLine(2, "S0dE", "50");
    SetLine(3, "S90dW", "50");
    editor->cbxParcel.SetText(c.name);
    boxes.clear();
    forms::testing::UserClick(editor->cmdSave);
    // Lot A keeps its name and its courses either way.
    EXPECT_EQ(Courses(a).size(), 4u);
    EXPECT_DOUBLE_EQ(Courses(a)[0].Length, 100.0);
    if (c.stored) {
      EXPECT_TRUE(boxes.empty()) << boxes.front();
      EXPECT_EQ(ListTexts(), (std::vector<std::string>{" Lot A", " Lot Q"}));
      EXPECT_FALSE(editor->Editing());
      EXPECT_EQ(editor->txtPrevious.Text(), c.name);
    } else {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_NE(boxes[0].text.find("already exists"), std::string::npos) << boxes[0].text;
      EXPECT_EQ(ListTexts(), (std::vector<std::string>{" Lot A"}));
      EXPECT_TRUE(editor->Editing());
      EXPECT_EQ(editor->txtDistanceLine(0).Text(), "50");
    }
    editor.reset();
  }
}

// ---------------------------------------------------------------------------
// The editing state is kept while a parcel is edited.

TEST_F(ParcelEditorTest, ActivationInReviewKeepsAParcelBeingEdited) {
  LoadEditor();
  OpenProject();
  StoreSquare("Lot A");
  StoreSquare("Lot B");
  editor->optmodel_Click(1);
  forms::testing::UserSelect(editor->cbxParcel, 1);
  forms::testing::UserClick(editor->cmdEdit);
  editor->txtDistanceLine(0).SetText("77");
  editor->Form_Activate();
  EXPECT_TRUE(editor->Editing());
  EXPECT_EQ(editor->cbxParcel.ListIndex(), 1);
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "77");
  // Not editing: the list is reloaded and its first parcel shown.
  forms::testing::UserClick(editor->cmdCancel);
  editor->Form_Activate();
  EXPECT_EQ(editor->cbxParcel.ListIndex(), 0);
  EXPECT_EQ(editor->txtDistanceLine(0).Text(), "100");
}

TEST_F(ParcelEditorTest, CancelInGrabModeEndsTheEditingState) {
  LoadEditor();
  OpenProject();
  editor->optmodel(0).SetValue(true);
  editor->txtParcel.SetText("Picked");
  SetArc(0, "N45dE", "104.72", "100", "100", 0);
  editor->NewParcel = true;
  editor->ManualInvert = true;
  ASSERT_TRUE(editor->Editing());
  forms::testing::UserClick(editor->cmdCancel);
  EXPECT_FALSE(editor->Editing());
  EXPECT_FALSE(editor->NewParcel);
  EXPECT_FALSE(editor->ManualInvert);
  EXPECT_EQ(editor->txtBearingArc(0).Text(), "");
  EXPECT_EQ(Count("tblParcel"), 0);
}

TEST_F(ParcelEditorTest, CancelInReviewEmptiesTheSelection) {
  LoadEditor();
  OpenProject();
  StoreSquare("Lot A");
  editor->optmodel_Click(1);
  forms::testing::UserClick(editor->cmdEdit);
  editor->txtDistanceLine(0).SetText("5");
  forms::testing::UserClick(editor->cmdCancel);
  EXPECT_FALSE(editor->Editing());
  EXPECT_EQ(editor->cbxParcel.ListIndex(), -1);
  EXPECT_EQ(editor->cbxParcel.Text(), "");
  EXPECT_FALSE(editor->cmdDelete.Enabled());
  EXPECT_FALSE(editor->cmdEdit.Enabled());
  EXPECT_FALSE(editor->mnuPopEdit.Enabled());
  EXPECT_TRUE(editor->cmdNext.Enabled());
  EXPECT_FALSE(editor->txtBearingLine(0).Enabled());
  EXPECT_EQ(Courses(editor->cbxParcel.ItemData(0)).front().Length, 100.0);
}

TEST_F(ParcelEditorTest, TheReviewSwitchEndsANewEntrySoEditsAreSavedAsUpdates) {
  LoadEditor();
  OpenProject();
  const ParcelId id = StoreSquare("Lot A");
  editor->optmodel_Click(1);
  forms::testing::UserClick(editor->cmdInsert);
  ASSERT_TRUE(editor->NewParcel);
  // The project road (or an activation) runs the review switch meanwhile.
  editor->SetEditing(false);
  editor->optmodel_Click(1);
  EXPECT_FALSE(editor->NewParcel);
  EXPECT_TRUE(editor->cmdDelete.Enabled());
  forms::testing::UserClick(editor->cmdEdit);
  editor->txtDistanceLine(1).SetText("100");
  editor->txtBearingLine(1).SetText(Dir("N89dE"));
  forms::testing::UserClick(editor->cmdSave);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Count("tblParcel"), 1);
  EXPECT_EQ(Courses(id)[1].Direction, Dir("N89dE"));
}

TEST_F(ParcelEditorTest, WhileEditingTheListKeepsItsParcel) {
  LoadEditor();
  OpenProject();
  const ParcelId a = StoreSquare("Lot A");
  const ParcelId b = StoreSquare("Lot B", "50");
  editor->optmodel_Click(1);
  forms::testing::UserClick(editor->cmdEdit);
  editor->txtBearingLine(3).SetText(Dir("S89dW"));
  // The keys and the list's own pick would load Lot B over the edits.
  forms::testing::UserPressKey(editor->cbxParcel, forms::vbKeyDown);
  forms::testing::UserSelect(editor->cbxParcel, 1);
  forms::testing::UserClick(editor->cmdNext);
  EXPECT_EQ(editor->cbxParcel.ListIndex(), 0);
  EXPECT_EQ(editor->cbxParcel.Text(), " Lot A");
  EXPECT_EQ(editor->CurrentParcelID, a);
  EXPECT_EQ(editor->txtBearingLine(3).Text(), Dir("S89dW"));

  // A rename typed in the list's text comes back after a stray pick.
  editor->cbxParcel.SetText("Lot A2");
  forms::testing::UserSelect(editor->cbxParcel, 1);
  EXPECT_EQ(editor->cbxParcel.ListIndex(), -1);
  EXPECT_EQ(editor->cbxParcel.Text(), "Lot A2");
  editor->cbxParcel.SetText(" Lot A");
  EXPECT_EQ(editor->cbxParcel.ListIndex(), 0);

  forms::testing::UserClick(editor->cmdSave);
  EXPECT_EQ(Courses(a)[3].Direction, Dir("S89dW"));
  EXPECT_EQ(Courses(b)[3].Direction, Dir("S90dW"));
}

// ---------------------------------------------------------------------------
// Auto, the invert buttons, the zoom.

TEST_F(ParcelEditorTest, AutoReversesThroughTheBoxesAndRecalculates) {
  LoadEditor();
  OpenProject();
  forms::testing::UserClick(editor->cmdInsert);
  SetLine(0, "N0dE", "100");
  SetLine(1, "N90dE", "100");
  SetLine(2, "N0dE", "100");
  SetLine(3, "S90dW", "100");
  ASSERT_TRUE(editor->cmdAutoInverse.Enabled());
  forms::testing::UserClick(editor->cmdAutoInverse);
  EXPECT_EQ(editor->txtBearingLine(2).Text(), Dir("S0dW"));
  EXPECT_EQ(editor->lblClosure.Caption(), "0");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ParcelEditorTest, AutoAdvisesOnElevenCoursesAndDoesNothingAfterAManualInvert) {
  for (Edition edition : {Edition::A2004, Edition::R14}) {
    SCOPED_TRACE(static_cast<int>(edition));
    LoadEditor(edition);
    OpenProject(edition == Edition::R14 ? "R14" : "A2004");
    forms::testing::UserClick(editor->cmdInsert);
    for (int k = 0; k < 11; ++k) SetLine(k, k % 2 ? "N90dE" : "N0dE", "10");
    boxes.clear();
    editor->AutoInverse();
    EXPECT_EQ(boxes, (std::vector<Box>{{geometry::AutoInvertAdviceText(edition), vbOKOnly + vbExclamation}}));

    // An invert button, even on an empty box, stops automatic inversion.
    editor->txtBearingLine(11).SetText("");
    forms::testing::UserClick(editor->cmdLineInvert(0));
    EXPECT_EQ(editor->txtBearingLine(0).Text(), Dir("S0dW"));
    EXPECT_TRUE(editor->ManualInvert);
    EXPECT_FALSE(editor->cmdAutoInverse.Enabled());
    editor->ManualInvert = false;
    editor->cmdArcInvert_Click(11);
    EXPECT_TRUE(editor->ManualInvert);
    boxes.clear();
    const std::string before = editor->txtBearingLine(3).Text();
    editor->AutoInverse();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(editor->txtBearingLine(3).Text(), before);
    forms::testing::UserClick(editor->cmdCancel);
    EXPECT_FALSE(editor->ManualInvert);
    editor.reset();
  }
}

TEST_F(ParcelEditorTest, ZoomTogglesThePictureBetweenTheWindowAndItsSizeAtLoad) {
  LoadEditor();
  OpenProject();
  const int width = editor->PictureNormalWidth;
  const int height = editor->PictureNormalHeight;
  forms::testing::UserClick(editor->cmdZoom);
  EXPECT_EQ(editor->picParcel.Width(), editor->Width());
  EXPECT_EQ(editor->picParcel.Height(), editor->Height() - 650);
  EXPECT_EQ(editor->picParcel.Left(), 0);
  EXPECT_EQ(editor->picParcel.ToolTipText(), "Double click to normal out");
  forms::testing::UserClick(editor->cmdZoom);
  EXPECT_EQ(editor->picParcel.Width(), width);
  EXPECT_EQ(editor->picParcel.Height(), height);
  EXPECT_EQ(editor->picParcel.Left(), 3870);
  EXPECT_EQ(editor->picParcel.ToolTipText(), "Double click to zoom in");
}

// The enlarged picture is seen whole: in front of the frames, the grid and
// the Zoom button, and behind the frames again at its normal size.
TEST_F(ParcelEditorTest, TheZoomedPictureIsInFrontOfEveryOtherControl) {
  LoadEditor();
  OpenProject();
  // A square drawn across the picture: its middle stays the picture's white.
  StoreSquare("Lot 1");
  editor->Parcel_Bound();
  editor->SelectParcelEntry(0);
  QWidget* window = editor->Window();
  ASSERT_NE(window, nullptr);
  const auto stackIndex = [](forms::Control& c) {
    QWidget* w = c.Widget();
    return w ? static_cast<int>(w->parentWidget()->children().indexOf(w)) : -1;
  };
  const auto windowPixelAt = [&](int xTwips, int yTwips) {
    forms::DoEvents();
    QWidget* picture = editor->picParcel.Widget();
    const QImage image = picture->parentWidget()->grab().toImage();
    return image.pixelColor(xTwips / 15, yTwips / 15).name().toStdString();
  };
  for (const char* way : {"Zoom button", "View menu"}) {
    SCOPED_TRACE(way);
    if (std::string(way) == "Zoom button") {
      forms::testing::UserClick(editor->cmdZoom);
    } else {
      forms::testing::UserChooseMenu(editor->mnuView);
      forms::testing::UserChooseMenu(editor->mnuSizePicture);
    }
    ASSERT_EQ(editor->picParcel.Width(), editor->Width());
    for (forms::Control* c : std::initializer_list<forms::Control*>{&editor->Frame1, &editor->Frame3, &editor->frameBase,
                                                                    &editor->cmdZoom, &editor->txtPrevious}) {
      EXPECT_GT(stackIndex(editor->picParcel), stackIndex(*c)) << c->Name();
    }
    // The picture's middle lies where the grid is: it shows the picture.
    const int midX = editor->picParcel.Width() / 2;
    const int midY = editor->picParcel.Height() / 2;
    ASSERT_GT(midY, editor->frameBase.Top());
    EXPECT_EQ(windowPixelAt(midX, midY), "#ffffff");
    // And the Zoom button's place too.
    EXPECT_EQ(windowPixelAt(editor->cmdZoom.Left() + 60, editor->cmdZoom.Top() + 60), "#ffffff");

    forms::testing::UserDoubleClick(editor->picParcel);  // "Normal picture"
    ASSERT_EQ(editor->picParcel.Left(), 3870);
    for (forms::Control* c : std::initializer_list<forms::Control*>{&editor->Frame1, &editor->Frame3, &editor->frameBase}) {
      EXPECT_LT(stackIndex(editor->picParcel), stackIndex(*c)) << c->Name();
    }
    EXPECT_NE(windowPixelAt(editor->frameBase.Left() + 3000, editor->frameBase.Top() + 600), "#ffffff");
  }
}

// ---------------------------------------------------------------------------
// Activation and unload.

TEST_F(ParcelEditorTest, ActivationSetsTheHelpFileAndTheAutomationBoxes) {
  forms::SetHelpFile("");
  forms::SetServerBusyBox({});
  forms::SetRequestPendingBox({});
  LoadEditor(Edition::R14);
  // R14: the boxes at load, the help file never.
  EXPECT_EQ(forms::HelpFile(), "");
  EXPECT_EQ(forms::ServerBusyBox().title, "AutoCAD");
  EXPECT_EQ(forms::RequestPendingBox().title, "AutoCAD");
  editor.reset();
  forms::SetServerBusyBox({});

  LoadEditor(Edition::A2004);
  editor->Form_Activate();
  EXPECT_EQ(forms::HelpFile(), Program().ProgramFolder + "/ZIVidi.hlp");
  EXPECT_EQ(forms::RequestPendingBox(),
            (forms::ClientBoxText{"AutoCAD", "AutoCAD is ready to select text for transfer to Korvalo.\nPress OK "
                                             "to continue."}));
  EXPECT_EQ(forms::ServerBusyBox(),
            (forms::ClientBoxText{"AutoCAD", "AutoCAD is currently busy. you may wish to cancel this request\nand "
                                             "try it later."}));
}

TEST_F(ParcelEditorTest, ClosingWhileAParcelIsEditedOffersToSaveIt) {
  enum class Edit { None, Stored, New, NewEmpty };
  enum class Close { Button, ExitItem };
  struct Case {
    const char* what;
    Edit edit;
    Close close;
    std::vector<int> answers;  // to the save question, then the closure question
    bool asked;
    bool closed;
    bool saved;
  };
  const Case cases[] = {
      {"stored, Yes", Edit::Stored, Close::Button, {forms::vbYes, vbYes}, true, true, true},
      {"stored, No", Edit::Stored, Close::ExitItem, {vbNo}, true, true, false},
      {"stored, Cancel", Edit::Stored, Close::Button, {forms::vbCancel}, true, false, false},
      {"stored, Yes, closure refused", Edit::Stored, Close::ExitItem, {forms::vbYes, vbNo}, true, false, false},
      {"new, Yes", Edit::New, Close::Button, {forms::vbYes}, true, true, true},
      {"new, nothing entered", Edit::NewEmpty, Close::Button, {}, false, true, false},
      {"nothing edited", Edit::None, Close::ExitItem, {}, false, true, false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoadEditor();
    editor->Show();
    OpenProject("Close " + std::to_string(n++));
    const ParcelId id = StoreSquare("Lot A");
    editor->optmodel_Click(1);
    switch (c.edit) {
      case Edit::None:
        break;
      case Edit::Stored:
        forms::testing::UserClick(editor->cmdEdit);
        // The east side 0.75 long: above a tolerance of 0.5.
        Program().ProjectSettings.ClosureTolerance = 0.5;
        editor->txtDistanceLine(1).SetText("100.75");
        break;
      case Edit::New:
        forms::testing::UserClick(editor->cmdInsert);
        editor->txtParcel.SetText("Lot N");
        SetLine(0, "N0dE", "100");
        SetLine(1, "N90dE", "100");
        SetLine(2, "S0dE", "100");
        SetLine(3, "S90dW", "100");
        break;
      case Edit::NewEmpty:
        forms::testing::UserClick(editor->cmdInsert);
        break;
    }
    const long parcels = Count("tblParcel");
    boxes.clear();
    answers.assign(c.answers.begin(), c.answers.end());
    if (c.close == Close::Button) {
      forms::testing::UserClose(*editor);
    } else {
      forms::testing::UserChooseMenu(editor->mnuExit);
    }
    ASSERT_FALSE(boxes.empty() && c.asked);
    if (c.asked) {
      EXPECT_EQ(boxes.front(), (Box{kSaveQuestion, forms::vbYesNoCancel}));
    } else {
      EXPECT_TRUE(boxes.empty()) << boxes.front();
    }
    EXPECT_EQ(editor->Loaded(), !c.closed);
    if (!c.closed) {
      // The parcel stays on the grid, still being edited.
      EXPECT_TRUE(editor->Editing());
      EXPECT_EQ(editor->txtDistanceLine(1).Text(), "100.75");
    }
    if (c.edit == Edit::New) {
      EXPECT_EQ(Count("tblParcel"), parcels + (c.saved ? 1 : 0));
    } else {
      EXPECT_EQ(Count("tblParcel"), parcels);
      EXPECT_DOUBLE_EQ(Courses(id)[1].Length, c.saved ? 100.75 : 100.0);
    }
    editor.reset();
  }
}

TEST_F(ParcelEditorTest, UnloadSetsSingleDocumentModeOffAndLetsTheCadProgramGo) {
  LoadEditor();
  link.calls.clear();
  EXPECT_TRUE(editor->Unload());
  EXPECT_EQ(link.calls, (std::vector<std::string>{"SetCADSDI(0)", "ReleaseCad"}));
}

}  // namespace
}  // namespace korvalo::editor::test
