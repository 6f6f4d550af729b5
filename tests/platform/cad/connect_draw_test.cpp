// The link against the real KorvaloDraw: connecting with the project's
// drawing, the fallback drawing, and a pick from the selection to tokens.

#include <QProcess>
#include <QStringList>
#include <QThread>
#include <optional>
#include <vector>

#include "cadlink/cad_link.h"
#include "common/edition.h"
#include "platform/cad/draw_fixture.h"
#include "platform/forms/forms.h"
#include "storage/program_state.h"

namespace korvalo::cad::test {
namespace {

class QuietHost : public cadlink::LinkHost {
 public:
  void SetTopMost(bool on) override { topMost = on; }
  void Minimize() override { ++minimized; }
  void Restore() override { ++restored; }
  void ProcessPendingEvents() override {}
  void SetCalcEnabled(bool enabled) override { calcEnabled = enabled; }
  void SetCurrentCadCaption(const std::string&) override {}
  void SetCurrentCadEnabled(bool) override {}
  void ReloadProjectSettings() override {}
  bool SelectGrabModel() override { return false; }
  bool topMost = false;
  std::optional<bool> calcEnabled;
  int minimized = 0, restored = 0;
};

class ConnectDrawTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    previous_ = forms::SetPromptHandler([this](const forms::Prompt& p) {
      boxes.push_back(p.text);
      return forms::PromptAnswer{forms::vbOK, {}, nullptr};
    });
    Program().ProgramFolder = KORVALO_PROGRAM_DIR;
    Program().ProjectSettings.DegreeSymbol = "%%D";
    Program().ProjectSettings.Minimize = true;
  }
  void TearDown() override {
    forms::SetPromptHandler(previous_);
    DrawTest::TearDown();
  }
  // The full name of the drawing KorvaloDraw shows.
  std::string Shown(DrawAutomation& automation) {
    return automation.LastConnection()->Call(wire::kApplicationObject, "TestState").toObject()["fullName"]
        .toString()
        .toStdString();
  }

  forms::PromptHandler previous_;
  std::vector<std::string> boxes;
  QuietHost host;
};

TEST_F(ConnectDrawTest, TheProjectDrawingOpensLinked) {
  const std::string fixture = viewer::testing::Fixture("line_r2000.dwg");
  const std::vector<std::string> drawings = {File("lots.dxf", PickDrawing()), fixture};
  for (Edition edition : {Edition::A2004, Edition::R14}) {
    for (const std::string& drawing : drawings) {
      SCOPED_TRACE(drawing);
      const std::string shown = std::filesystem::path(drawing).lexically_normal().string();
      DrawAutomation automation(options);
      cadlink::CadLink link(automation, cadlink::PolicyFor(edition), host);
      Program().DrawingPath = drawing;
      // Started, then attached to: both give the project drawing.
      EXPECT_EQ(link.ConnectCAD(), cadlink::kLinked);
      Remember(automation);
      EXPECT_EQ(Shown(automation), shown);
      EXPECT_TRUE(host.topMost);
      EXPECT_EQ(link.ConnectCAD(), cadlink::kLinked);
      EXPECT_EQ(Shown(automation), shown);
      auto doc = link.AcadApp()->ActiveDocument();
      EXPECT_EQ(doc->GetVariable("OSMODE"), 0);
      EXPECT_EQ(doc->GetVariable("SDI"), 0);
      EXPECT_TRUE(automation.LastConnection()->Call(wire::kApplicationObject, "TestState").toObject()["maximized"]
                      .toBool());
      EXPECT_EQ(boxes, std::vector<std::string>{});
      End(automation.LastConnection()->Pid());
    }
  }
}

TEST_F(ConnectDrawTest, AMissingDrawingGivesTheDefaultDrawing) {
  DrawAutomation automation(options);
  cadlink::CadLink link(automation, cadlink::PolicyFor(Edition::A2004), host);
  Program().DrawingPath = dir_ + "/gone.dwg";
  EXPECT_EQ(link.ConnectCAD(), cadlink::kDefaultDrawing);
  Remember(automation);
  EXPECT_EQ(Shown(automation), std::string(KORVALO_PROGRAM_DIR) + "/default.dwg");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("Error 53: "), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find(" failed to load . Try to relocate"), std::string::npos) << boxes[0];
}

// A project created without a drawing: the fallback drawing, and no word of
// a failed load.
TEST_F(ConnectDrawTest, AProjectWithoutADrawingLinksTheDefaultDrawingWithoutAMessage) {
  for (Edition edition : {Edition::A2004, Edition::R14}) {
    SCOPED_TRACE(static_cast<int>(edition));
    DrawAutomation automation(options);
    cadlink::CadLink link(automation, cadlink::PolicyFor(edition), host);
    Program().DrawingPath = "";
    EXPECT_EQ(link.ConnectCAD(), cadlink::kDefaultDrawing);
    Remember(automation);
    EXPECT_EQ(Shown(automation), std::string(KORVALO_PROGRAM_DIR) + "/default.dwg");
    EXPECT_EQ(link.ConnectCAD(), cadlink::kDefaultDrawing);
    EXPECT_EQ(boxes, std::vector<std::string>{});
    EXPECT_TRUE(host.topMost);
    End(automation.LastConnection()->Pid());
  }
}

// The program run three times, each run opening a project (its drawing, none,
// a missing one): KorvaloDraw keeps one drawing window, and after the R14
// build's fallback the other builds still link.
TEST_F(ConnectDrawTest, ProjectOpensAndFallbacksKeepOneDrawingWindow) {
  const std::string drawing = File("lots.dxf", PickDrawing());
  for (Edition edition : {Edition::A2004, Edition::R14}) {
    SCOPED_TRACE(static_cast<int>(edition));
    long long pid = 0;
    for (const std::string& path : {drawing, std::string(), dir_ + "/gone.dwg", drawing}) {
      SCOPED_TRACE(path);
      DrawAutomation automation(options);  // a new run of the program
      cadlink::CadLink link(automation, cadlink::PolicyFor(edition), host);
      Program().DrawingPath = path;
      link.ConnectCAD();
      Remember(automation);
      pid = automation.LastConnection()->Pid();
      EXPECT_EQ(State(automation)["windows"].toInt(), 1);
    }
    boxes.clear();
    DrawAutomation automation(options);
    cadlink::CadLink link(automation, cadlink::PolicyFor(Edition::A2004), host);
    Program().DrawingPath = drawing;
    EXPECT_EQ(link.ConnectCAD(), cadlink::kLinked);
    EXPECT_EQ(boxes, std::vector<std::string>{});
    End(pid);
  }
}

TEST_F(ConnectDrawTest, NoProgramGivesNotFound) {
  DrawOptions nowhere = options;
  nowhere.programFolder = dir_;
  DrawAutomation automation(nowhere);
  cadlink::CadLink link(automation, cadlink::PolicyFor(Edition::A2004), host);
  Program().DrawingPath = dir_ + "/gone.dwg";
  EXPECT_EQ(link.ConnectCAD(), cadlink::kCadNotFound);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1], "Can't find AutoCAD application!");
}

// KorvaloDraw at its limit of connections: the link says so, and neither the
// link nor a user starts a second KorvaloDraw beside it.
TEST_F(ConnectDrawTest, AtItsLimitOfConnectionsTheLinkTellsTheCauseAndNoSecondProgramRuns) {
  const std::string drawing = File("lots.dxf", PickDrawing());
  Program().DrawingPath = drawing;
  DrawAutomation first(options);
  cadlink::CadLink firstLink(first, cadlink::PolicyFor(Edition::A2004), host);
  ASSERT_EQ(firstLink.ConnectCAD(), cadlink::kLinked);
  Remember(first);
  const long long pid = first.LastConnection()->Pid();
  std::vector<std::shared_ptr<DrawConnection>> held;
  for (int i = 1; i < wire::kMostConnections; ++i) {
    held.push_back(DrawConnection::Open(SocketPath(), options));
  }

  const std::string atLimit =
      "KorvaloDraw is running but is at its limit of 256 connections. Close programs linked to it, or "
      "KorvaloDraw, and try again.";
  for (Edition edition : {Edition::A2004, Edition::R14}) {
    SCOPED_TRACE(static_cast<int>(edition));
    boxes.clear();
    DrawAutomation automation(options);
    cadlink::CadLink link(automation, cadlink::PolicyFor(edition), host);
    EXPECT_EQ(link.ConnectCAD(), cadlink::kCadNotFound);
    EXPECT_EQ(boxes, std::vector<std::string>{atLimit});
  }

  // Asked to start one, the link does not: a program folder whose
  // KorvaloDraw notes that it ran.
  DrawAutomation starter(ScriptedProgram("noting", "touch \"$0.ran\"\n"));
  EXPECT_EQ(NumberOf([&] { starter.CreateObject(kProgramId); }), kServerBusy);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/noting/KorvaloDraw.ran"));

  // Started by hand beside it, with or without a drawing, a second one ends
  // at once.
  for (const QStringList& arguments : {QStringList{}, QStringList{QString::fromStdString(drawing)}}) {
    QProcess second;
    second.start(QString(KORVALO_PROGRAM_DIR) + "/KorvaloDraw", arguments);
    ASSERT_TRUE(second.waitForStarted(10000));
    EXPECT_TRUE(second.waitForFinished(20000));
    if (second.state() != QProcess::NotRunning) {
      pids_.insert(second.processId());
    }
    EXPECT_EQ(second.exitCode(), 2);
  }

  // One connection ends: the link reaches the same KorvaloDraw again.
  held.pop_back();
  boxes.clear();
  DrawAutomation again(options);
  cadlink::CadLink link(again, cadlink::PolicyFor(Edition::A2004), host);
  bool linked = false;
  for (int i = 0; i < 50 && !linked; ++i) {
    linked = link.ConnectCAD() == cadlink::kLinked;
    if (!linked) QThread::msleep(100);
  }
  EXPECT_TRUE(linked);
  EXPECT_EQ(again.LastConnection()->Pid(), pid);
}

TEST_F(ConnectDrawTest, APickTurnsTheSelectionIntoTokens) {
  DrawAutomation automation(options);
  cadlink::CadLink link(automation, cadlink::PolicyFor(Edition::A2004), host);
  Program().DrawingPath = File("lots.dxf", PickDrawing());
  ASSERT_EQ(link.ConnectCAD(), cadlink::kLinked);
  Remember(automation);
  // The line picked third is dropped as no text.
  Input(automation, {Click(11, 31), Click(11, 11), Click(55, 11), Click(11, 21), Press("Enter")});
  const auto tokens = link.PickTextsInCad();
  ASSERT_TRUE(tokens);
  EXPECT_EQ(*tokens, (std::vector<std::string>{"R", "150.00", "N45%%d30'15\"E", "100.00"}));
  EXPECT_EQ(host.calcEnabled, false);
  EXPECT_EQ(host.minimized, 1);
  EXPECT_EQ(host.restored, 1);
  EXPECT_EQ(link.AcadDoc()->GetVariable("SDI"), 0);

  // The drawing window closed during the pick: the failure's description,
  // and the editor is back.
  Input(automation, {QJsonObject{{"do", "close"}}});
  EXPECT_FALSE(link.PickTextsInCad());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "The selection ended: the drawing window was closed");
  EXPECT_EQ(host.restored, 2);
}

}  // namespace
}  // namespace korvalo::cad::test
