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

// Maximised, a child has no title bar of its own: its window begins at the
// top of the frame's inner area, and its caption joins the frame's title;
// back to normal, it has its title bar and the frame its own caption again.
TEST(MdiTest, MaximisedChildsCaptionJoinsTheFrames) {
  Form frame("frame");
  Form child("child");
  MakeMdiFrame(frame);
  SetMdiParent(child, frame);
  frame.SetCaption("Main");
  child.SetCaption("Drawing");
  frame.Move(0, 0, 9000, 7000);
  frame.Show();
  child.Move(300, 450, 3000, 2000);
  child.Show();
  auto* sub = qobject_cast<QMdiSubWindow*>(child.Window()->parentWidget());
  ASSERT_NE(sub, nullptr);
  const auto title = [&frame] { return frame.Window()->windowTitle().toStdString(); };
  const auto childTop = [&] { return child.Window()->mapTo(sub, QPoint(0, 0)).y(); };
  EXPECT_EQ(title(), "Main");
  EXPECT_GT(childTop(), 0);

  child.SetWindowState(vbMaximized);
  EXPECT_EQ(childTop(), 0);
  EXPECT_EQ(child.Window()->height(), frame.ContentWidget()->height());
  EXPECT_EQ(title(), "Main - [Drawing]");
  frame.SetCaption("Main - Lots");
  child.SetCaption("View");
  EXPECT_EQ(title(), "Main - Lots - [View]");
  EXPECT_EQ(frame.Caption(), "Main - Lots");

  child.SetWindowState(vbNormal);
  EXPECT_GT(childTop(), 0);
  EXPECT_EQ(title(), "Main - Lots");
  child.SetWindowState(vbMaximized);
  child.Hide();
  EXPECT_EQ(title(), "Main - Lots");
}

// A window manager bringing the maximised frame back from the task bar may
// report a passing normal state while the window keeps its size: the
// frame's inner area and its maximised child still fill the window after.
TEST(MdiTest, MaximisedChildStillFillsTheFrameAfterAPassingNormalState) {
  Form frame("frame");
  Form child("child");
  MakeMdiFrame(frame);
  SetMdiParent(child, frame);
  frame.Move(0, 0, 4800, 3600);
  frame.Show();
  child.Show();
  child.SetWindowState(vbMaximized);
  frame.SetWindowState(vbMaximized);
  // The manager gives the maximised window the screen.
  const QSize full(900, 700);
  frame.Window()->resize(full);
  ASSERT_EQ(frame.ContentWidget()->width(), full.width());
  frame.Window()->overrideWindowState(Qt::WindowNoState);
  frame.Window()->overrideWindowState(Qt::WindowMaximized);
  EXPECT_EQ(frame.WindowState(), vbMaximized);
  EXPECT_EQ(frame.Window()->size(), full);
  EXPECT_EQ(frame.ContentWidget()->width(), full.width());
  EXPECT_EQ(child.WindowState(), vbMaximized);
  EXPECT_EQ(child.Width(), frame.ScaleWidth());
  EXPECT_EQ(child.Window()->width(), full.width());
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
