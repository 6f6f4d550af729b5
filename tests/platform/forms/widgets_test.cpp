// Controls keep their state without widgets until they are seen: rows out of
// their frame's area, frames wholly behind others and controls of a form not
// yet shown get their widgets when they come into view or when something
// needs them (focus, the user's input). What the window shows and what the
// program reads back must be the same as if every widget had been made at
// once.

#include <gtest/gtest.h>

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QWidget>
#include <map>
#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/forms/testing.h"

namespace korvalo::forms {
namespace {

constexpr Colour kRed = 0x0000FF;
constexpr Colour kBlue = 0xFF0000;

// A grid in a frame 3000 x 1200 twips (200 x 80 pixels) at the form's corner:
// rows of 600 twips, each a frame holding a label filling it and a text box.
class RowsWindow : public Form {
 public:
  RowsWindow() : Form("frmRows") {
    Move(0, 0, 6000, 4000);
    frameBase.Move(0, 0, 3000, 1200);
    frameBase.SetBorderStyle(0);
    frameRow(0).Move(0, 0, 3000, 600);
    frameRow(0).SetBorderStyle(0);
    lblFill(0).Move(0, 0, 2000, 600);
    lblFill(0).SetBackColor(kRed);
    txtValue(0).Move(2100, 100, 800, 285);
    // No stop for the first focus of Show: it would give row 0 its widgets.
    txtValue(0).SetTabStop(false);
    txtValue.OnChange = [this](int k) { changes.push_back(k); };
    txtValue.OnGotFocus = [this](int k) { gotFocus.push_back(k); };
  }

  // Loads row k at the given top with its label and text box.
  void LoadRow(int k, int top) {
    Frame& row = frameRow.Load(k);
    row.SetTop(top);
    row.SetVisible(true);
    for (Control* c : {static_cast<Control*>(&lblFill.Load(k)), static_cast<Control*>(&txtValue.Load(k))}) {
      c->SetContainer(row);
      c->SetVisible(true);
    }
  }

  std::vector<int> changes;
  std::vector<int> gotFocus;
  Frame frameBase{*this, "frameBase"};
  ControlArray<Frame> frameRow{frameBase, "frameRow"};
  ControlArray<Label> lblFill{frameRow(0), "lblFill"};
  ControlArray<TextBox> txtValue{frameRow(0), "txtValue"};
};

// The colour the window shows at a point given in twips.
QColor ShownAt(Form& form, int x, int y) {
  // Tests run in parallel: one file per test.
  const std::string path = ::testing::TempDir() + "lazy_" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                           std::to_string(QCoreApplication::applicationPid()) + ".png";
  if (!SaveWindowImage(form, path)) return {};
  const QImage image(QString::fromStdString(path));
  return image.pixelColor(PixelsFromTwips(x), PixelsFromTwips(y));
}

const QColor kQtRed(Qt::red);
const QColor kQtBlue(Qt::blue);

// Counts the paints each widget of the program gets while it lives.
class PaintCounter : public QObject {
 public:
  PaintCounter() { QCoreApplication::instance()->installEventFilter(this); }
  ~PaintCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
  PaintCounter(const PaintCounter&) = delete;
  PaintCounter& operator=(const PaintCounter&) = delete;
  // The widgets painted more than once.
  std::vector<QWidget*> Repainted() const {
    std::vector<QWidget*> out;
    for (const auto& [widget, paints] : paints_) {
      if (paints > 1) out.push_back(widget);
    }
    return out;
  }
  int Painted() const { return static_cast<int>(paints_.size()); }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Paint && watched->isWidgetType()) ++paints_[static_cast<QWidget*>(watched)];
    return false;
  }

 private:
  std::map<QWidget*, int> paints_;
};

TEST(LazyWidgets, ARowScrolledIntoViewShowsWhatWasSetWhileItWasOut) {
  RowsWindow w;
  w.LoadRow(1, 2400);  // below the grid's area
  w.lblFill(1).SetBackColor(kBlue);
  w.txtValue(1).SetText("12");
  w.lblFill(0).SetLeft(3000);  // out of its row
  w.Show();
  EXPECT_NE(kQtRed, ShownAt(w, 300, 300));
  w.lblFill(0).SetLeft(0);
  EXPECT_EQ(kQtRed, ShownAt(w, 300, 300));
  EXPECT_EQ(std::vector<int>{1}, w.changes);
  w.frameRow(1).SetTop(600);
  EXPECT_EQ(kQtBlue, ShownAt(w, 300, 900));
  EXPECT_EQ("12", w.txtValue(1).Text());
  EXPECT_EQ(2, w.txtValue(1).SelStart());  // the caret after the text, as set
}

TEST(LazyWidgets, WidgetsMadeForAShownWindowArePaintedOnceByItsFirstPaint) {
  // The rows' widgets are made after Show, in the turn that follows: they
  // are painted with the window, not once with it and once more after.
  RowsWindow w;
  w.LoadRow(1, 600);
  PaintCounter counter;
  w.Show();
  for (int i = 0; i < 20; ++i) DoEvents();
  ASSERT_NE(nullptr, w.txtValue(1).Widget());
  EXPECT_GT(counter.Painted(), 4);
  EXPECT_EQ(std::vector<QWidget*>{}, counter.Repainted());
}

TEST(LazyWidgets, TheUserTypesIntoARowOutOfViewAfterItsStateWasSet) {
  RowsWindow w;
  w.LoadRow(1, 2400);
  w.txtValue(1).SetMaxLength(4);
  w.txtValue(1).SetText("12");
  w.Show();
  w.changes.clear();
  testing::UserType(w.txtValue(1), "345");
  EXPECT_EQ("1234", w.txtValue(1).Text());
  EXPECT_EQ((std::vector<int>{1, 1}), w.changes);
}

TEST(LazyWidgets, SetFocusReachesAControlThatHasNoWidgetYet) {
  RowsWindow w;
  w.LoadRow(1, 2400);
  w.Show();
  w.gotFocus.clear();
  w.txtValue(1).SetFocus();
  EXPECT_TRUE(w.txtValue(1).HasFocus());
  EXPECT_EQ(std::vector<int>{1}, w.gotFocus);
  ASSERT_NE(nullptr, w.txtValue(1).Widget());
  EXPECT_EQ(w.txtValue(1).Widget(), w.Window()->focusWidget());
}

TEST(LazyWidgets, TextIsKeptAsTheBoxKeepsItWithOrWithoutAWidget) {
  const std::string texts[] = {"abcdef", "a\nb", "x\ty", "N 12\xC2\xB0 E", "\xF0\x9D\x84\x9Ez", "abc\xF0\x9D\x84\x9E"};
  for (const std::string& text : texts) {
    RowsWindow w;
    w.LoadRow(1, 2400);
    w.txtValue(0).SetMaxLength(4);
    w.txtValue(1).SetMaxLength(4);
    w.Show();
    DoEvents();
    ASSERT_NE(nullptr, w.txtValue(0).Widget());
    ASSERT_EQ(nullptr, w.txtValue(1).Widget());
    w.txtValue(0).SetText(text);
    w.txtValue(1).SetText(text);
    EXPECT_EQ(w.txtValue(0).Text(), w.txtValue(1).Text()) << text;
    // And the widget made later shows the same.
    w.frameRow(1).SetTop(600);
    DoEvents();
    ASSERT_NE(nullptr, w.txtValue(1).Widget());
    w.txtValue(1).SetSelStart(0);
    w.txtValue(1).SetSelLength(10);
    EXPECT_EQ(w.txtValue(0).Text(), w.txtValue(1).SelText()) << text;
  }
}

TEST(LazyWidgets, AFrameMovedAwayHiddenOrSentBackUncoversTheFrameBehindIt) {
  for (const std::string how : {"moved", "hidden", "sent back"}) {
    RowsWindow w;
    w.LoadRow(1, 0);  // in front of row 0, hiding it
    w.lblFill(1).SetBackColor(kBlue);
    w.Show();
    EXPECT_EQ(kQtBlue, ShownAt(w, 300, 300));
    if (how == "moved") {
      w.frameRow(1).SetTop(600);
      EXPECT_EQ(kQtBlue, ShownAt(w, 300, 900));
    } else if (how == "hidden") {
      w.frameRow(1).SetVisible(false);
    } else {
      w.frameRow(1).ZOrder(1);
    }
    EXPECT_EQ(kQtRed, ShownAt(w, 300, 300)) << how;
  }
}

TEST(LazyWidgets, AFrameThatComesIntoViewLaterKeepsItsPlaceBehindOrInFront) {
  RowsWindow w;
  w.LoadRow(1, 300);   // in front of row 0's lower half
  w.lblFill(1).SetBackColor(kBlue);
  w.frameRow(0).SetTop(2400);  // row 0 out of view
  w.Show();
  EXPECT_EQ(kQtBlue, ShownAt(w, 300, 450));
  // Row 0 comes back behind row 1, which was loaded after it.
  w.frameRow(0).SetTop(0);
  EXPECT_EQ(kQtRed, ShownAt(w, 300, 150));
  EXPECT_EQ(kQtBlue, ShownAt(w, 300, 450));
  // Brought to the front, row 0 covers row 1 where they overlap.
  w.frameRow(0).ZOrder(0);
  EXPECT_EQ(kQtRed, ShownAt(w, 300, 450));
  EXPECT_EQ(kQtBlue, ShownAt(w, 300, 750));
}

TEST(LazyWidgets, ControlsMovedBetweenFramesWithAndWithoutWidgetsShow) {
  RowsWindow w;
  w.Show();
  DoEvents();
  // A shown label (with its widget) goes into a row not yet in view...
  w.LoadRow(1, 2400);
  w.lblFill(0).SetContainer(w.frameRow(1));
  EXPECT_EQ(&w.frameRow(1), &w.lblFill(0).Parent());
  // ...and shows when the row comes into view.
  w.frameRow(1).SetTop(600);
  EXPECT_EQ(kQtRed, ShownAt(w, 300, 900));
  // A label without a widget goes into a shown row.
  Label& label = w.lblFill.Load(2);
  label.SetBackColor(kBlue);
  label.SetContainer(w.frameRow(0));
  label.SetVisible(true);
  EXPECT_EQ(kQtBlue, ShownAt(w, 300, 300));
}

TEST(LazyWidgets, UnloadedRowsLoadAgainAfterTheFormIsUnloaded) {
  RowsWindow w;
  w.OnLoad = [&w] {
    w.LoadRow(1, 600);
    w.LoadRow(2, 2400);
  };
  w.Show();
  w.lblFill(1).SetBackColor(kBlue);
  EXPECT_EQ(kQtBlue, ShownAt(w, 300, 900));
  EXPECT_TRUE(w.Unload());
  EXPECT_FALSE(w.frameRow.Exists(1));
  EXPECT_FALSE(w.txtValue.Exists(2));
  w.Show();
  EXPECT_EQ(kQtRed, ShownAt(w, 300, 900));
}

}  // namespace
}  // namespace korvalo::forms
