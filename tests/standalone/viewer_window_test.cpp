#include <QApplication>
#include <QImage>
#include <QWheelEvent>
#include <QWidget>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>

#include "../platform/viewer/dgn_file.h"
#include "storage/project_db.h"
#include "storage/system_db.h"
#include "viewer_fixture.h"

// The drawing window's controls, panning and the wheel, loading drawings
// into both viewers with their layers, colours and views.
namespace korvalo::standalone::test {
namespace {

using namespace forms;

TEST_F(ViewerWindowTest, TwoTabsEachWithItsToolbarAndViewer) {
  FrmView& v = View();
  ASSERT_EQ(v.SSTab1.Tabs(), 2);
  EXPECT_EQ(v.SSTab1.TabCaption(0), "First View");
  EXPECT_EQ(v.SSTab1.TabCaption(1), "Second View");
  EXPECT_EQ(&v.Dbcocx1.Parent(), &v.SSTab1.Page(0));
  EXPECT_EQ(&v.Dbcocx2.Parent(), &v.SSTab1.Page(1));
  for (int tab = 0; tab <= 1; ++tab) {
    for (CommandButton* b : v.Toolbar(tab)) {
      SCOPED_TRACE(b->Name());
      EXPECT_EQ(&b->Parent(), &v.SSTab1.Page(tab));
      EXPECT_EQ(b->Left(), (b == &v.cmdDone(tab) ? 2760 : b->Left()));
    }
    EXPECT_EQ(v.cmdZoomIn(tab).Left(), 50);
    EXPECT_EQ(v.cmdRedraw(tab).Left(), 2160);
    EXPECT_EQ(v.cmdZoomOut(tab).ToolTipText(), "Zoom out");
  }
  EXPECT_EQ(v.cmd100(0).ToolTipText(), "Zoom to 100 percent actual size");
  EXPECT_NE(v.cmd100(1).ToolTipText(), v.cmd100(0).ToolTipText());
  EXPECT_FALSE(v.cmdLayer1.Enabled());
  EXPECT_FALSE(v.cmdLayer2.Enabled());
  // Only the second tab's page shows once it is chosen.
  v.SSTab1.SetTab(1);
  EXPECT_FALSE(v.SSTab1.Page(0).Visible());
  EXPECT_TRUE(v.SSTab1.Page(1).Visible());
  EXPECT_THROW(v.SSTab1.SetTab(2), RuntimeError);
  // The close box does nothing.
  testing::UserClose(v);
  EXPECT_TRUE(v.Loaded());
}

// The six zoom buttons show pictures, each its own, the same on both tabs,
// with no caption and their tooltips.
TEST_F(ViewerWindowTest, ZoomButtonsShowTheirOwnPictures) {
  FrmView& v = View();
  struct Case {
    ControlArray<CommandButton>* button;
    const char* tip;
  };
  const Case cases[] = {
      {&v.cmdZoomIn, "Zoom in"},
      {&v.cmdZoomOut, "Zoom out"},
      {&v.cmdPartLarge, "Zoom a selected area of the drawing"},
      {&v.cmdUndo, "Undo the last zoom"},
      {&v.cmd100, "Zoom to 100 percent actual size"},
      {&v.cmdRedraw, "Re-drawn according to the current zoom factor "},
  };
  std::vector<Image> seen;
  for (const Case& c : cases) {
    CommandButton& b = (*c.button)(0);
    SCOPED_TRACE(b.Name());
    EXPECT_EQ(b.ToolTipText(), c.tip);
    for (int tab = 0; tab <= 1; ++tab) {
      CommandButton& t = (*c.button)(tab);
      EXPECT_EQ(t.Caption(), "");
      EXPECT_EQ(t.Style(), vbButtonGraphical);
      EXPECT_EQ(t.Picture(), b.Picture());
      EXPECT_EQ(t.Width(), 420);
      EXPECT_EQ(t.Height(), 420);
    }
    const Image& p = b.Picture();
    EXPECT_EQ(p.width, 20);
    EXPECT_EQ(p.height, 20);
    EXPECT_EQ(std::ssize(p.pixels), 20 * 20);
    // Drawn on a clear ground: the corner shows the button's face.
    EXPECT_EQ(p.pixels.front() >> 24, 0u);
    for (const Image& other : seen) EXPECT_NE(other, p);
    seen.push_back(p);
  }

  // On the screen the picture's solid pixels show on the button's face.
  main->Show();
  v.Show();
  ASSERT_TRUE(SaveWindowImage(v, folder.File("view.png")));
  QWidget* w = v.cmdZoomIn(0).Widget();
  ASSERT_NE(w, nullptr);
  const QImage face = w->grab().toImage();
  const Image& p = v.cmdZoomIn(0).Picture();
  int solid = 0, best = 0;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      int matched = 0;
      solid = 0;
      for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
          const std::uint32_t px = p.pixels[static_cast<std::size_t>(y * p.width + x)];
          if (px >> 24 != 0xFF) continue;
          ++solid;
          const int fx = (face.width() - p.width) / 2 + x + dx, fy = (face.height() - p.height) / 2 + y + dy;
          if (face.valid(fx, fy) && (face.pixel(fx, fy) & 0xFFFFFF) == (px & 0xFFFFFF)) ++matched;
        }
      best = std::max(best, matched);
    }
  ASSERT_GT(solid, 40);
  EXPECT_GT(best, solid * 9 / 10);
}

TEST_F(ViewerWindowTest, NoDrawingLeavesTheViewersHiddenAndTheirButtonsOff) {
  EXPECT_EQ(Load(""), 1);
  EXPECT_FALSE(View().Dbcocx1.Visible());
  EXPECT_FALSE(View().Dbcocx2.Visible());
  for (int tab = 0; tab <= 1; ++tab)
    for (CommandButton* b : View().Toolbar(tab)) EXPECT_FALSE(b->Enabled());
}

// Layers shown, off and frozen, their colours and icons, in both menus.
TEST_F(ViewerWindowTest, LayersStatesColoursAndIcons) {
  const std::string path =
      Dxf("lot.dxf",
          LayerTable({{"0", 7, 0}, {"OFF", -3, 0}, {"FROZEN", 5, 1}, {"L16", 16, 0}}),
          Join({Text("A1", "0", 0, 0, 2, 0, "LOT 5"), Text("A2", "L16", 50, 50, 2, 0, "100.00")}));
  ASSERT_EQ(Load(path), 0);
  ASSERT_EQ(link->LayerCount, 4);
  struct Case {
    int item;
    std::string name;
    bool checked, enabled;
    int colour, icon;
  };
  const Case cases[] = {{0, "0", true, true, 7, 7},         {1, "OFF", false, true, 3, 17},
                        {2, "FROZEN", false, false, 5, 19}, {3, "L16", true, true, 16, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(main->mnuLayer1(c.item).Caption(), "Layer1 " + c.name);
    EXPECT_EQ(main->mnuLayer2(c.item).Caption(), "Layer2 " + c.name);
    for (Menu* m : {&main->mnuLayer1(c.item), &main->mnuLayer2(c.item)}) {
      EXPECT_EQ(m->Checked(), c.checked);
      EXPECT_EQ(m->Enabled(), c.enabled);
      EXPECT_EQ(MenuItemIconIndex(*m), c.icon);
    }
    EXPECT_EQ(link->LayerColors[static_cast<std::size_t>(c.item)], c.colour);
  }
  EXPECT_TRUE(View().cmdLayer1.Enabled());
  EXPECT_TRUE(View().cmdLayer2.Enabled());
  EXPECT_EQ(link->LoadedDrawingPath, path);
  // Hiding a layer in one viewer's menu leaves the other viewer's as it was,
  // and its icon turns to the hidden form.
  main->mnuLayer1(0).PerformClick();
  EXPECT_FALSE(main->mnuLayer1(0).Checked());
  EXPECT_TRUE(main->mnuLayer2(0).Checked());
  EXPECT_EQ(MenuItemIconIndex(main->mnuLayer1(0)), 21);
  main->mnuLayer1(0).PerformClick();
  EXPECT_EQ(MenuItemIconIndex(main->mnuLayer1(0)), 7);
  // The overview windows are the last load's, one shown per tab.
  ASSERT_NE(View().OverviewHwnd[0], nullptr);
  EXPECT_EQ(View().OverviewHwnd[0]->Caption(), "Overview1");
  EXPECT_EQ(View().OverviewHwnd[1]->Caption(), "Overview2");
  EXPECT_TRUE(View().OverviewHwnd[0]->Visible());
  EXPECT_FALSE(View().OverviewHwnd[1]->Visible());
  EXPECT_EQ(LockedWindow(), nullptr);
}

// A file the viewer cannot read is never reported as loaded, and the
// project's drawing path stays as it was.
TEST_F(ViewerWindowTest, UnreadableDrawingsFailWithTheirMessage) {
  const std::string garbage = folder.File("broken.dxf");
  WriteFile(garbage, "this is not a drawing");
  const std::string damagedDgn = folder.File("broken.dgn");
  WriteFile(damagedDgn, std::string(100, '\x07'));
  const std::string damagedDwg = folder.File("damaged.dwg");
  WriteFile(damagedDwg, "AC1015" + std::string(200, '\0'));
  for (const std::string& path : {garbage, damagedDgn, damagedDwg, folder.Path() + "/missing.DWG"}) {
    SCOPED_TRACE(path);
    prompts.ExpectMsgBox(kOpenDrawingError, vbOKOnly);
    EXPECT_EQ(Load(path), 1);
    EXPECT_EQ(Program().DrawingPath, path);
    EXPECT_EQ(LockedWindow(), nullptr);
  }
}

// A DWG's layers take the colour their entities are drawn in: yellow (2)
// and cyan (4), with the icons of those colours.
TEST_F(ViewerWindowTest, DwgLayersHaveTheirColoursInTheMenus) {
  ASSERT_EQ(Load(viewer::testing::Fixture("example_r2000.dwg")), 0);
  ASSERT_EQ(link->LayerCount, 2);
  EXPECT_EQ(main->mnuLayer1(0).Caption(), "Layer1 Tavolo 2");
  EXPECT_EQ(link->LayerColors, (std::vector<int>{2, 4}));
  EXPECT_EQ(MenuItemIconIndex(main->mnuLayer1(0)), 2);
  EXPECT_EQ(MenuItemIconIndex(main->mnuLayer2(1)), 4);
}

TEST_F(ViewerWindowTest, DwgFixturesAndDgnLoad) {
  for (const char* name : {"example_r2000.dwg", "line_r2000.dwg", "text_r2000.dwg"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(Load(viewer::testing::Fixture(name)), 0);
    EXPECT_TRUE(View().Dbcocx1.ViewerDrawingOpen());
    EXPECT_TRUE(View().Dbcocx2.ViewerDrawingOpen());
    EXPECT_GE(link->LayerCount, 1);
  }
  // A DGN goes through the import: no layer menus, one empty disabled item.
  const std::string dgn = folder.Path() + "/plan.DGN";
  viewer::testing::MakeDgn(dgn);
  ASSERT_EQ(Load(dgn), 0);
  EXPECT_TRUE(View().Dbcocx2.ViewerDrawingOpen());
  EXPECT_EQ(link->LayerCount, 1);
  EXPECT_EQ(main->mnuLayer1.Count(), 1);
  EXPECT_EQ(main->mnuLayer1(0).Caption(), "");
  EXPECT_FALSE(main->mnuLayer1(0).Enabled());
  EXPECT_FALSE(View().cmdLayer1.Enabled());
  EXPECT_EQ(Program().DrawingPath, dgn);
}

// Both viewers and the layer menus show one read of the file; a drawing
// edited at the same path is read again, never shown stale; each viewer keeps
// its own layer states.
TEST_F(ViewerWindowTest, AnEditedDrawingIsReadAgainAndEachViewerKeepsItsLayers) {
  const std::string path = Dxf("lot.dxf", LayerTable({{"0", 7, 0}, {"NOTES", 3, 0}}),
                               Join({Text("A1", "NOTES", 0, 0, 2, 0, "LOT 5")}));
  ASSERT_EQ(Load(path), 0);
  viewer::DrawingViewer& one = View().Dbcocx1;
  viewer::DrawingViewer& two = View().Dbcocx2;
  const long entities = one.ViewerEntityCount();
  EXPECT_EQ(two.ViewerEntityCount(), entities);
  // Layer NOTES off in viewer 1 only: viewer 2 still finds its text.
  main->mnuLayer1(1).PerformClick();
  one.ViewerFindEntityAt(1.0, 1.0, 0);
  two.ViewerFindEntityAt(1.0, 1.0, 0);
  EXPECT_EQ(one.ViewerEntityFound(), 0);
  EXPECT_EQ(two.ViewerEntityFound(), 1);

  // The surveyor adds a layer and a text to the plat and loads it again.
  Dxf("lot.dxf", LayerTable({{"0", 7, 0}, {"NOTES", 3, 0}, {"BEARINGS", 1, 0}}),
      Join({Text("A1", "NOTES", 0, 0, 2, 0, "LOT 5"), Text("A2", "BEARINGS", 50, 50, 2, 0, "N 45%%D E")}));
  std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(3));
  ASSERT_EQ(Load(path), 0);
  EXPECT_EQ(one.ViewerEntityCount(), entities + 2);
  EXPECT_EQ(two.ViewerEntityCount(), entities + 2);
  ASSERT_EQ(link->LayerCount, 3);
  EXPECT_EQ(main->mnuLayer2(2).Caption(), "Layer2 BEARINGS");
}

TEST_F(ViewerWindowTest, ColourMenusFollowTheCodes) {
  struct Case {
    int code;
    Menu* checked;
  };
  for (const Case c : {Case{7, &main->mnuFBlack}, Case{2, &main->mnuFYellow}, Case{256, &main->mnuFOriginal}}) {
    link->CheckForeColorMenu(c.code);
    for (Menu* m : {&main->mnuFOriginal, &main->mnuFWhite, &main->mnuFBlack, &main->mnuFYellow, &main->mnuFBlue})
      EXPECT_EQ(m->Checked(), m == c.checked) << c.code << " " << m->Name();
  }
  // An unknown code changes nothing.
  link->CheckForeColorMenu(3);
  EXPECT_TRUE(main->mnuFOriginal.Checked());
  Standalone().ViewerBackColor = 0x00FFFF;  // yellow
  link->CheckBackColorMenu();
  EXPECT_TRUE(main->mnuYellow.Checked());
  EXPECT_FALSE(main->mnuWhite.Checked());
  Standalone().ViewerBackColor = 0x123456;
  link->CheckBackColorMenu();
  EXPECT_TRUE(main->mnuYellow.Checked());
}

TEST_F(ViewerWindowTest, SavedViewsRestoreAsWindowOrWholeDrawing) {
  const std::string path = Dxf("views.dxf", LayerTable({{"0", 7, 0}}),
                               Join({Text("A1", "0", 0, 0, 2, 0, "A"), Text("A2", "0", 100, 100, 2, 0, "B")}));
  ASSERT_EQ(Load(path), 0);
  viewer::DrawingViewer& d = View().Dbcocx1;
  d.ViewerZoom(100);
  double whole[6];
  d.ViewerGetView(whole[0], whole[1], whole[2], whole[3], whole[4], whole[5]);
  struct Case {
    SavedView saved;
    bool window;
  };
  for (const Case c : {Case{{1, 0, 0, 1, 1}, false}, Case{{1, 0, 0, 0, 0}, false}, Case{{2, 10, 10, 30, 30}, true},
                       Case{{1, 0, 0, 1, 2}, true}}) {
    Viewer().Views[0] = c.saved;
    link->RestoreSavedView(1);
    double v[6];
    d.ViewerGetView(v[0], v[1], v[2], v[3], v[4], v[5]);
    if (c.window) {
      EXPECT_LE(v[0], c.saved.blx + 1e-9);
      EXPECT_GE(v[2], c.saved.trx - 1e-9);
      EXPECT_LT(v[2] - v[0], whole[2] - whole[0]);
    } else {
      EXPECT_DOUBLE_EQ(v[0], whole[0]);
      EXPECT_DOUBLE_EQ(v[2], whole[2]);
    }
  }
}

// At start the editor floats below the drawing window's toolbar: the
// maximised drawing window has no title bar of its own to push the toolbar
// down under the editor (placed 1340 twips from the screen's top).
TEST_F(ViewerWindowTest, TheEditorLeavesTheToolbarFreeAtStart) {
  ASSERT_EQ(View().WindowState(), vbMaximized);
  for (int i = 0; i < 5; ++i) DoEvents();
  QWidget* done = View().cmdDone(0).Widget();
  ASSERT_NE(done, nullptr);
  QWidget* frameInside = main->ContentWidget();
  // The drawing window's inside begins where the frame's does.
  const int inFrame = done->mapTo(frameInside, QPoint(0, done->height())).y();
  EXPECT_EQ(inFrame, done->mapTo(View().Window(), QPoint(0, done->height())).y());
  // And Done ends above the editor's top on the screen.
  EXPECT_LT(frameInside->mapToGlobal(QPoint(0, inFrame)).y(), editor->Top() / kTwipsPerPixel);
}

// Split vertical narrows the drawing window: the second tab, which showed
// the whole drawing, shows it whole at its new size when the user turns to
// it, nothing cut at the sides.
TEST_F(ViewerWindowTest, TheSecondTabShowsTheWholeDrawingAfterSplitVertical) {
  const std::string path = Dxf("wide.dxf", LayerTable({{"0", 7, 0}}),
                               Join({Text("A1", "0", 0, 0, 2, 0, "A"), Text("A2", "0", 300, 100, 2, 0, "B")}));
  // A project, which keeps the views shown.
  OpenFreshSystemDatabase();
  ASSERT_TRUE(CreateProjectDatabase(folder.Path() + "/", "Wide", path));
  Program().ProjectPath = folder.File("Wide.kvx");
  ASSERT_EQ(Load(path), 0);
  viewer::DrawingViewer& second = View().Dbcocx2;
  const int before = second.Width();
  main->ArrangeSplitView();
  ASSERT_LT(second.Width(), before);
  View().SSTab1.SetTab(1);  // its Click runs as on the user's click
  ASSERT_TRUE(second.IsEffectivelyVisible());
  double v[6];
  second.ViewerGetView(v[0], v[1], v[2], v[3], v[4], v[5]);
  EXPECT_LE(v[0], 0.0);
  EXPECT_GE(v[2], 300.0);
  EXPECT_LE(v[1], 0.0);
  EXPECT_GE(v[3], 100.0);
  EXPECT_NEAR(v[4], 1.0, 1e-6) << "the whole drawing, fitted";
}

TEST_F(ViewerWindowTest, PanFollowsTheMouseAndEndsAtTheViewsEdge) {
  const std::string path = Dxf("pan.dxf", LayerTable({{"0", 7, 0}}),
                               Join({Text("A1", "0", 0, 0, 2, 0, "A"), Text("A2", "0", 100, 100, 2, 0, "B")}));
  ASSERT_EQ(Load(path), 0);
  FrmView& v = View();
  viewer::DrawingViewer& d = v.Dbcocx1;
  double b[6];
  d.ViewerGetView(b[0], b[1], b[2], b[3], b[4], b[5]);
  // A press on x = 0 sets no anchor: the move only records the mouse.
  d.OnViewerMouseDown(1, 0.0, 20.0);
  d.OnViewerMouseMove(30.0, 30.0);
  EXPECT_EQ(v.LastViewerMouse.X, 30.0);
  double a[6];
  d.ViewerGetView(a[0], a[1], a[2], a[3], a[4], a[5]);
  EXPECT_DOUBLE_EQ(a[0], b[0]);
  // A real press and drag moves the centre by the drag.
  d.OnViewerMouseDown(1, 20.0, 20.0);
  EXPECT_EQ(FormMousePointer(v), vbCustom);
  EXPECT_EQ(FormMouseIcon(v), MouseIcon::Hand);
  d.OnViewerMouseMove(25.0, 20.0);
  d.ViewerGetView(a[0], a[1], a[2], a[3], a[4], a[5]);
  EXPECT_NEAR((a[0] + a[2]) / 2, (b[0] + b[2]) / 2 - 5.0, 1e-6);
  // Reaching an edge ends it, button still down.
  d.OnViewerMouseMove(a[0], 30.0);
  EXPECT_EQ(v.PanAnchor.X, 0.0);
  EXPECT_EQ(FormMousePointer(v), vbDefault);
}

TEST_F(ViewerWindowTest, WheelZoomsAboutTheLastMousePosition) {
  FrmView& v = View();
  // Before a drawing: nothing.
  v.MouseWheel(120);
  const std::string path = Dxf("wheel.dxf", LayerTable({{"0", 7, 0}}),
                               Join({Text("A1", "0", 0, 0, 2, 0, "A"), Text("A2", "0", 100, 100, 2, 0, "B")}));
  ASSERT_EQ(Load(path), 0);
  viewer::DrawingViewer& d = v.Dbcocx1;
  testing::UserActivate(*main);
  double b[6], a[6];
  d.ViewerGetView(b[0], b[1], b[2], b[3], b[4], b[5]);
  const double cx = (b[0] + b[2]) / 2, cy = (b[1] + b[3]) / 2;
  v.LastViewerMouse = {cx + 30, cy};
  v.MouseWheel(120);
  d.ViewerGetView(a[0], a[1], a[2], a[3], a[4], a[5]);
  EXPECT_NEAR(a[2] - a[0], (b[2] - b[0]) / 2, 1e-6);
  EXPECT_NEAR((a[0] + a[2]) / 2, cx + 10, 1e-6);
  // While the editor is the active window: nothing.
  testing::UserActivate(*editor);
  v.MouseWheel(-120);
  double c[6];
  d.ViewerGetView(c[0], c[1], c[2], c[3], c[4], c[5]);
  EXPECT_DOUBLE_EQ(c[0], a[0]);
}

// The overview windows are no forms: while one is the active window, and
// over it, the wheel zooms the viewer of the current tab about the last mouse
// position over the viewers.
TEST_F(ViewerWindowTest, WheelZoomsWhileAnOverviewIsActiveAndOverIt) {
  const std::string path = Dxf("wheel.dxf", LayerTable({{"0", 7, 0}}),
                               Join({Text("A1", "0", 0, 0, 2, 0, "A"), Text("A2", "0", 100, 100, 2, 0, "B")}));
  ASSERT_EQ(Load(path), 0);
  FrmView& v = View();
  v.SSTab1.SetTab(1);
  viewer::DrawingViewer& d = v.Dbcocx2;
  ASSERT_NE(v.OverviewHwnd[1], nullptr);
  QWidget* overview = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->windowTitle() == "Overview2") overview = w;
  ASSERT_NE(overview, nullptr);
  ASSERT_TRUE(overview->isVisible());

  // The editor was the last active form; then the user clicks the overview.
  testing::UserActivate(*editor);
  overview->activateWindow();
  for (int i = 0; i < 20 && !v.OverviewHwnd[1]->Active(); ++i) QApplication::processEvents();
  ASSERT_TRUE(v.OverviewHwnd[1]->Active());
  ASSERT_EQ(ActiveForm(), editor.get());

  double b[6], a[6];
  d.ViewerGetView(b[0], b[1], b[2], b[3], b[4], b[5]);
  const double cx = (b[0] + b[2]) / 2, cy = (b[1] + b[3]) / 2;
  v.LastViewerMouse = {cx, cy + 30};
  v.MouseWheel(120);
  d.ViewerGetView(a[0], a[1], a[2], a[3], a[4], a[5]);
  EXPECT_NEAR(a[2] - a[0], (b[2] - b[0]) / 2, 1e-6);
  EXPECT_NEAR((a[1] + a[3]) / 2, cy + 10, 1e-6);

  // The wheel turned over the overview window itself: out again, about the
  // same point, the view before the zoom giving the centre.
  const QPointF middle(overview->width() / 2.0, overview->height() / 2.0);
  QWheelEvent wheel(middle, overview->mapToGlobal(middle), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(overview, &wheel);
  double c[6];
  d.ViewerGetView(c[0], c[1], c[2], c[3], c[4], c[5]);
  EXPECT_NEAR(c[2] - c[0], b[2] - b[0], 1e-6);
  const double acy = (a[1] + a[3]) / 2;
  EXPECT_NEAR((c[1] + c[3]) / 2, acy - (cy + 30 - acy) / 3, 1e-6);
  // Viewer 1, on the other tab, stays as it was.
  double one[6];
  v.Dbcocx1.ViewerGetView(one[0], one[1], one[2], one[3], one[4], one[5]);
  EXPECT_NEAR(one[2] - one[0], b[2] - b[0], 1e-6);
}

// A layer colour that is not a number counts as 0 and the load goes on.
TEST(LayerColourTest, TextsReadAsColourIndexes) {
  struct Case {
    const char* text;
    int colour;
  };
  for (const Case c : {Case{"7", 7}, Case{"-3", 3}, Case{"2.5", 2}, Case{"3.5", 4}, Case{"abc", 0}, Case{"", 0},
                       Case{"12x", 0}, Case{"1e9", 32767}, Case{"nan", 0}}) {
    EXPECT_EQ(LayerColourFromText(c.text), c.colour) << c.text;
  }
}

}  // namespace
}  // namespace korvalo::standalone::test
