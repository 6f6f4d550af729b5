// Event rules of the forms layer: which assignment or user action raises
// which events, in which order, for program changes and user actions alike.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/forms/internal.h"
#include "platform/forms/testing.h"

namespace korvalo::forms {
namespace {

using testing::PromptScript;

// A window with one control of each kind; every event is written to a log.
class TestWindow : public Form {
 public:
  TestWindow() : Form("frmTest") {
    Move(0, 0, 7200, 6000);
    frame.Move(120, 120, 3000, 1500);
    txt.Move(3300, 120, 1455, 285);
    txtOther.Move(3300, 480, 1455, 285);
    txtArr(0).Move(120, 120, 1455, 285);
    chk.Move(3300, 840, 615, 255);
    optA.Move(3300, 1200, 900, 255);
    optB.Move(4300, 1200, 900, 255);
    optInFrame.Move(120, 600, 900, 255);
    cbx.Move(3300, 1560, 1800, 315);
    vs.Move(6600, 0, 375, 3000);
    vs.SetMax(32000);
    vs.SetSmallChange(400);
    vs.SetLargeChange(800);
    cmd.Move(120, 1800, 975, 300);
    pic.Move(120, 2400, 2655, 2655);
    optA.SetValue(true);

    Log(txt, "txt");
    Log(txtOther, "txtOther");
    txtArr.OnChange = [this](int k) { Add("txtArr(" + std::to_string(k) + ")_Change"); };
    LogCommon(chk, "chk");
    LogCommon(optA, "optA");
    LogCommon(optB, "optB");
    LogCommon(optInFrame, "optInFrame");
    LogCommon(cmd, "cmd");
    cbx.OnClick = [this](int) { Add("cbx_Click"); };
    cbx.OnChange = [this](int) { Add("cbx_Change"); };
    vs.OnChange = [this](int) { Add("vs_Change " + std::to_string(vs.Value())); };
    vs.OnScroll = [this](int) { Add("vs_Scroll " + std::to_string(vs.Value())); };
    vs.OnGotFocus = [this](int) { Add("vs_GotFocus"); };
    OnActivate = [this] { Add("Form_Activate"); };
    OnDeactivate = [this] { Add("Form_Deactivate"); };
    OnResize = [this] { Add("Form_Resize"); };
  }

  void Add(const std::string& s) { log.push_back(s); }

  template <class C>
  void LogCommon(C& c, const std::string& name) {
    c.OnClick = [this, name](int) { Add(name + "_Click"); };
    c.OnGotFocus = [this, name](int) { Add(name + "_GotFocus"); };
    c.OnLostFocus = [this, name](int) { Add(name + "_LostFocus"); };
    c.OnMouseDown = [this, name](int, int b, int, double, double) { Add(name + "_MouseDown " + std::to_string(b)); };
    c.OnMouseUp = [this, name](int, int b, int, double, double) { Add(name + "_MouseUp " + std::to_string(b)); };
  }
  void Log(TextBox& box, const std::string& name) {
    LogCommon(box, name);
    box.OnChange = [this, name, &box](int) { Add(name + "_Change " + box.Text()); };
    box.OnKeyPress = [this, name](int, int& key) {
      Add(name + "_KeyPress " + std::to_string(key));
      if (keyRule) keyRule(key);
    };
  }

  std::vector<std::string> log;
  std::function<void(int&)> keyRule;

  Frame frame{*this, "frame"};
  TextBox txt{*this, "txt"};
  TextBox txtOther{*this, "txtOther"};
  ControlArray<TextBox> txtArr{frame, "txtArr"};
  CheckBox chk{*this, "chk", "+"};
  OptionButton optA{*this, "optA", "A"};
  OptionButton optB{*this, "optB", "B"};
  OptionButton optInFrame{frame, "optInFrame", "C"};
  ComboBox cbx{*this, "cbx"};
  VScrollBar vs{*this, "vs"};
  CommandButton cmd{*this, "cmd", "&Go"};
  PictureBox pic{*this, "pic"};
};

using Steps = std::vector<std::string>;

struct Case {
  const char* rule;
  std::function<void(TestWindow&)> arrange;
  std::function<void(TestWindow&)> act;
  Steps expected;
};

void None(TestWindow&) {}

void PrintTo(const Case& c, std::ostream* os) { *os << c.rule; }

class EventRules : public ::testing::TestWithParam<Case> {};

TEST_P(EventRules, RaiseTheseEventsInThisOrder) {
  const Case& c = GetParam();
  TestWindow w;
  w.Show();
  w.txt.SetFocus();
  c.arrange(w);
  w.log.clear();
  c.act(w);
  EXPECT_EQ(c.expected, w.log) << c.rule;
}

const Case kCases[] = {
    // Text boxes.
    {"program sets a different text: Change", None, [](TestWindow& w) { w.txt.SetText("12"); }, {"txt_Change 12"}},
    {"program sets the same text: nothing", [](TestWindow& w) { w.txt.SetText("12"); },
     [](TestWindow& w) { w.txt.SetText("12"); }, {}},
    {"user types: KeyPress then Change per key", None, [](TestWindow& w) { testing::UserType(w.txt, "4a"); },
     {"txt_KeyPress 52", "txt_Change 4", "txt_KeyPress 97", "txt_Change 4a"}},
    {"KeyPress 0 swallows the key", [](TestWindow& w) { w.keyRule = [](int& k) { k = 0; }; },
     [](TestWindow& w) { testing::UserType(w.txt, "x"); }, {"txt_KeyPress 120"}},
    {"KeyPress 176 puts the degree sign", [](TestWindow& w) { w.keyRule = [](int& k) { if (k == 'd') k = 176; }; },
     [](TestWindow& w) { testing::UserType(w.txt, "4d"); },
     {"txt_KeyPress 52", "txt_Change 4", "txt_KeyPress 100", "txt_Change 4\u00B0"}},
    {"a character rewritten to Return or Escape types nothing",
     [](TestWindow& w) { w.keyRule = [](int& k) { k = k == 'a' ? vbKeyReturn : vbKeyEscape; }; },
     [](TestWindow& w) { testing::UserType(w.txt, "ab"); }, {"txt_KeyPress 97", "txt_KeyPress 98"}},
    {"Backspace goes through KeyPress", [](TestWindow& w) { w.txt.SetText("45"); w.txt.SetSelStart(2); },
     [](TestWindow& w) { testing::UserKey(w.txt, vbKeyBack); }, {"txt_KeyPress 8", "txt_Change 4"}},
    {"Ctrl+V goes through KeyPress and can be swallowed",
     [](TestWindow& w) {
       testing::SetClipboardText("abc");
       w.keyRule = [](int& k) { if (k == kCtrlV) k = 0; };
     },
     [](TestWindow& w) { testing::UserKey(w.txt, kCtrlV); }, {"txt_KeyPress 22"}},
    {"Ctrl+V allowed pastes", [](TestWindow&) { testing::SetClipboardText("abc"); },
     [](TestWindow& w) { testing::UserKey(w.txt, kCtrlV); }, {"txt_KeyPress 22", "txt_Change abc"}},
    {"context-menu paste obeys the key rules",
     [](TestWindow& w) {
       testing::SetClipboardText("abc");
       w.keyRule = [](int& k) { if (k == kCtrlV) k = 0; };
     },
     [](TestWindow& w) { testing::UserContextPaste(w.txt); }, {"txt_KeyPress 22"}},
    {"context-menu paste allowed pastes", [](TestWindow&) { testing::SetClipboardText("xy"); },
     [](TestWindow& w) { testing::UserContextPaste(w.txt); }, {"txt_KeyPress 22", "txt_Change xy"}},
    {"composed characters go through KeyPress one by one",
     [](TestWindow& w) { w.keyRule = [](int& k) { if (k == 'x') k = 0; }; },
     [](TestWindow& w) { testing::UserComposeText(w.txt, "\u00E9x"); },
     {"txt_KeyPress 233", "txt_Change \u00E9", "txt_KeyPress 120"}},
    {"a composed character can be rewritten", [](TestWindow& w) { w.keyRule = [](int& k) { k = 176; }; },
     [](TestWindow& w) { testing::UserComposeText(w.txt, "\u00E9"); },
     {"txt_KeyPress 233", "txt_Change \u00B0"}},
    {"array element carries its index", None, [](TestWindow& w) { w.txtArr(0).SetText("1"); }, {"txtArr(0)_Change"}},

    {"double-click: MouseDown, MouseUp, Click, DblClick, MouseUp",
     [](TestWindow& w) { w.txt.OnDblClick = [&w](int) { w.Add("txt_DblClick"); }; },
     [](TestWindow& w) { testing::UserDoubleClick(w.txt); },
     {"txt_MouseDown 1", "txt_MouseUp 1", "txt_Click", "txt_DblClick", "txt_MouseUp 1"}},
    {"a click on a control inside a frame is not the frame's",
     [](TestWindow& w) { w.frame.OnClick = [&w](int) { w.Add("frame_Click"); }; },
     [](TestWindow& w) { testing::UserClick(w.optInFrame); },
     {"txt_LostFocus", "optInFrame_GotFocus", "optInFrame_MouseDown 1", "optInFrame_Click", "optInFrame_MouseUp 1"}},

    // Check box.
    {"program sets a different value: Click", None, [](TestWindow& w) { w.chk.SetValue(1); }, {"chk_Click"}},
    {"program sets the same value: nothing", [](TestWindow& w) { w.chk.SetValue(1); },
     [](TestWindow& w) { w.chk.SetValue(1); }, {}},
    {"program sets greyed: Click", None, [](TestWindow& w) { w.chk.SetValue(2); }, {"chk_Click"}},
    {"program sets from greyed: Click", [](TestWindow& w) { w.chk.SetValue(2); },
     [](TestWindow& w) { w.chk.SetValue(0); }, {"chk_Click"}},
    {"user click: focus, MouseDown, toggle and Click, then MouseUp", None,
     [](TestWindow& w) { testing::UserClick(w.chk); },
     {"txt_LostFocus", "chk_GotFocus", "chk_MouseDown 1", "chk_Click", "chk_MouseUp 1"}},

    // Option buttons.
    {"program selects an unselected option: its Click only", None, [](TestWindow& w) { w.optB.SetValue(true); },
     {"optB_Click"}},
    {"program selects the selected option: nothing", None, [](TestWindow& w) { w.optA.SetValue(true); }, {}},
    {"option in another container is a group of its own", None,
     [](TestWindow& w) { w.optInFrame.SetValue(true); }, {"optInFrame_Click"}},
    {"user clicks an unselected option", None, [](TestWindow& w) { testing::UserClick(w.optB); },
     {"txt_LostFocus", "optB_GotFocus", "optB_MouseDown 1", "optB_Click", "optB_MouseUp 1"}},
    {"user clicks the selected option: no Click", None, [](TestWindow& w) { testing::UserClick(w.optA); },
     {"txt_LostFocus", "optA_GotFocus", "optA_MouseDown 1", "optA_MouseUp 1"}},

    // Combo box.
    {"program sets ListIndex: Click", [](TestWindow& w) { w.cbx.AddItem("a"); w.cbx.AddItem("b"); },
     [](TestWindow& w) { w.cbx.SetListIndex(1); }, {"cbx_Click"}},
    {"program sets Text: Change, no Click", [](TestWindow& w) { w.cbx.AddItem("a"); },
     [](TestWindow& w) { w.cbx.SetText("a"); }, {"cbx_Change"}},
    {"user picks from the list: Click", [](TestWindow& w) { w.cbx.AddItem("a"); w.cbx.AddItem("b"); },
     [](TestWindow& w) { testing::UserSelect(w.cbx, 1); }, {"txt_LostFocus", "cbx_Click"}},
    {"user clicks the text part, choosing no item: focus, no Click",
     [](TestWindow& w) { w.cbx.AddItem("a"); w.cbx.AddItem("b"); },
     [](TestWindow& w) { testing::UserClick(w.cbx); }, {"txt_LostFocus"}},

    // Locked controls.
    {"a click on a locked box takes the focus away: keys typed then reach no box",
     [](TestWindow& w) { w.txtArr(0).SetEnabled(false); },
     [](TestWindow& w) {
       testing::UserClick(w.txtArr(0));
       QWidget* focus = QApplication::focusWidget();
       if (focus == nullptr) focus = w.Window();
       QKeyEvent press(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
       QApplication::sendEvent(focus, &press);
     },
     {"txt_LostFocus"}},

    // Scroll bar.
    {"program sets Value: Change", None, [](TestWindow& w) { w.vs.SetValue(400); }, {"vs_Change 400"}},
    {"arrow click: focus then Change", None, [](TestWindow& w) { testing::UserScrollArrow(w.vs, true); },
     {"txt_LostFocus", "vs_GotFocus", "vs_Change 400"}},
    {"page click: Change", [](TestWindow& w) { w.vs.SetFocus(); },
     [](TestWindow& w) { testing::UserScrollPage(w.vs, true); }, {"vs_Change 800"}},
    {"thumb drag: Scroll while dragging, Change on release", [](TestWindow& w) { w.vs.SetFocus(); },
     [](TestWindow& w) { testing::UserDragThumb(w.vs, {100, 200}); },
     {"vs_Scroll 100", "vs_Scroll 200", "vs_Change 200"}},
    {"arrow key on the focused bar: Change", [](TestWindow& w) { w.vs.SetFocus(); },
     [](TestWindow& w) { testing::UserPressKey(w.vs, vbKeyDown); }, {"vs_Change 400"}},
    {"lowering Max below Value pulls Value in: Change", [](TestWindow& w) { w.vs.SetValue(2000); },
     [](TestWindow& w) { w.vs.SetMax(1000); }, {"vs_Change 1000"}},

    // Focus.
    {"SetFocus: LostFocus of the old, GotFocus of the new", None, [](TestWindow& w) { w.txtOther.SetFocus(); },
     {"txt_LostFocus", "txtOther_GotFocus"}},
    {"SetFocus on the focused control: nothing", None, [](TestWindow& w) { w.txt.SetFocus(); }, {}},
    {"a message box does not move the focus", None,
     [](TestWindow& w) {
       PromptScript script;
       script.ExpectMsgBox("Hi", vbOKOnly);
       MsgBox("Hi");
       (void)w;
     },
     {}},

    // Command button.
    {"button click: MouseDown, MouseUp, Click", [](TestWindow& w) { w.cmd.SetFocus(); },
     [](TestWindow& w) { testing::UserClick(w.cmd); }, {"cmd_MouseDown 1", "cmd_MouseUp 1", "cmd_Click"}},
    {"right click raises no Click", [](TestWindow& w) { w.cmd.SetFocus(); },
     [](TestWindow& w) { testing::UserMouseClick(w.cmd, vbRightButton); }, {"cmd_MouseDown 2", "cmd_MouseUp 2"}},

    // Nesting: the events of a change made inside a handler run inside it.
    {"nested change runs inside the handler",
     [](TestWindow& w) {
       w.txt.OnChange = [&w](int) {
         w.Add("txt_Change begin");
         w.txtOther.SetText("n");
         w.Add("txt_Change end");
       };
     },
     [](TestWindow& w) { w.txt.SetText("1"); }, {"txt_Change begin", "txtOther_Change n", "txt_Change end"}},
};

INSTANTIATE_TEST_SUITE_P(Forms, EventRules, ::testing::ValuesIn(kCases));

// Own flags against the effective state.
TEST(OwnFlags, DisabledContainerBlocksChildrenWithoutChangingTheirFlags) {
  TestWindow w;
  w.Show();
  w.frame.SetEnabled(false);
  EXPECT_TRUE(w.txtArr(0).Enabled());
  EXPECT_FALSE(w.txtArr(0).IsEffectivelyEnabled());
  EXPECT_FALSE(w.txtArr(0).CanFocus());
  w.log.clear();
  testing::UserClick(w.optInFrame);
  EXPECT_TRUE(w.log.empty());
  EXPECT_FALSE(w.optInFrame.Value());
  EXPECT_THROW(w.txtArr(0).SetFocus(), RuntimeError);
}

// The pointer passing over a frame, a picture box or the form itself with no
// button held raises their MouseMove (in twips inside each); a control
// without a handler says nothing.
TEST(Mouse, MovesWithoutAButtonReachTheControlUnderThePointer) {
  TestWindow w;
  const auto log = [&w](const std::string& name) {
    return [&w, name](int, int button, int, double x, double y) {
      w.Add(name + "_MouseMove " + std::to_string(button) + " " + std::to_string(static_cast<int>(x)) + " " +
            std::to_string(static_cast<int>(y)));
    };
  };
  w.frame.OnMouseMove = log("frame");
  w.pic.OnMouseMove = log("pic");
  w.OnMouseMove = [&w](int button, int, double x, double y) {
    w.Add("Form_MouseMove " + std::to_string(button) + " " + std::to_string(static_cast<int>(x)) + " " +
          std::to_string(static_cast<int>(y)));
  };
  w.Show();
  w.log.clear();
  testing::UserMouseMove(w.frame, 150, 300);
  testing::UserMouseMove(w.pic, 30, 45);
  testing::UserMouseMove(w, 6000, 4500);
  testing::UserMouseMove(w.cmd);
  EXPECT_EQ((Steps{"frame_MouseMove 0 150 300", "pic_MouseMove 0 30 45", "Form_MouseMove 0 6000 4500"}), w.log);
}

TEST(OwnFlags, VisibleIsTheOwnFlagBeforeShowingAndWhileMinimised) {
  TestWindow w;
  EXPECT_TRUE(w.txt.Visible());
  EXPECT_FALSE(w.txt.IsEffectivelyVisible());
  w.txt.SetVisible(false);
  EXPECT_FALSE(w.txt.Visible());
  w.txt.SetVisible(true);
  w.Show();
  w.SetWindowState(vbMinimized);
  EXPECT_TRUE(w.txt.Visible());
  EXPECT_TRUE(w.Visible());
}

TEST(Focus, HandlerMovingTheFocusOnLeavesItThere) {
  // Leaving a box whose LostFocus sends the focus to a button whose GotFocus
  // sends it back: the box ends focused, the target never got GotFocus.
  TestWindow w;
  w.Show();
  w.txt.SetFocus();
  w.txt.OnLostFocus = [&w](int) {
    w.Add("txt_LostFocus");
    w.cmd.SetFocus();
  };
  w.cmd.OnGotFocus = [&w](int) {
    w.Add("cmd_GotFocus");
    w.txt.SetFocus();
  };
  w.log.clear();
  w.txtOther.SetFocus();
  EXPECT_EQ((Steps{"txt_LostFocus", "cmd_GotFocus", "cmd_LostFocus", "txt_GotFocus"}), w.log);
  EXPECT_TRUE(w.txt.HasFocus());
}

TEST(Focus, UserTabFollowsTabIndex) {
  TestWindow w;
  w.Show();
  w.txtOther.SetTabIndex(0);
  w.txt.SetTabIndex(1);
  w.txtOther.SetFocus();
  EXPECT_EQ(0, w.txtOther.TabIndex());
  EXPECT_EQ(1, w.txt.TabIndex());
  w.log.clear();
  testing::UserTab(w.txtOther);
  EXPECT_EQ((Steps{"txtOther_LostFocus", "txt_GotFocus"}), w.log);
}

// Errors escaping a handler.
TEST(Errors, EscapingErrorIsReportedAndTheProgramGoesOn) {
  TestWindow w;
  w.Show();
  w.cmd.OnClick = [](int) { throw RuntimeError(3022); };
  PromptScript script;
  script.ExpectUnknownError(3022);
  w.cmd.PerformClick();
  EXPECT_EQ(0, script.Pending());
  w.txt.SetText("still running");
  EXPECT_EQ("still running", w.txt.Text());
}

TEST(Errors, NestedErrorTravelsToTheStatementThatRaisedTheEvent) {
  TestWindow w;
  w.txtOther.OnChange = [](int) { throw std::out_of_range("row"); };
  int caught = 0;
  w.txt.OnChange = [&](int) {
    try {
      w.txtOther.SetText("x");
    } catch (const std::exception& e) {
      caught = ErrorNumberOf(e);
    }
  };
  PromptScript script;  // no box expected: the handler caught it
  w.txt.SetText("1");
  EXPECT_EQ(kErrSubscriptOutOfRange, caught);
}

TEST(Errors, ErrorOfAUserActionIsReportedWithoutLeavingThroughQt) {
  TestWindow w;
  w.Show();
  w.chk.OnClick = [](int) { throw RuntimeError(13); };
  PromptScript script;
  script.ExpectUnknownError(13);
  testing::UserClick(w.chk);
  EXPECT_EQ(1, w.chk.Value());
}

TEST(Errors, ProgramSelectionPassesTheErrorToTheCaller) {
  TestWindow w;
  w.optB.OnClick = [](int) { throw RuntimeError(3022); };
  int caught = 0;
  w.cmd.OnClick = [&](int) {
    try {
      w.optB.SetValue(true);
    } catch (const RuntimeError& e) {
      caught = e.Number();
    }
  };
  PromptScript script;
  w.cmd.PerformClick();
  EXPECT_EQ(3022, caught);
  EXPECT_TRUE(w.optB.Value());
  EXPECT_FALSE(w.optA.Value());
}

TEST(Errors, UnknownErrorText) {
  const std::string t = UnknownErrorText(3022);
  EXPECT_EQ(0u, t.find("Unknown Error Number 3022 has occured.\n"));
  EXPECT_NE(std::string::npos, t.find(kSupportMail));
  EXPECT_NE(std::string::npos, t.find(kSupportPhone));
}

TEST(Prompts, MessageBoxDefaultsToTheProgramTitle) {
  PromptScript script;
  script.ExpectMsgBox("Would you like to save?", vbYesNo + vbQuestion, vbNo, "Korvalo");
  EXPECT_EQ(vbNo, MsgBox("Would you like to save?", vbYesNo + vbQuestion));
  EXPECT_EQ(PromptKind::Message, script.Seen().at(0).kind);
  EXPECT_EQ(vbQuestion, script.Seen().at(0).Icon());
  EXPECT_EQ(vbYesNo, script.Seen().at(0).ButtonSet());
}

TEST(Prompts, RealMessageBoxShowsItsTextAsWritten) {
  // A parcel name in a message may look like markup; it shows as typed.
  Qt::TextFormat format = Qt::AutoText;
  QString title;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(nullptr, box);
    format = box->textFormat();
    title = box->windowTitle();
    box->button(QMessageBox::Ok)->click();
  });
  Prompt p;
  p.kind = PromptKind::Message;
  p.text = "The lot <b>Lot 5</b> already exists.";
  p.buttons = vbOKOnly;
  p.title = "Korvalo";
  EXPECT_EQ(vbOK, detail::ShowRealPrompt(p).button);
  EXPECT_EQ(Qt::PlainText, format);
  EXPECT_EQ(QStringLiteral("Korvalo"), title);
}

// The save and open dialogs list each entry of a filter once: a description
// that holds its patterns is shown as written, never "TEXT (*.txt) (*.txt)".
TEST(Prompts, RealFileDialogShowsEachFilterEntryOnce) {
  const struct {
    const char* filter;
    QStringList shown;
  } cases[] = {
      {"TEXT (*.txt)|*.txt|Rich Text File(*.rtf)|*.rtf|Excel File(*.csv)|*.csv|",
       {"TEXT (*.txt)", "Rich Text File(*.rtf)", "Excel File(*.csv)"}},
      {"Rich Text File(*.rtf)|*.rtf|TEXT (*.txt)|*.txt|Excel File(*.csv)|*.csv|",
       {"Rich Text File(*.rtf)", "TEXT (*.txt)", "Excel File(*.csv)"}},
      {"Korvalo Files (*.kvx)|*.kvx|All Files (*.*)|*.*", {"Korvalo Files (*.kvx)", "All Files (*.*)"}},
      // Patterns the description does not give are added to it.
      {"Everything|*", {"Everything (*)"}},
      {"Drawings (*.dwg)|*.dwg;*.dxf", {"Drawings (*.dwg) (*.dwg *.dxf)"}},
      {"Pictures (*.png;*.bmp)|*.png;*.bmp", {"Pictures (*.png;*.bmp)"}},
  };
  for (const auto& c : cases) {
    for (const PromptKind kind : {PromptKind::SaveFile, PromptKind::OpenFile}) {
      SCOPED_TRACE(c.filter);
      QStringList shown;
      QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, dialog);
        shown = dialog->nameFilters();
        dialog->reject();
      });
      Prompt p;
      p.kind = kind;
      p.title = "Save as";
      p.file.filter = c.filter;
      EXPECT_FALSE(detail::ShowRealPrompt(p).text.has_value());
      EXPECT_EQ(c.shown, shown);
    }
  }
}

TEST(Prompts, FileAndFolderAnswers) {
  PromptScript script;
  script.ExpectOpenFile(std::string("/tmp/a.kvx")).ExpectOpenFile(std::nullopt).ExpectFolder(std::string("/tmp"));
  EXPECT_EQ("/tmp/a.kvx", OpenFileName({}).value_or(""));
  EXPECT_FALSE(OpenFileName({}).has_value());
  EXPECT_EQ("/tmp", PickFolder("Pick").value_or(""));
}

// Option buttons group by their own container only: a frame of options
// inside a frame of options is a group of its own, as on Windows.
TEST(OptionGroups, AFrameInsideAFrameKeepsItsOwnGroup) {
  Form form("frmGroups");
  Frame outer{form, "outer"};
  Frame inner{outer, "inner"};
  OptionButton optFeet{outer, "optFeet", "Feet"};
  OptionButton optMetres{outer, "optMetres", "Metres"};
  OptionButton optAcres{inner, "optAcres", "Acres"};
  OptionButton optSquare{inner, "optSquare", "Square feet"};
  outer.Move(0, 0, 3000, 2000);
  inner.Move(120, 900, 2500, 900);
  optFeet.Move(120, 240, 1200, 255);
  optMetres.Move(1400, 240, 1200, 255);
  optAcres.Move(120, 240, 1200, 255);
  optSquare.Move(1300, 240, 1200, 255);
  form.Show();

  optFeet.SetValue(true);
  optAcres.SetValue(true);
  EXPECT_TRUE(optFeet.Value());
  EXPECT_TRUE(optAcres.Value());

  // A click on the selected button of the outer group keeps it selected and
  // leaves the inner group alone.
  testing::UserClick(optFeet);
  EXPECT_TRUE(optFeet.Value());
  EXPECT_TRUE(optAcres.Value());

  testing::UserClick(optSquare);
  EXPECT_TRUE(optSquare.Value());
  EXPECT_FALSE(optAcres.Value());
  EXPECT_TRUE(optFeet.Value());

  testing::UserClick(optMetres);
  EXPECT_TRUE(optMetres.Value());
  EXPECT_FALSE(optFeet.Value());
  EXPECT_TRUE(optSquare.Value());

  // The program may leave a group with nothing selected.
  optMetres.SetValue(false);
  EXPECT_FALSE(optMetres.Value());
  EXPECT_FALSE(optFeet.Value());
}

}  // namespace
}  // namespace korvalo::forms
