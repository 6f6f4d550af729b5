#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "platform/dao/dao.h"
#include "storage/project_db.h"
#include "viewer_fixture.h"

// The views the viewers show are stored in the project they belong to, once
// per turn of the event loop, the last one.
namespace korvalo::standalone::test {
namespace {

// Views equal but for the last bits that a restore's fitting changes.
void ExpectSameView(const SavedView& a, const SavedView& b) {
  const double tolerance = 1e-9 * std::max(1.0, std::fabs(a.trx - a.blx));
  EXPECT_NEAR(a.zoomFactor, b.zoomFactor, 1e-9);
  EXPECT_NEAR(a.blx, b.blx, tolerance);
  EXPECT_NEAR(a.bly, b.bly, tolerance);
  EXPECT_NEAR(a.trx, b.trx, tolerance);
  EXPECT_NEAR(a.try_, b.try_, tolerance);
}

class ViewStoreTest : public ViewerWindowTest {
 protected:
  void SetUp() override {
    ViewerWindowTest::SetUp();
    OpenFreshSystemDatabase();
    drawing = Dxf("Lots.dxf", LayerTable({{"0", 7, 0}}),
                  Join({Text("T1", "0", 0, 0, 2, 0, "LOT 5"), Text("T2", "0", 100, 80, 2, 0, "LOT 6")}));
    for (const char* name : {"East", "West"}) ASSERT_TRUE(CreateProjectDatabase(folder.Path() + "/", name, drawing));
    east = folder.Path() + "/East.kvx";
    west = folder.Path() + "/West.kvx";
  }
  // Makes the project current as the roads do, and shows its drawing.
  void Open(const std::string& project) {
    Program().ProjectPath = project;
    ASSERT_TRUE(link->LoadProjectSettings());
    ASSERT_EQ(Load(drawing), 0);
  }
  static SavedView Stored(const std::string& project) {
    dao::Database db = dao::Database::Open(project);
    dao::Recordset rs = db.OpenRecordset("tblSetting");
    rs.MoveFirst();
    return {dao::AsDouble(rs.Get("ZoomFactor1")), dao::AsDouble(rs.Get("BLX1")), dao::AsDouble(rs.Get("BLY1")),
            dao::AsDouble(rs.Get("TRX1")), dao::AsDouble(rs.Get("TRY1"))};
  }
  SavedView Shown() {
    SavedView v;
    double sixth = 0;
    View().Dbcocx1.ViewerGetView(v.blx, v.bly, v.trx, v.try_, v.zoomFactor, sixth);
    return v;
  }
  // Pan steps of one turn.
  void Pan() {
    for (int step = 1; step <= 5; ++step) View().Dbcocx1.ViewerSetCenter(10.0 * step, 7.0 * step);
  }

  std::string drawing, east, west;
  const SavedView fresh{0, 0, 0, 1, 1};
};

TEST_F(ViewStoreTest, PanStepsOfOneTurnStoreTheLastView) {
  Open(east);
  Pan();
  const SavedView last = Shown();
  // The saved view is the last one at once (a tab switch shows it).
  EXPECT_EQ(Viewer().Views[0], last);
  forms::DoEvents();
  EXPECT_EQ(Stored(east), last);
  // It comes back with the project.
  ResetViewerSettings();
  Open(east);
  ExpectSameView(Viewer().Views[0], last);
}

// Another project made current before the turn ends: the waiting view goes
// into the project it was shown in, never into the new one.
TEST_F(ViewStoreTest, AViewWaitingAtAProjectSwitchGoesIntoItsOwnProject) {
  enum class Way { Loader, PathThenTurnEnds, NewProjectsViewSameTurn };
  struct Case {
    const char* name;
    Way way;
  };
  const Case cases[] = {
      {"through the settings loader", Way::Loader},
      {"the path alone, then the turn ends", Way::PathThenTurnEnds},
      {"a view of the new project in the same turn", Way::NewProjectsViewSameTurn},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dao::Database::Open(east).Execute("UPDATE tblSetting SET BLX1 = 0, BLY1 = 0, TRX1 = 1, TRY1 = 1");
    Open(east);
    Open(west);
    View().Dbcocx1.ViewerZoom(100);
    forms::DoEvents();
    const SavedView westBefore = Stored(west);
    Program().ProjectPath = east;
    Pan();
    const SavedView eastLast = Shown();
    switch (c.way) {
      case Way::Loader:
        Open(west);
        break;
      case Way::PathThenTurnEnds:
        Program().ProjectPath = west;
        break;
      case Way::NewProjectsViewSameTurn:
        Program().ProjectPath = west;
        View().Dbcocx1.ViewerSetCenter(-40, -40);
        break;
    }
    forms::DoEvents();
    EXPECT_EQ(Stored(east), eastLast);
    // The load of the new project's drawing stores the view it restores.
    ExpectSameView(Stored(west), c.way == Way::NewProjectsViewSameTurn ? Shown() : westBefore);
  }
}

TEST_F(ViewStoreTest, AViewWaitingWhenTheWindowsCloseIsStored) {
  Open(east);
  Pan();
  const SavedView last = Shown();
  policy.reset();
  main.reset();
  link.reset();
  EXPECT_EQ(Stored(east), last);
}

}  // namespace
}  // namespace korvalo::standalone::test
