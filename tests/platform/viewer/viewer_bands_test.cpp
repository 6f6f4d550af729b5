// A large drawing is painted in bands of rows at once; the picture must be
// the one a single pass paints. Where a line crosses from one band into the
// next, the painter steps it from where it enters the band, which may put a
// pixel of it one row or column over, so near the bands' edges a few pixels
// may differ; everywhere else the picture is the same to the pixel.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/viewer/viewer_fixture.h"
#include "platform/viewer/viewer_state.h"

namespace korvalo::viewer::testing {
namespace {

// About 24,000 entities over (0,0)-(1000,750) on layers of four colours:
// lines, closed polylines, solid fills and texts at several angles.
std::string LargePlat() {
  Pairs entities;
  const auto add = [&entities](const Pairs& p) { entities.insert(entities.end(), p.begin(), p.end()); };
  unsigned seed = 7;
  const auto next = [&seed](double range) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<double>((seed >> 8) % 100000) / 100000.0 * range;
  };
  const char* const layers[] = {"A", "B", "C", "D"};
  for (int i = 0; i < 24000; ++i) {
    const std::string handle = std::to_string(100 + i);
    const std::string layer = layers[i % 4];
    const double x = next(1000), y = next(750);
    switch (i % 6) {
      case 0:
      case 1:
        add(Line(handle, layer, x, y, x + next(80) - 40, y + next(80) - 40));
        break;
      case 2: {
        Pairs poly{{0, "LWPOLYLINE"}, {5, handle},         {100, "AcDbEntity"}, {8, layer},
                   {100, "AcDbPolyline"}, {90, "5"},       {70, "1"}};
        for (int k = 0; k < 5; ++k) {
          poly.push_back({10, std::to_string(x + next(30))});
          poly.push_back({20, std::to_string(y + next(30))});
        }
        add(poly);
        break;
      }
      case 3:
        add({{0, "SOLID"}, {5, handle}, {100, "AcDbEntity"}, {8, layer}, {100, "AcDbTrace"},
             {10, std::to_string(x)}, {20, std::to_string(y)}, {30, "0"},
             {11, std::to_string(x + 6)}, {21, std::to_string(y)}, {31, "0"},
             {12, std::to_string(x)}, {22, std::to_string(y + 6)}, {32, "0"},
             {13, std::to_string(x + 6)}, {23, std::to_string(y + 6)}, {33, "0"}});
        break;
      case 4:
        add(Text(handle, layer, x, y, 4 + next(20), static_cast<double>((i / 6) % 4) * 45.0, "LOT 12"));
        break;
      default:
        add(MText(handle, layer, x, y, 6 + next(10), "N45%%d30'E\\P120.00'"));
        break;
    }
  }
  const Pairs tables =
      Section("TABLES", LayerTable({{"0", 7, 0}, {"A", 1, 0}, {"B", 3, 0}, {"C", 5, 0}, {"D", 7, 0}}));
  return DxfText(Join({Header("AC1015"), tables, Section("ENTITIES", entities)})) + Eof();
}

TEST_F(ViewerTest, ALargeDrawingPaintedInBandsShowsTheSamePicture) {
  WriteFile(platPath, LargePlat());
  LoadPlat();
  const auto pictureIn = [&](int bands) {
    SetPaintBands(bands);
    viewer.ViewerRedraw();
    return viewer.ViewerPicture();
  };
  struct Case {
    const char* what;
    double x1, y1, x2, y2;  // the window shown; all zero for the whole drawing
  };
  const Case cases[] = {
      {"the whole drawing", 0, 0, 0, 0},
      {"a window of it", 200, 150, 400, 300},
      {"a small window, large texts", 500, 400, 540, 430},
  };
  for (const Case& c : cases) {
    if (c.x2 > c.x1) {
      viewer.ViewerZoomWindow(c.x1, c.y1, c.x2, c.y2);
    } else {
      viewer.ViewerZoom(100);
    }
    const DrawingViewer::Picture one = pictureIn(1);
    ASSERT_EQ(one.pixels.size(), std::size_t{400} * 300) << c.what;
    std::size_t painted = 0;
    for (const std::uint32_t pixel : one.pixels) painted += (pixel & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_GT(painted, one.pixels.size() / 50) << c.what << ": the drawing shows";
    for (const int bands : {2, 3, 4}) {
      const DrawingViewer::Picture banded = pictureIn(bands);
      ASSERT_EQ(banded.pixels.size(), one.pixels.size());
      std::size_t differ = 0, awayFromEdges = 0;
      for (std::size_t k = 0; k < one.pixels.size(); ++k) {
        if (one.pixels[k] == banded.pixels[k]) continue;
        ++differ;
        const int row = static_cast<int>(k / 400);
        bool nearEdge = false;
        for (int b = 1; b < bands; ++b) nearEdge = nearEdge || std::abs(row - 300 * b / bands) <= 8;
        awayFromEdges += !nearEdge;
      }
      EXPECT_EQ(awayFromEdges, 0u) << c.what << " in " << bands << " bands";
      EXPECT_LT(differ, one.pixels.size() / 1000) << c.what << " in " << bands << " bands";
    }
  }
  SetPaintBands(0);
}

}  // namespace
}  // namespace korvalo::viewer::testing
