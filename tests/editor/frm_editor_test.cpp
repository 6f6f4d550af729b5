#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "common/numbers.h"
#include "editor/grid_layout.h"
#include "editor_fixture.h"
#include "geometry/drawing.h"
#include "platform/dao/dao.h"
#include "storage/system_db.h"

namespace korvalo::editor::test {
namespace {

using forms::testing::DrawCall;
using forms::testing::RecordingCanvas;

constexpr forms::Colour kRedColour = 255;
constexpr forms::Colour kDarkGreenColour = 32768;

// A temporary folder of the test's own.
std::filesystem::path TempFolder(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("korvalo_editor_" + name + "_" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// ---------------------------------------------------------------------------
// The load.

TEST_F(EditorTest, LoadBuildsEveryRowFromRowZero) {
  for (Edition edition : {Edition::A2004, Edition::Standalone}) {
    LoadEditor(edition);
    const int limit = CourseLimitFor(edition);
    const int last = limit - 1;
    SCOPED_TRACE(limit);

    EXPECT_EQ(editor->cmdNo(0).Caption(), " 1");
    EXPECT_EQ(editor->cmdNo(1).Caption(), "2");
    EXPECT_EQ(editor->cmdNo(last).Caption(), std::to_string(limit));
    EXPECT_FALSE(editor->cmdNo.Exists(limit));
    EXPECT_EQ(editor->lblLineNo(last).Caption(), std::to_string(limit));
    EXPECT_EQ(editor->lblLineNo(last).Width(), 180);
    EXPECT_EQ(editor->lblLineNo(8).Width(), 135);
    EXPECT_EQ(editor->lblLineNo(9).Width(), 180);
    EXPECT_FALSE(editor->lblLineNo(last).Visible());
    EXPECT_EQ(&editor->lblLineNo(last).Parent(), &editor->picParcel);

    EXPECT_EQ(editor->CurrentRow, limit);
    EXPECT_TRUE(editor->CalcEnabled);
    EXPECT_FALSE(editor->ManualInvert);

    for (int k : {0, 1, 9, last}) {
      SCOPED_TRACE(k);
      EXPECT_EQ(editor->frameArc(k).Top(), 800 * k);
      EXPECT_EQ(editor->frameLine(k).Top(), 400 * k);
      EXPECT_EQ(editor->cmdNo(k).Top(), 400 * k + 100);
      EXPECT_TRUE(editor->frameLine(k).Visible());
      EXPECT_EQ(editor->frameArc(k).Visible(), k != 0);
      // Each row's fields sit in its own frames, where row 0's sit in its.
      EXPECT_EQ(&editor->txtDistanceLine(k).Parent(), &editor->frameLine(k));
      EXPECT_EQ(editor->txtDistanceLine(k).Left(), 2760);
      EXPECT_EQ(&editor->txtRadius(k).Parent(), &editor->frameArc(k));
      EXPECT_EQ(editor->txtRadius(k).Top(), 460);
      EXPECT_EQ(&editor->chksign(2 * k + 1).Parent(), &editor->frameArc(k));
      EXPECT_EQ(editor->chksign(2 * k).Caption(), "+");
      EXPECT_EQ(editor->chksign(2 * k).Left(), 2400);
      EXPECT_EQ(editor->chksign(2 * k + 1).Caption(), "-");
      EXPECT_EQ(editor->chksign(2 * k + 1).Left(), 3240);
      EXPECT_TRUE(editor->txtBearingArc(k).Visible());
      EXPECT_EQ(editor->txtBearingLine(k).Text(), "");
      // Locked until a project is open.
      EXPECT_FALSE(editor->txtBearingLine(k).Enabled());
      EXPECT_FALSE(editor->chksign(2 * k + 1).Enabled());
      EXPECT_FALSE(editor->cmdArcInvert(k).Enabled());
    }

    EXPECT_DOUBLE_EQ(editor->ScrollScale, ScrollScaleFor(limit));
    EXPECT_EQ(editor->VScroll1.Max(), 32000);
    EXPECT_EQ(editor->VScroll1.SmallChange(), ScrollStepsFor(limit).smallChange);
    EXPECT_EQ(editor->VScroll1.LargeChange(), ScrollStepsFor(limit).largeChange);
    EXPECT_EQ(editor->PictureNormalWidth, 2655);
    EXPECT_EQ(editor->PictureNormalHeight, 2655);
    EXPECT_EQ(editor->cmdEdit.ToolTipText(), "");

    EXPECT_TRUE(editor->Visible());
    EXPECT_EQ(editor->Left(), 0);
    EXPECT_EQ(editor->Top(), 0);
    EXPECT_EQ(editor->Width(), 6855);
    EXPECT_EQ(editor->frameBase.Height(), editor->Height() - 2655 - 800);
    EXPECT_EQ(editor->VScroll1.Height(), editor->frameBase.Height());
    EXPECT_FALSE(editor->txtParcel.Visible());
    EXPECT_TRUE(editor->cbxParcel.Visible());
    EXPECT_TRUE(editor->optmodel(1).Value());
    EXPECT_FALSE(editor->optmodel(1).Enabled());
    EXPECT_FALSE(editor->frameBase.Enabled());
    EXPECT_FALSE(editor->mnuEdit.Enabled());
    EXPECT_EQ(editor->Caption(), "Korvalo");
    editor.reset();
  }
}

TEST_F(EditorTest, FirstRunAsksTheInitialConfigurationAfterTheWindowAppears) {
  const std::filesystem::path folder = TempFolder("firstrun");
  Program().ProgramFolder = folder.string();
  BuildSystemDatabase((folder / "Korvalo.zrq").string(), Edition::A2004);
  ASSERT_TRUE(OpenSystemDatabase());  // the start-up's connection, held for the run
  Program().FirstRun = true;

  prompts
      .ExpectMsgBox("What unit of angular measurement would you like to be the default?  "
                    "Yes = Bearing, No = Azimuth.",
                    forms::vbYesNo, forms::vbNo, "Initial configuration")
      .ExpectMsgBox("What unit of linear measurement would you like to be the default?  "
                    "Yes = Metric, No = Imperial.",
                    forms::vbYesNo, forms::vbYes, "Initial configuration");
  LoadEditor();
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_TRUE(editor->Visible());

  dao::Database db = OpenSystemDatabaseByPath(false);
  dao::Recordset rs = db.OpenRecordset("SELECT * FROM tblSetting");
  EXPECT_FALSE(dao::AsBool(rs.Get("Bearing")));   // No = azimuths
  EXPECT_FALSE(dao::AsBool(rs.Get("unitfeet")));  // Yes = metric
  rs.Close();
  db.Close();
  Program().SystemDb.reset();
  std::filesystem::remove_all(folder);
}

TEST_F(EditorTest, CommandLineProjectIsHandedToTheOpenRoadOnlyWhenItExists) {
  const std::filesystem::path folder = TempFolder("cmdline");
  const std::string existing = (folder / "Lots.KvX").string();
  std::ofstream(existing) << "x";
  const std::string missing = (folder / "Gone.kvx").string();

  struct Case {
    std::string commandLine;
    std::string projectPath;
    bool opened;
  };
  const Case cases[] = {
      {"\"" + existing + "\"", existing, true},
      {missing, "", false},  // not taken as the current project
      {existing + ".bak", "", false},
      {"", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    Program().ProjectPath.clear();
    bool opened = false;
    StartupServices startup;
    startup.commandLine = c.commandLine;
    startup.openCommandLineProject = [&] { opened = true; };
    LoadEditor(Edition::A2004, startup);
    EXPECT_EQ(Program().ProjectPath, c.projectPath);
    EXPECT_EQ(opened, c.opened);
    EXPECT_FALSE(editor->Frame1.Enabled());
    editor.reset();
  }
  std::filesystem::remove_all(folder);
}

TEST_F(EditorTest, CourseLimitNoticeEmptiesTheQueueWithOneMessage) {
  std::deque<std::string> empty;
  CourseLimitNotice(empty);  // no message

  prompts.ExpectMsgBox("This version limit is 80 courses.", forms::vbOKOnly);
  std::deque<std::string> left{"N10d20'E", "100.5", "S5dW"};
  CourseLimitNotice(left);
  EXPECT_TRUE(left.empty());
  EXPECT_EQ(prompts.Pending(), 0);
}

// ---------------------------------------------------------------------------
// Scrolling and window size.

class EditorScrollTest : public EditorTest {
 protected:
  // The working arrangement: every row a line row, the project open.
  void LoadAsLineRows(Edition edition) {
    LoadEditor(edition);
    for (int k = 0; k < editor->CourseLimit(); ++k) editor->frameArc(k).SetVisible(false);
    cadlink::EnableProjectUI(*editor, true);
  }
};

TEST_F(EditorScrollTest, ChangePlacesRowsByValueTimesScale) {
  for (Edition edition : {Edition::A2004, Edition::Standalone}) {
    LoadAsLineRows(edition);
    const double scale = editor->ScrollScale;
    SCOPED_TRACE(editor->CourseLimit());

    editor->VScroll1.SetValue(100);
    for (int i : {0, 1, 30, editor->CourseLimit() - 1}) {
      const int top = static_cast<int>(RoundHalfEven(400 * i - 100 * scale, 0));
      EXPECT_EQ(editor->frameLine(i).Top(), top) << i;
      EXPECT_EQ(editor->frameArc(i).Top(), top) << i;
      EXPECT_EQ(editor->cmdNo(i).Top(), top + 100) << i;
    }

    // An arc row pushes the rows below it down by 800.
    editor->frameLine(1).SetVisible(false);
    editor->frameArc(1).SetVisible(true);
    editor->VScroll1.SetValue(0);
    EXPECT_EQ(editor->frameLine(2).Top(), 1200);
    EXPECT_EQ(editor->cmdNo(2).Top(), 1300);
    editor.reset();
  }
}

TEST_F(EditorScrollTest, DraggingTheThumbMovesTheRowsOnlyOnRelease) {
  LoadAsLineRows(Edition::A2004);
  forms::testing::UserDragThumb(editor->VScroll1, {50, 100, 150});
  EXPECT_EQ(editor->VScroll1.Value(), 150);
  EXPECT_EQ(editor->frameLine(1).Top(), 400 - 300);

  forms::testing::UserScrollArrow(editor->VScroll1, true);
  EXPECT_EQ(editor->VScroll1.Value(), 550);
  EXPECT_EQ(editor->frameLine(1).Top(), 400 - 1100);
}

TEST_F(EditorScrollTest, FocusNarrowsTheRangeToTheRowsInUse) {
  LoadAsLineRows(Edition::A2004);
  // ClearEditor's state: row 0 open, the others locked.
  for (int k = 1; k < editor->CourseLimit(); ++k) {
    editor->frameLine(k).SetEnabled(false);
    editor->frameArc(k).SetEnabled(false);
  }
  editor->VScroll1.SetFocus();
  EXPECT_EQ(editor->VScroll1.Max(), 600);

  editor->cmdZoom.SetFocus();
  editor->frameLine(1).SetEnabled(true);
  editor->frameLine(2).SetEnabled(true);
  editor->VScroll1.SetFocus();
  EXPECT_EQ(editor->VScroll1.Max(), 1000);

  // The narrowed range stays when the focus leaves.
  editor->cmdZoom.SetFocus();
  EXPECT_EQ(editor->VScroll1.Max(), 1000);
}

TEST_F(EditorTest, ResizeKeepsTheWidthAndMinimumHeightAndTheGridFollows) {
  for (Edition edition : {Edition::A2004, Edition::Standalone}) {
    LoadEditor(edition);
    forms::testing::UserResize(*editor, 9000, 3000);
    EXPECT_EQ(editor->Width(), 6855);
    EXPECT_EQ(editor->Height(), 4550);
    EXPECT_EQ(editor->frameBase.Height(), 4550 - 2655 - 800);
    EXPECT_EQ(editor->VScroll1.Height(), editor->frameBase.Height());

    forms::testing::UserResize(*editor, 6855, 5550);
    EXPECT_EQ(editor->Height(), 5550);
    EXPECT_EQ(editor->frameBase.Height(), 1095 + 1000);
    EXPECT_EQ(editor->VScroll1.Height(), 1095 + 1000);

    // A picture zoomed to the window's height leaves no room for the grid:
    // the grid keeps its height.
    editor->picParcel.SetHeight(5550);
    forms::testing::UserResize(*editor, 6855, 5600);
    EXPECT_EQ(editor->frameBase.Height(), 2095);

    // Minimised, the window cannot be sized: nothing changes, no message.
    editor->SetWindowState(forms::vbMinimized);
    editor->SetWindowState(forms::vbNormal);
    EXPECT_EQ(editor->Width(), 6855);
    EXPECT_EQ(prompts.Seen().size(), 0u);
    editor.reset();
  }
}

// ---------------------------------------------------------------------------
// Closure and area through the grid.

TEST_F(EditorTest, ClosedSquareIsPerfectAndGreen) {
  LoadEditor();
  Program().ProjectSettings.ClosureTolerance = 0.01;
  EnterSquare("100");
  EXPECT_EQ(editor->Result.LastRow, 3);
  EXPECT_EQ(editor->lblArea.Caption(), "10000");
  EXPECT_EQ(editor->lblClosure.Caption(), "0");
  EXPECT_EQ(editor->lblPrecision.Caption(), "Perfect");
  EXPECT_EQ(editor->lblClosure.ForeColor(), kDarkGreenColour);
  EXPECT_DOUBLE_EQ(editor->Result.TotalDistance, 400);
  EXPECT_NEAR(editor->Result.Area, 10000, 1e-6);
  EXPECT_TRUE(editor->cmdZoom.Enabled());
  // Survey coordinates after the computation: the corner at (100, 100).
  EXPECT_NEAR(editor->Coord[2].x, 100, 1e-9);
  EXPECT_NEAR(editor->Coord[2].y, 100, 1e-9);
}

TEST_F(EditorTest, LongSideSquareShowsPrecisionAndRedClosure) {
  LoadEditor();
  Program().ProjectSettings.ClosureTolerance = 0.01;
  EnterSquare("100.05");
  EXPECT_EQ(editor->lblClosure.Caption(), "0.05");
  EXPECT_EQ(editor->lblPrecision.Caption(), "1:8001");
  EXPECT_EQ(editor->lblDirection.Caption(), editor->Result.ClosureBearing);
  EXPECT_EQ(editor->lblClosure.ForeColor(), kRedColour);
  EXPECT_DOUBLE_EQ(editor->Result.Closure, 0.05);
}

TEST_F(EditorTest, UnconfirmedArcSignGivesNoArea) {
  LoadEditor();
  // East 100, then a half circle back west: a greyed "-" box leaves the
  // segment's sign open.
  SetLine(0, "N90dE", "100");
  SetArc(1, "S90dW", "157.079632679", "100", "50", 2);
  EXPECT_EQ(editor->Result.LastRow, 1);
  EXPECT_EQ(editor->lblArea.Caption(), "N/A");
  EXPECT_EQ(editor->lblClosure.Caption(), "0");
  EXPECT_EQ(editor->lblPrecision.Caption(), "Perfect");
  EXPECT_DOUBLE_EQ(editor->Result.Area, 0);

  // Confirming "+" gives the half disc.
  editor->chksign(3).SetValue(0);
  editor->chksign(2).SetValue(1);
  EXPECT_EQ(editor->lblArea.Caption(), "3926.99");
}

TEST_F(EditorTest, TotalDistanceFollowsTheBuild) {
  // The R14 build counts an arc by its length, the others by its chord.
  struct Case {
    Edition edition;
    double total;
  };
  for (const Case& c : {Case{Edition::A2004, 200}, Case{Edition::R14, 257.079632679}}) {
    LoadEditor(c.edition);
    SetLine(0, "N90dE", "100");
    SetArc(1, "S90dW", "157.079632679", "100", "50", 0);
    EXPECT_NEAR(editor->Result.TotalDistance, c.total, 1e-9);
    editor.reset();
  }
}

TEST_F(EditorTest, NoCompleteRowKeepsTotalAndColour) {
  LoadEditor();
  Program().ProjectSettings.ClosureTolerance = 0.01;
  SetLine(0, "N0dE", "100");
  ASSERT_EQ(editor->lblClosure.ForeColor(), kRedColour);
  ASSERT_NE(editor->lblDirection.Caption(), "");

  editor->txtDistanceLine(0).SetText("");
  EXPECT_EQ(editor->Result.LastRow, -1);
  EXPECT_EQ(editor->lblArea.Caption(), "0");
  EXPECT_EQ(editor->lblClosure.Caption(), "0");
  EXPECT_EQ(editor->lblDirection.Caption(), "");
  EXPECT_EQ(editor->lblPrecision.Caption(), "");
  EXPECT_EQ(editor->Result.ClosureBearing, "");
  EXPECT_DOUBLE_EQ(editor->Result.PrecisionRatio, 0);
  EXPECT_DOUBLE_EQ(editor->Result.TotalDistance, 100);
  EXPECT_EQ(editor->lblClosure.ForeColor(), kRedColour);
}

TEST_F(EditorTest, CalcEnabledFalseChangesNothing) {
  LoadEditor();
  SetLine(0, "N0dE", "100");
  const ClosureFigures before = editor->Result;
  RecordingCanvas recorder(editor->picParcel);

  editor->CalcEnabled = false;
  SetLine(1, "N90dE", "100");
  editor->CalculateAndDraw();
  EXPECT_TRUE(recorder.Calls().empty());
  EXPECT_EQ(editor->lblClosure.Caption(), "100");
  EXPECT_EQ(editor->lblDirection.Caption(), before.ClosureBearing);
  EXPECT_EQ(editor->Result.LastRow, before.LastRow);
  EXPECT_DOUBLE_EQ(editor->Result.TotalDistance, before.TotalDistance);

  editor->CalcEnabled = true;
  editor->CalculateAndDraw();
  EXPECT_EQ(editor->Result.LastRow, 1);
  EXPECT_FALSE(recorder.Calls().empty());
}

// ---------------------------------------------------------------------------
// The drawing.

int CountKind(const std::vector<DrawCall>& calls, DrawCall::Kind kind) {
  int n = 0;
  for (const DrawCall& c : calls) n += c.kind == kind ? 1 : 0;
  return n;
}

TEST_F(EditorTest, DrawingPlacesTheCourseNumbersAndTheBorder) {
  LoadEditor();
  RecordingCanvas recorder(editor->picParcel);
  editor->CalcEnabled = false;
  EnterSquare("100");
  editor->Drawing();

  const std::vector<DrawCall> calls = recorder.SinceClear();
  EXPECT_EQ(CountKind(calls, DrawCall::Kind::Line), 4);
  ASSERT_EQ(CountKind(calls, DrawCall::Kind::Rectangle), 1);
  EXPECT_EQ(calls.back().kind, DrawCall::Kind::Rectangle);
  EXPECT_DOUBLE_EQ(calls.back().c, 2655 - 80);

  // Scale 2255 / 100, the square centred: the west side runs from y 2455 up
  // to 200 at x 200; its number sits left of it, below the centre line.
  EXPECT_TRUE(editor->lblLineNo(0).Visible());
  EXPECT_EQ(editor->lblLineNo(0).Left(), 100);
  EXPECT_EQ(editor->lblLineNo(0).Top(), 1428);  // 1427.5 to the even twip
  EXPECT_EQ(editor->lblLineNo(1).Top(), 100);   // the north side, above
  for (int k : {0, 1, 2, 3}) EXPECT_TRUE(editor->lblLineNo(k).Visible()) << k;
  for (int k : {4, 79}) EXPECT_FALSE(editor->lblLineNo(k).Visible()) << k;
  // Picture coordinates until the next computation.
  EXPECT_DOUBLE_EQ(editor->Coord[0].x, 200);
  EXPECT_DOUBLE_EQ(editor->Coord[0].y, 2455);

  // The picture's size is taken afresh: a wide picture fits the height.
  editor->picParcel.Move(0, 0, 3000, 2000);
  editor->Drawing();
  const std::vector<DrawCall> wide = recorder.SinceClear();
  EXPECT_DOUBLE_EQ(wide.back().c, 3000 - 80);
  EXPECT_DOUBLE_EQ(wide.back().d, 2000 - 80);
  // Scale 1600 / 100, centred: the west side at x 1500 - 800.
  EXPECT_DOUBLE_EQ(editor->Coord[0].x, 700);
  EXPECT_DOUBLE_EQ(editor->Coord[0].y, 1800);

  // Row 0 incomplete: cleared, every number hidden.
  editor->txtBearingLine(0).SetText("");
  editor->Drawing();
  EXPECT_EQ(recorder.SinceClear().size(), 0u);
  EXPECT_EQ(recorder.Calls().back().kind, DrawCall::Kind::Clear);
  for (int k : {0, 1, 2, 3}) EXPECT_FALSE(editor->lblLineNo(k).Visible()) << k;
}

TEST_F(EditorTest, NorthSouthSemicircleIsDrawnWhole) {
  LoadEditor();
  RecordingCanvas recorder(editor->picParcel);
  // A half circle north on a chord of 100, then straight back south.
  SetArc(0, "N0dE", "157.079632679", "100", "50", 0);
  SetLine(1, "S0dE", "100");
  ASSERT_EQ(editor->Result.LastRow, 1);

  const std::vector<DrawCall> calls = recorder.SinceClear();
  ASSERT_EQ(CountKind(calls, DrawCall::Kind::Arc), 1);
  EXPECT_EQ(CountKind(calls, DrawCall::Kind::Line), 1);
  EXPECT_EQ(CountKind(calls, DrawCall::Kind::Rectangle), 1);
  for (const DrawCall& c : calls) {
    if (c.kind != DrawCall::Kind::Arc) continue;
    EXPECT_EQ(c.colour, kDarkGreenColour);
    EXPECT_NEAR(std::fabs(c.e - c.d), 3.14159265358979, 1e-6);
  }
  EXPECT_TRUE(editor->lblLineNo(0).Visible());
  EXPECT_TRUE(editor->lblLineNo(1).Visible());
}

}  // namespace
}  // namespace korvalo::editor::test
