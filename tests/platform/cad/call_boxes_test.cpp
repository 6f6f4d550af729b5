// The boxes shown while a call into KorvaloDraw waits: the request-pending
// box when the user works in the program's windows during the call, and the
// server-busy box when KorvaloDraw does not answer. The texts are the ones
// the editor sets; the boxes are answered by the prompt script.

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "cadlink/cad_link.h"
#include "common/edition.h"
#include "editor/frm_editor.h"
#include "platform/cad/draw_fixture.h"
#include "platform/forms/app_properties.h"
#include "platform/forms/testing.h"
#include "storage/program_state.h"

namespace korvalo::cad::test {
namespace {

using forms::testing::PromptScript;

// A window of the program that counts what reaches it.
class Window : public QWidget {
 public:
  Window() { show(); }
  int keys = 0, clicks = 0;

  // A click and a key, as the user's input arrives: queued for the window.
  void PostClickAndKey() {
    PostPress();
    QCoreApplication::postEvent(this, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1),
                                                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
  }
  void PostPress() {
    QCoreApplication::postEvent(this, new QMouseEvent(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1),
                                                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  }
  // Runs what after the input queued so far has been delivered.
  void Then(std::function<void()> what) {
    QMetaObject::invokeMethod(this, std::move(what), Qt::QueuedConnection);
  }

 protected:
  void keyPressEvent(QKeyEvent*) override { ++keys; }
  void mousePressEvent(QMouseEvent*) override { ++clicks; }
};

const char* kPendingText = "AutoCAD is ready to select text for transfer to Korvalo.\nPress OK to continue.";
const char* kBusyText = "AutoCAD is currently busy. you may wish to cancel this request\nand try it later.";

class CallBoxesTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    editor::SetAutomationBoxTexts();
    // No busy box unless a test holds a call on purpose: on a loaded machine
    // an ordinary call may take a while, and an unscripted box would wait
    // for a user forever.
    options.busyDelayMs = 60000;
    options.pendingDelayMs = 0;
  }

  // Plays the input into the running selection from a second connection,
  // as the user in KorvaloDraw does while the first one waits.
  void PlayIntoSelection(const QJsonArray& events) {
    auto other = DrawConnection::Open(SocketPath(), 30000);
    QJsonArray args;
    args.append(events);
    other->Call(wire::kApplicationObject, "TestInput", args);
  }

  static QJsonObject Busy(int ms) { return {{"do", "busy"}, {"ms", ms}}; }
};

std::vector<std::string> TextsOf(SelectionSet& set) {
  std::vector<std::string> out;
  for (int i = 0; i < set.Count(); ++i) out.push_back(set.Item(i)->TextString());
  return out;
}

struct PendingCase {
  const char* name;
  bool textsSet;
  int pendingDelayMs;
  int burstGapMs;
  int secondPressAfterMs;  // after the first input was delivered
  int boxes;
};

TEST_F(CallBoxesTest, InputDuringAPickShowsTheRequestPendingBoxOncePerBurst) {
  const std::vector<PendingCase> cases = {
      {"past the pending time: once for the burst", true, 0, 10000, 30, 1},
      {"a later burst shows it again", true, 0, 50, 200, 2},
      {"within the pending time: no box", true, 60000, 10000, 30, 0},
      {"no text set: no box", false, 0, 10000, 30, 0},
  };
  DrawAutomation starter(options);
  Start(starter)->ActiveDocument()->Open(File("pick.dxf", PickDrawing()));
  int n = 0;
  for (const PendingCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.textsSet) {
      editor::SetAutomationBoxTexts();
    } else {
      forms::SetRequestPendingBox({});
    }
    DrawOptions caseOptions = options;
    caseOptions.pendingDelayMs = c.pendingDelayMs;
    caseOptions.inputBurstGapMs = c.burstGapMs;
    DrawAutomation automation(caseOptions);
    auto set = automation.GetObject(kProgramId)->ActiveDocument()->SelectionSets()->Add("SS" + std::to_string(++n));

    // A click and a key, later another click, then the user ends the pick
    // in KorvaloDraw.
    Window window;
    window.PostClickAndKey();
    window.Then([&] {
      QTimer::singleShot(c.secondPressAfterMs, &window, [&] {
        window.PostPress();
        window.Then([&] { PlayIntoSelection({Click(11, 21), Press("Enter")}); });
      });
    });
    PromptScript script;
    for (int i = 0; i < c.boxes; ++i) script.ExpectMsgBox(kPendingText, forms::vbOKOnly, forms::vbOK, "AutoCAD");
    set->SelectOnScreen();
    // The pick completes as the user made it; the input went nowhere.
    EXPECT_EQ(TextsOf(*set), std::vector<std::string>{"100.00"});
    QCoreApplication::processEvents();
    EXPECT_EQ(window.clicks, 0);
    EXPECT_EQ(window.keys, 0);
  }
}

// The busy time of tests that hold a call on purpose: long enough that only
// the held call meets it, also on a loaded machine.
constexpr int kHeldCallBusyMs = 1500;

struct BusyCase {
  const char* name;
  bool textSet;
  std::optional<int> answer;  // the box's answer; nothing: no box
  long failure;               // the call's failure number, 0 when it completes
};

TEST_F(CallBoxesTest, AProgramThatDoesNotAnswerShowsTheServerBusyBox) {
  const std::vector<BusyCase> cases = {
      {"Retry waits on for the answer", true, forms::vbRetry, 0},
      {"Cancel ends the call as an unavailable server", true, forms::vbCancel, wire::kServerUnavailable},
      {"no text set: the call waits without a box", false, std::nullopt, 0},
  };
  options.busyDelayMs = kHeldCallBusyMs;
  DrawAutomation starter(options);
  Start(starter);
  for (const BusyCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.textSet) {
      editor::SetAutomationBoxTexts();
    } else {
      forms::SetServerBusyBox({});
    }
    DrawAutomation automation(options);
    auto app = automation.GetObject(kProgramId);
    auto doc = app->ActiveDocument();
    // Held well past the busy time: the box comes before the answer.
    automation.LastConnection()->Call(wire::kApplicationObject, "TestBusy", {4 * options.busyDelayMs});
    PromptScript script;
    if (c.answer) script.ExpectMsgBox(kBusyText, forms::vbRetryCancel, *c.answer, "AutoCAD");
    std::string name = "?";
    EXPECT_EQ(NumberOf([&] { name = doc->FullName(); }), c.failure);
    if (c.failure == 0) {
      EXPECT_EQ(name, "");
      EXPECT_EQ(app->Documents()->Count(), 1);
    } else {
      // Nothing more goes over the cancelled connection; a new one works.
      EXPECT_EQ(NumberOf([&] { app->Documents(); }), wire::kServerUnavailable);
      EXPECT_EQ(automation.GetObject(kProgramId)->Documents()->Count(), 1);
    }
  }
}

class QuietHost : public cadlink::LinkHost {
 public:
  void SetTopMost(bool) override {}
  void Minimize() override {}
  void Restore() override { ++restored; }
  void ProcessPendingEvents() override {}
  void SetCalcEnabled(bool) override {}
  void SetCurrentCadCaption(const std::string&) override {}
  void SetCurrentCadEnabled(bool) override {}
  void ReloadProjectSettings() override {}
  bool SelectGrabModel() override { return false; }
  int restored = 0;
};

TEST_F(CallBoxesTest, TheLinksPickGoesOnPastTheBoxesOrReportsTheCancel) {
  Program().ProgramFolder = KORVALO_PROGRAM_DIR;
  Program().ProjectSettings.DegreeSymbol = "%%D";
  Program().DrawingPath = File("lots.dxf", PickDrawing());
  options.busyDelayMs = kHeldCallBusyMs;
  DrawAutomation automation(options);
  QuietHost host;
  cadlink::CadLink link(automation, cadlink::PolicyFor(Edition::A2004), host);
  ASSERT_EQ(link.ConnectCAD(), cadlink::kLinked);
  Remember(automation);

  {
    // A click in the editor while KorvaloDraw waits for the pick.
    Window window;
    window.PostClickAndKey();
    window.Then([&] { PlayIntoSelection({Click(11, 11), Click(11, 21), Press("Enter")}); });
    PromptScript script;
    script.ExpectMsgBox(kPendingText, forms::vbOKOnly, forms::vbOK, "AutoCAD");
    const auto tokens = link.PickTextsInCad();
    ASSERT_TRUE(tokens);
    EXPECT_EQ(*tokens, (std::vector<std::string>{"N45%%d30'15\"E", "100.00"}));
  }
  {
    // KorvaloDraw stays silent when asked for the picked texts; the user
    // cancels and the pick reports the failure as any other.
    Input(automation, {Click(11, 11), Busy(30000), Press("Enter")});
    PromptScript script;
    script.ExpectMsgBox(kBusyText, forms::vbRetryCancel, forms::vbCancel, "AutoCAD")
        .ExpectMsgBox("The CAD program was busy and the request was cancelled", forms::vbOKOnly);
    EXPECT_FALSE(link.PickTextsInCad());
    EXPECT_EQ(host.restored, 2);
  }
  // The link reaches KorvaloDraw again on a new connection.
  EXPECT_EQ(link.ConnectCAD(), cadlink::kLinked);
}

}  // namespace
}  // namespace korvalo::cad::test
