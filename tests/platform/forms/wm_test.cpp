// Forms under a real window manager (openbox on Xvfb, started by the test
// main): where a window opens, maximise and restore, and resizing by the
// user, as the manager shows them. The window under test keeps a fixed
// width and a least height in its Resize handler, as the editor does.

#include <gtest/gtest.h>

#include <QWidget>
#include <algorithm>
#include <memory>

#include "platform/forms/forms.h"
#include "wm_x11.h"

namespace korvalo::forms {
namespace {

using wmtest::Rect;

constexpr int kFixedWidth = 6855;  // twips: 457 pixels
constexpr int kLeastHeight = 4550;
constexpr int kDesignHeight = 8160;

class FixedWidthWindow : public Form {
 public:
  FixedWidthWindow() : Form("frmFixed") {
    SetCaption("Fixed width");
    Move(0, 0, kFixedWidth, kDesignHeight);
    OnResize = [this] {
      ++resizes;
      try {
        SetWidth(kFixedWidth);
        if (Height() < kLeastHeight) SetHeight(kLeastHeight);
      } catch (const RuntimeError&) {
        // Minimised or maximised: nothing to keep.
      }
    };
  }
  int resizes = 0;
};

class WindowManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wmtest::SkipReason().empty()) GTEST_SKIP() << wmtest::SkipReason();
  }

  // Shows the window as the program does (placed, then shown) and waits
  // until the manager has mapped it.
  void ShowWindow(int left = 0, int top = 0) {
    window = std::make_unique<FixedWidthWindow>();
    window->Move(left, top);
    window->Show();
    ASSERT_TRUE(wmtest::WaitFor([&] { return window->Window()->isVisible() && wmtest::Managed(*window); },
                                std::chrono::seconds(10)));
    wmtest::Settle();
  }

  std::unique_ptr<FixedWidthWindow> window;
};

TEST_F(WindowManagerTest, OpensWhereTheProgramPlacesIt) {
  struct Case {
    int left, top;  // twips
  };
  for (const Case c : {Case{0, 0}, Case{1500, 750}}) {
    SCOPED_TRACE(std::to_string(c.left) + "," + std::to_string(c.top));
    ShowWindow(c.left, c.top);
    EXPECT_TRUE(wmtest::PositionRequested(*window));
    const Rect frame = wmtest::FrameRect(*window);
    EXPECT_EQ(frame.x, c.left / kTwipsPerPixel) << wmtest::ToString(frame);
    EXPECT_EQ(frame.y, c.top / kTwipsPerPixel) << wmtest::ToString(frame);
    EXPECT_EQ(window->Left(), c.left);
    EXPECT_EQ(window->Top(), c.top);
    window.reset();
  }
}

TEST_F(WindowManagerTest, RestoreGivesBackTheSizeBeforeMaximising) {
  ShowWindow();
  const Rect before = wmtest::ClientRect(*window);
  const int heightBefore = window->Height();

  wmtest::AskMaximise(*window, true);
  ASSERT_TRUE(wmtest::WaitFor([&] { return window->WindowState() == vbMaximized; }));
  wmtest::Settle();
  EXPECT_TRUE(wmtest::ShownMaximised(*window));
  EXPECT_GT(wmtest::ClientRect(*window).width, before.width);

  wmtest::AskMaximise(*window, false);
  ASSERT_TRUE(wmtest::WaitFor([&] { return window->WindowState() == vbNormal; }));
  wmtest::Settle();
  const Rect after = wmtest::ClientRect(*window);
  EXPECT_EQ(after, before) << wmtest::ToString(after) << " was " << wmtest::ToString(before);
  EXPECT_EQ(window->Width(), kFixedWidth);
  EXPECT_EQ(window->Height(), heightBefore);
  const Rect frame = wmtest::FrameRect(*window);
  EXPECT_LE(frame.y + frame.height, 1024) << "the bottom edge stays on the screen";
}

TEST_F(WindowManagerTest, ProgramMaximiseAndRestoreKeepTheNormalGeometry) {
  ShowWindow();
  const Rect before = wmtest::ClientRect(*window);
  window->SetWindowState(vbMaximized);
  ASSERT_TRUE(wmtest::WaitFor([&] { return wmtest::ShownMaximised(*window); }));
  wmtest::Settle();
  window->SetWindowState(vbNormal);
  ASSERT_TRUE(wmtest::WaitFor([&] { return !wmtest::ShownMaximised(*window); }));
  wmtest::Settle();
  EXPECT_EQ(wmtest::ClientRect(*window), before) << wmtest::ToString(wmtest::ClientRect(*window));
  EXPECT_EQ(window->Height(), kDesignHeight);
}

TEST_F(WindowManagerTest, AHeightOnlyResizeSticks) {
  // Heights the window had before, the design height among them, are no
  // different from any other.
  ShowWindow();
  const int designClient = wmtest::ClientRect(*window).height;
  for (const int height : {600, 530, 560, designClient, 560, 513, 700}) {
    SCOPED_TRACE(height);
    wmtest::AskResize(*window, -1, height);
    EXPECT_TRUE(wmtest::WaitFor([&] { return wmtest::ClientRect(*window).height == height; }));
    wmtest::Settle(std::chrono::milliseconds(400));
    const Rect now = wmtest::ClientRect(*window);
    EXPECT_EQ(now.height, height) << wmtest::ToString(now);
    EXPECT_EQ(now.width, kFixedWidth / kTwipsPerPixel - 8);
    EXPECT_EQ(window->Height(), (height + 31) * kTwipsPerPixel);
  }
}

TEST_F(WindowManagerTest, ResizeRulesOfTheWindowHoldAgainstTheUser) {
  ShowWindow();
  // Wider and too low: the handler puts back the width and the least height.
  wmtest::AskResize(*window, 700, 200);
  wmtest::Settle(std::chrono::milliseconds(600));
  const Rect now = wmtest::ClientRect(*window);
  EXPECT_EQ(now.width, kFixedWidth / kTwipsPerPixel - 8) << wmtest::ToString(now);
  EXPECT_EQ(now.height, 303 - 31) << wmtest::ToString(now);  // 4550 twips are 303 pixels
  EXPECT_EQ(window->Width(), kFixedWidth);
  EXPECT_EQ(window->Height(), kLeastHeight);
}

}  // namespace
}  // namespace korvalo::forms
