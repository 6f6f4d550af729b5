// The standalone windows under a real window manager (openbox on Xvfb,
// started by the test main): where the arrangements of the Windows menu
// leave the editor and the overview windows, as the manager shows them.

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <string>

#include "../platform/forms/wm_x11.h"
#include "platform/forms/desktop.h"
#include "standalone_fixture.h"
#include "viewer_fixture.h"

namespace korvalo::standalone::test {
namespace {

using namespace forms;
using forms::wmtest::Rect;

class ArrangeUnderWindowManagerTest : public StandaloneTest {
 protected:
  void SetUp() override {
    if (!wmtest::SkipReason().empty()) GTEST_SKIP() << wmtest::SkipReason();
    StandaloneTest::SetUp();
    Load();
    ASSERT_TRUE(wmtest::WaitFor([&] { return wmtest::Managed(*editor) && wmtest::Managed(*main); },
                                std::chrono::seconds(10)));
    wmtest::Settle();
  }
  // The toolbar of the drawing window's first tab on the screen (pixels):
  // its lowest button's bottom edge.
  int ToolbarBottom() {
    const QWidget* done = main->frmView.cmdDone(0).Widget();
    const QWidget* zoom = main->frmView.cmdZoomIn(0).Widget();
    int bottom = 0;
    for (const QWidget* w : {done, zoom}) {
      if (w) bottom = std::max(bottom, w->mapToGlobal(QPoint(0, w->height())).y());
    }
    return bottom;
  }
};

TEST_F(ArrangeUnderWindowManagerTest, NativeViewLeavesTheToolbarFree) {
  struct Case {
    const char* what;
    std::function<void()> before;
  };
  const Case cases[] = {
      {"from the start", [] {}},
      {"after split view", [&] { main->ArrangeSplitView(); }},
      {"twice", [&] { main->ArrangeNativeView(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.before();
    wmtest::Settle();
    main->ArrangeNativeView();
    wmtest::Settle(std::chrono::milliseconds(600));
    const Rect frame = wmtest::FrameRect(*editor);
    const int toolbar = ToolbarBottom();
    ASSERT_GT(toolbar, 0);
    EXPECT_GE(frame.y, toolbar) << wmtest::ToString(frame);
    // The editor's place and least height, as the form knows them too.
    EXPECT_EQ(editor->Top(), main->Top() + 1400);
    EXPECT_EQ(editor->Height(), Standalone().EditorMinHeight);
    EXPECT_EQ(frame.y, editor->Top() / kTwipsPerPixel);
  }
}

bool Overlap(const Rect& a, const Rect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// The real drawing window and its overview windows, a drawing loaded as the
// start-up loads a project's.
class OverviewsUnderWindowManagerTest : public ViewerWindowTest {
 protected:
  void SetUp() override {
    if (!wmtest::SkipReason().empty()) GTEST_SKIP() << wmtest::SkipReason();
    ViewerWindowTest::SetUp();
    ASSERT_TRUE(wmtest::WaitFor([&] { return wmtest::Managed(*editor) && wmtest::Managed(*main); },
                                std::chrono::seconds(10)));
    wmtest::Settle();
  }
  void LoadDrawing() {
    const std::string path = Dxf("lot.dxf", LayerTable({{"0", 7, 0}}), Join({Text("A1", "0", 0, 0, 2, 0, "LOT 5")}));
    ASSERT_EQ(Load(path), 0);
  }
  // Overview k's window on the screen, shown as the tab that owns it shows
  // it.
  Rect ShownOverview(int k) {
    View().SSTab1.SetTab(k - 1);
    QWidget* window = nullptr;
    const QString caption = QString::fromStdString("Overview" + std::to_string(k));
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->windowTitle() == caption) window = w;
    }
    if (!window) {
      ADD_FAILURE() << "no window " << caption.toStdString();
      return {};
    }
    EXPECT_TRUE(wmtest::WaitFor([&] { return window->isVisible() && wmtest::Managed(*window); }));
    wmtest::Settle(std::chrono::milliseconds(400));
    return wmtest::FrameRect(*window);
  }
};

// Each overview whole on the screen (its title bar and buttons with it), not
// under the editor, and the two apart; at start and after each arrangement.
TEST_F(OverviewsUnderWindowManagerTest, OverviewsStayInSight) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
  };
  const Case cases[] = {
      {"at start", [] {}},
      {"after split view", [&] { main->ArrangeSplitView(); }},
      {"after native view", [&] { main->ArrangeNativeView(); }},
      {"split view again", [&] { main->ArrangeSplitView(); }},
  };
  LoadDrawing();
  wmtest::Settle();
  const Rect screen{0, 0, forms::ScreenWidthPixels(), forms::ScreenHeightPixels()};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.arrange();
    wmtest::Settle(std::chrono::milliseconds(600));
    Rect shown[2];
    for (int k = 1; k <= 2; ++k) {
      SCOPED_TRACE("Overview" + std::to_string(k));
      shown[k - 1] = ShownOverview(k);
      const Rect o = shown[k - 1];
      const Rect e = wmtest::FrameRect(*editor);
      EXPECT_GE(o.x, 0) << wmtest::ToString(o);
      EXPECT_GE(o.y, 0) << wmtest::ToString(o);
      EXPECT_LE(o.x + o.width, screen.width) << wmtest::ToString(o);
      EXPECT_LE(o.y + o.height, screen.height) << wmtest::ToString(o);
      EXPECT_FALSE(Overlap(o, e)) << "overview " << wmtest::ToString(o) << ", editor " << wmtest::ToString(e);
    }
    EXPECT_FALSE(Overlap(shown[0], shown[1])) << wmtest::ToString(shown[0]) << " and " << wmtest::ToString(shown[1]);
    View().SSTab1.SetTab(0);
  }
}

}  // namespace
}  // namespace korvalo::standalone::test
