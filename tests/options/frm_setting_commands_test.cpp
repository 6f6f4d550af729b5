#include "editor/project_events.h"
#include "options_fixture.h"

// Apply, OK, Cancel, Set as defaults and Restore defaults, with the project
// row and the program defaults' row read back with SQLite after each step.
namespace korvalo::options::test {
namespace {

using namespace forms;
using forms::testing::UserClick;
using forms::testing::UserClose;
using forms::testing::UserType;

constexpr const char* kWarning = "Warning";

TEST_F(OptionsTest, ApplyStoresEveryValueAndTheEditorShowsItAtOnce) {
  const std::string project = NewProject("Lots");
  ExecRaw(project,
          "UPDATE tblSetting SET UnitFeet = 1, SquareX = 1, ErrDecimal = 2, Bearing = 1, Minimize = 0, "
          "AddAreaCheck = 0, AutoInvert = 0, TangentCheck = 0, ToolTipOn = 1");
  OpenProject(project);
  FrmSetting& d = ShowDialog();
  UserClick(d.optFeet(1));
  UserClick(d.optSquareMeters(1));
  Retype(d.txtTolerance, "0.0100");
  Retype(d.txtErrDecimal, "3");
  UserClick(d.optBearing(1));
  Retype(d.txtDegreeSymbol, "%d");
  for (CheckBox* box : {&d.chkMini, &d.chkCurveOpt, &d.chkAutoInvert, &d.chkTangent}) UserClick(*box);
  Retype(d.txtWarning(0), "6");
  Retype(d.txtWarning(1), "");
  Retype(d.txtTangentTolerance(2), "45");
  UserClick(d.cmdApply);

  const RawRow row = ReadRaw(project);
  const std::map<std::string, std::string> expected = {
      {"UnitFeet", "0"},      {"SquareX", "0"},         {"ClosureTolerance", "0.01"}, {"ErrDecimal", "3"},
      {"Bearing", "0"},       {"DegreeSymbol", "%d"},   {"Minimize", "1"},            {"AddAreaCheck", "1"},
      {"AutoInvert", "1"},    {"TangentCheck", "1"},    {"WarningRanged", "6"},       {"WarningRangem", "0"},
      {"WarningRanges", "0"}, {"TangentTolerances", "45"}, {"ToolTipOn", "1"},
  };
  for (const auto& [field, value] : expected) EXPECT_EQ(row.at(field), value) << field;
  EXPECT_EQ(d.txtTolerance.Text(), "0.01");
  EXPECT_EQ(d.txtWarning(1).Text(), "");
  EXPECT_FALSE(d.cmdApply.Enabled());
  EXPECT_TRUE(d.Loaded());

  // The program works with the new settings at once.
  EXPECT_EQ(Program().ProjectSettings.ErrDecimal, 3);
  EXPECT_FALSE(Program().ProjectSettings.Bearing);
  EXPECT_EQ(editor->lblBearing.Caption(), "Azimuth");
  EXPECT_TRUE(editor->mnuAutoInvert.Checked());
  EXPECT_FALSE(editor->cmdAutoInverse.Enabled());
}

TEST_F(OptionsTest, ApplyRecomputesTheParcelWithTheNewDecimals) {
  OpenProject(NewProject("Lots"));
  // A square whose east side is a little long: closure 0.1234.
  EnterSquare("100.1234");
  ASSERT_EQ(editor->lblClosure.Caption(), "0.12");
  FrmSetting& d = ShowDialog();
  Retype(d.txtErrDecimal, "3");
  UserClick(d.cmdApply);
  EXPECT_EQ(editor->lblClosure.Caption(), "0.123");
}

TEST_F(OptionsTest, EmptyBoxesStoreZeroAndShowZeroForTheTolerance) {
  const std::string project = NewProject("Lots");
  ExecRaw(project, "UPDATE tblSetting SET TangentCheck = 1");
  OpenProject(project);
  FrmSetting& d = ShowDialog();
  for (TextBox* box : {&d.txtTolerance, &d.txtErrDecimal, &d.txtWarning(0), &d.txtWarning(1), &d.txtWarning(2),
                       &d.txtTangentTolerance(0), &d.txtTangentTolerance(1), &d.txtTangentTolerance(2)}) {
    Retype(*box, "");
  }
  UserClick(d.cmdApply);
  const RawRow row = ReadRaw(project);
  EXPECT_EQ(row.at("ClosureTolerance"), "0.0");
  for (const char* field : {"ErrDecimal", "WarningRanged", "WarningRangem", "WarningRanges",
                            "TangentToleranced", "TangentTolerancem", "TangentTolerances"}) {
    EXPECT_EQ(row.at(field), "0") << field;
  }
  EXPECT_EQ(d.txtTolerance.Text(), "0");
}

TEST_F(OptionsTest, AreaOptionStoredIsThatOfTheSelectedUnit) {
  const struct {
    int unit;  // 0 feet, 1 metres
    int area;  // 0 square feet or metres, 1 acres or hectares
    const char* unitFeet;
    const char* squareX;
  } cases[] = {{0, 1, "1", "0"}, {1, 0, "0", "1"}, {0, 0, "1", "1"}, {1, 1, "0", "0"}};
  const std::string project = NewProject("Lots");
  OpenProject(project);
  for (const auto& c : cases) {
    for (int storedFeet : {0, 1}) {
      SCOPED_TRACE(std::to_string(c.unit) + "/" + std::to_string(c.area) + " stored feet " +
                   std::to_string(storedFeet));
      // The area options loaded hold the opposite choice; the unit clicked
      // may be the one selected already.
      ExecRaw(project, "UPDATE tblSetting SET UnitFeet = " + std::to_string(storedFeet) +
                           ", SquareX = " + std::to_string(c.area));
      FrmSetting& d = ShowDialog();
      UserClick(d.optFeet(c.unit));
      UserClick((c.unit == 0 ? d.optSquareAcres : d.optSquareMeters)(c.area));
      UserClick(d.cmdOK);
      EXPECT_FALSE(d.Loaded());
      const RawRow row = ReadRaw(project);
      EXPECT_EQ(row.at("UnitFeet"), c.unitFeet);
      EXPECT_EQ(row.at("SquareX"), c.squareX);
    }
  }
}

TEST_F(OptionsTest, OkCancelAndTheCloseBoxWriteOnlyUnsavedChangesOfOk) {
  const std::string project = NewProject("Lots");
  OpenProject(project);
  const struct {
    const char* name;
    bool change;
    int close;  // 0 OK, 1 Cancel, 2 close box
    bool written;
  } cases[] = {
      {"OK without a change", false, 0, false},
      {"OK after a change", true, 0, true},
      {"Cancel after a change", true, 1, false},
      {"close box after a change", true, 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FrmSetting& d = ShowDialog();
    // Changed behind the dialog's back: a write of the dialog's values
    // would put the shown 2 back.
    ExecRaw(project, "UPDATE tblSetting SET ErrDecimal = 5, Minimize = 0");
    if (c.change) UserClick(d.chkMini);
    if (c.close == 0) UserClick(d.cmdOK);
    if (c.close == 1) UserClick(d.cmdCancel);
    if (c.close == 2) UserClose(d);
    EXPECT_FALSE(d.Loaded());
    const RawRow row = ReadRaw(project);
    EXPECT_EQ(row.at("ErrDecimal"), c.written ? "2" : "5");
    EXPECT_EQ(row.at("Minimize"), c.written ? "1" : "0");
    ExecRaw(project, "UPDATE tblSetting SET ErrDecimal = 2");
  }
}

TEST_F(OptionsTest, ApplyOnAnOlderFileWarnsAndStoresEverythingElse) {
  const std::string project = OldProject("Old", 20);
  OpenProject(project);
  FrmSetting& d = ShowDialog();
  UserClick(d.optBearing(1));
  Retype(d.txtErrDecimal, "4");
  prompts
      .ExpectMsgBox("You are working on the project that was created by the Korvalo V1.5.3 or earlier. You can "
                    "only use the Bearing mode for this project.",
                    vbOKOnly, vbOK, kWarning)
      .ExpectMsgBox("You are working on the project that was created by the Korvalo V1.6.0 or earlier. You cannot "
                    "set the degree symbol. The default degree symbol is %%D.",
                    vbOKOnly, vbOK, kWarning);
  UserClick(d.cmdApply);
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_TRUE(d.optBearing(0).Value());
  EXPECT_EQ(d.txtDegreeSymbol.Text(), "%%D");
  EXPECT_FALSE(d.cmdApply.Enabled());
  EXPECT_EQ(ReadRaw(project).at("ErrDecimal"), "4");
  EXPECT_EQ(Program().ProjectSettings.ErrDecimal, 4);
  EXPECT_TRUE(Program().ProjectSettings.Bearing);
  EXPECT_EQ(editor->lblBearing.Caption(), "Bearing");
}

TEST_F(OptionsTest, ApplyThatCannotWriteTellsAndLeavesTheDialogAsItWas) {
  const std::string project = NewProject("Lots");
  OpenProject(project);
  FrmSetting& d = ShowDialog();
  Retype(d.txtTolerance, "0.0100");
  const RawRow before = ReadRaw(project);
  {
    ReadOnlyFile readOnly(dir.Path(), project);
    CapturedPrompts shown;
    UserClick(d.cmdOK);
    ASSERT_EQ(shown.seen.size(), 1u);
    EXPECT_EQ(shown.seen[0].text.rfind("The options could not be saved in the project " + project +
                                       ". Nothing was changed.\n", 0),
              0u)
        << shown.seen[0].text;
    EXPECT_EQ(shown.seen[0].title, kWarning);
  }
  EXPECT_TRUE(d.Loaded());
  EXPECT_TRUE(d.cmdApply.Enabled());
  EXPECT_EQ(d.txtTolerance.Text(), "0.0100");
  EXPECT_EQ(ReadRaw(project), before);
}

TEST_F(OptionsTest, SetAsDefaultsSeedsNewProjectsAndRestoreDefaultsShowsThem) {
  const std::string first = NewProject("First");
  OpenProject(first);
  FrmSetting& d = ShowDialog();
  UserClick(d.lblOrder(1));
  UserClick(d.cmdBackward);  // Bearing, Chord, Arc, Radius
  UserClick(d.optFeet(1));
  Retype(d.txtErrDecimal, "4");
  Retype(d.txtTolerance, "0.25");
  UserClick(d.optBearing(1));
  Retype(d.txtDegreeSymbol, "%d");
  UserClick(d.chkTangent);
  const RawRow projectBefore = ReadRaw(first);
  const ProjectSettings settingsBefore = Program().ProjectSettings;
  UserClick(d.cmdAsDefault);  // no message

  RawRow defaults = ReadRaw(SystemPath());
  const std::map<std::string, std::string> expected = {
      {"txtBearing", "1"}, {"txtChord", "2"}, {"txtArc", "3"},        {"txtRadius", "4"},
      {"unitfeet", "0"},   {"Decimal", "4"},  {"Tolerance", "0.25"},  {"Bearing", "0"},
      {"DegreeSymbol", "%d"}, {"TangentCheck", "0"}};
  for (const auto& [field, value] : expected) EXPECT_EQ(defaults.at(field), value) << field;
  // Nothing else changes.
  EXPECT_EQ(ReadRaw(first), projectBefore);
  EXPECT_EQ(Program().ProjectSettings, settingsBefore);
  EXPECT_TRUE(d.cmdApply.Enabled());
  EXPECT_EQ(d.txtTolerance.Text(), "0.25");
  UserClick(d.cmdCancel);

  // A new project starts with the defaults.
  const std::string second = NewProject("Second");
  RawRow made = ReadRaw(second);
  EXPECT_EQ(made.at("txtArc"), "3");
  EXPECT_EQ(made.at("ErrDecimal"), "4");
  EXPECT_EQ(made.at("UnitFeet"), "0");

  // Another project shows them after Restore defaults, stores nothing, and
  // Cancel leaves its row.
  const std::string third = NewProject("Third");
  ExecRaw(third,
          "UPDATE tblSetting SET txtBearing = 1, txtRadius = 2, txtArc = 3, txtChord = 4, UnitFeet = 1, "
          "ErrDecimal = 1, ClosureTolerance = 0.5, Bearing = 1, DegreeSymbol = '%%D', TangentCheck = 1");
  OpenProject(third);
  const RawRow thirdBefore = ReadRaw(third);
  ShowDialog();
  ASSERT_TRUE(d.frameTangential.Enabled());
  UserClick(d.cmdDefault);
  EXPECT_TRUE(d.cmdApply.Enabled());
  EXPECT_EQ(Cells(), (std::array<std::string, 4>{"Bearing", "Chord", "Arc", "Radius"}));
  EXPECT_TRUE(d.optFeet(1).Value());
  EXPECT_TRUE(d.frameSub(1).Enabled());
  EXPECT_EQ(d.txtErrDecimal.Text(), "4");
  EXPECT_EQ(d.txtTolerance.Text(), "0.25");
  EXPECT_TRUE(d.optBearing(1).Value());
  EXPECT_EQ(d.txtDegreeSymbol.Text(), "%d");
  EXPECT_EQ(d.chkTangent.Value(), vbUnchecked);
  EXPECT_FALSE(d.frameTangential.Enabled());
  EXPECT_FALSE(d.txtWarning(0).Enabled());
  EXPECT_EQ(ReadRaw(third), thirdBefore);
  UserClick(d.cmdCancel);
  EXPECT_EQ(ReadRaw(third), thirdBefore);
}

TEST_F(OptionsTest, RestoreDefaultsShowsAnUnsoundDefaultOrderAsTheShippedOne) {
  ExecRaw(SystemPath(), "UPDATE tblSetting SET txtArc = 1, txtChord = 2, txtRadius = 3, txtBearing = 4");
  const std::string project = NewProject("Lots");
  ExecRaw(project, "UPDATE tblSetting SET txtBearing = 1, txtRadius = 2, txtArc = 3, txtChord = 4");
  OpenProject(project);
  FrmSetting& d = ShowDialog();
  UserClick(d.cmdDefault);
  EXPECT_EQ(Cells(), (std::array<std::string, 4>{"Bearing", "Arc", "Chord", "Radius"}));
  UserClick(d.cmdAsDefault);
  const RawRow defaults = ReadRaw(SystemPath());
  EXPECT_EQ(defaults.at("txtBearing"), "1");
  EXPECT_EQ(defaults.at("txtArc"), "2");
}

// Refused boxes: a message naming the box, the focus there, nothing stored
// in either database, and OK leaves the dialog open.
TEST_F(OptionsTest, BoxesThatCannotBeStoredAreRefusedBeforeAnythingIsWritten) {
  const std::string fourHundredNines(400, '9');
  const struct {
    const char* name;
    std::function<TextBox&(FrmSetting&)> box;
    const char* typed;
    const char* message;
  } cases[] = {
      {"tolerance with two points", [](FrmSetting& d) -> TextBox& { return d.txtTolerance; }, "1.2.3",
       kToleranceRefused},
      {"tolerance of 400 digits", [](FrmSetting& d) -> TextBox& { return d.txtTolerance; },
       fourHundredNines.c_str(), kToleranceTooLarge},
      {"decimals above 16 bits", [](FrmSetting& d) -> TextBox& { return d.txtErrDecimal; }, "40000",
       kDecimalsRefused},
      {"warning degrees above 16 bits", [](FrmSetting& d) -> TextBox& { return d.txtWarning(0); }, "99999",
       kAngleRefused},
      {"tangent seconds above 16 bits", [](FrmSetting& d) -> TextBox& { return d.txtTangentTolerance(2); },
       "32768", kAngleRefused},
      {"empty degree symbol", [](FrmSetting& d) -> TextBox& { return d.txtDegreeSymbol; }, "",
       kDegreeSymbolRefused},
      {"degree symbol with a blank", [](FrmSetting& d) -> TextBox& { return d.txtDegreeSymbol; }, "% d",
       kDegreeSymbolRefused},
      {"degree symbol with a digit", [](FrmSetting& d) -> TextBox& { return d.txtDegreeSymbol; }, "%1",
       kDegreeSymbolRefused},
      {"degree symbol with a point", [](FrmSetting& d) -> TextBox& { return d.txtDegreeSymbol; }, ".",
       kDegreeSymbolRefused},
      {"degree symbol with a minute mark", [](FrmSetting& d) -> TextBox& { return d.txtDegreeSymbol; }, "'",
       kDegreeSymbolRefused},
      {"degree symbol with a second mark", [](FrmSetting& d) -> TextBox& { return d.txtDegreeSymbol; }, "\"",
       kDegreeSymbolRefused},
      {"degree symbol with a quadrant letter", [](FrmSetting& d) -> TextBox& { return d.txtDegreeSymbol; }, "%n",
       kDegreeSymbolRefused},
      {"four-character degree symbol", [](FrmSetting& d) -> TextBox& { return d.txtDegreeSymbol; }, "%%DD",
       kDegreeSymbolRefused},
  };
  const std::string project = NewProject("Lots");
  ExecRaw(project, "UPDATE tblSetting SET TangentCheck = 1");
  OpenProject(project);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FrmSetting& d = ShowDialog();
    Retype(c.box(d), c.typed);
    ASSERT_EQ(c.box(d).Text(), c.typed);
    const RawRow projectBefore = ReadRaw(project);
    const RawRow defaultsBefore = ReadRaw(SystemPath());
    for (CommandButton* button : {&d.cmdApply, &d.cmdAsDefault, &d.cmdOK}) {
      SCOPED_TRACE(button->Name());
      UserClick(d.cmdForward);  // focus elsewhere, Apply enabled
      prompts.ExpectMsgBox(c.message, vbOKOnly, vbOK, kWarning);
      UserClick(*button);
      EXPECT_EQ(prompts.Pending(), 0);
      EXPECT_TRUE(c.box(d).HasFocus());
      EXPECT_TRUE(d.Loaded());
      EXPECT_TRUE(d.cmdApply.Enabled());
      EXPECT_EQ(ReadRaw(project), projectBefore);
      EXPECT_EQ(ReadRaw(SystemPath()), defaultsBefore);
    }
    UserClick(d.cmdCancel);
  }
}

TEST_F(OptionsTest, SymbolsThatKeepDirectionsReadableAreStored) {
  const std::string project = NewProject("Lots");
  OpenProject(project);
  for (const char* symbol : {"%%d", "\u00B0", "#", "%d"}) {
    SCOPED_TRACE(symbol);
    FrmSetting& d = ShowDialog();
    Retype(d.txtDegreeSymbol, symbol);
    UserClick(d.cmdOK);
    EXPECT_EQ(ReadRaw(project).at("DegreeSymbol"), symbol);
    EXPECT_EQ(Program().ProjectSettings.DegreeSymbol, symbol);
  }
}

// The project roads raise Opened once another project is current.
TEST_F(OptionsTest, AnotherProjectOpenedMeanwhileIsShownBeforeAnythingIsApplied) {
  const std::string first = NewProject("First");
  ExecRaw(first, "UPDATE tblSetting SET UnitFeet = 0, ErrDecimal = 4, Bearing = 0");
  const std::string second = NewProject("Second");
  ExecRaw(second,
          "UPDATE tblSetting SET UnitFeet = 1, ErrDecimal = 1, Bearing = 1, txtBearing = 1, txtRadius = 2, "
          "txtArc = 3, txtChord = 4");
  OpenProject(first);
  FrmSetting& d = ShowDialog();
  Retype(d.txtErrDecimal, "6");  // unsaved, dropped by the reload
  UserClick(d.lblOrder(2));

  OpenProject(second);
  editor::RaiseProjectEvent(editor::ProjectEvent::Opened);
  ASSERT_TRUE(d.Loaded());
  EXPECT_TRUE(d.optFeet(0).Value());
  EXPECT_EQ(d.txtErrDecimal.Text(), "1");
  EXPECT_TRUE(d.optBearing(0).Value());
  EXPECT_EQ(Cells(), (std::array<std::string, 4>{"Bearing", "Radius", "Arc", "Chord"}));
  EXPECT_EQ(d.SelectedOrderCell, -1);
  EXPECT_FALSE(d.cmdApply.Enabled());

  const RawRow firstBefore = ReadRaw(first);
  UserClick(d.chkMini);
  UserClick(d.cmdApply);
  EXPECT_EQ(ReadRaw(first), firstBefore);
  const RawRow row = ReadRaw(second);
  EXPECT_EQ(row.at("UnitFeet"), "1");
  EXPECT_EQ(row.at("ErrDecimal"), "1");
  EXPECT_EQ(row.at("txtRadius"), "2");
  EXPECT_EQ(row.at("Minimize"), "1");
}

TEST_F(OptionsTest, AnotherProjectThatCannotBeReadClosesTheDialog) {
  const std::string first = NewProject("First");
  OpenProject(first);
  FrmSetting& d = ShowDialog();
  editor->SetTopMost(false);
  const std::string broken = dir.File("Broken.kvx");
  Program().ProjectPath = broken;
  {
    CapturedPrompts shown;
    editor::RaiseProjectEvent(editor::ProjectEvent::Opened);
    ASSERT_EQ(shown.seen.size(), 1u);
    EXPECT_EQ(shown.seen[0].text.rfind("The settings of the project " + broken + " cannot be read.\n", 0), 0u)
        << shown.seen[0].text;
  }
  EXPECT_FALSE(d.Loaded());
  EXPECT_TRUE(editor->TopMost());

  // A closed dialog stays closed.
  Program().ProjectPath = first;
  editor::RaiseProjectEvent(editor::ProjectEvent::Opened);
  EXPECT_FALSE(d.Loaded());
}

}  // namespace
}  // namespace korvalo::options::test
