#include "storage/viewer_settings.h"

#include <fstream>

#include "storage/project_settings.h"
#include "storage/schema.h"
#include "storage_fixture.h"

namespace korvalo {
namespace {

class ViewerSettingsTest : public StorageTest {
 protected:
  ViewerSettingsTest() : StorageTest(Edition::Standalone) {}
  void SetUp() override {
    StorageTest::SetUp();
    ResetViewerSettings();
  }
  void TearDown() override {
    ResetViewerSettings();
    StorageTest::TearDown();
  }
  static void Store(const std::string& project, const std::string& assignments) {
    dao::Database::Open(project).Execute("UPDATE tblSetting SET " + assignments);
  }
  static dao::Value Stored(const std::string& project, const char* field) {
    dao::Database db = dao::Database::Open(project);
    dao::Recordset rs = db.OpenRecordset("tblSetting");
    rs.MoveFirst();
    return rs.Get(field);
  }
};

TEST_F(ViewerSettingsTest, NewProjectOpensWhiteOriginalAndWhole) {
  const std::string project = NewProject("A");
  ASSERT_TRUE(LoadStandaloneProjectSettings());
  EXPECT_EQ(Viewer().BackColor, (Rgb{255, 255, 255}));
  // The fore colour code is the program default's, as stored.
  EXPECT_EQ(Viewer().ForeColor, dao::AsLong(Stored(project, "ForeColor")));
  for (const SavedView& v : Viewer().Views) {
    EXPECT_EQ(v, (SavedView{0, 0, 0, 1, 1}));
    EXPECT_FALSE(ViewIsSaved(v));
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(ViewerSettingsTest, ColoursReadByCodeWithDefaultsForEmptyAndUnknown) {
  struct Case {
    const char* back;
    const char* fore;
    Rgb rgb;
    long foreCode;
  };
  const Case cases[] = {
      {"0", "14", {255, 255, 255}, 14},  {"1", "7", {0, 0, 0}, 7},      {"2", "2", {255, 255, 0}, 2},
      {"3", "5", {0, 0, 255}, 5},        {"4", "3", {255, 255, 255}, 3}, {"-1", "256", {255, 255, 255}, 256},
      {"NULL", "NULL", {255, 255, 255}, 256},
  };
  const std::string project = NewProject("A");
  for (const Case& c : cases) {
    Viewer().BackColor = {1, 2, 3};  // left by a project opened before
    Viewer().ForeColor = 99;
    Store(project, std::string("BackColor = ") + c.back + ", ForeColor = " + c.fore);
    ASSERT_TRUE(LoadStandaloneProjectSettings()) << c.back;
    EXPECT_EQ(Viewer().BackColor, c.rgb) << c.back;
    EXPECT_EQ(Viewer().ForeColor, c.foreCode) << c.fore;
    EXPECT_EQ(BackColorCode(Viewer().BackColor), BackColorCode(c.rgb));
  }
  EXPECT_EQ(BackColorCode({1, 2, 3}), std::nullopt);
}

TEST_F(ViewerSettingsTest, ViewsAreReadTogetherOrForgottenTogether) {
  const std::string project = NewProject("A");
  Store(project, "ZoomFactor1 = 2.5, BLX1 = 10, BLY1 = 20, TRX1 = 30, TRY1 = 40, "
                 "ZoomFactor2 = 1, BLX2 = 0, BLY2 = 0, TRX2 = 1, TRY2 = 2");
  ASSERT_TRUE(LoadStandaloneProjectSettings());
  EXPECT_EQ(Viewer().Views[0], (SavedView{2.5, 10, 20, 30, 40}));
  EXPECT_EQ(Viewer().Views[1], (SavedView{1, 0, 0, 1, 2}));
  EXPECT_TRUE(ViewIsSaved(Viewer().Views[0]));
  EXPECT_TRUE(ViewIsSaved(Viewer().Views[1]));  // (0, 0, 1, 2) is a window

  // One empty value of viewer 2 forgets viewer 1's view too; the shared
  // settings and the colours are read all the same.
  Store(project, "TRY2 = NULL, ErrDecimal = 5, BackColor = 1");
  ASSERT_TRUE(LoadStandaloneProjectSettings());
  EXPECT_EQ(Viewer().Views[0], SavedView{});
  EXPECT_EQ(Viewer().Views[1], SavedView{});
  EXPECT_FALSE(ViewIsSaved(Viewer().Views[0]));
  EXPECT_EQ(Program().ProjectSettings.ErrDecimal, 5);
  EXPECT_EQ(Viewer().BackColor, (Rgb{0, 0, 0}));
}

TEST_F(ViewerSettingsTest, LinkedEditionFileOpensWithDefaults) {
  const std::string project = dir.File("linked.kvx");
  {
    dao::Database db = dao::Database::Create(project);
    db.CreateTable(schema::ProjectSettingTable(Edition::A2004));
    db.Execute("INSERT INTO tblSetting (txtArc, txtChord, txtRadius, txtBearing, ErrDecimal, AutoCADFile) "
               "VALUES (2, 3, 4, 1, 3, '')");
  }
  Program().ProjectPath = project;
  Viewer().BackColor = {0, 0, 255};
  Viewer().Views[0] = {1, 1, 2, 3, 4};
  ASSERT_TRUE(LoadStandaloneProjectSettings());
  EXPECT_EQ(Viewer(), ViewerSettings{} /* white, Original, no views */);
  EXPECT_EQ(Program().ProjectSettings.ErrDecimal, 3);
  EXPECT_TRUE(messages.empty());
}

TEST_F(ViewerSettingsTest, UnreadableRowIsRefusedWholeWithTheSharedMessage) {
  NewProject("A");
  Store(Program().ProjectPath, "BackColor = 2, ErrDecimal = 4");
  ASSERT_TRUE(LoadStandaloneProjectSettings());
  const ViewerSettings viewerBefore = Viewer();
  const ProjectSettings before = Program().ProjectSettings;
  const std::string drawingBefore = Program().DrawingPath;
  const std::string b = NewProject("B");
  dao::Database::Open(b).Execute("DELETE * FROM tblSetting");
  std::ofstream(dir.File("C.kvx")) << "damaged";
  for (const std::string& path : {b, dir.File("C.kvx"), dir.File("missing.kvx")}) {
    messages.clear();
    Program().ProjectPath = path;
    EXPECT_FALSE(LoadStandaloneProjectSettings()) << path;
    ASSERT_EQ(messages.size(), 1u) << path;
    EXPECT_NE(messages[0].text.find("cannot be read"), std::string::npos);
    EXPECT_EQ(Viewer(), viewerBefore);
    EXPECT_EQ(Program().ProjectSettings, before);
    EXPECT_EQ(Program().DrawingPath, drawingBefore);
  }
}

TEST_F(ViewerSettingsTest, DrawingPathComesFromTheSharedResolver) {
  const std::string project = NewProject("A");
  std::ofstream(dir.File("plat.dxf")) << "0\nEOF\n";
  Store(project, "AutoCADFile = '.\\plat.dxf'");
  ASSERT_TRUE(LoadStandaloneProjectSettings());
  EXPECT_EQ(Program().DrawingPath, dir.File("plat.dxf"));
  Store(project, "AutoCADFile = '" + dir.File("gone.dwg") + "'");
  ASSERT_TRUE(LoadStandaloneProjectSettings());
  EXPECT_EQ(Program().DrawingPath, FileBesideProgram("default.dwg"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text.rfind("Can't open the associated drawing: ", 0), 0u);
}

TEST_F(ViewerSettingsTest, StoredViewsComeBackAtTheNextOpen) {
  const std::string project = NewProject("A");
  ASSERT_TRUE(LoadStandaloneProjectSettings());
  EXPECT_TRUE(StoreViewerView(0, {3, -5, -6, 7, 8}));
  // A viewer without a drawing reports 99: no view is kept.
  EXPECT_TRUE(StoreViewerView(1, {kNoDrawingZoom, 1, 2, 3, 4}));
  EXPECT_EQ(Viewer().Views[1], (SavedView{kNoDrawingZoom, 0, 0, 0, 0}));
  ResetViewerSettings();
  ASSERT_TRUE(LoadStandaloneProjectSettings());
  EXPECT_EQ(Viewer().Views[0], (SavedView{3, -5, -6, 7, 8}));
  EXPECT_EQ(Viewer().Views[1], (SavedView{kNoDrawingZoom, 0, 0, 0, 0}));
  EXPECT_FALSE(ViewIsSaved(Viewer().Views[1]));

  ForgetSavedViewCorners();
  EXPECT_EQ(Viewer().Views[0], (SavedView{3, 0, 0, 0, 0}));
  EXPECT_FALSE(StoreViewerView(2, {1, 1, 1, 1, 1}));
}

TEST_F(ViewerSettingsTest, FailedWritesForgetViewsAndKeepTheRow) {
  const std::string project = NewProject("A");
  ASSERT_TRUE(LoadStandaloneProjectSettings());
  ASSERT_TRUE(StoreViewerView(0, {2, 1, 2, 3, 4}));
  ASSERT_TRUE(SaveBackColor(3));
  ASSERT_TRUE(SaveForeColor(kForeYellow));
  EXPECT_EQ(dao::AsLong(Stored(project, "BackColor")), 3);
  EXPECT_EQ(dao::AsLong(Stored(project, "ForeColor")), 2);

  dao::Database::Open(project).Execute("DELETE * FROM tblSetting");
  EXPECT_FALSE(StoreViewerView(1, {2, 5, 6, 7, 8}));
  EXPECT_EQ(Viewer().Views[0], SavedView{});
  EXPECT_EQ(Viewer().Views[1], SavedView{});
  Program().ProjectPath = dir.File("missing.kvx");
  EXPECT_FALSE(SaveBackColor(1));
  EXPECT_FALSE(SaveForeColor(7));
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace korvalo
