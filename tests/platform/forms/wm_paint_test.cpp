// A window shown over another window of the program paints its area: its
// background and its controls are on the screen (read back from the root
// window, as the display shows them), modal or not, whatever the border of
// either window. The start-up shows its dialogs over the splash window this
// way.

#include <gtest/gtest.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>

#include "platform/forms/forms.h"
#include "wm_x11.h"

namespace korvalo::forms {
namespace {

using wmtest::Rect;

constexpr Colour kSplashBack = RGB(0, 64, 128);
constexpr Colour kDialogBack = RGB(200, 230, 255);
constexpr Colour kPictureBack = RGB(255, 200, 0);
constexpr Colour kCaptionBack = RGB(0, 160, 0);

QColor ScreenColour(Colour c) { return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF)); }

// The colour the screen shows at a point (pixels from the screen's corner).
QColor ScreenPixel(int x, int y) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QImage image = screen->grabWindow(0, x, y, 1, 1).toImage();
  return image.isNull() ? QColor() : image.pixelColor(0, 0);
}

class SplashWindow : public Form {
 public:
  explicit SplashWindow(bool bordered) : Form("frmSplashProbe") {
    if (!bordered) SetBorderStyle(vbBSNone);
    SetCaption("");
    SetBackColor(kSplashBack);
    Move(0, 0, 7200, 4500);  // 480 x 300 pixels
    title.Move(120, 120, 3000, 300);
  }
  Label title{*this, "lblTitle", "Starting"};
};

class OptionsDialog : public Form {
 public:
  explicit OptionsDialog(int borderStyle) : Form("frmOptionsProbe") {
    SetCaption("Options");
    if (borderStyle != vbSizable) SetBorderStyle(borderStyle);
    SetBackColor(kDialogBack);
    // Wholly inside the splash window.
    Move(600, 600, 6000, 3600);
    picture.SetBackColor(kPictureBack);
    picture.Move(120, 120, 1800, 1500);
    caption.SetBackColor(kCaptionBack);
    caption.Move(2040, 240, 3000, 300);  // 200 x 20 pixels
    option.Move(2040, 900, 3000, 300);
    ok.Move(4440, 2400, 1215, 375);
    ok.OnClick = [this](int) { Unload(); };
  }
  PictureBox picture{*this, "picImage"};
  Label caption{*this, "lblCaption", "Choose one"};
  OptionButton option{*this, "optOne", "&Option one"};
  CommandButton ok{*this, "cmdOK", "&OK"};
};

class OverlapPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wmtest::SkipReason().empty()) GTEST_SKIP() << wmtest::SkipReason();
  }
};

// What the screen shows of the dialog and of the splash beside it; "" when
// all is painted. Waits for the paint to come.
std::string CheckPainted(OptionsDialog& dialog, SplashWindow& splash) {
  if (!wmtest::WaitFor([&] { return dialog.Window()->isVisible() && wmtest::Managed(dialog); },
                       std::chrono::seconds(10)))
    return "the dialog was not mapped";
  const Rect client = wmtest::ClientRect(dialog);
  const Rect splashArea = wmtest::ClientRect(splash);
  struct Spot {
    const char* what;
    int x, y;  // on the screen
    Colour colour;
  };
  const int pictureX = client.x + 120 / kTwipsPerPixel + 1800 / kTwipsPerPixel / 2;
  const int pictureY = client.y + 120 / kTwipsPerPixel + 1500 / kTwipsPerPixel / 2;
  const Spot spots[] = {
      {"dialog background", client.x + client.width - 30, client.y + client.height / 2, kDialogBack},
      {"dialog background, low left", client.x + 20, client.y + client.height - 20, kDialogBack},
      {"picture box", pictureX, pictureY, kPictureBack},
      // Beyond the caption's text: a label takes no focus, so only the pass
      // that makes the widgets on screen shows it.
      {"label", client.x + 2040 / kTwipsPerPixel + 190, client.y + 240 / kTwipsPerPixel + 10, kCaptionBack},
      {"splash beside the dialog", splashArea.x + splashArea.width - 8, splashArea.y + 8, kSplashBack},
  };
  std::string faults;
  for (const Spot& s : spots) {
    const QColor want = ScreenColour(s.colour);
    QColor got;
    wmtest::WaitFor([&] {
      got = ScreenPixel(s.x, s.y);
      return got == want;
    });
    if (got != want) {
      faults += std::string(s.what) + " at " + std::to_string(s.x) + "," + std::to_string(s.y) + " shows " +
                got.name().toStdString() + ", not " + want.name().toStdString() + "; ";
    }
  }
  return faults;
}

TEST_F(OverlapPaintTest, ADialogOverTheSplashPaintsItsBackgroundAndControls) {
  struct Case {
    const char* name;
    bool splashBordered;
    int dialogBorder;
    bool modal;
  };
  const Case cases[] = {
      {"modeless over a borderless splash", false, vbSizable, false},
      {"modal over a bordered splash", true, vbSizable, true},
      {"modal over a borderless splash", false, vbSizable, true},
      {"fixed dialog over a borderless splash", false, vbFixedDialog, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SplashWindow splash(c.splashBordered);
    splash.Show();
    ASSERT_TRUE(wmtest::WaitFor([&] { return wmtest::Managed(splash); }, std::chrono::seconds(10)));
    wmtest::Settle();
    OptionsDialog dialog(c.dialogBorder);
    std::string faults = "not checked";
    if (c.modal) {
      // Checked from inside the dialog's own loop, which its unload ends.
      bool ran = false;
      QTimer::singleShot(0, dialog.Window(), [&] {
        ran = true;
        faults = CheckPainted(dialog, splash);
        dialog.Unload();
      });
      dialog.Show(vbModal);
      EXPECT_TRUE(ran);
      EXPECT_FALSE(dialog.Visible());
    } else {
      dialog.Show();
      faults = CheckPainted(dialog, splash);
      dialog.Unload();
    }
    EXPECT_EQ(faults, "");
    splash.Unload();
    wmtest::Settle();
  }
}

}  // namespace
}  // namespace korvalo::forms
