#include <gtest/gtest.h>

#include <QImage>
#include <QMdiSubWindow>

#include "platform/forms/forms.h"
#include "platform/forms/testing.h"

// Frames with child windows, the program's activation, and two windows that
// unload each other.
namespace korvalo::forms {
namespace {

TEST(MdiTest, ChildSitsInsideTheFrameAndFillsItMaximised) {
  Form frame("frame");
  Form child("child");
  MakeMdiFrame(frame);
  SetMdiParent(child, frame);
  EXPECT_EQ(MdiParent(child), &frame);
  EXPECT_EQ(MdiParent(frame), nullptr);
  frame.Move(0, 0, 9000, 7000);
  frame.Show();
  child.Move(300, 450, 3000, 2000);
  child.Show();
  EXPECT_EQ(child.Left(), 300);
  EXPECT_EQ(child.Top(), 450);
  EXPECT_EQ(child.Width(), 3000);
  child.SetWindowState(vbMaximized);
  EXPECT_EQ(child.Width(), frame.ScaleWidth());
  EXPECT_EQ(child.Height(), frame.ScaleHeight());
  child.SetWindowState(vbNormal);
  EXPECT_EQ(child.Left(), 300);
  EXPECT_EQ(child.Width(), 3000);
  EXPECT_TRUE(child.Unload());
  EXPECT_FALSE(child.Visible());
}

// The child's sub-window shows no icon rather than the toolkit's logo.
TEST(MdiTest, ChildShowsNoToolkitLogo) {
  Form frame("frame");
  Form child("child");
  MakeMdiFrame(frame);
  SetMdiParent(child, frame);
  frame.Show();
  child.Show();
  auto* sub = qobject_cast<QMdiSubWindow*>(child.Window()->parentWidget());
  ASSERT_NE(sub, nullptr);
  const QImage icon = sub->windowIcon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
  ASSERT_FALSE(icon.isNull());
  int opaque = 0;
  for (int y = 0; y < icon.height(); ++y) {
    for (int x = 0; x < icon.width(); ++x) opaque += qAlpha(icon.pixel(x, y)) != 0;
  }
  EXPECT_EQ(opaque, 0);
}

TEST(MdiTest, TwoFormsUnloadingEachOtherUnloadOnce) {
  Form a("a");
  Form b("b");
  int aUnloads = 0;
  int bUnloads = 0;
  a.OnUnload = [&](int&) {
    ++aUnloads;
    b.Unload();
  };
  b.OnUnload = [&](int&) {
    ++bUnloads;
    a.Unload();
  };
  a.Show();
  b.Show();
  EXPECT_TRUE(a.Unload());
  EXPECT_EQ(aUnloads, 1);
  EXPECT_EQ(bUnloads, 1);
  EXPECT_FALSE(a.Loaded());
  EXPECT_FALSE(b.Loaded());
}

TEST(ActivationTest, HandlerHearsTheProgramsActivationUntilRemoved) {
  std::vector<bool> heard;
  SetActivationHandler([&](bool active) { heard.push_back(active); });
  EXPECT_TRUE(ActivationHandled());
  RaiseActivation(false);
  RaiseActivation(true);
  SetActivationHandler({});
  SetActivationHandler({});
  EXPECT_FALSE(ActivationHandled());
  RaiseActivation(false);
  EXPECT_EQ(heard, (std::vector<bool>{false, true}));
}

TEST(ScreenTest, TestScreenSizeIsTheTwipsScreen) {
  SetScreenPixelsForTests(1024, 640);
  EXPECT_EQ(ScreenHeightPixels(), 640);
  EXPECT_EQ(ScreenHeight(), 640 * 15);
  EXPECT_EQ(ScreenWidth(), 1024 * 15);
  SetScreenPixelsForTests(0, 0);
}

}  // namespace
}  // namespace korvalo::forms
