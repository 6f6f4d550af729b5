// The view calls one after another on the small plat: the window shown, the
// zoom factor and ViewerViewChanged after each.

#include <cmath>
#include <functional>
#include <limits>

#include "platform/viewer/viewer_fixture.h"

namespace korvalo::viewer::testing {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST_F(ViewerTest, ViewCallsOneAfterAnother) {
  // No drawing: the zoom factor is 99 exactly and view calls do nothing.
  EXPECT_EQ(View().zoom, 99.0);
  EXPECT_EQ(View().sixth, 0.0);
  viewer.ViewerZoom(1);
  viewer.ViewerZoomWindow(0, 0, 10, 10);
  viewer.ViewerSetCenter(5, 5);
  EXPECT_EQ(viewChanges, 0);
  EXPECT_EQ(View().zoom, 99.0);

  LoadPlat();
  EXPECT_EQ(viewChanges, 0) << "a load raises no view change";
  const ViewValues whole = View();
  EXPECT_DOUBLE_EQ(whole.zoom, 1.0);
  EXPECT_NEAR(whole.cx(), 50, 1e-9);
  EXPECT_NEAR(whole.cy(), 50, 1e-9);
  EXPECT_NEAR(whole.width() / whole.height(), 400.0 / 300.0, 1e-9);
  EXPECT_GE(whole.height(), 100);

  struct Step {
    const char* what;
    std::function<void()> call;
    int events;        // ViewerViewChanged raised by the call
    double zoom;       // factor after it (NaN: not checked)
    double cx, cy;     // centre after it
    double width;      // visible width (NaN: not checked)
  };
  const double w = whole.width();
  const std::vector<Step> steps = {
      {"zoom in halves the window", [&] { viewer.ViewerZoom(1); }, 1, 2, 50, 50, w / 2},
      {"zoom in again", [&] { viewer.ViewerZoom(1); }, 1, 4, 50, 50, w / 4},
      {"zoom out doubles it", [&] { viewer.ViewerZoom(-1); }, 1, 2, 50, 50, w / 2},
      {"a window: whole, centred, aspect kept", [&] { viewer.ViewerZoomWindow(10, 10, 50, 20); }, 1, kNaN, 30, 15, 40},
      {"a tall window fits its height", [&] { viewer.ViewerZoomWindow(60, 0, 70, 60); }, 1, kNaN, 65, 30, 80},
      {"corners in any order", [&] { viewer.ViewerZoomWindow(70, 60, 60, 0); }, 1, kNaN, 65, 30, 80},
      {"a window without width is ignored", [&] { viewer.ViewerZoomWindow(10, 10, 10, 90); }, 0, kNaN, 65, 30, 80},
      {"a window without height is ignored", [&] { viewer.ViewerZoomWindow(10, 5, 90, 5); }, 0, kNaN, 65, 30, 80},
      {"a corner not a number is ignored", [&] { viewer.ViewerZoomWindow(kNaN, 0, 10, 10); }, 0, kNaN, 65, 30, 80},
      {"an infinite corner is ignored",
       [&] { viewer.ViewerZoomWindow(0, 0, std::numeric_limits<double>::infinity(), 10); }, 0, kNaN, 65, 30, 80},
      {"back one view", [&] { viewer.ViewerZoom(-2); }, 1, kNaN, 65, 30, 80},
      {"back again", [&] { viewer.ViewerZoom(-2); }, 1, kNaN, 30, 15, 40},
      {"back to the zoomed-in view", [&] { viewer.ViewerZoom(-2); }, 1, 2, 50, 50, w / 2},
      {"centre", [&] { viewer.ViewerSetCenter(20, 70); }, 1, 2, 20, 70, w / 2},
      {"centre not a number is ignored", [&] { viewer.ViewerSetCenter(kNaN, 1); }, 0, 2, 20, 70, w / 2},
      {"whole drawing", [&] { viewer.ViewerZoom(100); }, 1, 1, 50, 50, w},
      {"an unknown code does nothing", [&] { viewer.ViewerZoom(7); }, 0, 1, 50, 50, w},
      // The whole drawing stays whole: the narrower window fits its width.
      {"a resize fits the whole drawing again", [&] { viewer.SetWidth(200 * 15); }, 1, 1, 50, 50, w * 3 / 4},
      {"the same size again raises nothing", [&] { viewer.SetWidth(200 * 15); }, 0, 1, 50, 50, w * 3 / 4},
      {"zoom in from the whole drawing", [&] { viewer.ViewerZoom(1); }, 1, 2, 50, 50, w * 3 / 8},
      // Any other view keeps its centre and scale.
      {"a resize keeps centre and scale", [&] { viewer.SetWidth(400 * 15); }, 1, 4.0 / 3, 50, 50, w * 3 / 4},
      {"a moved view keeps them too", [&] { viewer.ViewerSetCenter(40, 50); }, 1, 4.0 / 3, 40, 50, w * 3 / 4},
      {"and so does the next resize", [&] { viewer.SetWidth(200 * 15); }, 1, 2, 40, 50, w * 3 / 8},
  };
  for (const Step& step : steps) {
    const int before = viewChanges;
    step.call();
    const ViewValues v = View();
    EXPECT_EQ(viewChanges - before, step.events) << step.what;
    if (!std::isnan(step.zoom)) {
      EXPECT_NEAR(v.zoom, step.zoom, 1e-9) << step.what;
    }
    EXPECT_NEAR(v.cx(), step.cx, 1e-9) << step.what;
    EXPECT_NEAR(v.cy(), step.cy, 1e-9) << step.what;
    if (!std::isnan(step.width)) {
      EXPECT_NEAR(v.width(), step.width, 1e-9) << step.what;
    }
    EXPECT_NEAR(v.width() / v.height(), viewer.Width() / double(viewer.Height()), 1e-9) << step.what;
  }
  // The window asked for is shown whole.
  viewer.SetWidth(400 * 15);
  viewer.ViewerZoomWindow(10, 10, 50, 20);
  const ViewValues v = View();
  EXPECT_LE(v.xmin, 10 + 1e-9);
  EXPECT_GE(v.xmax, 50 - 1e-9);
  EXPECT_LE(v.ymin, 10 + 1e-9);
  EXPECT_GE(v.ymax, 20 - 1e-9);

  // Back with no history left changes nothing.
  LoadPlat();
  const int before = viewChanges;
  viewer.ViewerZoom(-2);
  EXPECT_EQ(viewChanges, before);

  // Close and reset raise nothing and leave no drawing.
  viewer.ViewerCloseDrawing();
  viewer.ViewerResetDrawing();
  EXPECT_EQ(viewChanges, before);
  EXPECT_EQ(View().zoom, 99.0);
  EXPECT_FALSE(viewer.ViewerDrawingOpen());
}

TEST_F(ViewerTest, ALoadKeepsTheViewTheCallerRestoresAfterIt) {
  // The caller saves the view on every change and restores it after a load.
  std::vector<double> saved;
  viewer.OnViewerViewChanged = [&] {
    const ViewValues v = View();
    saved = {v.xmin, v.ymin, v.xmax, v.ymax};
  };
  LoadPlat();
  viewer.ViewerZoomWindow(10, 10, 50, 40);
  const std::vector<double> before = saved;
  LoadPlat();
  EXPECT_EQ(saved, before);
  viewer.ViewerZoomWindow(before[0], before[1], before[2], before[3]);
  EXPECT_NEAR(View().xmin, before[0], 1e-9);
  EXPECT_NEAR(View().ymax, before[3], 1e-9);
}

}  // namespace
}  // namespace korvalo::viewer::testing
