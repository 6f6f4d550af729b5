#include "options_fixture.h"

// The options dialog shown from the editor: what it shows of the project's
// row, its switches, key filters, tooltips and top-most states.
namespace korvalo::options::test {
namespace {

using namespace forms;
using forms::testing::UserChooseMenu;
using forms::testing::UserClick;
using forms::testing::UserClose;
using forms::testing::UserFocus;
using forms::testing::UserKey;
using forms::testing::UserMouseClick;

TEST_F(OptionsTest, LoadShowsTheProjectsUnitsTolerancesAndChecks) {
  const struct {
    const char* name;
    const char* row;
    bool feet;
    bool squareX;
    const char* tolerance;
    const char* decimals;
    bool tangent;
    bool bearing;
    const char* degreeSymbol;
    std::array<const char*, 3> warning;
  } cases[] = {
      {"feet, acres, tangent check on",
       "UnitFeet = 1, SquareX = 0, ClosureTolerance = 0.02, ErrDecimal = 4, TangentCheck = 1, Bearing = 1, "
       "DegreeSymbol = '%%D', WarningRanged = 7, WarningRangem = 30, WarningRanges = 15",
       true, false, "0.02", "4", true, true, "%%D", {"7", "30", "15"}},
      {"metres, hectares, tangent check off, azimuths",
       "UnitFeet = 0, SquareX = 0, ClosureTolerance = 0.005, ErrDecimal = 5, TangentCheck = 0, Bearing = 0, "
       "DegreeSymbol = '%d', WarningRanged = 5, WarningRangem = 0, WarningRanges = 0",
       false, false, "0.005", "5", false, false, "%d", {"5", "0", "0"}},
      {"metres, square metres",
       "UnitFeet = 0, SquareX = 1, ClosureTolerance = 0.1, ErrDecimal = 1, TangentCheck = 1, Bearing = 1, "
       "DegreeSymbol = 'd', WarningRanged = 5, WarningRangem = 0, WarningRanges = 0",
       false, true, "0.1", "1", true, true, "d", {"5", "0", "0"}},
  };
  const std::string project = NewProject("Lots");
  OpenProject(project);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExecRaw(project, std::string("UPDATE tblSetting SET ") + c.row);
    FrmSetting& d = ShowDialog();
    ASSERT_TRUE(d.Loaded());
    EXPECT_EQ(d.optFeet(0).Value(), c.feet);
    EXPECT_EQ(d.optFeet(1).Value(), !c.feet);
    // The area options of the unit shown, the other unit's greyed.
    ControlArray<OptionButton>& area = c.feet ? d.optSquareAcres : d.optSquareMeters;
    ControlArray<OptionButton>& other = c.feet ? d.optSquareMeters : d.optSquareAcres;
    EXPECT_EQ(area(0).Value(), c.squareX);
    EXPECT_EQ(area(1).Value(), !c.squareX);
    EXPECT_TRUE(d.frameSub(c.feet ? 0 : 1).Enabled());
    EXPECT_FALSE(d.frameSub(c.feet ? 1 : 0).Enabled());
    EXPECT_TRUE(area(0).Enabled() && area(1).Enabled());
    EXPECT_FALSE(other(0).Enabled() || other(1).Enabled());
    // The stored figures, not the unit's defaults its click wrote.
    EXPECT_EQ(d.txtTolerance.Text(), c.tolerance);
    EXPECT_EQ(d.txtErrDecimal.Text(), c.decimals);
    EXPECT_EQ(d.chkTangent.Value(), c.tangent ? vbChecked : vbUnchecked);
    EXPECT_EQ(d.frameTangential.Enabled(), c.tangent);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(d.txtWarning(i).Text(), c.warning[static_cast<std::size_t>(i)]);
      EXPECT_EQ(d.txtWarning(i).Enabled(), c.tangent);
      EXPECT_EQ(d.txtTangentTolerance(i).Enabled(), c.tangent);
    }
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(d.lblWarning(i).Enabled(), c.tangent);
      EXPECT_EQ(d.lblTangentTolerance(i).Enabled(), c.tangent);
    }
    EXPECT_EQ(d.optBearing(0).Value(), c.bearing);
    EXPECT_EQ(d.optBearing(1).Value(), !c.bearing);
    EXPECT_EQ(d.txtDegreeSymbol.Text(), c.degreeSymbol);
    EXPECT_EQ(d.lblWarning(1).Caption(), utf8::kDegree);
    EXPECT_EQ(d.lblTangentTolerance(1).Caption(), utf8::kDegree);
    EXPECT_EQ(d.SelectedOrderCell, -1);
    // The load's own changes are not unsaved changes.
    EXPECT_FALSE(d.cmdApply.Enabled());
    UserClick(d.cmdCancel);
    ASSERT_FALSE(d.Loaded());
  }
}

TEST_F(OptionsTest, LoadShowsTheStoredArcOrderOrTheShippedOneWhenItCannotBeMended) {
  const struct {
    const char* name;
    const char* order;
    std::array<std::string, 4> cells;
  } cases[] = {
      {"bearing, arc, chord, radius", "txtBearing = 1, txtArc = 2, txtChord = 3, txtRadius = 4",
       {"Bearing", "Arc", "Chord", "Radius"}},
      {"bearing, radius, arc, chord", "txtBearing = 1, txtRadius = 2, txtArc = 3, txtChord = 4",
       {"Bearing", "Radius", "Arc", "Chord"}},
      {"bearing not first", "txtArc = 1, txtBearing = 2, txtChord = 3, txtRadius = 4",
       {"Bearing", "Arc", "Chord", "Radius"}},
      {"a position outside 1-4", "txtBearing = 1, txtArc = 9, txtChord = 3, txtRadius = 4",
       {"Bearing", "Arc", "Chord", "Radius"}},
  };
  const std::string project = NewProject("Lots");
  // The editor keeps the sound order it was opened with; the dialog reads
  // the file.
  ExecRaw(project, "UPDATE tblSetting SET txtBearing = 1, txtRadius = 2, txtArc = 3, txtChord = 4");
  OpenProject(project);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExecRaw(project, std::string("UPDATE tblSetting SET ") + c.order);
    FrmSetting& d = ShowDialog();
    EXPECT_EQ(Cells(), c.cells);
    EXPECT_FALSE(d.lblOrder(0).Enabled());
    EXPECT_EQ(d.lblOrder(0).BackColor(), vbScrollBars);
    UserClick(d.cmdCancel);
  }
}

TEST_F(OptionsTest, FileOfAnOlderVersionShowsBearingsAndTheDefaultSymbol) {
  for (std::size_t fields : {20u, 21u}) {
    SCOPED_TRACE(fields);
    const std::string project = OldProject("Old" + std::to_string(fields), fields);
    OpenProject(project);
    if (fields == 21) ExecRaw(project, "UPDATE tblSetting SET Bearing = 0");
    FrmSetting& d = ShowDialog();
    EXPECT_EQ(d.optBearing(0).Value(), fields == 20);
    EXPECT_EQ(d.txtDegreeSymbol.Text(), "%%D");
    EXPECT_EQ(d.txtErrDecimal.Text(), "2");
    EXPECT_FALSE(d.cmdApply.Enabled());
    UserClick(d.cmdCancel);
  }
}

TEST_F(OptionsTest, ShowingTheOpenDialogOnlyBringsItForward) {
  OpenProject(NewProject("Lots"));
  FrmSetting& d = ShowDialog();
  Retype(d.txtErrDecimal, "6");
  ASSERT_TRUE(d.cmdApply.Enabled());
  ShowDialog();
  EXPECT_EQ(d.txtErrDecimal.Text(), "6");
  EXPECT_TRUE(d.cmdApply.Enabled());
}

TEST_F(OptionsTest, DialogIsOnTopWhileShownAndTheEditorAfterwards) {
  OpenProject(NewProject("Lots"));
  editor->SetTopMost(true);
  for (int close = 0; close < 3; ++close) {
    SCOPED_TRACE(close);
    FrmSetting& d = ShowDialog();
    EXPECT_FALSE(editor->TopMost());
    EXPECT_TRUE(d.TopMost());
    if (close == 0) UserClick(d.cmdOK);
    if (close == 1) UserClick(d.cmdCancel);
    if (close == 2) UserClose(d);
    EXPECT_FALSE(d.Loaded());
    EXPECT_TRUE(editor->TopMost());
  }
}

TEST_F(OptionsTest, KeyFiltersKeepDigitsAndBackspaceAndEveryKeyEnablesApply) {
  const int kDigit = '7', kPoint = '.', kLetter = 'x', kBack = vbKeyBack, kPaste = kCtrlV;
  const struct {
    const char* box;
    int key;
    bool kept;
  } cases[] = {
      {"txtErrDecimal", kDigit, true},  {"txtErrDecimal", kPoint, false}, {"txtErrDecimal", kLetter, false},
      {"txtErrDecimal", kBack, true},   {"txtErrDecimal", kPaste, false}, {"txtTolerance", kDigit, true},
      {"txtTolerance", kPoint, true},   {"txtTolerance", kLetter, false}, {"txtTolerance", kBack, true},
      {"txtTolerance", kPaste, false},  {"txtWarning", kPoint, false},    {"txtWarning", kDigit, true},
      {"txtTangentTolerance", kLetter, false}, {"txtTangentTolerance", kPaste, false},
      {"txtTangentTolerance", kBack, true},
  };
  const std::string project = NewProject("Lots");
  OpenProject(project);
  forms::testing::SetClipboardText("12");
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.box) + " key " + std::to_string(c.key));
    FrmSetting& d = ShowDialog();
    TextBox& box = std::string(c.box) == "txtErrDecimal"  ? d.txtErrDecimal
                   : std::string(c.box) == "txtTolerance" ? d.txtTolerance
                   : std::string(c.box) == "txtWarning"   ? d.txtWarning(1)
                                                          : d.txtTangentTolerance(2);
    ASSERT_TRUE(box.IsEffectivelyEnabled());
    const std::string before = box.Text();
    UserFocus(box);
    box.SetSelStart(static_cast<int>(before.size()));
    box.SetSelLength(0);
    ASSERT_FALSE(d.cmdApply.Enabled());
    UserKey(box, c.key);
    std::string expected = before;
    if (c.kept && c.key == kBack) expected.pop_back();
    if (c.kept && c.key != kBack) expected += static_cast<char>(c.key);
    EXPECT_EQ(box.Text(), expected);
    EXPECT_TRUE(d.cmdApply.Enabled());
    UserClick(d.cmdCancel);
  }
}

TEST_F(OptionsTest, TangentCheckFlipsTheTangentialControls) {
  const std::string project = NewProject("Lots");
  ExecRaw(project, "UPDATE tblSetting SET TangentCheck = 1");
  OpenProject(project);
  FrmSetting& d = ShowDialog();
  for (bool enabled : {false, true, false}) {
    UserClick(d.chkTangent);
    EXPECT_EQ(d.frameTangential.Enabled(), enabled);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(d.txtTangentTolerance(i).Enabled(), enabled);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(d.lblTangentTolerance(i).Enabled(), enabled);
    EXPECT_TRUE(d.cmdApply.Enabled());
  }
}

TEST_F(OptionsTest, TickingTheTooltipBoxWithTheMouseAsksForARestart) {
  const std::string project = NewProject("Lots");
  ExecRaw(project, "UPDATE tblSetting SET ToolTipOn = 0");
  OpenProject(project);
  FrmSetting& d = ShowDialog();
  ASSERT_EQ(d.chkToolTip.Value(), vbUnchecked);
  const std::string restart = "You must restart Korvalo to enable Tooltip help.";
  prompts.ExpectMsgBox(restart, vbOKOnly);
  UserClick(d.chkToolTip);
  EXPECT_EQ(prompts.Pending(), 0);
  // Unticking says nothing.
  UserClick(d.chkToolTip);
  ASSERT_EQ(d.chkToolTip.Value(), vbUnchecked);
  // By keyboard: nothing.
  UserFocus(d.chkToolTip);
  UserKey(d.chkToolTip, ' ');
  ASSERT_EQ(d.chkToolTip.Value(), vbChecked);
  // Any mouse button released over the ticked box asks.
  prompts.ExpectMsgBox(restart, vbOKOnly);
  UserMouseClick(d.chkToolTip, vbRightButton);
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(d.chkToolTip.Value(), vbChecked);
}

TEST_F(OptionsTest, TooltipsFollowTheProjectAndComeBackWithTheNextLoad) {
  const std::string quiet = NewProject("Quiet");
  ExecRaw(quiet, "UPDATE tblSetting SET ToolTipOn = 0");
  const std::string helpful = NewProject("Helpful");
  ExecRaw(helpful, "UPDATE tblSetting SET ToolTipOn = 1");
  OpenProject(quiet);
  FrmSetting& d = ShowDialog();
  for (Control* c : FormControls(d)) EXPECT_EQ(c->ToolTipText(), "") << c->Name();
  UserClick(d.cmdCancel);

  OpenProject(helpful);
  ShowDialog();
  EXPECT_EQ(d.cmdApply.ToolTipText(), "Commit the current settings to act on this project.");
  EXPECT_EQ(d.txtWarning(2).ToolTipText(),
            "The value after which the program determines a curve was NOT MEANT TO BE TANGENTIAL.");
}

TEST_F(OptionsTest, UnitClicksPutTheUnitsDefaultsAndSwitchTheAreaOptions) {
  OpenProject(NewProject("Lots"));
  FrmSetting& d = ShowDialog();
  Retype(d.txtTolerance, "0.3");
  Retype(d.txtErrDecimal, "6");
  UserClick(d.optFeet(1));
  EXPECT_EQ(d.txtTolerance.Text(), "0.001");
  EXPECT_EQ(d.txtErrDecimal.Text(), "3");
  EXPECT_TRUE(d.frameSub(1).Enabled());
  EXPECT_FALSE(d.optSquareAcres(0).Enabled());
  UserClick(d.optFeet(0));
  EXPECT_EQ(d.txtTolerance.Text(), "0.01");
  EXPECT_EQ(d.txtErrDecimal.Text(), "2");
  EXPECT_TRUE(d.frameSub(0).Enabled());
  EXPECT_FALSE(d.optSquareMeters(1).Enabled());
}

TEST_F(OptionsTest, LayoutsFollowTheEdition) {
  OpenProject(NewProject("Lots"));
  FrmSetting& linked = ShowDialog();
  EXPECT_EQ(linked.Caption(), "Project Options");
  EXPECT_EQ(linked.ScaleWidth(), 5520);
  EXPECT_EQ(linked.ScaleHeight(), 8385);
  EXPECT_EQ(linked.lblOrder(2).Top(), 480);
  EXPECT_EQ(linked.txtTolerance.Top(), 4080);
  EXPECT_TRUE(linked.txtTolerance.GetFont().bold);
  EXPECT_FALSE(linked.cmdApply.GetFont().bold);
  EXPECT_EQ(linked.lblWarning(1).GetFont().size, 12);
  EXPECT_EQ(linked.optBearing(1).TabIndex() + 1, linked.txtDegreeSymbol.TabIndex());
  UserClick(linked.cmdCancel);

  SetEdition(Edition::Standalone);
  EditorOptionsHost host(*editor);
  FrmSetting standalone(host);
  EXPECT_EQ(standalone.lblOrder(2).Left(), 2880);
  EXPECT_EQ(standalone.lblOrder(2).Top(), 240);
  EXPECT_EQ(standalone.txtTolerance.Left(), 3600);
  EXPECT_EQ(standalone.txtTolerance.Top(), 4508);
  EXPECT_EQ(standalone.chkTangent.Left(), 4320);
  EXPECT_EQ(standalone.frameBearing.Top(), 2520);
  EXPECT_EQ(standalone.cmdApply.Top(), 7680);
}

}  // namespace
}  // namespace korvalo::options::test
