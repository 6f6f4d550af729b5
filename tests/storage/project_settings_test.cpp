#include <array>
#include <filesystem>
#include <fstream>

#include "storage/project_settings.h"
#include "storage/schema.h"
#include "storage_fixture.h"

namespace korvalo {
namespace {

using ProjectSettingsTest = StorageTest;

void Store(const std::string& project, const std::string& assignments) {
  dao::Database db = dao::Database::Open(project);
  db.Execute("UPDATE tblSetting SET " + assignments);
}

TEST_F(ProjectSettingsTest, LoaderDerivesAnglesAndTrimsTheDegreeCode) {
  NewProject("A");
  Store(Program().ProjectPath,
        "WarningRanged = 5, WarningRangem = 0, WarningRanges = 0, TangentToleranced = 1, TangentTolerancem = 30, "
        "TangentTolerances = 36, DegreeSymbol = ' %d', Bearing = 0, ErrDecimal = 4, txtArc = 3, "
        "txtChord = 2");
  ASSERT_TRUE(LoadProjectSettings());
  const ProjectSettings& s = Program().ProjectSettings;
  EXPECT_DOUBLE_EQ(s.WarningRange, 5.0);
  EXPECT_DOUBLE_EQ(s.TangentTolerance, 1.51);
  EXPECT_EQ(s.DegreeSymbol, "%d");
  EXPECT_FALSE(s.Bearing);
  EXPECT_EQ(s.ErrDecimal, 4);
  EXPECT_EQ(s.ArcPos, 3);
  EXPECT_EQ(s.ChordPos, 2);
  EXPECT_EQ(s.BearingPos, 1);
  EXPECT_DOUBLE_EQ(s.ClosureTolerance, 0.05);
  EXPECT_TRUE(s.UnitFeet);
  EXPECT_TRUE(messages.empty());
}

// Damaged or hand-edited arc-input positions: the shipped order is used, the
// user is told once, and the file keeps what it holds.
TEST_F(ProjectSettingsTest, UnsoundArcPositionsFallBackToTheShippedOrder) {
  struct Case {
    std::array<int, 4> stored;  // txtBearing, txtArc, txtChord, txtRadius; -1 for NULL
    bool sound;
  };
  const Case cases[] = {
      {{1, 2, 3, 4}, true},
      {{1, 4, 2, 3}, true},
      {{1, 2, 2, 4}, false},   // two inputs on one slot
      {{2, 1, 3, 4}, false},   // the chord direction moved
      {{1, 2, 3, 5}, false},   // out of range
      {{1, 0, 3, 4}, false},
      {{1, -1, 3, 4}, false},  // missing
  };
  const char* const fields[] = {"txtBearing", "txtArc", "txtChord", "txtRadius"};
  NewProject("A");
  for (const Case& c : cases) {
    std::string assignments;
    for (std::size_t f = 0; f < 4; ++f) {
      if (f > 0) assignments += ", ";
      assignments += std::string(fields[f]) + " = " +
                     (c.stored[f] < 0 ? std::string("NULL") : std::to_string(c.stored[f]));
    }
    SCOPED_TRACE(assignments);
    messages.clear();
    Store(Program().ProjectPath, assignments);
    ASSERT_TRUE(LoadProjectSettings());
    const ProjectSettings& s = Program().ProjectSettings;
    if (c.sound) {
      EXPECT_TRUE(messages.empty());
      EXPECT_EQ(s.ArcPos, c.stored[1]);
      continue;
    }
    EXPECT_EQ(Texts(), std::vector<std::string>{kUnsoundArcPositionsMessage});
    EXPECT_EQ((std::array<int, 4>{s.BearingPos, s.ArcPos, s.ChordPos, s.RadiusPos}),
              (std::array<int, 4>{1, 2, 3, 4}));
    // The stored row keeps what it holds.
    dao::Database db = dao::Database::Open(Program().ProjectPath);
    dao::Recordset rs = db.OpenRecordset("tblSetting", dao::RecordsetType::Snapshot);
    for (std::size_t f = 0; f < 4; ++f) {
      const dao::Value v = rs.Get(fields[f]);
      EXPECT_EQ(dao::IsNull(v) ? -1 : dao::AsLong(v), c.stored[f]) << fields[f];
    }
  }
}

TEST_F(ProjectSettingsTest, OlderFileWithoutDirectionFieldsWorksInBearingMode) {
  dao::TableDef table = schema::ProjectSettingTable(Edition::A2004);
  table.fields.resize(20);  // before Bearing and DegreeSymbol
  Program().ProjectPath = dir.File("old.kvx");
  {
    dao::Database db = dao::Database::Create(Program().ProjectPath);
    db.CreateTable(table);
    db.Execute("INSERT INTO tblSetting (txtArc, ErrDecimal, AutoCADFile, AutoInvert) VALUES (2, 3, '', 1)");
  }
  Program().ProjectSettings.Bearing = false;  // left by a project opened before
  ASSERT_TRUE(LoadProjectSettings());
  EXPECT_TRUE(Program().ProjectSettings.Bearing);
  EXPECT_EQ(Program().ProjectSettings.DegreeSymbol, "%%D");
  EXPECT_EQ(Program().ProjectSettings.ErrDecimal, 3);
  EXPECT_TRUE(Program().ProjectSettings.AutoInvert);
}

TEST_F(ProjectSettingsTest, NothingLeaksFromTheProjectOpenedBefore) {
  const std::string a = NewProject("A");
  Store(a, "ErrDecimal = 4, AutoInvert = 1, TangentToleranced = 2");
  const std::string b = NewProject("B");
  Store(b, "TangentToleranced = NULL");
  Program().ProjectPath = a;
  ASSERT_TRUE(LoadProjectSettings());
  Program().ProjectPath = b;
  ASSERT_TRUE(LoadProjectSettings());
  EXPECT_EQ(Program().ProjectSettings.ErrDecimal, 2);  // B's own, not A's 4
  EXPECT_FALSE(Program().ProjectSettings.AutoInvert);
  EXPECT_DOUBLE_EQ(Program().ProjectSettings.TangentTolerance, 30 / 3600.0);
  EXPECT_TRUE(Program().ProjectSettings.ToolTipOn);  // fields after the empty one are read
}

TEST_F(ProjectSettingsTest, UnreadableSettingsRefuseTheOpenAndKeepTheState) {
  const std::string a = NewProject("A");
  Store(a, "ErrDecimal = 4");
  ASSERT_TRUE(LoadProjectSettings());
  const ProjectSettings before = Program().ProjectSettings;
  const std::string b = NewProject("B");
  dao::Database::Open(b).Execute("DELETE * FROM tblSetting");
  std::ofstream(dir.File("C.kvx")) << "damaged";
  // The number of decimals the figures are rounded to: without it they would
  // silently round to whole units.
  const std::string d = NewProject("D");
  Store(d, "ErrDecimal = NULL");
  for (const std::string& path : {b, dir.File("C.kvx"), dir.File("missing.kvx"), d}) {
    messages.clear();
    Program().ProjectPath = path;
    EXPECT_FALSE(LoadProjectSettings()) << path;
    EXPECT_EQ(messages.size(), 1u) << path;
    EXPECT_EQ(Program().ProjectSettings, before);
  }
  messages.clear();
  Program().ProjectPath = d;
  EXPECT_FALSE(LoadProjectSettings());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].text.find("ErrDecimal"), std::string::npos) << messages[0].text;
}

TEST_F(ProjectSettingsTest, DrawingPaths) {
  std::filesystem::create_directories(dir.File("maps"));
  std::ofstream(dir.File("maps/town.dwg")) << "";
  std::ofstream(dir.File("abs.dwg")) << "";
  const std::string fallback = dir.File("default.dwg");
  struct Case {
    std::string stored;
    std::string expected;
    bool message;
  };
  const Case cases[] = {
      {".\\maps\\town.dwg", dir.File("maps/town.dwg"), false},
      {"./maps/town.dwg", dir.File("maps/town.dwg"), false},
      {dir.File("abs.dwg"), dir.File("abs.dwg"), false},
      {"", "", false},  // no drawing: no message
      {dir.File("gone.dwg"), fallback, true},
      // Only a leading ".\" stands for the program folder.
      {dir.File("maps") + "\\.\\town.dwg", fallback, true},
  };
  NewProject("P");
  for (const Case& c : cases) {
    messages.clear();
    Store(Program().ProjectPath, "AutoCADFile = '" + c.stored + "'");
    ASSERT_TRUE(LoadProjectSettings()) << c.stored;
    EXPECT_EQ(Program().DrawingPath, c.expected) << c.stored;
    if (c.message) {
      EXPECT_EQ(Texts(), std::vector<std::string>{"Can't open the associated drawing: " + c.stored +
                                                  ". The default drawing will be opened. Please relocate the drawing."});
    } else {
      EXPECT_TRUE(messages.empty()) << c.stored;
    }
  }
  EXPECT_EQ(ResolveDrawingPath(".\\a\\.\\b.dwg", "/prog/"), "/prog/a/./b.dwg");
  EXPECT_EQ(ResolveDrawingPath("x\\.\\b.dwg", "/prog"), "x\\.\\b.dwg");
}

TEST_F(ProjectSettingsTest, SwitchesStoreAtOnceAndStayPutOnFailure) {
  const std::string path = NewProject("A");
  ASSERT_TRUE(LoadProjectSettings());
  ASSERT_TRUE(ApplyProjectSwitch(ProjectSwitch::AutoInvert, true));
  ASSERT_TRUE(ApplyProjectSwitch(ProjectSwitch::MinimizeDuringGrab, true));
  EXPECT_TRUE(ProjectSwitchState(ProjectSwitch::AutoInvert));
  EXPECT_TRUE(Program().ProjectSettings.Minimize);
  ASSERT_TRUE(LoadProjectSettings());
  EXPECT_TRUE(Program().ProjectSettings.AutoInvert);
  EXPECT_TRUE(Program().ProjectSettings.Minimize);
  EXPECT_TRUE(SetProjectSetting(setting::kAutoCADFile, std::string("./b.dwg")));
  EXPECT_TRUE(messages.empty());

  // Failures: a position outside the row, a value the field cannot take, no file.
  EXPECT_FALSE(SetProjectSetting(40, true));
  EXPECT_FALSE(SetProjectSetting(setting::kDegreeSymbol, std::string("%%%%D")));
  Program().ProjectPath = dir.File("gone.kvx");
  EXPECT_FALSE(ApplyProjectSwitch(ProjectSwitch::VerifyTangentialCurves, false));
  EXPECT_TRUE(Program().ProjectSettings.TangentCheck);
  EXPECT_EQ(Texts(), std::vector<std::string>(3, kGeneralErrorMessage));
}

}  // namespace
}  // namespace korvalo
