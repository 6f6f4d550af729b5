#include "options_fixture.h"

// The order cells of the arc inputs, driven by clicks, and what Apply makes
// of them in the project and the editor.
namespace korvalo::options::test {
namespace {

using namespace forms;
using forms::testing::UserClick;

TEST_F(OptionsTest, OrderButtonsMoveTheSelectedCellWithinPositionsTwoToFour) {
  const struct {
    int selected;  // -1: no cell clicked
    const char* presses;
    std::array<std::string, 4> cells;
    int selectedAfter;
  } cases[] = {
      {-1, ">", {"Bearing", "Arc", "Chord", "Radius"}, -1},
      {-1, "<", {"Bearing", "Arc", "Chord", "Radius"}, -1},
      {1, "<", {"Bearing", "Arc", "Chord", "Radius"}, 1},
      {1, ">", {"Bearing", "Chord", "Arc", "Radius"}, 2},
      {1, ">>", {"Bearing", "Chord", "Radius", "Arc"}, 3},
      {1, ">>>", {"Bearing", "Chord", "Radius", "Arc"}, 3},
      {3, ">", {"Bearing", "Arc", "Chord", "Radius"}, 3},
      {3, "<", {"Bearing", "Arc", "Radius", "Chord"}, 2},
      {3, "<<<", {"Bearing", "Radius", "Arc", "Chord"}, 1},
      {2, "><", {"Bearing", "Arc", "Chord", "Radius"}, 2},
  };
  const std::string project = NewProject("Lots");
  OpenProject(project);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.selected) + " " + c.presses);
    ExecRaw(project, "UPDATE tblSetting SET txtBearing = 1, txtArc = 2, txtChord = 3, txtRadius = 4");
    FrmSetting& d = ShowDialog();
    if (c.selected >= 0) UserClick(d.lblOrder(c.selected));
    for (const char* p = c.presses; *p; ++p) UserClick(*p == '>' ? d.cmdBackward : d.cmdForward);
    EXPECT_TRUE(d.cmdApply.Enabled());
    EXPECT_EQ(Cells(), c.cells);
    EXPECT_EQ(d.SelectedOrderCell, c.selectedAfter);
    for (int i = 0; i < 4; ++i) {
      const Colour expected = i == c.selectedAfter ? FrmSetting::kCellSelected
                              : c.selected < 0 && i > 0 ? vbButtonFace
                                                        : vbScrollBars;
      EXPECT_EQ(d.lblOrder(i).BackColor(), expected) << "cell " << i;
    }

    UserClick(d.cmdApply);
    const RawRow row = ReadRaw(project);
    for (int i = 0; i < 4; ++i) {
      const std::string field = "txt" + c.cells[static_cast<std::size_t>(i)];
      EXPECT_EQ(row.at(field), std::to_string(i + 1)) << field;
    }
    for (int i = 0; i < 4; ++i) EXPECT_NE(d.lblOrder(i).BackColor(), FrmSetting::kCellSelected);
    UserClick(d.cmdCancel);
  }
}

TEST_F(OptionsTest, TheFixedFirstCellTakesNoClick) {
  OpenProject(NewProject("Lots"));
  FrmSetting& d = ShowDialog();
  UserClick(d.lblOrder(0));
  EXPECT_EQ(d.SelectedOrderCell, -1);
  EXPECT_FALSE(d.cmdApply.Enabled());
  EXPECT_EQ(d.lblOrder(0).BackColor(), vbScrollBars);
  EXPECT_EQ(Cells(), (std::array<std::string, 4>{"Bearing", "Arc", "Chord", "Radius"}));
}

TEST_F(OptionsTest, AfterApplyTheSelectedCellStillMoves) {
  const std::string project = NewProject("Lots");
  ExecRaw(project, "UPDATE tblSetting SET txtArc = 1, txtChord = 2, txtRadius = 3, txtBearing = 4");
  // A stored order the editor cannot lay out is shown as the shipped one;
  // the editor tells the user once when the project opens.
  prompts.ExpectMsgBox(kUnsoundArcPositionsMessage, vbOKOnly | vbExclamation);
  OpenProject(project);
  FrmSetting& d = ShowDialog();
  UserClick(d.lblOrder(3));
  UserClick(d.cmdForward);
  UserClick(d.cmdApply);
  // Stored as shown: bearing first.
  RawRow row = ReadRaw(project);
  EXPECT_EQ(row.at("txtBearing"), "1");
  EXPECT_EQ(row.at("txtArc"), "2");
  EXPECT_EQ(row.at("txtRadius"), "3");
  EXPECT_EQ(row.at("txtChord"), "4");
  EXPECT_EQ(d.lblOrder(2).BackColor(), vbScrollBars);

  UserClick(d.cmdBackward);
  EXPECT_EQ(d.SelectedOrderCell, 3);
  EXPECT_EQ(d.lblOrder(3).BackColor(), FrmSetting::kCellSelected);
  EXPECT_EQ(Cells(), (std::array<std::string, 4>{"Bearing", "Arc", "Chord", "Radius"}));
}

TEST_F(OptionsTest, ApplyLaysTheEditorsArcInputsOutAtOnce) {
  const std::string project = NewProject("Lots");
  OpenProject(project);
  FrmSetting& d = ShowDialog();
  // Bearing, Arc, Chord, Radius -> Bearing, Radius, Arc, Chord.
  UserClick(d.lblOrder(3));
  UserClick(d.cmdForward);
  UserClick(d.cmdForward);
  UserClick(d.cmdApply);
  EXPECT_EQ(editor->ArcFieldOrder(), (std::array<std::string, 4>{"txtBearing", "txtRadius", "txtArc", "txtChord"}));
  for (int row : {0, 5}) {
    EXPECT_EQ(editor->txtRadius(row).Left(), 2160);
    EXPECT_EQ(editor->txtArc(row).Left(), 3960);
    EXPECT_EQ(editor->txtChord(row).Left(), 360);
    EXPECT_EQ(editor->txtChord(row).Top(), 460);
  }
  EXPECT_EQ(Program().ProjectSettings.RadiusPos, 2);
}

}  // namespace
}  // namespace korvalo::options::test
