#include <functional>
#include <string>
#include <vector>

#include "standalone/activation.h"
#include "standalone_fixture.h"

// The three windows' states through the program's phases, and the two
// window arrangements.
namespace korvalo::standalone::test {
namespace {

using namespace forms;

TEST_F(StandaloneTest, FrameLoadsInsideTheEditorsLoadMaximisedWithTheEditorOnTop) {
  SetScreenPixelsForTests(1024, 768);
  Load();
  EXPECT_TRUE(main->Loaded());
  EXPECT_EQ(main->WindowState(), vbMaximized);
  EXPECT_EQ(main->Caption(), "Korvalo");
  EXPECT_TRUE(editor->TopMost());
  EXPECT_FALSE(main->TopMost());
  EXPECT_TRUE(Standalone().MainHooked);
  EXPECT_DOUBLE_EQ(Standalone().PixelsPerTwip, 1.0 / 15.0);
  EXPECT_EQ(MdiParent(main->frmView), main.get());
  EXPECT_TRUE(main->frmView.Visible());
  EXPECT_EQ(main->frmView.WindowState(), vbMaximized);
  EXPECT_EQ(main->frmView.Caption(), "Korvalo");
}

// Each step acts on the program left by the steps before it.
TEST_F(StandaloneTest, StateTableOfTheFloatingEditor) {
  Load();
  struct Step {
    const char* what;
    std::function<void()> act;
    bool topMost;
    int editorState;
    int mainState;
  };
  const std::vector<Step> steps = {
      {"started", [] {}, true, vbNormal, vbMaximized},
      {"another application activated", [] { RaiseActivation(false); }, false, vbNormal, vbMaximized},
      {"activated again", [] { RaiseActivation(true); }, true, vbNormal, vbMaximized},
      {"frame minimised", [&] { main->SetWindowState(vbMinimized); }, true, vbMinimized, vbMinimized},
      {"frame restored", [&] { main->SetWindowState(vbMaximized); }, true, vbNormal, vbMaximized},
      {"frame minimised again", [&] { main->SetWindowState(vbMinimized); }, true, vbMinimized, vbMinimized},
      {"editor restored alone", [&] { editor->SetWindowState(vbNormal); }, true, vbNormal, vbMaximized},
      {"About opened", [&] { main->mnuAbout.PerformClick(); }, true, vbMinimized, vbMinimized},
      {"About closed", [&] { main->About()->cmdOk.PerformClick(); }, true, vbNormal, vbMaximized},
      {"frame normal", [&] { main->SetWindowState(vbNormal); }, true, vbNormal, vbNormal},
      {"deactivated with the frame normal", [] { RaiseActivation(false); }, false, vbNormal, vbNormal},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    EXPECT_EQ(editor->TopMost(), step.topMost);
    EXPECT_EQ(editor->WindowState(), step.editorState);
    EXPECT_EQ(main->WindowState(), step.mainState);
    EXPECT_FALSE(main->TopMost());
    EXPECT_FALSE(main->frmView.TopMost());
  }
  EXPECT_FALSE(main->About()->Loaded());
}

TEST_F(StandaloneTest, ExitFromEitherWindowAsksOnce) {
  struct Case {
    const char* what;
    bool fromFrame;
    int answer;
  };
  const Case cases[] = {{"frame, No", true, vbNo},
                        {"frame, Yes", true, vbYes},
                        {"editor, No", false, vbNo},
                        {"editor, Yes", false, vbYes}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetStandaloneState();
    Load();
    prompts.ExpectMsgBox("Exit Korvalo?", vbYesNo, c.answer, "Korvalo");
    testing::UserClose(c.fromFrame ? static_cast<Form&>(*main) : static_cast<Form&>(*editor));
    EXPECT_EQ(prompts.Pending(), 0);
    const bool yes = c.answer == vbYes;
    EXPECT_EQ(Standalone().ExitConfirmed, yes);
    EXPECT_EQ(main->Loaded(), !yes);
    EXPECT_EQ(editor->Loaded(), !yes);
    EXPECT_EQ(main->frmView.Loaded(), !yes);
    EXPECT_EQ(Standalone().MainHooked, !yes);
    if (!yes) {
      // Still floating, still switched by the activation.
      RaiseActivation(false);
      EXPECT_FALSE(editor->TopMost());
      RaiseActivation(true);
      EXPECT_TRUE(editor->TopMost());
      // The next close asks again; this time the program ends without a
      // second question from the other window.
      prompts.ExpectMsgBox("Exit Korvalo?", vbYesNo, vbYes, "Korvalo");
      main->mnuExit.PerformClick();
      EXPECT_FALSE(main->Loaded());
      EXPECT_FALSE(editor->Loaded());
    }
    policy.reset();
    main.reset();
    viewer.reset();
    editor.reset();
  }
}

TEST_F(StandaloneTest, DrawingWindowsCloseBoxDoesNothing) {
  Load();
  testing::UserClose(main->frmView);
  EXPECT_TRUE(main->frmView.Loaded());
  EXPECT_TRUE(main->Loaded());
}

TEST_F(StandaloneTest, UnhookingTwiceIsHarmless) {
  Load();
  UnhookMainWindow(*main);
  UnhookMainWindow(*main);
  EXPECT_FALSE(ActivationHandled());
  RaiseActivation(false);
  EXPECT_TRUE(editor->TopMost());
  HookMainWindow(*main);
  RaiseActivation(false);
  EXPECT_FALSE(editor->TopMost());
}

// --- arrangements -----------------------------------------------------------

class ArrangeTest : public StandaloneTest {
 protected:
  void SetUp() override {
    StandaloneTest::SetUp();
    SetScreenPixelsForTests(1024, 768);
    Load();
  }
  void FrameAt(int left, int top, int width, int height) {
    main->SetWindowState(vbNormal);
    main->Move(left, top, width, height);
  }
};

TEST_F(ArrangeTest, FrameGrowsToHoldTheEditorUnlessMaximised) {
  const int least = Standalone().EditorMinHeight;
  const int editorWidth = editor->Width();
  struct Case {
    const char* what;
    bool split;
    int width, height;
    int wantWidth, wantHeight;  // 0: unchanged
  };
  const Case cases[] = {
      {"split, low frame", true, 12000, 3000, 0, least + 985},
      {"native, low frame", false, 12000, 3000, 0, least + 985},
      {"split, narrow frame", true, editorWidth + 500, 9000, editorWidth + 2000, 0},
      {"native, narrow frame", false, editorWidth + 500, 9000, editorWidth + 2000, 0},
      {"split, roomy frame", true, 14000, 9000, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FrameAt(600, 600, c.width, c.height);
    c.split ? main->ArrangeSplitView() : main->ArrangeNativeView();
    EXPECT_EQ(main->Width(), c.wantWidth ? c.wantWidth : c.width);
    EXPECT_EQ(main->Height(), c.wantHeight ? c.wantHeight : c.height);
    EXPECT_EQ(editor->Left(), 600 + 80);
    EXPECT_EQ(editor->Top(), 600 + (c.split ? 650 : 1400));
    if (c.split) {
      EXPECT_EQ(main->frmView.WindowState(), vbNormal);
      EXPECT_EQ(main->frmView.Left(), editor->Width());
      EXPECT_EQ(main->frmView.Top(), 0);
    } else {
      EXPECT_EQ(editor->Height(), least);
      EXPECT_EQ(main->frmView.WindowState(), vbMaximized);
    }
  }
  // A maximised frame keeps the screen's size.
  main->SetWindowState(vbMaximized);
  const int width = main->Width();
  const int height = main->Height();
  main->ArrangeSplitView();
  main->ArrangeNativeView();
  EXPECT_EQ(main->WindowState(), vbMaximized);
  EXPECT_EQ(main->Width(), width);
  EXPECT_EQ(main->Height(), height);
  EXPECT_TRUE(editor->TopMost());
}

TEST_F(ArrangeTest, OverviewBelowTheScreenGoesAboveTheEditorWhenThereIsRoom) {
  // Native view leaves the editor 5750 twips (383 pixels) high, its bottom
  // at (frame top + 1400 + 5750) / 15 pixels, on a screen 768 pixels high.
  struct Case {
    const char* what;
    int frameTop;
    int overviewHeight;
    int wantTop;
  };
  const Case cases[] = {
      {"fits below", 0, 50, 477},
      {"below the screen, no room above", 0, 400, 477},
      {"below the screen, room above", 3000, 200, 677 - 383 - 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    viewer->width = 150;
    viewer->height = c.overviewHeight;
    viewer->rect[0] = PixelRect{0, 0, 150, c.overviewHeight};
    FrameAt(300, c.frameTop, 14000, 9000);
    editor->SetTopMost(false);
    main->ArrangeNativeView();
    EXPECT_EQ(viewer->rect[0].Top, c.wantTop);
    EXPECT_EQ(viewer->rect[0].Left, 25);  // (300 + 80) / 15, to the nearest
    // The second beside the first (to its right: no room on its left), at
    // the same height.
    EXPECT_EQ(viewer->rect[1].Left, viewer->rect[0].Right + 4);
    EXPECT_EQ(viewer->rect[1].Top, viewer->rect[0].Top);
    EXPECT_TRUE(editor->TopMost());
  }
}

TEST_F(ArrangeTest, SplitViewLeavesRoomForTheOverviewUnderTheEditor) {
  viewer->width = 150;
  viewer->height = 90;
  viewer->rect[0] = PixelRect{0, 0, 150, 90};
  FrameAt(0, 0, 14000, 9000);
  main->ArrangeSplitView();
  EXPECT_EQ(editor->Height(), std::max(Standalone().EditorMinHeight, main->ScaleHeight() - 90 * 15));
  EXPECT_EQ(main->frmView.Width(), main->ScaleWidth() - editor->Width());
  EXPECT_EQ(main->frmView.Height(), main->ScaleHeight());
  // Under the editor's right edge.
  EXPECT_EQ(viewer->rect[0].Left, (80 + editor->Width()) / 15 - 150);
}

// A frame reaching past the screen's bottom: the editor, as high as the
// frame's inner area, gives up what the overview under it needs
// to end on the screen (768 pixels); the second overview beside the first.
TEST_F(ArrangeTest, SplitViewKeepsTheOverviewUnderTheEditorOnTheScreen) {
  viewer->width = 150;
  viewer->height = 90;
  viewer->rect[0] = PixelRect{0, 0, 150, 90};
  FrameAt(0, 0, 14000, 800 * 15);
  main->ArrangeSplitView();
  const int editorBottom = (editor->Top() + editor->Height()) / 15;
  EXPECT_GE(viewer->rect[0].Top, editorBottom);
  EXPECT_LE(viewer->rect[0].Bottom, 768);
  EXPECT_GT(viewer->rect[0].Bottom, 768 - 2);
  EXPECT_LT(editor->Height(), main->ScaleHeight() - 90 * 15);
  EXPECT_TRUE(viewer->rect[1].Right <= viewer->rect[0].Left || viewer->rect[1].Left >= viewer->rect[0].Right);
  EXPECT_EQ(viewer->rect[1].Top, viewer->rect[0].Top);
}

}  // namespace
}  // namespace korvalo::standalone::test
