// Control arrays, forms, menus, the picture box and the window services.

#include <gtest/gtest.h>

#include <QColor>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/forms/internal.h"
#include "platform/forms/testing.h"

namespace korvalo::forms {
namespace {

using testing::PromptScript;
using testing::RecordingCanvas;

// A grid row like the editor's: a frame per row with a text box moved into it.
class GridWindow : public Form {
 public:
  GridWindow() : Form("frmGrid") {
    Move(0, 0, 6855, 6000);
    frameBase.Move(120, 120, 6495, 4000);
    frameLine(0).Move(360, 0, 5775, 400);
    txtDistance(0).Move(2760, 100, 1455, 285);
    txtDistance(0).SetToolTipText("Distance");
    txtDistance(0).SetBackColor(RGB(1, 2, 3));
    cmdNo(0).Move(0, 100, 340, 285);
    cmdNo(0).SetCaption(" 1");
    cmdNo(0).SetEnabled(false);
    txtDistance.OnChange = [this](int k) { changed.push_back(k); };
  }
  std::vector<int> changed;
  Frame frameBase{*this, "frameBase"};
  ControlArray<CommandButton> cmdNo{frameBase, "cmdNo"};
  ControlArray<Frame> frameLine{frameBase, "frameLine"};
  ControlArray<TextBox> txtDistance{frameLine(0), "txtDistance"};
};

TEST(ControlArrays, LoadCopiesElementZeroInvisibleInItsContainer) {
  GridWindow w;
  TextBox& t = w.txtDistance.Load(5);
  EXPECT_EQ(5, t.Index());
  EXPECT_FALSE(t.Visible());
  EXPECT_EQ(&w.frameLine(0), &t.Parent());
  EXPECT_EQ(2760, t.Left());
  EXPECT_EQ(100, t.Top());
  EXPECT_EQ(1455, t.Width());
  EXPECT_EQ(285, t.Height());
  EXPECT_EQ("Distance", t.ToolTipText());
  EXPECT_EQ(RGB(1, 2, 3), t.BackColor());
  CommandButton& b = w.cmdNo.Load(1);
  EXPECT_EQ(" 1", b.Caption());
  EXPECT_FALSE(b.Enabled());
}

TEST(ControlArrays, ElementMovesIntoAnotherContainerAndCarriesItsIndex) {
  GridWindow w;
  Frame& f = w.frameLine.Load(3);
  TextBox& t = w.txtDistance.Load(3);
  t.SetContainer(f);
  t.SetVisible(true);
  EXPECT_EQ(&f, &t.Parent());
  EXPECT_EQ(2760, t.Left());
  t.SetText("12.5");
  EXPECT_EQ(std::vector<int>{3}, w.changed);
}

TEST(ControlArrays, LoadAndUnloadErrors) {
  GridWindow w;
  w.txtDistance.Load(1);
  try {
    w.txtDistance.Load(1);
    ADD_FAILURE() << "loaded twice";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(kErrAlreadyLoaded, e.Number());
  }
  try {
    w.txtDistance(2);
    ADD_FAILURE() << "missing element returned";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(kErrElementMissing, e.Number());
  }
  try {
    w.txtDistance.Unload(0);
    ADD_FAILURE() << "element 0 unloaded";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(kErrCannotUnload, e.Number());
  }
  w.txtDistance.Unload(1);
  EXPECT_FALSE(w.txtDistance.Exists(1));
  EXPECT_EQ(1, w.txtDistance.Count());
  EXPECT_EQ(0, w.txtDistance.UBound());
}

TEST(ControlArrays, UnloadingTheFormUnloadsWhatItsLoadLoaded) {
  GridWindow w;
  w.txtDistance.Load(1);  // before the form's Load: part of the design
  w.OnLoad = [&w] {
    for (int k = 2; k < 5; ++k) w.frameLine.Load(k);
    for (int k = 2; k < 5; ++k) w.txtDistance.Load(k).SetContainer(w.frameLine(k));
  };
  w.Show();
  EXPECT_EQ(5, w.txtDistance.Count());
  EXPECT_TRUE(w.Unload());
  EXPECT_EQ(2, w.txtDistance.Count());
  EXPECT_EQ(1, w.frameLine.Count());
  w.Show();  // the Load loads them anew
  EXPECT_EQ(5, w.txtDistance.Count());
}

TEST(ControlArrays, GridOfEightyRowsStaysConsistent) {
  GridWindow w;
  for (int k = 1; k < 80; ++k) {
    w.cmdNo.Load(k).SetCaption(std::to_string(k + 1));
    Frame& f = w.frameLine.Load(k);
    f.SetVisible(true);
    f.SetTop(400 * k);
    w.txtDistance.Load(k).SetContainer(f);
  }
  EXPECT_EQ(80, w.txtDistance.Count());
  EXPECT_EQ("80", w.cmdNo(79).Caption());
  EXPECT_EQ(31600, w.frameLine(79).Top());
  EXPECT_TRUE(w.frameLine(79).Visible());
}

class PlainForm : public Form {
 public:
  PlainForm(const std::string& name, std::vector<std::string>& log) : Form(name), log_(log) {
    OnLoad = [this] { log_.push_back(Name() + "_Load"); };
    OnActivate = [this] { log_.push_back(Name() + "_Activate"); };
    OnDeactivate = [this] { log_.push_back(Name() + "_Deactivate"); };
    OnResize = [this] { log_.push_back(Name() + "_Resize"); };
    OnUnload = [this](int&) { log_.push_back(Name() + "_Unload"); };
  }

 private:
  std::vector<std::string>& log_;
};

// ---------------------------------------------------------------- combo box

class ComboWindow : public Form {
 public:
  ComboWindow() : Form("frmCombo") {
    Move(0, 0, 6000, 3000);
    one.Move(120, 120, 2400, 315);
    batch.Move(120, 600, 2400, 315);
    list.Move(120, 1080, 2400, 315);
  }
  ComboBox one{*this, "cbxOne"};
  ComboBox batch{*this, "cbxBatch"};
  ComboBox list{*this, "cbxList", vbComboDropdownList};
};

std::vector<std::string> WidgetTexts(ComboBox& combo) {
  auto* w = static_cast<QComboBox*>(detail::Access::Realise(combo));
  std::vector<std::string> texts;
  for (int i = 0; i < w->count(); ++i) texts.push_back(w->itemText(i).toStdString());
  return texts;
}

std::string WidgetCurrent(ComboBox& combo) {
  auto* w = static_cast<QComboBox*>(detail::Access::Realise(combo));
  return std::to_string(w->currentIndex()) + ":" + w->currentText().toStdString();
}

// A list filled in one batch is the list AddItem and SetItemData make one by
// one: the same entries, data, NewIndex, selection and edit text, in the
// control and in its widget, and the widget takes later changes alike.
TEST(Combo, ABatchFillsTheListAsItemsAddedOneByOne) {
  ComboWindow w;
  w.Show();
  for (ComboBox* combo : {&w.one, &w.batch, &w.list}) {
    combo->AddItem("Lot 2");
    combo->SetListIndex(0);
  }
  w.one.SetText("typed");
  w.batch.SetText("typed");
  const std::vector<std::pair<std::string, long>> entries = {{"Äpfel", 7}, {"lot 10", 3000000000L}, {"Zed", -1}};
  for (const auto& [text, data] : entries) {
    w.one.AddItem(text);
    w.one.SetItemData(w.one.NewIndex(), data);
  }
  for (ComboBox* combo : {&w.batch, &w.list}) {
    std::vector<ComboBox::Item> items;
    for (const auto& [text, data] : entries) items.push_back({text, data});
    combo->AddItems(std::move(items));
    combo->AddItems({});  // nothing to add: nothing changes
  }
  const std::vector<std::string> texts = {"Lot 2", "Äpfel", "lot 10", "Zed"};
  for (ComboBox* combo : {&w.one, &w.batch, &w.list}) {
    SCOPED_TRACE(combo->Name());
    ASSERT_EQ(combo->ListCount(), 4);
    EXPECT_EQ(combo->NewIndex(), 3);
    for (int i = 1; i < 4; ++i) {
      EXPECT_EQ(combo->List(i), texts[static_cast<std::size_t>(i)]);
      EXPECT_EQ(combo->ItemData(i), entries[static_cast<std::size_t>(i - 1)].second);
    }
    EXPECT_EQ(WidgetTexts(*combo), texts);
  }
  EXPECT_EQ(w.batch.ListIndex(), w.one.ListIndex());
  EXPECT_EQ(w.batch.Text(), "typed");
  EXPECT_EQ(WidgetCurrent(w.batch), WidgetCurrent(w.one));
  EXPECT_EQ(w.list.ListIndex(), 0);
  EXPECT_EQ(WidgetCurrent(w.list), "0:Lot 2");

  // Later changes reach the widget's list as before.
  for (ComboBox* combo : {&w.one, &w.batch}) {
    combo->SetList(1, "Apfel");
    combo->RemoveItem(0);
    combo->AddItem("First", 0);
    combo->SetListIndex(2);
    EXPECT_EQ(WidgetTexts(*combo), (std::vector<std::string>{"First", "Apfel", "lot 10", "Zed"}));
    EXPECT_EQ(WidgetCurrent(*combo), "2:lot 10");
  }
  int clicks = 0;
  w.batch.OnClick = [&](int) { ++clicks; };
  testing::UserSelect(w.batch, 3);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(w.batch.ListIndex(), 3);
  EXPECT_EQ(w.batch.Text(), "Zed");
  w.batch.Clear();
  EXPECT_TRUE(WidgetTexts(w.batch).empty());
  w.batch.AddItems({{"Only", 1}});
  EXPECT_EQ(WidgetTexts(w.batch), std::vector<std::string>{"Only"});
  EXPECT_EQ(w.batch.ListIndex(), -1);
  EXPECT_EQ(WidgetCurrent(w.batch), "-1:");
}

TEST(Forms, ShowRaisesLoadResizeActivateAndAMessageBoxNoActivate) {
  std::vector<std::string> log;
  PlainForm a("A", log);
  a.Show();
  EXPECT_EQ((std::vector<std::string>{"A_Load", "A_Resize", "A_Activate"}), log);
  log.clear();
  {
    PromptScript script;
    script.ExpectMsgBox("Note", vbOKOnly);
    MsgBox("Note");
  }
  testing::UserActivate(a);  // the activation comes back from the box
  EXPECT_TRUE(log.empty());
}

TEST(Forms, ActivateComesFromAnotherFormOfTheProgram) {
  std::vector<std::string> log;
  PlainForm a("A", log), b("B", log);
  a.Show();
  b.Show();
  log.clear();
  testing::UserActivate(a);
  EXPECT_EQ((std::vector<std::string>{"B_Deactivate", "A_Activate"}), log);
  log.clear();
  b.Unload();  // B was not active: nothing for A
  EXPECT_EQ((std::vector<std::string>{"B_Unload"}), log);
  EXPECT_EQ(&a, ActiveForm());
}

TEST(Forms, ClosingTheActiveFormActivatesThePreviousOne) {
  std::vector<std::string> log;
  PlainForm a("A", log), b("B", log);
  a.Show();
  b.Show();
  log.clear();
  b.Unload();
  EXPECT_EQ((std::vector<std::string>{"B_Unload", "A_Activate"}), log);
  EXPECT_FALSE(b.Loaded());
}

TEST(Forms, ResizeOnEverySizeChangeByProgramOrUser) {
  std::vector<std::string> log;
  PlainForm a("A", log);
  a.Move(0, 0, 6855, 4550);
  a.Show();
  log.clear();
  a.SetHeight(5550);
  a.SetHeight(5550);  // unchanged: nothing
  testing::UserResize(a, 7000, 6000);
  EXPECT_EQ((std::vector<std::string>{"A_Resize", "A_Resize"}), log);
  EXPECT_EQ(7005, a.Width());  // whole pixels
  EXPECT_EQ(6000, a.Height());
}

TEST(Forms, ResizeHandlerCanForceTheWidth) {
  std::vector<std::string> log;
  PlainForm a("A", log);
  a.OnResize = [&a] {
    if (a.WindowState() == vbMinimized) return;
    a.SetWidth(6855);
    if (a.Height() < 4550) a.SetHeight(4550);
  };
  a.Move(0, 0, 6855, 5000);
  a.Show();
  testing::UserResize(a, 8000, 3000);
  EXPECT_EQ(6855, a.Width());
  EXPECT_EQ(4550, a.Height());
}

TEST(Forms, OuterSizeAgainstInnerScaleSize) {
  std::vector<std::string> log;
  PlainForm a("A", log);
  a.Move(0, 0, 6855, 4550);
  // Frame of 4 pixels each side, title bar 23 pixels, no menu bar.
  EXPECT_EQ(6855 - 120, a.ScaleWidth());
  EXPECT_EQ(4080, a.ScaleHeight());  // 4550 twips is 303 whole pixels: 303 - 8 - 23 = 272
  // A menu bar takes its height from the inner area.
  Menu file(a, "mnuFile", "&File");
  EXPECT_LT(a.ScaleHeight(), 4080);
  EXPECT_EQ(6855 - 120, a.ScaleWidth());
}

TEST(Forms, MinimisedFormCannotBeSized) {
  std::vector<std::string> log;
  PlainForm a("A", log);
  a.Show();
  a.SetWindowState(vbMinimized);
  try {
    a.SetWidth(5000);
    ADD_FAILURE() << "sized while minimised";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(kErrMinimised, e.Number());
  }
  a.SetWindowState(vbNormal);
  a.SetWidth(5000);
  EXPECT_EQ(5000, a.Width());
}

TEST(Forms, NegativeSizeIsRefused) {
  GridWindow w;
  try {
    w.frameBase.SetHeight(-10);
    ADD_FAILURE() << "negative height set";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(kErrInvalidProperty, e.Number());
  }
  EXPECT_EQ(4000, w.frameBase.Height());
}

TEST(Forms, TopMostKeepsPositionAndSize) {
  std::vector<std::string> log;
  PlainForm a("A", log);
  a.Move(300, 450, 6855, 4550);
  a.Show();
  DoEvents();  // the window system's placement is not the user's move
  EXPECT_EQ(300, a.Left());
  EXPECT_EQ(450, a.Top());
  log.clear();
  a.SetTopMost(true);
  EXPECT_TRUE(a.TopMost());
  a.SetTopMost(false);
  EXPECT_FALSE(a.TopMost());
  EXPECT_EQ(300, a.Left());
  EXPECT_EQ(450, a.Top());
  EXPECT_EQ(6855, a.Width());
  DoEvents();
  EXPECT_EQ(300, a.Left());
  EXPECT_TRUE(log.empty());  // no resize, no activation
}

TEST(Forms, PlacedAtTheTopLeftCornerReadsBackZero) {
  std::vector<std::string> log;
  PlainForm a("A", log);
  a.Move(0, 0);
  a.Show();
  for (int i = 0; i < 3; ++i) DoEvents();
  EXPECT_EQ(0, a.Left());
  EXPECT_EQ(0, a.Top());
}

TEST(Forms, QueryUnloadCanCancel) {
  std::vector<std::string> log;
  PlainForm a("A", log);
  a.OnQueryUnload = [](int& cancel, int mode) { cancel = mode == vbFormControlMenu ? 1 : 0; };
  a.Show();
  testing::UserClose(a);
  EXPECT_TRUE(a.Visible());
  EXPECT_TRUE(a.Unload());
  EXPECT_FALSE(a.Visible());
}

TEST(Forms, ModalFormIsScripted) {
  std::vector<std::string> log;
  PlainForm about("frmAbout", log);
  PromptScript script;
  script.ExpectModal("frmAbout", [](Form& f) { f.Unload(); });
  about.Show(vbModal);
  EXPECT_FALSE(about.Visible());
}

class MenuWindow : public Form {
 public:
  MenuWindow() : Form("frmMenus") {
    mnuPopup.SetVisible(false);
    mnuHistory.OnClick = [this](int k) { log.push_back("mnuHistory " + std::to_string(k)); };
    mnuEdit.OnClick = [this](int) { log.push_back("mnuEdit opened"); };
    mnuPopChange.OnClick = [this](int) { log.push_back("mnuPopChange"); };
    mnuPopup.OnClick = [this](int) { log.push_back("mnuPopup"); };
  }
  std::vector<std::string> log;
  Menu mnuFile{*this, "mnuFile", "&File"};
  ControlArray<Menu> mnuHistory{mnuFile, "mnuHistory", "No recent projects"};
  Menu mnuSep{mnuFile, "mnuSep", "-"};
  Menu mnuExit{mnuFile, "mnuExit", "E&xit"};
  Menu mnuEdit{*this, "mnuEdit", "&Edit"};
  Menu mnuCurve{mnuEdit, "mnuCurve", "Change to curve"};
  Menu mnuPopup{*this, "mnuPopup", "Popup"};
  Menu mnuPopChange{mnuPopup, "mnuPopChange", "Change to curve"};
  Menu mnuPopDisabled{mnuPopup, "mnuPopDisabled", "Delete"};
};

TEST(Menus, ArrayElementsGoAfterTheLastElement) {
  MenuWindow w;
  w.mnuHistory.Load(1).SetVisible(true);
  w.mnuHistory.Load(2).SetVisible(true);
  const auto& items = w.mnuFile.Items();
  ASSERT_EQ(5u, items.size());
  EXPECT_EQ(&w.mnuHistory(2), items[2]);
  EXPECT_EQ(&w.mnuSep, items[3]);
  EXPECT_TRUE(w.mnuSep.IsSeparator());
  testing::UserChooseMenu(w.mnuHistory(2));
  EXPECT_EQ((std::vector<std::string>{"mnuHistory 2"}), w.log);
}

TEST(Menus, OpeningAMenuRaisesItsClick) {
  MenuWindow w;
  testing::UserChooseMenu(w.mnuEdit);
  EXPECT_EQ((std::vector<std::string>{"mnuEdit opened"}), w.log);
  w.mnuCurve.SetChecked(true);
  EXPECT_TRUE(w.mnuCurve.Checked());
}

TEST(Menus, PopupMenuRunsTheChosenItemBeforeReturning) {
  MenuWindow w;
  w.mnuPopDisabled.SetEnabled(false);
  PromptScript script;
  script.ExpectPopup("mnuPopup", "mnuPopChange").ExpectPopup("mnuPopup", "");
  w.PopupMenu(w.mnuPopup);
  w.log.push_back("returned");
  w.PopupMenu(w.mnuPopup);
  EXPECT_EQ((std::vector<std::string>{"mnuPopup", "mnuPopChange", "returned", "mnuPopup"}), w.log);
}

TEST(Timer, FiresWhileEnabled) {
  MenuWindow w;
  Timer t(w, "tmr");
  int n = 0;
  t.OnTimer = [&n](int) { ++n; };
  t.SetInterval(100);
  t.Fire();
  EXPECT_EQ(1, n);
}

TEST(Picture, DrawingGoesToTheTapAndTheImage) {
  GridWindow w;
  PictureBox pic(w, "picParcel");
  pic.Move(3960, 0, 2655, 2655);
  pic.SetBackColor(vbWhite);
  RecordingCanvas rec(pic);
  Canvas& c = pic.Drawing();
  c.Clear();
  c.Line(0, 0, 1500, 1500, vbBlack);
  c.Arc(1000, 1000, 500, 0, 3.14159265358979, RGB(0, 128, 0));
  c.Rectangle(0, 0, 2575, 2575, vbBlack);
  ASSERT_EQ(4u, rec.Calls().size());
  EXPECT_EQ("Line 0 0 1500 1500 &H0", rec.Calls()[1].ToString());
  EXPECT_EQ("Arc 1000 1000 500 0 3.141592654 &H8000", rec.Calls()[2].ToString());
  EXPECT_EQ(3u, rec.SinceClear().size());
  EXPECT_EQ(2655 - 60, pic.ScaleWidth());
}

TEST(Picture, ArcAnglesOfManyTurnsOrNoneFiniteDoNotStallTheDrawing) {
  GridWindow w;
  PictureBox pic(w, "picParcel");
  pic.Move(3960, 0, 2655, 2655);
  RecordingCanvas rec(pic);
  Canvas& c = pic.Drawing();
  c.Clear();
  c.Arc(1000, 1000, 500, 0, 1e20, vbBlack);
  c.Arc(1000, 1000, 500, -1e20, 0, vbBlack);
  c.Arc(1000, 1000, 500, 0, std::numeric_limits<double>::infinity(), vbBlack);
  c.Arc(1000, 1000, std::numeric_limits<double>::quiet_NaN(), 0, 1, vbBlack);
  EXPECT_EQ(4u, rec.SinceClear().size());
}

// One stroke of the kept-image tests, in twips; kind 'L' line, 'R' rectangle,
// 'A' arc (a b c d e = cx cy radius start end), 'C' clear.
struct Stroke {
  char kind;
  double a, b, c, d, e;
  Colour colour;
  int width;
};

// The picture's inner area as each stroke on its own painter would leave it:
// lines and borders on whole pixels, arcs smoothed.
QImage DrawnOneByOne(const std::vector<Stroke>& strokes, int width, int height, QColor back) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(back);
  const auto px = [](double twips) { return twips / 15.0; };
  for (const Stroke& s : strokes) {
    if (s.kind == 'C') {
      image.fill(back);
      continue;
    }
    QPainter p(&image);
    QPen pen(QColor(static_cast<int>(s.colour & 0xFF), static_cast<int>((s.colour >> 8) & 0xFF),
                    static_cast<int>((s.colour >> 16) & 0xFF)));
    pen.setWidth(s.width);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    if (s.kind == 'L') p.drawLine(QPointF(px(s.a), px(s.b)), QPointF(px(s.c), px(s.d)));
    if (s.kind == 'R') p.drawRect(QRectF(QPointF(px(s.a), px(s.b)), QPointF(px(s.c), px(s.d))).normalized());
    if (s.kind == 'A') {
      p.setRenderHint(QPainter::Antialiasing, true);
      const double r = px(s.c);
      p.drawArc(QRectF(px(s.a) - r, px(s.b) - r, 2 * r, 2 * r),
                static_cast<int>(std::lround(s.d * 180.0 / 3.14159265358979 * 16.0)),
                static_cast<int>(std::lround((s.e - s.d) * 180.0 / 3.14159265358979 * 16.0)));
    }
  }
  return image;
}

TEST(Picture, KeptImageIsEveryStrokeDrawnInTurn) {
  // Lines in every direction (those running up to the right included), lines
  // leaving the picture, arcs and borders, colours and pen widths mixed, and
  // a clear that takes away what came before it.
  const std::vector<Stroke> strokes = {
      {'L', 100, 100, 2000, 2400, 0, vbBlack, 1},
      {'C', 0, 0, 0, 0, 0, 0, 1},
      {'L', 200, 1487, 1481, 206, 0, vbBlack, 1},
      {'L', 1481, 206, 210, 1522, 0, vbBlack, 1},
      {'L', 300, 2500, 2550, 1700, 0, RGB(0, 255, 255), 1},
      {'L', 2550, 100, 100, 900, 0, vbRed, 1},
      {'L', 1300, 50, 1300, 2500, 0, vbBlack, 1},
      {'L', 50, 1300, 2500, 1307, 0, vbBlack, 1},
      {'L', -900, 2000, 3900, -500, 0, vbBlue, 1},
      {'L', 400, 2300, 2300, 600, 0, RGB(0, 128, 0), 2},
      {'A', 1200, 1300, 700, 0.3, 2.9, RGB(0, 128, 0), 1},
      {'L', 520, 2210, 2330, 1530, 0, vbBlack, 1},
      {'A', 1300, 1200, 950, 3.5, 6.0, vbRed, 2},
      {'R', 30, 30, 2565, 2565, 0, vbBlack, 1},
      {'L', 700, 2400, 2400, 1990, 0, vbBlack, 1},
  };
  GridWindow w;
  PictureBox pic(w, "picParcel");
  pic.Move(3960, 0, 2655, 2655);
  pic.SetBackColor(vbWhite);
  Canvas& c = pic.Drawing();
  for (const Stroke& s : strokes) {
    pic.SetDrawWidth(s.width);
    if (s.kind == 'C') c.Clear();
    if (s.kind == 'L') c.Line(s.a, s.b, s.c, s.d, s.colour);
    if (s.kind == 'R') c.Rectangle(s.a, s.b, s.c, s.d, s.colour);
    if (s.kind == 'A') c.Arc(s.a, s.b, s.c, s.d, s.e, s.colour);
  }
  const PictureBox::Image kept = pic.KeptImage();
  ASSERT_EQ(173, kept.width);
  ASSERT_EQ(173, kept.height);
  const QImage expected = DrawnOneByOne(strokes, 173, 173, Qt::white).convertToFormat(QImage::Format_ARGB32);
  int differing = 0;
  for (int y = 0; y < kept.height; ++y) {
    for (int x = 0; x < kept.width; ++x) {
      const std::uint32_t want = reinterpret_cast<const std::uint32_t*>(expected.constScanLine(y))[x];
      if (kept.pixels[static_cast<std::size_t>(y * kept.width + x)] != want) ++differing;
    }
  }
  EXPECT_EQ(0, differing);
  // The first line went with the clear.
  EXPECT_EQ(0xFFFFFFFFu, kept.pixels[static_cast<std::size_t>(150 * kept.width + 128)]);
}

TEST(Picture, StrokesDrawnBeforeTheBoxGrowsKeepTheirFormerSize) {
  GridWindow w;
  PictureBox pic(w, "picParcel");
  pic.SetBorderStyle(0);
  pic.Move(0, 0, 1500, 1500);  // 100 x 100 pixels
  pic.SetBackColor(vbWhite);
  Canvas& c = pic.Drawing();
  c.Clear();
  c.Line(0, 150, 6000, 150, vbBlack);  // y 10, past the right edge
  pic.Move(0, 0, 3000, 1500);
  c.Line(0, 300, 6000, 300, vbBlack);  // y 20, on the wider box
  const PictureBox::Image kept = pic.KeptImage();
  ASSERT_EQ(200, kept.width);
  const auto at = [&](int x, int y) { return kept.pixels[static_cast<std::size_t>(y * kept.width + x)]; };
  EXPECT_EQ(0xFF000000u, at(50, 10));
  EXPECT_EQ(0xFFFFFFFFu, at(150, 10));  // the box was 100 pixels wide then
  EXPECT_EQ(0xFF000000u, at(150, 20));
}

TEST(Picture, FrameInFrontHidesTheChildrenOfTheFrameBehind) {
  Form f("frmStack");
  f.Move(0, 0, 6000, 4000);
  Frame behind(f, "frameArc");
  behind.Move(300, 300, 3000, 1200);
  Label red(behind, "lblRed", "");
  red.Move(0, 0, 3000, 1200);
  red.SetBackColor(vbRed);
  Frame front(f, "frameLine");
  front.Move(300, 300, 3000, 600);
  f.Show();
  const std::string path = ::testing::TempDir() + "frames_stack.png";
  ASSERT_TRUE(SaveWindowImage(f, path));
  const QImage image(QString::fromStdString(path));
  ASSERT_FALSE(image.isNull());
  // Inside the front frame: its own face, not the red label behind it.
  const QColor inFront = image.pixelColor(100, 30);
  EXPECT_NE(QColor(Qt::red), inFront);
  // Below the front frame the label shows.
  EXPECT_EQ(QColor(Qt::red), image.pixelColor(100, 70));
}

// A picture shows centred on a graphical button only, goes with the
// array's new elements, and a picture whose pixels do not fill it is refused.
TEST(Buttons, PictureShowsCentredOnAGraphicalButton) {
  const Image red{8, 8, std::vector<std::uint32_t>(64, 0xFFFF0000u)};
  struct Case {
    const char* what;
    int style;
    Image picture;
    bool shown;
  };
  const Case cases[] = {
      {"graphical", vbButtonGraphical, red, true},
      {"standard", vbButtonStandard, red, false},
      {"graphical, picture removed", vbButtonGraphical, Image{}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Form f("frmPic");
    f.Move(0, 0, 3000, 2000);
    ControlArray<CommandButton> cmdPic(f, "cmdPic");
    cmdPic(0).Move(300, 300, 420, 420);  // 28 pixels from pixel 20
    cmdPic(0).SetPicture(red);
    f.Show();
    cmdPic(0).SetStyle(c.style);
    cmdPic(0).SetPicture(c.picture);
    EXPECT_EQ(c.picture, cmdPic(0).Picture());
    EXPECT_EQ(c.picture, cmdPic.Load(1).Picture());
    const std::string path = ::testing::TempDir() + "button_picture.png";
    ASSERT_TRUE(SaveWindowImage(f, path));
    const QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(c.shown, image.pixelColor(34, 34) == QColor(Qt::red));
    // Off the picture: the button's face.
    EXPECT_NE(QColor(Qt::red), image.pixelColor(23, 23));
  }
  Form f("frmBad");
  CommandButton b(f, "cmdBad");
  try {
    b.SetPicture(Image{4, 4, std::vector<std::uint32_t>(15, 0)});
    ADD_FAILURE() << "a short picture was taken";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(kErrInvalidProperty, e.Number());
  }
  EXPECT_EQ(0, b.Picture().width);
}

TEST(Colours, SystemColoursComeFromThePalette) {
  EXPECT_EQ(0x0000FFu, RGB(255, 0, 0));
  EXPECT_EQ(0x80FF80u, RGB(128, 255, 128));
  EXPECT_TRUE(IsSystemColour(vbButtonFace));
  EXPECT_FALSE(IsSystemColour(ResolveColour(vbButtonFace)));
  EXPECT_EQ(0x123456u, ResolveColour(0x123456));
  EXPECT_EQ(1, PixelsFromTwips(15));
  EXPECT_EQ(6855, TwipsFromPixels(457));
}

TEST(Services, ScreenSizeAndHourglass) {
  EXPECT_GT(ScreenWidth(), 0);
  EXPECT_EQ(0, ScreenWidth() % kTwipsPerPixel);
  {
    HourglassPointer busy;
    EXPECT_EQ(vbHourglass, MousePointer());
  }
  EXPECT_EQ(vbDefault, MousePointer());
}

}  // namespace
}  // namespace korvalo::forms
