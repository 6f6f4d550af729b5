// Under a window manager: a modal window opened over a window that stays on
// top of the others is seen above it, a window's focus starts on the first
// enabled stop of its tab order, never on a box the Tab key passes by, and a
// window maximised by the program lays its controls out at the size the
// manager gives it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWindow>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <string>

#include "platform/forms/forms.h"
#include "wm_x11.h"

namespace korvalo::forms {
namespace {

using wmtest::Rect;

constexpr Colour kEditorBack = RGB(0, 64, 128);
constexpr Colour kAboutBack = RGB(255, 200, 0);

QColor ScreenColour(Colour c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

QColor ScreenPixel(int x, int y) {
  const QImage image = QGuiApplication::primaryScreen()->grabWindow(0, x, y, 1, 1).toImage();
  return image.isNull() ? QColor() : image.pixelColor(0, 0);
}

bool Mapped(Form& form) {
  return wmtest::WaitFor([&] { return form.Window()->isVisible() && wmtest::Managed(form); },
                         std::chrono::seconds(10));
}

// The editor's start: a read-only box the Tab key passes by, created first,
// and the first stop of the tab order still disabled (no project open).
class StartWindow : public Form {
 public:
  explicit StartWindow(const char* name) : Form(name) {
    SetCaption(name);
    SetBackColor(kEditorBack);
    Move(0, 0, 6855, 6000);
    previous.Move(840, 360, 1935, 285);
    previous.SetLocked(true);
    previous.SetTabStop(false);
    zoom.Move(2880, 360, 975, 285);
    zoom.SetEnabled(false);
    zoom.SetTabIndex(0);
  }
  TextBox previous{*this, "txtPrevious"};
  CommandButton zoom{*this, "cmdZoom", "Zoom ->"};
};

class About : public Form {
 public:
  About() : Form("frmAbout") {
    SetCaption("About");
    SetBackColor(kAboutBack);
    Move(1500, 1500, 3000, 2000);
  }
};

class StackFocusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wmtest::SkipReason().empty()) GTEST_SKIP() << wmtest::SkipReason();
  }
};

TEST_F(StackFocusTest, AModalWindowOpensAboveATopMostWindow) {
  StartWindow editor("frmEditor");
  editor.Show();
  ASSERT_TRUE(Mapped(editor));
  editor.SetTopMost(true);
  wmtest::Settle();
  About about;
  std::string seen;
  bool shown = false;
  const PromptHandler previous = SetPromptHandler([&](const Prompt& p) {
    PromptAnswer answer;
    if (p.kind != PromptKind::ModalForm) return answer;
    shown = Mapped(about);
    const Rect client = wmtest::ClientRect(about);
    const QColor want = ScreenColour(kAboutBack);
    QColor got;
    wmtest::WaitFor([&] {
      got = ScreenPixel(client.x + client.width / 2, client.y + client.height / 2);
      return got == want;
    });
    seen = got.name().toStdString();
    about.Hide();
    return answer;
  });
  about.Show(vbModal);
  SetPromptHandler(previous);
  EXPECT_TRUE(shown);
  EXPECT_EQ(seen, ScreenColour(kAboutBack).name().toStdString());
  // Closed, it no longer stays on top; the editor still does.
  EXPECT_FALSE(about.TopMost());
  EXPECT_TRUE(editor.TopMost());
}

TEST_F(StackFocusTest, TheFocusStartsOnTheFirstEnabledStopAndNeverOnAPassedBox) {
  StartWindow editor("frmEditor");
  editor.Show();
  ASSERT_TRUE(Mapped(editor));
  ASSERT_TRUE(wmtest::WaitFor([&] { return editor.Window()->isActiveWindow(); }, std::chrono::seconds(10)));
  wmtest::Settle();
  // No stop is enabled: no control has the focus.
  EXPECT_EQ(editor.ActiveControl(), nullptr);
  EXPECT_NE(QApplication::focusWidget(), editor.previous.Widget());

  // A project opened: the first stop enabled. Back from another window the
  // focus goes there.
  editor.zoom.SetEnabled(true);
  StartWindow other("frmOther");
  other.Move(3000, 3000);
  other.Show();
  ASSERT_TRUE(Mapped(other));
  ASSERT_TRUE(wmtest::WaitFor([&] { return other.Window()->isActiveWindow(); }, std::chrono::seconds(10)));
  other.Hide();
  editor.Window()->activateWindow();
  ASSERT_TRUE(wmtest::WaitFor([&] { return editor.Window()->isActiveWindow(); }, std::chrono::seconds(10)));
  wmtest::Settle();
  ASSERT_NE(editor.ActiveControl(), nullptr);
  EXPECT_EQ(editor.ActiveControl()->Name(), "cmdZoom");
  EXPECT_EQ(QApplication::focusWidget(), editor.zoom.Widget());
}

// The editor's direction check: leaving a box that does not read asks once
// and gives the box the focus back, whether the user pressed another box or a
// row button.
class CheckedWindow : public Form {
 public:
  CheckedWindow() : Form("frmChecked") {
    SetCaption("Checked");
    Move(0, 0, 6855, 4000);
    bearing.Move(360, 100, 1455, 285);
    distance.Move(2760, 100, 1455, 285);
    row.Move(360, 600, 340, 285);
    bearing.OnLostFocus = [this](int) {
      if (bearing.Text() == "ok") return;
      MsgBox("The bearing is not formatted correctly. Would you like to keep this value?", vbYesNo);
      bearing.SetFocus();
    };
  }
  TextBox bearing{*this, "txtBearingLine"};
  TextBox distance{*this, "txtDistanceLine"};
  CommandButton row{*this, "cmdNo", "1"};
};

// A press as the window system delivers it: to the widget under the pointer
// of the active window.
void Press(Control& c, Qt::MouseButton button) {
  QWidget* w = c.Widget();
  QWindow* window = w->window()->windowHandle();
  const QPointF global = w->mapToGlobal(QPointF(w->width() / 2.0, w->height() / 2.0));
  const QPointF at = window->mapFromGlobal(global);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, Qt::NoModifier);
  QApplication::sendEvent(window, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(window, &release);
}

TEST_F(StackFocusTest, LeavingABoxThatAsksAQuestionAsksItOnce) {
  for (const char* target : {"another box", "a row button, right button"}) {
    SCOPED_TRACE(target);
    CheckedWindow w;
    w.Show();
    ASSERT_TRUE(Mapped(w));
    ASSERT_TRUE(wmtest::WaitFor([&] { return w.Window()->isActiveWindow(); }, std::chrono::seconds(10)));
    w.bearing.SetFocus();
    w.bearing.SetText("N95E");
    wmtest::Settle();
    int asked = 0;
    const PromptHandler previous = SetPromptHandler([&](const Prompt&) {
      ++asked;
      return PromptAnswer{vbYes, {}, nullptr};
    });
    if (std::string(target) == "another box") {
      Press(w.distance, Qt::LeftButton);
    } else {
      Press(w.row, Qt::RightButton);
    }
    wmtest::Settle();
    SetPromptHandler(previous);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(w.bearing.HasFocus());
    w.bearing.SetText("ok");
  }
}

// A drawing window: the picture fills the window above a status line.
class LaidOutWindow : public Form {
 public:
  LaidOutWindow() : Form("frmDrawing") {
    SetCaption("Drawing");
    Move(0, 0, 12000, 9000);
    OnResize = [this] {
      const int height = std::max(0, ScaleHeight() - 300);
      picture.Move(0, 0, ScaleWidth(), height);
      status.Move(0, height, ScaleWidth(), 300);
    };
  }
  PictureBox picture{*this, "picDrawing"};
  Label status{*this, "lblStatus", "Ready"};
};

TEST_F(StackFocusTest, AWindowMaximisedByTheProgramLaysOutAtTheMaximisedSize) {
  LaidOutWindow w;
  w.Show();
  ASSERT_TRUE(Mapped(w));
  w.SetWindowState(vbMaximized);
  // The window manager marks the window maximised before it has resized it.
  ASSERT_TRUE(wmtest::WaitFor([&] {
    return wmtest::ShownMaximised(w) && wmtest::ClientRect(w).width > 12000 / kTwipsPerPixel;
  }, std::chrono::seconds(10))) << "client width " << wmtest::ClientRect(w).width;
  // The status line at the bottom of the maximised window, as wide as it.
  EXPECT_TRUE(wmtest::WaitFor([&] {
    return w.status.Top() + w.status.Height() == w.ScaleHeight() && w.ScaleHeight() / kTwipsPerPixel > 600 &&
           w.status.Width() == w.ScaleWidth();
  }, std::chrono::seconds(10))) << "status line at " << w.status.Top() << " of " << w.ScaleHeight() << ", width " << w.status.Width()
      << " of " << w.ScaleWidth();
}

}  // namespace
}  // namespace korvalo::forms
