// The viewer control over the small plat: loading, layers, the entity list,
// finding entities at a point, colours and highlights on the picture, the
// mouse, the area zoom and the overview window.

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <cmath>

#include "platform/forms/errors.h"
#include "platform/forms/testing.h"
#include "platform/viewer/dgn_file.h"
#include "platform/viewer/viewer_fixture.h"

namespace korvalo::viewer::testing {
namespace {

// Entity list indexes of the small plat: five layer records come first.
constexpr long kLayers = 5;
constexpr long kFirstBottom = kLayers + 0, kSecondBottom = kLayers + 1, kTop = kLayers + 3;
constexpr long kOffLine = kLayers + 5, kRotatedText = kLayers + 7, kBearingText = kLayers + 8;

std::vector<std::string> Fields(const DrawingViewer& v) {
  return {v.ViewerEntityField("SECTION"), v.ViewerEntityField("DESCR"), v.ViewerEntityField("TEXT"),
          v.ViewerEntityField("ECOLOR")};
}

TEST_F(ViewerTest, EntityListHasTheLayersFirstThenTheEntities) {
  LoadPlat();
  ASSERT_EQ(viewer.ViewerEntityCount(), kLayers + 9);
  struct Row {
    long index;
    std::vector<std::string> fields;
  };
  const std::vector<Row> rows = {
      {0, {"L", "0", "", "7"}},
      {2, {"L", "Off", "", "-3"}},
      {3, {"L", "Frozen", "", "5"}},
      {kFirstBottom, {"E", "LINE", "", "256"}},
      {kTop, {"E", "LINE", "", "2"}},
      {kBearingText, {"E", "TEXT", "N45%%d30'15\"E", "256"}},
      {-1, {"", "", "", ""}},
      {kLayers + 9, {"", "", "", ""}},
  };
  for (const Row& row : rows) {
    viewer.ViewerSelectEntity(row.index);
    EXPECT_EQ(Fields(viewer), row.fields) << row.index;
  }
  viewer.ViewerSelectEntity(kBearingText);
  EXPECT_EQ(viewer.ViewerEntityId(), "18");
  EXPECT_EQ(viewer.ViewerEntityField("NOSUCH"), "");
}

TEST_F(ViewerTest, FindsTheFirstShownEntityWithinThreePixels) {
  LoadPlat();
  auto find = [&](double x, double y, long start = 0) {
    viewer.ViewerFindEntityAt(x, y, start);
    return viewer.ViewerEntityFound() ? viewer.ViewerSelectEntity(viewer.ViewerNextIndex() - 1), viewer.ViewerNextIndex() - 1 : -1L;
  };
  const double pixel = View().width() / 400;
  struct Case {
    const char* what;
    double x, y;
    long start;
    long found;
  };
  const std::vector<Case> cases = {
      {"on the bottom line", 50, 0, 0, kFirstBottom},
      {"2.5 pixels off it", 50, -2.5 * pixel, 0, kFirstBottom},
      {"3.5 pixels off it", 50, -3.5 * pixel, 0, -1},
      {"the next at the same point", 50, 0, kFirstBottom + 1, kSecondBottom},
      {"none after the last there", 50, 0, kSecondBottom + 1, -1},
      {"a start before the entities", 50, 0, -7, kFirstBottom},
      {"inside the rotated text", 47.5, 60, 0, kRotatedText},
      {"where the text would be unrotated", 58, 52, 0, -1},
      {"a line on a layer that is off", 30, 80, 0, -1},
      {"a line on a frozen layer", 30, 70, 0, -1},
      {"nothing there", 70, 30, 0, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(find(c.x, c.y, c.start), c.found) << c.what;

  // A search loop ends: the index after the one found moves on.
  std::vector<long> all;
  for (long start = 0;;) {
    viewer.ViewerFindEntityAt(0, 0, start);
    if (!viewer.ViewerEntityFound()) break;
    all.push_back(viewer.ViewerNextIndex() - 1);
    start = viewer.ViewerNextIndex();
  }
  EXPECT_EQ(all, (std::vector<long>{kFirstBottom, kSecondBottom, kLayers + 4}));

  // Nothing found: no current entity.
  viewer.ViewerFindEntityAt(70, 30, 0);
  EXPECT_EQ(Fields(viewer), (std::vector<std::string>{"", "", "", ""}));
  EXPECT_EQ(viewer.ViewerEntityId(), "");

  // The tolerance is in pixels: zoomed in, the same distance is too far.
  viewer.ViewerZoom(1);
  EXPECT_EQ(find(50, -2.5 * pixel), -1);
  EXPECT_EQ(find(50, -1.25 * pixel), kFirstBottom);

  // Layers shown and hidden by name.
  viewer.ViewerLayerOn("Off");
  EXPECT_EQ(find(30, 80), kOffLine);
  viewer.ViewerLayerOff("Off");
  EXPECT_EQ(find(30, 80), -1);
  viewer.ViewerLayerOn("Frozen");
  EXPECT_EQ(find(30, 70), -1) << "a frozen layer cannot be shown";
  viewer.ViewerLayerOff("NoSuchLayer");
}

TEST_F(ViewerTest, LayerTablesByPath) {
  const long h = viewer.ViewerOpenLayerTable(platPath);
  ASSERT_NE(h, 0);
  ASSERT_EQ(viewer.ViewerLayerCount(h), 5);
  std::vector<std::string> names;
  for (int i = 0; i < 6; ++i) names.push_back(viewer.ViewerNextLayerName(h));
  EXPECT_EQ(names, (std::vector<std::string>{"0", "Bounds", "Off", "Frozen", "Notes", ""}));
  EXPECT_EQ(viewer.ViewerLayerState(h, "Bounds"), 0);
  EXPECT_EQ(viewer.ViewerLayerState(h, "Off"), 1);
  EXPECT_EQ(viewer.ViewerLayerState(h, "Frozen"), 2);
  EXPECT_EQ(viewer.ViewerLayerState(h, "bounds"), -1);
  const long second = viewer.ViewerOpenLayerTable(Fixture("example_r2000.dwg"));
  ASSERT_NE(second, 0);
  EXPECT_NE(second, h);
  EXPECT_EQ(viewer.ViewerNextLayerName(second), "Tavolo 2");
  EXPECT_EQ(viewer.ViewerNextLayerName(h), "");
  viewer.ViewerCloseHandle(h);
  EXPECT_EQ(viewer.ViewerLayerCount(h), 0);
  EXPECT_EQ(viewer.ViewerNextLayerName(h), "");
  EXPECT_EQ(viewer.ViewerOpenLayerTable(dir.File("missing.dxf")), 0);
}

TEST_F(ViewerTest, AFailedLoadRaisesItsErrorAndKeepsTheDrawing) {
  LoadPlat();
  const long count = viewer.ViewerEntityCount();
  std::string missing = dir.File("missing.dxf");
  try {
    viewer.ViewerLoadFile(missing);
    FAIL() << "no error";
  } catch (const forms::RuntimeError& e) {
    EXPECT_EQ(e.Number(), 53);
    EXPECT_NE(std::string(e.what()).find("missing.dxf"), std::string::npos);
  }
  WriteFile(dir.File("notes.dxf"), "these are not drawings\n");
  std::string notes = dir.File("notes.dxf");
  EXPECT_THROW(viewer.ViewerLoadFile(notes), forms::RuntimeError);
  EXPECT_TRUE(viewer.ViewerDrawingOpen());
  EXPECT_EQ(viewer.ViewerEntityCount(), count);

  // The import step reports nothing and leaves the path alone.
  std::string path = notes;
  const long handle = viewer.ViewerImportHandle();
  DgnImport(path, handle, "");
  EXPECT_EQ(path, notes);
  viewer.ViewerDwgLoaded(path);
  viewer.ViewerSetImportLibrary("import.so");
  viewer.ViewerSetWorkFile(dir.File("temp.mgb"), 255);
  viewer.ViewerSetDisplayMode(2);
  for (int number : {3, 10, 35, 41, 131, 166, 176}) viewer.ViewerSetup(number, {6L, 0.5, std::string()});
  EXPECT_THROW(viewer.ViewerSetup(99), forms::RuntimeError);
  EXPECT_EQ(viewer.ViewerEntityCount(), count);
  EXPECT_EQ(viewChanges, 0);
}

// --- the picture -------------------------------------------------------------

std::uint32_t Rgb(std::uint32_t argb) { return argb & 0xFFFFFF; }

struct Probe {
  int x, y;  // pixel
};

class Pixels : public ViewerTest {
 protected:
  // The pixel under a drawing point.
  Probe At(double x, double y) {
    const ViewValues v = View();
    return {static_cast<int>(std::floor((x - v.xmin) / v.width() * 400)),
            static_cast<int>(std::floor((v.ymax - y) / v.height() * 300))};
  }
  // A colour seen in the 3×3 pixels round the point (lines fall on one of them).
  bool Shows(double x, double y, std::uint32_t rgb) {
    const auto picture = viewer.ViewerPicture();
    const Probe p = At(x, y);
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (Rgb(picture.At(p.x + dx, p.y + dy)) == rgb) return true;
    return false;
  }
  static double Distance(std::uint32_t a, std::uint32_t b) {
    auto c = [](std::uint32_t v, int s) { return double((v >> s) & 0xFF); };
    return std::hypot(c(a, 16) - c(b, 16), c(a, 8) - c(b, 8), c(a, 0) - c(b, 0));
  }
};

// Detail finer than a pixel: a line within one pixel is a dot, and a line
// made of many steps finer than a pixel still reaches its end.
TEST_F(Pixels, DetailFinerThanAPixelStillShows) {
  // One polyline from (0, 50) to (100, 50) in 1,000 steps, each a fraction
  // of a pixel at this view, ending in a step up to (100, 60); a line 0.01
  // long at (80, 20).
  Pairs steps{{0, "LWPOLYLINE"}, {5, "200"}, {100, "AcDbEntity"}, {8, "A"}, {100, "AcDbPolyline"},
              {90, "1002"},      {70, "0"}};
  for (int i = 0; i <= 1000; ++i) steps = Join({steps, {{10, std::to_string(i * 0.1)}, {20, "50"}}});
  steps = Join({steps, {{10, "100"}, {20, "60"}}});
  steps = Join({steps, Line("FF0", "A", 80, 20, 80.01, 20), Line("FF1", "A", 0, 0, 100, 100)});
  WriteFile(platPath, DxfText(Join({Section("TABLES", LayerTable({{"A", 1, 0}})), Section("ENTITIES", steps)})) + Eof());
  LoadPlat();
  viewer.ViewerSetBackColor(255, 255, 255);
  viewer.ViewerZoom(100);
  EXPECT_TRUE(Shows(80, 20, 0xFF0000)) << "the tiny line is a dot";
  for (const double x : {0.5, 25.0, 50.0, 99.5}) EXPECT_TRUE(Shows(x, 50, 0xFF0000)) << x;
  EXPECT_TRUE(Shows(100, 59, 0xFF0000)) << "the last step";
}

// A text large enough to read fills its box, where a press picks it: the
// letters of a wide text end at the box's right edge instead of past it,
// and those of a narrow one reach it.
TEST_F(Pixels, TextsFillTheBoxThatPicksThem) {
  struct Case {
    const char* text;
  };
  for (const Case c : {Case{"WWWWWWWW"}, Case{"iiiiiiii"}, Case{"N 90%%D00'00\" E 100.00"}}) {
    SCOPED_TRACE(c.text);
    WriteFile(platPath, DxfText(Join({Section("TABLES", LayerTable({{"A", 1, 0}})),
                                      Section("ENTITIES", Join({Text("T1", "A", 10, 40, 5, 0, c.text),
                                                                Line("L1", "A", 0, 0, 100, 0)}))})) +
                            Eof());
    LoadPlat();
    viewer.ViewerSetBackColor(255, 255, 255);
    viewer.ViewerZoomWindow(0, 20, 100, 60);
    // The box: from x = 10 over the text's characters at 0.6 of the height
    // ("%%D" is one character, the degree sign).
    const std::string shown = c.text;
    const std::size_t characters = shown.size() - (shown.find("%%D") != std::string::npos ? 2 : 0);
    const double x1 = 10, y1 = 40, x2 = 10 + characters * 0.6 * 5, y2 = 45;
    const auto picture = viewer.ViewerPicture();
    const Probe left = At(x1, y2), right = At(x2, y1);
    int rightmostInk = -1;
    for (int y = left.y; y <= right.y; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        if (Distance(picture.At(x, y), 0xFF0000) < 160 && x > rightmostInk) rightmostInk = x;
      }
    }
    EXPECT_LE(rightmostInk, right.x + 2) << "no letters past the box";
    EXPECT_GE(rightmostInk, right.x - (right.x - left.x) / 8) << "the letters reach the box's end";
  }
}

TEST_F(Pixels, OwnColoursFixedColoursAndHiddenLayers) {
  LoadPlat();
  viewer.ViewerSetBackColor(255, 255, 255);
  viewer.ViewerSetColorAll("#", 256);
  const auto picture = viewer.ViewerPicture();
  ASSERT_EQ(picture.width, 400);
  ASSERT_EQ(picture.height, 300);
  EXPECT_TRUE(Shows(50, 0, 0xFF0000)) << "the red layer's line";
  EXPECT_TRUE(Shows(50, 100, 0xFFFF00)) << "its own yellow on white";
  EXPECT_FALSE(Shows(30, 80, 0x00FF00)) << "a layer that is off is not drawn";
  EXPECT_TRUE(Shows(30, 80, 0xFFFFFF));

  // On a yellow back the yellow line turns black.
  viewer.ViewerSetBackColor(255, 255, 0);
  EXPECT_TRUE(Shows(50, 100, 0x000000));
  EXPECT_TRUE(Shows(50, 0, 0xFF0000));

  struct Code {
    long code;
    std::uint32_t rgb;
  };
  viewer.ViewerSetBackColor(128, 128, 128);
  for (const Code& c : std::vector<Code>{{2, 0xFFFF00}, {5, 0x0000FF}, {7, 0x000000}, {14, 0xFFFFFF}}) {
    viewer.ViewerSetColorAll("#", c.code);
    EXPECT_TRUE(Shows(50, 0, c.rgb)) << c.code;
    EXPECT_TRUE(Shows(100, 50, c.rgb)) << c.code;
  }
  viewer.ViewerSetColorAll("#", 3);  // any other code: their own colours
  EXPECT_TRUE(Shows(50, 0, 0xFF0000));
  viewer.ViewerLayerOff("Bounds");
  EXPECT_FALSE(Shows(50, 0, 0xFF0000));
}

// Solid fills are painted in their colours, a pattern hatch is its coloured
// outline; lines at ±1e308 and of no number are left out, the others show at
// the whole view and the notice counts what was left out.
TEST_F(Pixels, FillsInTheirColoursAndFarEntitiesLeftOut) {
  const Pairs solid = {{0, "SOLID"}, {5, "2A"}, {100, "AcDbEntity"}, {8, "A"}, {62, "3"}, {100, "AcDbTrace"},
                       {10, "0"}, {20, "0"}, {30, "0"}, {11, "40"}, {21, "0"}, {31, "0"},
                       {12, "0"}, {22, "40"}, {32, "0"}, {13, "40"}, {23, "40"}, {33, "0"}};
  auto hatch = [](const char* handle, const char* colour, const char* pattern, double x) {
    return Pairs{{0, "HATCH"}, {5, handle}, {100, "AcDbEntity"}, {8, "A"}, {62, colour}, {100, "AcDbHatch"},
                 {10, "0"}, {20, "0"}, {30, "0"}, {210, "0"}, {220, "0"}, {230, "1"}, {2, pattern},
                 {70, std::string(pattern) == "SOLID" ? "1" : "0"}, {71, "0"}, {91, "1"}, {92, "2"}, {72, "0"},
                 {73, "1"}, {93, "4"}, {10, std::to_string(x)}, {20, "0"}, {10, std::to_string(x + 40)}, {20, "0"},
                 {10, std::to_string(x + 40)}, {20, "40"}, {10, std::to_string(x)}, {20, "40"},
                 {97, "0"}, {75, "0"}, {76, "1"}, {52, "0"}, {41, "1"}, {77, "0"}, {78, "0"}, {98, "0"}};
  };
  const Pairs nanLine = {{0, "LINE"}, {5, "3B"}, {100, "AcDbEntity"}, {8, "A"}, {100, "AcDbLine"}, {10, "nan"},
                         {20, "0"}, {30, "0"}, {11, "1"}, {21, "1"}, {31, "0"}};
  WriteFile(platPath, DxfText(Join({Header("AC1015"), Section("TABLES", LayerTable({{"A", 1, 0}})),
                                    Section("ENTITIES", Join({solid, hatch("2B", "5", "SOLID", 50),
                                                              hatch("2C", "1", "ANSI31", 100),
                                                              Line("3A", "A", -1e308, -1e308, 1e308, 1e308), nanLine,
                                                              Line("3C", "A", 0, 50, 140, 50, 6)}))})) +
                          Eof());
  LoadPlat();
  viewer.ViewerSetBackColor(255, 255, 255);
  viewer.ViewerZoom(100);
  const ViewValues v = View();
  EXPECT_LT(v.xmax - v.xmin, 1000.0) << "the extents are the shown entities'";
  EXPECT_TRUE(Shows(20, 20, 0x00FF00)) << "the solid is filled";
  EXPECT_TRUE(Shows(70, 20, 0x0000FF)) << "the solid hatch is filled";
  EXPECT_TRUE(Shows(120, 20, 0xFFFFFF)) << "a pattern hatch is its outline";
  EXPECT_TRUE(Shows(140, 20, 0xFF0000)) << "in its colour";
  EXPECT_TRUE(Shows(70, 50, 0xFF00FF)) << "the line over the fills";
  EXPECT_EQ(viewer.ViewerEntityCount(), 1 + 4);
  viewer.ViewerSelectEntity(1);
  EXPECT_EQ(Fields(viewer), (std::vector<std::string>{"E", "POLYLINE", "", "3"}));
  EXPECT_NE(viewer.ViewerLoadNotice().find("2 entities of this drawing could not be shown"), std::string::npos)
      << viewer.ViewerLoadNotice();
}

TEST_F(Pixels, HighlightsStandOutOnEveryBackColourUntilRecoloured) {
  LoadPlat();
  viewer.ViewerSelectEntity(kTop);
  const std::string id = viewer.ViewerEntityId();
  EXPECT_EQ(id, "13");
  const std::vector<std::uint32_t> backs = {0xFFFFFF, 0x000000, 0xFFFF00, 0x0000FF};
  for (const std::uint32_t back : backs) {
    viewer.ViewerSetBackColor(back >> 16, (back >> 8) & 0xFF, back & 0xFF);
    viewer.ViewerSetColorAll("#", 256);
    viewer.ViewerHighlightEntity(id, kHighlightStandOut);
    const auto picture = viewer.ViewerPicture();
    const Probe p = At(50, 100);
    double best = 0;
    for (int dy = -2; dy <= 2; ++dy) best = std::max(best, Distance(Rgb(picture.At(p.x, p.y + dy)), back));
    EXPECT_GT(best, 250) << std::hex << back;
  }
  // Recolouring clears the highlight.
  viewer.ViewerSetBackColor(255, 255, 255);
  viewer.ViewerHighlightEntity(id, kHighlightStandOut);
  EXPECT_TRUE(Shows(50, 100, 0xFF0000));
  viewer.ViewerSetColorAll("#", 256);
  EXPECT_FALSE(Shows(50, 100, 0xFF0000));
  EXPECT_TRUE(Shows(50, 100, 0xFFFF00));
  // A text without a handle is found by "#" and its index; a load clears.
  viewer.ViewerHighlightEntity("#" + std::to_string(kRotatedText), kHighlightStandOut);
  EXPECT_TRUE(Shows(47.5, 50, 0xFF0000));
  LoadPlat();
  EXPECT_FALSE(Shows(47.5, 50, 0xFF0000));
  viewer.ViewerHighlightEntity("no such id", kHighlightStandOut);
  viewer.ViewerHighlightEntity("#999", kHighlightStandOut);
}

// --- the mouse -----------------------------------------------------------------

class Mouse : public ViewerTest {
 protected:
  void SetUp() override {
    form.Show();
    viewer.Refresh();
    widget = viewer.Widget();
    ASSERT_NE(widget, nullptr);
    viewer.OnViewerMouseDown = [this](int b, double x, double y) { log.push_back({'D', b, x, y}); };
    viewer.OnViewerMouseMove = [this](double x, double y) { log.push_back({'M', 0, x, y}); };
    viewer.OnViewerMouseUp = [this](int b, double x, double y) { log.push_back({'U', b, x, y}); };
    viewer.OnViewerWheel = [this](int delta) { log.push_back({'W', delta, 0, 0}); };
  }
  void Send(QEvent::Type type, QPointF at, Qt::MouseButton button) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &e);
  }
  struct Entry {
    char kind;
    int button;
    double x, y;
  };
  QWidget* widget = nullptr;
  std::vector<Entry> log;
};

TEST_F(Mouse, EventsInDrawingUnitsWithYUp) {
  LoadPlat();
  const ViewValues v = View();
  Send(QEvent::MouseButtonPress, QPointF(200, 150), Qt::LeftButton);
  Send(QEvent::MouseMove, QPointF(300, 50), Qt::NoButton);
  Send(QEvent::MouseButtonRelease, QPointF(300, 50), Qt::RightButton);
  Send(QEvent::MouseButtonPress, QPointF(0, 300), Qt::MiddleButton);
  QWheelEvent wheel(QPointF(10, 10), widget->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &wheel);
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].kind, 'D');
  EXPECT_EQ(log[0].button, 1);
  EXPECT_NEAR(log[0].x, 50, 1e-9);
  EXPECT_NEAR(log[0].y, 50, 1e-9);
  EXPECT_EQ(log[1].kind, 'M');
  EXPECT_NEAR(log[1].x, v.xmin + 300.0 / 400 * v.width(), 1e-9);
  EXPECT_NEAR(log[1].y, v.ymax - 50.0 / 300 * v.height(), 1e-9);
  EXPECT_EQ(log[2].kind, 'U');
  EXPECT_EQ(log[2].button, 2);
  EXPECT_EQ(log[3].button, 4);
  EXPECT_NEAR(log[3].x, v.xmin, 1e-9);
  EXPECT_NEAR(log[3].y, v.ymin, 1e-9);
  EXPECT_EQ(log[4].kind, 'W');
  EXPECT_EQ(log[4].button, -120);
  EXPECT_EQ(viewChanges, 0) << "the control never pans or zooms by itself";
}

TEST_F(Mouse, AreaZoomTakesTheNextLeftDragSilentlyAndEscapeCancels) {
  LoadPlat();
  const ViewValues v = View();
  viewer.ViewerZoom(2);
  EXPECT_EQ(viewChanges, 0);
  Send(QEvent::MouseButtonPress, QPointF(100, 75), Qt::LeftButton);
  Send(QEvent::MouseMove, QPointF(200, 150), Qt::LeftButton);
  EXPECT_NE(viewer.ViewerPicture().pixels, std::vector<std::uint32_t>()) << "the band is drawn";
  Send(QEvent::MouseButtonRelease, QPointF(200, 150), Qt::LeftButton);
  EXPECT_TRUE(log.empty()) << "the drag raises no mouse events";
  EXPECT_EQ(viewChanges, 1);
  const ViewValues z = View();
  EXPECT_NEAR(z.cx(), v.xmin + 150.0 / 400 * v.width(), 1e-9);
  EXPECT_NEAR(z.cy(), v.ymax - 112.5 / 300 * v.height(), 1e-9);
  EXPECT_NEAR(z.width(), v.width() / 4, 1e-9);

  // Only the next drag: the one after is the caller's again.
  Send(QEvent::MouseButtonPress, QPointF(100, 75), Qt::LeftButton);
  EXPECT_EQ(log.size(), 1u);
  Send(QEvent::MouseButtonRelease, QPointF(100, 75), Qt::LeftButton);

  // Escape cancels an armed area zoom, wherever the focus is (the toolbar
  // button that armed it, say).
  log.clear();
  viewer.ViewerZoom(2);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(form.Window(), &escape);
  Send(QEvent::MouseButtonPress, QPointF(10, 10), Qt::LeftButton);
  Send(QEvent::MouseButtonRelease, QPointF(50, 50), Qt::LeftButton);
  EXPECT_EQ(log.size(), 2u);
  EXPECT_EQ(viewChanges, 1);

  // A click without area changes nothing.
  viewer.ViewerZoom(2);
  log.clear();
  Send(QEvent::MouseButtonPress, QPointF(10, 10), Qt::LeftButton);
  Send(QEvent::MouseButtonRelease, QPointF(10, 10), Qt::LeftButton);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(viewChanges, 1);
}

TEST_F(Mouse, ErrorsOfHandlersAreReportedAndTheProgramGoesOn) {
  LoadPlat();
  forms::testing::PromptScript prompts;
  prompts.ExpectUnknownError(5);
  viewer.OnViewerMouseDown = [](int, double, double) { throw forms::RuntimeError(5); };
  Send(QEvent::MouseButtonPress, QPointF(10, 10), Qt::LeftButton);
  EXPECT_EQ(prompts.Pending(), 0);
}

// --- the overview ----------------------------------------------------------------

TEST_F(ViewerTest, EachViewerHasItsOwnOverviewHeldByHandle) {
  DrawingViewer second(form, "Dbcocx2");
  second.Move(0, 0, 3000, 3000);
  LoadPlat();
  OverviewWindow& one = viewer.ViewerShowOverview();
  OverviewWindow& two = second.ViewerShowOverview();
  EXPECT_NE(&one, &two);
  EXPECT_EQ(&viewer.ViewerShowOverview(), &one);
  EXPECT_EQ(one.Caption(), "Overview");
  one.SetCaption("Overview1");
  two.SetCaption("Overview2");
  EXPECT_EQ(one.Caption(), "Overview1");
  EXPECT_EQ(two.Caption(), "Overview2");
  EXPECT_TRUE(one.Visible());
  EXPECT_FALSE(one.TopMost());
  one.Move(120, 140);
  const auto r = one.ScreenRect();
  EXPECT_EQ(r.left, 120);
  EXPECT_EQ(r.top, 140);
  const int width = r.right - r.left;
  one.Move(10, 20);
  EXPECT_EQ(one.ScreenRect().right - one.ScreenRect().left, width) << "moving keeps the size";
  two.Hide();
  EXPECT_FALSE(two.Visible());
  EXPECT_TRUE(one.Visible());

  // A press in the overview centres the view there.
  viewer.ViewerSetCenter(0, 0);
  QWidget* window = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->windowTitle() == "Overview1") window = w;
  ASSERT_NE(window, nullptr);
  const QPointF middle(window->width() / 2.0, window->height() / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, middle, window->mapToGlobal(middle), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  const int before = viewChanges;
  QApplication::sendEvent(window, &press);
  EXPECT_EQ(viewChanges, before + 1);
  EXPECT_NEAR(View().cx(), 50, 1);
  EXPECT_NEAR(View().cy(), 50, 1);
}

// --- pictures of every format to look at -------------------------------------------

TEST_F(ViewerTest, RendersEveryFormatAndSavesThePictures) {
  struct Render {
    std::string path, png;
  };
  std::vector<Render> renders = {
      {platPath, "viewer-plat-dxf.png"},
      {Fixture("line_r2000.dwg"), "viewer-line-dwg.png"},
      {Fixture("text_r2000.dwg"), "viewer-text-dwg.png"},
      {Fixture("example_r2000.dwg"), "viewer-example-dwg.png"},
  };
  MakeDgn(dir.File("plan.dgn"));
  renders.push_back({dir.File("plan.dgn"), "viewer-plan-dgn.png"});
  viewer.ViewerSetBackColor(255, 255, 255);
  for (const Render& r : renders) {
    std::string path = r.path;
    viewer.ViewerLoadFile(path);
    viewer.ViewerZoom(100);
    const auto picture = viewer.ViewerPicture();
    std::size_t drawn = 0;
    for (const std::uint32_t p : picture.pixels) drawn += Rgb(p) != 0xFFFFFF;
    EXPECT_GT(drawn, 50u) << r.path;
    QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                 QImage::Format_ARGB32);
    EXPECT_TRUE(image.save(QString::fromStdString(r.png))) << r.png;
  }
}

}  // namespace
}  // namespace korvalo::viewer::testing
