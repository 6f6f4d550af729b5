// How the forms read on the desktop: the dialog font, menu separators,
// access-key underlines, and text boxes locked against the user. Checked on
// the widgets' own properties, not by pixels.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QApplication>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionMenuItem>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/forms/forms.h"
#include "platform/forms/testing.h"

namespace korvalo::forms {
namespace {

class LookWindow : public Form {
 public:
  LookWindow() : Form("frmLook") {
    Move(0, 0, 6000, 4000);
    cmdPrevious.Move(120, 120, 330, 315);
    cmdSave.Move(600, 120, 975, 300);
    cmdAmp.Move(1700, 120, 975, 300);
    optReview.Move(120, 600, 1335, 255);
    chkSign.Move(1600, 600, 615, 255);
    lblCaption.Move(120, 1000, 1000, 255);
    txtLocked.Move(120, 1400, 1935, 285);
    txtLocked.SetLocked(true);
    txtLocked.SetText("Lot 7");
    txtLocked.OnChange = [this](int) { ++changes; };
  }
  int changes = 0;
  CommandButton cmdPrevious{*this, "cmdPrevious", "&<"};
  CommandButton cmdSave{*this, "cmdSave", "&Save"};
  CommandButton cmdAmp{*this, "cmdAmp", "A && &B"};
  OptionButton optReview{*this, "optReview", "&Review model"};
  CheckBox chkSign{*this, "chkSign", "&-"};
  Label lblCaption{*this, "lblCaption", "Previous:"};
  TextBox txtLocked{*this, "txtLocked"};
  Menu mnuFile{*this, "mnuFile", "&File"};
  Menu mnuOpen{mnuFile, "mnuOpen", "&Open"};
  Menu mnuDivide{mnuFile, "mnuDivide", "-"};
  Menu mnuExit{mnuFile, "mnuExit", "E&xit"};
};

QWidget* WidgetOf(Control& c) {
  c.ParentForm().Show();
  DoEvents();
  c.Refresh();
  return c.Widget();
}

// The Alt key as the keyboard gives it, down or up.
void Alt(QWidget* target, bool down) {
  QKeyEvent e(down ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Alt, down ? Qt::AltModifier : Qt::NoModifier);
  QApplication::sendEvent(target, &e);
}

bool Underlined(QWidget* w) {
  QStyleOptionButton option;
  option.initFrom(w);
  if (auto* b = qobject_cast<QAbstractButton*>(w)) option.text = b->text();
  return w->style()->styleHint(QStyle::SH_UnderlineShortcut, &option, w) != 0;
}

bool MenuItemUnderlined(QMenu* menu, QAction* action) {
  QStyleOptionMenuItem option;
  option.initFrom(menu);
  option.text = action->text();
  return menu->style()->styleHint(QStyle::SH_UnderlineShortcut, &option, menu) != 0;
}

TEST(Look, EveryControlAndMenuTakesTheDialogFont) {
  LookWindow w;
  for (Control* c : {static_cast<Control*>(&w.cmdSave), static_cast<Control*>(&w.lblCaption),
                     static_cast<Control*>(&w.txtLocked), static_cast<Control*>(&w.optReview)}) {
    SCOPED_TRACE(c->Name());
    const QFontInfo info(WidgetOf(*c)->font());
    EXPECT_EQ("Liberation Sans", info.family().toStdString());
    EXPECT_EQ(10, info.pixelSize());
  }
  QMenu* menu = w.mnuFile.Action()->menu();
  ASSERT_NE(nullptr, menu);
  EXPECT_EQ("Liberation Sans", QFontInfo(menu->font()).family().toStdString());
  EXPECT_EQ(10, QFontInfo(menu->font()).pixelSize());

  // Other sizes of the dialog font in the same proportion; Courier New has
  // its metric twin as well.
  Font bigger;
  bigger.size = 9.75;
  w.lblCaption.SetFont(bigger);
  EXPECT_EQ(12, QFontInfo(w.lblCaption.Widget()->font()).pixelSize());
  Font mono;
  mono.name = "Courier New";
  w.lblCaption.SetFont(mono);
  EXPECT_EQ("Liberation Mono", QFontInfo(w.lblCaption.Widget()->font()).family().toStdString());
}

TEST(Look, ASeparatorIsALineWithoutText) {
  LookWindow w;
  QAction* divide = w.mnuDivide.Action();
  EXPECT_TRUE(divide->isSeparator());
  EXPECT_TRUE(divide->text().isEmpty());
  EXPECT_EQ("-", w.mnuDivide.Caption());
  EXPECT_TRUE(w.mnuDivide.IsSeparator());
  // A caption changed to "-" and back.
  w.mnuOpen.SetCaption("-");
  EXPECT_TRUE(w.mnuOpen.Action()->isSeparator());
  EXPECT_TRUE(w.mnuOpen.Action()->text().isEmpty());
  w.mnuOpen.SetCaption("&Open");
  EXPECT_FALSE(w.mnuOpen.Action()->isSeparator());
  EXPECT_EQ("&Open", w.mnuOpen.Action()->text().toStdString());
}

TEST(Look, AccessKeysAreUnderlinedOnlyWithAltAndNeverUnderASymbol) {
  LookWindow w;
  struct Case {
    Control* control;
    bool withAlt;  // underlined while Alt is held
  };
  const Case cases[] = {
      {&w.cmdPrevious, false},  // "&<" reads "<", never "≤"
      {&w.chkSign, false},      // "&-"
      {&w.cmdSave, true},
      {&w.cmdAmp, true},  // "A && &B": the key is B
      {&w.optReview, true},
  };
  QWidget* focus = WidgetOf(w.cmdSave);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control->Name());
    QWidget* widget = WidgetOf(*c.control);
    EXPECT_FALSE(Underlined(widget)) << "without Alt";
    Alt(focus, true);
    EXPECT_EQ(c.withAlt, Underlined(widget)) << "with Alt";
    Alt(focus, false);
    EXPECT_FALSE(Underlined(widget)) << "Alt released";
  }
  QMenu* menu = w.mnuFile.Action()->menu();
  EXPECT_FALSE(MenuItemUnderlined(menu, w.mnuExit.Action()));
  Alt(focus, true);
  EXPECT_TRUE(MenuItemUnderlined(menu, w.mnuExit.Action()));
  Alt(focus, false);
  // The access key itself still works.
  int clicks = 0;
  w.cmdPrevious.OnClick = [&clicks](int) { ++clicks; };
  EXPECT_EQ("&<", qobject_cast<QAbstractButton*>(w.cmdPrevious.Widget())->text().toStdString());
}

TEST(Look, ALockedTextBoxTakesNoEditFromTheUser) {
  struct Edit {
    const char* name;
    std::function<void(TextBox&)> run;
  };
  const Edit edits[] = {
      {"typing", [](TextBox& t) { testing::UserType(t, "x"); }},
      {"backspace", [](TextBox& t) { testing::UserKey(t, vbKeyBack); }},
      {"delete key", [](TextBox& t) { testing::UserPressKey(t, vbKeyDelete); }},
      {"Ctrl+V", [](TextBox& t) { testing::UserKey(t, 22); }},
      {"Ctrl+X", [](TextBox& t) {
         t.SetSelStart(0);
         t.SetSelLength(3);
         testing::UserKey(t, 24);
       }},
      {"context paste", [](TextBox& t) { testing::UserContextPaste(t); }},
      {"input method", [](TextBox& t) { testing::UserComposeText(t, "é"); }},
  };
  for (const Edit& e : edits) {
    SCOPED_TRACE(e.name);
    LookWindow w;
    w.Show();
    testing::SetClipboardText("pasted");
    w.txtLocked.SetSelStart(2);
    e.run(w.txtLocked);
    EXPECT_EQ("Lot 7", w.txtLocked.Text());
    EXPECT_EQ(0, w.changes);
  }
  // The program still writes it, and the user can still copy from it.
  LookWindow w;
  w.Show();
  w.txtLocked.SetText("Lot 8");
  EXPECT_EQ(1, w.changes);
  w.txtLocked.SetSelStart(0);
  w.txtLocked.SetSelLength(5);
  testing::SetClipboardText("");
  testing::UserKey(w.txtLocked, 3);
  EXPECT_EQ("Lot 8", QApplication::clipboard()->text().toStdString());
}

}  // namespace
}  // namespace korvalo::forms
