// KorvaloDraw's drawing window under a real window manager (openbox on
// Xvfb, started by the test main): restored, the whole window with the
// manager's frame lies inside the screen's available area, as first shown
// and after the link has maximised it and it is restored again.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "../forms/wm_x11.h"
#include "platform/cad/draw/draw_window.h"

namespace korvalo::draw {
namespace {

using forms::wmtest::Rect;

class DrawWindowPlaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!forms::wmtest::SkipReason().empty()) GTEST_SKIP() << forms::wmtest::SkipReason();
  }
};

TEST_F(DrawWindowPlaceTest, ARestoredWindowFitsOnTheScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  struct Case {
    const char* what;
    bool maximisedFirst;
  };
  const Case cases[] = {{"as first shown", false}, {"maximised at once, then restored", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool maximisedFirst = c.maximisedFirst;
    DrawWindow window(1, "Drawing1.dwg", {});
    forms::Form& form = window.GetForm();
    window.Show();
    if (maximisedFirst) window.SetWindowState(3);
    ASSERT_TRUE(forms::wmtest::WaitFor([&] { return form.Window()->isVisible() && forms::wmtest::Managed(form); },
                                       std::chrono::seconds(10)));
    forms::wmtest::Settle();
    if (maximisedFirst) {
      forms::wmtest::WaitFor([&] { return forms::wmtest::ShownMaximised(form); });
      forms::wmtest::Settle();
      window.SetWindowState(1);
      forms::wmtest::WaitFor([&] { return !forms::wmtest::ShownMaximised(form); });
      forms::wmtest::Settle();
    }
    const Rect frame = forms::wmtest::FrameRect(form);
    EXPECT_GE(frame.x, area.x()) << forms::wmtest::ToString(frame);
    EXPECT_GE(frame.y, area.y()) << forms::wmtest::ToString(frame);
    EXPECT_LE(frame.x + frame.width, area.x() + area.width()) << forms::wmtest::ToString(frame);
    EXPECT_LE(frame.y + frame.height, area.y() + area.height()) << forms::wmtest::ToString(frame);
  }
}

}  // namespace
}  // namespace korvalo::draw
