// Message boxes under a real window manager: a long path wraps inside the
// box and the box stays on the screen; a line the screen has room for is
// not broken.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QFontMetrics>
#include <string>

#include "platform/forms/forms.h"
#include "wm_x11.h"

namespace korvalo::forms {
namespace {

// What the shown box looked like.
struct Seen {
  QRect frame;      // the box with the manager's frame, screen pixels
  QRect screen;     // the screen's available area
  QSize text;        // the text label's inner size
  QSize textNeeds;   // what its text takes, wrapped as the label wraps it
  int textLines = 0;  // lines the label shows
  bool shown = false;
};

// Shows the message box as the program does and measures it once the
// manager has framed it, then closes it.
Seen ShowAndMeasure(const std::string& text) {
  Seen seen;
  int steadyTicks = 0;
  QTimer poll;
  poll.setInterval(50);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    if (++steadyTicks < 8) return;  // let the manager place and frame it
    const QLabel* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    seen.shown = true;
    seen.frame = box->frameGeometry();
    seen.screen = box->screen()->availableGeometry();
    if (label) {
      const QRect inside = label->contentsRect();
      seen.text = inside.size();
      seen.textNeeds = label->fontMetrics()
                           .boundingRect(QRect(0, 0, inside.width(), 100000), Qt::TextWordWrap, label->text())
                           .size();
      seen.textLines = seen.textNeeds.height() / label->fontMetrics().lineSpacing();
    }
    poll.stop();
    box->accept();
  });
  poll.start();
  MsgBox(text, vbOKOnly);
  return seen;
}

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wmtest::SkipReason().empty()) GTEST_SKIP() << wmtest::SkipReason();
  }
};

TEST_F(MessageBoxTest, LongTextWrapsInsideTheBoxAndTheBoxStaysOnTheScreen) {
  const std::string longName(300, 'W');
  struct Case {
    const char* what;
    std::string text;
    int lines;  // 0: as many as it takes
  };
  const Case cases[] = {
      {"a 300-character project name", "The project /home/surveyor/Projects/" + longName + ".kvx already exists.", 0},
      {"a name without a separator", longName + longName, 0},
      {"two lines that fit the screen",
       "Training videos may also be accessed through the Korvalo program group\r\n"
       "in the start menu, and from the help menu within the program.",
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Seen seen = ShowAndMeasure(c.text);
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.screen.contains(seen.frame))
        << seen.frame.x() << "," << seen.frame.y() << " " << seen.frame.width() << "x" << seen.frame.height();
    // All of the text in the label: nothing cut at its right or bottom edge.
    EXPECT_LE(seen.textNeeds.width(), seen.text.width());
    EXPECT_LE(seen.textNeeds.height(), seen.text.height());
    if (c.lines) {
      EXPECT_EQ(seen.textLines, c.lines);
    }
  }
}

}  // namespace
}  // namespace korvalo::forms
