// The standalone windows under a real window manager (openbox on Xvfb,
// started by the test main): where the arrangements of the Windows menu
// leave the editor, as the manager shows it.

#include <gtest/gtest.h>

#include <QWidget>
#include <string>

#include "../platform/forms/wm_x11.h"
#include "standalone_fixture.h"

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

}  // namespace
}  // namespace korvalo::standalone::test
