#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "cad_link_fixture.h"
#include "common/utf8.h"

namespace korvalo::cadlink::test {
namespace {

using cad::testing::FakeCad;
using Lines = std::vector<std::string>;

struct Failure {
  const char* call;
  long number;
  const char* description;
};

// "$P" stands for the project drawing, "$D" for the program folder's
// default drawing.
struct ConnectCase {
  const char* name;
  Edition edition;
  FakeCad::State state;
  Lines drawings;
  std::vector<Failure> failures;
  int status;
  Lines messages;
  bool topMost;
  Lines calls;         // in this order, others may come between
  bool exact = false;  // calls is the whole log
  Lines absent = {};   // members never called
};

const Failure kOpenFails{"Document.Open($P)", 1001, "Drawing cannot be read"};
const Failure kDocsOpenFails{"Documents.Open($P)", 1001, "Drawing cannot be read"};
const Failure kDefaultFails{"Document.Open($D)", 1002, "Default drawing missing"};
const Failure kDocsDefaultFails{"Documents.Open($D)", 1002, "Default drawing missing"};
const Failure kVariablesFail{"Document.SetVariable", 1003, "Variable refused"};

const char* const kFailedToLoad =
    "Error 1001: Drawing cannot be read. $P failed to load . Try to relocate the DWG file "
    "through: File>Auto CAD link>Relocate CAD file.";
const char* const kDoesNotExist =
    "Error 1001: Drawing cannot be read. The $P does not exist. You should relocate the DWG "
    "file through: File>Auto CAD link>Relocate CAD file.";
const char* const kDefaultAtActive =
    "Error 1002: Default drawing missing at getting active document: Default drawing missing. "
    "This may cause your application does not work properly.";

const Lines kSetUpTail = {"Document.SetVariable(OSMODE,0)", "Document.SetVariable(SDI,1)",
                          "Document.SetVariable(SDI,0)",    "Application.Visible=True",
                          "Application.WindowState=3",      "Document.WindowState=3",
                          "Editor.TopMost=True"};

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::vector<ConnectCase> Cases() {
  const Lines attach = {"Editor.TopMost=False", "GetObject(AutoCAD.Application)"};
  const Lines oneDrawing = {"Application.Visible=True", "Application.Documents",
                            "Documents.Count",          "Application.ActiveDocument",
                            "Document.SetVariable(SDI,1)", "Document.FullName"};
  const FakeCad::State running = FakeCad::State::Running;
  return {
      {"A2004 running, the project drawing open", Edition::A2004, running, {"$P"}, {}, 0, {},
       true, Join({attach, oneDrawing, kSetUpTail}), true},
      {"A2004 running, another drawing open", Edition::A2004, running, {"/surveys/Other.dwg"}, {},
       0, {}, true, Join({attach, oneDrawing, {"Document.Open($P)"}, kSetUpTail}), true},
      {"A2004 names differing in case are two files", Edition::A2004, running,
       {"/surveys/lots.dwg"}, {}, 0, {}, true, {"Document.Open($P)"}},
      {"A2004 the same file by another spelling", Edition::A2004, running,
       {"/surveys/./x/../Lots.dwg"}, {}, 0, {}, true, {}, false, {"Document.Open"}},
      {"A2004 the project drawing fails to open", Edition::A2004, running, {"/surveys/Other.dwg"},
       {kOpenFails}, 1, {kFailedToLoad}, true,
       Join({attach, oneDrawing,
             {"Document.Open($P)", "DoEvents", "Document.Open($D)"}, kSetUpTail}),
       true},
      {"A2004 the default drawing fails too", Edition::A2004, running, {"/surveys/Other.dwg"},
       {kOpenFails, kDefaultFails}, 1, {kFailedToLoad, kDefaultAtActive}, true,
       {"Document.Open($D)", "Document.SetVariable(OSMODE,0)", "Editor.TopMost=True"}},
      {"A2004 running without drawings", Edition::A2004, running, {}, {}, 0, {}, true,
       Join({attach,
             {"Application.Visible=True", "Application.Documents", "Documents.Count",
              "Application.Documents", "Documents.Open($P)", "Application.ActiveDocument"},
             kSetUpTail}),
       true},
      {"A2004 without drawings, the drawing missing", Edition::A2004, running, {},
       {kDocsOpenFails}, 1, {kDoesNotExist}, true,
       {"Documents.Open($P)", "DoEvents", "Application.Documents", "Documents.Open($D)",
        "Application.ActiveDocument", "Document.SetVariable(OSMODE,0)"}},
      {"A2004 without drawings, the default missing too", Edition::A2004, running, {},
       // With no drawing open at all the active document is missing too, and
       // so is every setting on it.
       {kDocsOpenFails, kDocsDefaultFails}, 1,
       {kDoesNotExist,
        "Error -2145320900: No document is active at getting active document: No document is "
        "active. This may cause your application does not work properly.",
        "Error 91 at setting OSMODE: Object variable or With block variable not set. This may "
        "cause your application does not work properly.",
        "Error 91 at setting SDI: Object variable or With block variable not set. This may cause "
        "your application does not work properly."},
       true, {"Documents.Open($D)", "Application.ActiveDocument", "Editor.TopMost=True"}},
      {"A2004 two drawings refuse the link", Edition::A2004, running, {"/a.dwg", "/b.dwg"}, {}, 3,
       {"You had AutoCAD open with 2 or more drawing loaded. Please close all loaded drawing and "
        "try again."},
       false,
       Join({attach, {"Application.Visible=True", "Application.Documents", "Documents.Count"}}),
       true},
      {"A2004 started when none runs", Edition::A2004, FakeCad::State::NotRunning, {"$P"}, {}, 0,
       {}, true,
       {"GetObject(AutoCAD.Application)", "CreateObject(AutoCAD.Application)",
        "Application.Visible=True"}},
      {"A2004 started without drawings", Edition::A2004, FakeCad::State::NotRunning, {}, {}, 0, {},
       true, {"CreateObject(AutoCAD.Application)", "Documents.Open($P)"}},
      {"A2004 not startable", Edition::A2004, FakeCad::State::CannotStart, {"$P"}, {}, 2,
       {"ActiveX component can't create object", "Can't find AutoCAD application!"}, false,
       {"Editor.TopMost=False", "GetObject(AutoCAD.Application)",
        "CreateObject(AutoCAD.Application)"},
       true},
      // Running but taking no connection: its cause alone, and no second
      // program is started.
      {"A2004 a busy program", Edition::A2004, running, {"$P"},
       {{"GetObject(AutoCAD.Application)", cad::kServerBusy, "KorvaloDraw is busy"}}, 2,
       {"KorvaloDraw is busy"}, false, {"Editor.TopMost=False", "GetObject(AutoCAD.Application)"}, true},
      {"R14 a busy program", Edition::R14, running, {"$P"},
       {{"GetObject(AutoCAD.Application)", cad::kServerBusy, "KorvaloDraw is busy"}}, 2,
       {"KorvaloDraw is busy"}, false, {"Editor.TopMost=False", "GetObject(AutoCAD.Application)"}, true},
      {"A2004 variables refused", Edition::A2004, running, {"$P"}, {kVariablesFail}, 0,
       {"Error 1003: Variable refused at getting active document: Variable refused. This may "
        "cause your application does not work properly.",
        "Error 1003 at setting OSMODE: Variable refused. This may cause your application does "
        "not work properly.",
        "Error 1003 at setting SDI: Variable refused. This may cause your application does not "
        "work properly."},
       true, kSetUpTail},
      {"A2004 variables refused after a failed open", Edition::A2004, running, {"/x.dwg"},
       {kOpenFails, kVariablesFail}, 1,
       {kFailedToLoad,
        "Error 1003 at setting OSMODE: Variable refused. This may cause your application does "
        "not work properly.",
        "Error 1003 at setting SDI: Variable refused. This may cause your application does not "
        "work properly."},
       true, {"Document.Open($D)"}},
      // A failure is reported where it is next checked, with its own number;
      // the open that follows it is judged by its own result, and the project
      // drawing that opened stays.
      {"A2004 a failed name read opens the drawing", Edition::A2004, running, {"$P"},
       {{"Document.FullName", 1004, "Name unreadable"}}, 0,
       {"Error 1004: Name unreadable at getting active document: Name unreadable. This may cause "
        "your application does not work properly."},
       true, {"Document.FullName", "Document.Open($P)", "Document.SetVariable(OSMODE,0)"}, false,
       {"DoEvents"}},
      {"A2004 single-document mode refused, the drawing opens", Edition::A2004, running,
       {"/surveys/Other.dwg"}, {{"Document.SetVariable(SDI,1)", 1003, "Variable refused"}}, 0,
       {"Error 1003: Variable refused at getting active document: Variable refused. This may "
        "cause your application does not work properly.",
        "Error 1003 at setting SDI: Variable refused. This may cause your application does not "
        "work properly."},
       true, {"Document.SetVariable(SDI,1)", "Document.Open($P)", "Document.SetVariable(OSMODE,0)"},
       false, {"DoEvents"}},
      {"A2004 the count unread, the drawing opens", Edition::A2004, running, {},
       {{"Documents.Count", 1005, "Count unknown"}}, 0,
       {"Error 1005: Count unknown at getting active document: Count unknown. This may cause "
        "your application does not work properly."},
       true, {"Documents.Count", "Documents.Open($P)", "Application.ActiveDocument"}, false,
       {"DoEvents"}},
      {"A2000 behaves as A2004", Edition::A2000, running, {"/surveys/Other.dwg"}, {kOpenFails}, 1,
       {kFailedToLoad}, true, {"Documents.Count", "Document.Open($D)"}},

      {"R14 the project drawing open", Edition::R14, running, {"$P"}, {}, 0, {}, true,
       Join({attach,
             {"Application.ActiveDocument", "Document.FullName", "Document.SetVariable(OSMODE,0)",
              "Application.Visible=True", "Application.WindowState=3", "Document.WindowState=3",
              "Editor.TopMost=True"}}),
       true},
      {"R14 two drawings: the active one is used", Edition::R14, running, {"/a.dwg", "/b.dwg"}, {},
       0, {}, true, {"Document.Open($P)"}, false, {"Documents.Count"}},
      // The fallback replaces the active drawing: no second drawing.
      {"R14 the fallback opens in the active document", Edition::R14, running, {"/a.dwg"},
       {kOpenFails}, 1, {kFailedToLoad}, true,
       Join({attach,
             {"Application.ActiveDocument", "Document.FullName", "Document.Open($P)", "DoEvents",
              "Document.Open($D)", "Document.SetVariable(OSMODE,0)",
              "Application.Visible=True", "Application.WindowState=3", "Document.WindowState=3",
              "Editor.TopMost=True"}}),
       true},
      {"R14 a failed name read opens the drawing", Edition::R14, running, {"/a.dwg"},
       {{"Document.FullName", 1004, "Name unreadable"}}, 0, {}, true,
       {"Document.FullName", "Document.Open($P)", "Document.SetVariable(OSMODE,0)"}, false,
       {"DoEvents"}},
      {"R14 the default missing too: no further message", Edition::R14, running, {"/a.dwg"},
       {kOpenFails, kDefaultFails}, 1, {kFailedToLoad}, true, {"Document.Open($D)"}},
      {"R14 variables refused: only the object snaps are told", Edition::R14, running, {"$P"},
       {kVariablesFail}, 0,
       {"Error 1003 at setting OSMODE: Variable refused. This may cause your application does "
        "not work properly."},
       true, {}, false, {"Document.SetVariable(SDI"}},
      {"R14 not startable", Edition::R14, FakeCad::State::CannotStart, {}, {}, 2,
       {"ActiveX component can't create object", "Can't find AutoCAD application!"}, false, {}},
  };
}

class ConnectTest : public CadLinkTest {
 protected:
  std::string Expand(std::string text) const {
    text = utf8::ReplaceAll(text, "$P", kProject);
    return utf8::ReplaceAll(text, "$D", Default());
  }
  Lines Expand(const Lines& lines) const {
    Lines out;
    for (const std::string& l : lines) out.push_back(Expand(l));
    return out;
  }
};

// Whether `wanted` appears in `log` in order.
bool InOrder(const Lines& log, const Lines& wanted) {
  auto it = log.begin();
  for (const std::string& w : wanted) {
    it = std::find(it, log.end(), w);
    if (it == log.end()) return false;
    ++it;
  }
  return true;
}

std::string Dump(const Lines& lines) {
  std::string all;
  for (const std::string& l : lines) all += "  " + l + "\n";
  return all;
}

TEST_F(ConnectTest, StatusMessagesCallsAndTopMostPerPolicy) {
  for (const ConnectCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    FakeCad fake(c.state);
    RecordingHost recorder(fake);
    fake.SetDrawings(Expand(c.drawings));
    for (const Failure& f : c.failures) fake.Fail(Expand(f.call), f.number, f.description);
    boxes.clear();

    CadLink link(fake, PolicyFor(c.edition), recorder);
    EXPECT_EQ(link.ConnectCAD(), c.status);
    EXPECT_EQ(boxes, Expand(c.messages));
    EXPECT_EQ(recorder.topMost, c.topMost);
    if (c.exact) {
      EXPECT_EQ(fake.Log(), Expand(c.calls));
    } else {
      EXPECT_TRUE(InOrder(fake.Log(), Expand(c.calls))) << Dump(fake.Log());
    }
    for (const std::string& member : c.absent) {
      for (const std::string& line : fake.Log()) {
        EXPECT_NE(line.rfind(member, 0), 0u) << line;
      }
    }
  }
}

TEST_F(ConnectTest, ALinkedDrawingIsLeftMaximisedWithoutSnapsAndSingleDocumentModeOff) {
  cad.SetDrawings({"/surveys/Other.dwg"});
  CadLink link = MakeLink(Edition::A2004);
  ASSERT_EQ(link.ConnectCAD(), kLinked);
  EXPECT_EQ(cad.Drawings(), Lines{kProject});
  EXPECT_EQ(cad.Variable("SDI"), 0);
  EXPECT_EQ(cad.Variable("OSMODE"), 0);
  EXPECT_TRUE(cad.Visible());
  EXPECT_EQ(cad.ApplicationWindowState(), 3);
  EXPECT_EQ(cad.ActiveWindowState(), 3);
  ASSERT_TRUE(link.AcadDoc());
  EXPECT_EQ(link.AcadDoc()->FullName(), kProject);
}

// A project created without a drawing: the fallback drawing is linked in
// place of the drawing shown (or opened when none is), without a message,
// since nothing failed to load.
TEST_F(ConnectTest, AnEmptyDrawingPathLinksTheDefaultDrawingWithoutAMessage) {
  const struct {
    const char* name;
    Edition edition;
    Lines drawings;
  } cases[] = {
      {"A2004 an untitled drawing", Edition::A2004, {""}},
      {"A2004 another drawing", Edition::A2004, {"/surveys/Other.dwg"}},
      {"A2004 the default drawing already", Edition::A2004, {"$D"}},
      {"A2004 no drawing", Edition::A2004, {}},
      {"R14 an untitled drawing", Edition::R14, {""}},
      {"R14 another drawing", Edition::R14, {"/surveys/Other.dwg"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeCad fake(FakeCad::State::Running);
    RecordingHost recorder(fake);
    Lines drawings;
    for (const std::string& d : c.drawings) drawings.push_back(d == "$D" ? Default() : d);
    fake.SetDrawings(drawings);
    // What the program would say if it tried the empty path.
    fake.Fail("Document.Open()", 1001, "Drawing cannot be read");
    fake.Fail("Documents.Open()", 1001, "Drawing cannot be read");
    Program().DrawingPath = "";
    boxes.clear();
    CadLink link(fake, PolicyFor(c.edition), recorder);
    EXPECT_EQ(link.ConnectCAD(), kDefaultDrawing);
    EXPECT_EQ(boxes, Lines{});
    EXPECT_EQ(fake.Drawings(), Lines{Default()});
    EXPECT_TRUE(recorder.topMost);
  }
}

TEST_F(ConnectTest, A2000AndA2004ShareOnePolicyAndR14DiffersInEachPoint) {
  EXPECT_EQ(PolicyFor(Edition::A2000), PolicyFor(Edition::A2004));
  const CadLinkPolicy r14 = PolicyFor(Edition::R14);
  EXPECT_FALSE(r14.countsDocuments || r14.reportsActiveDocumentError || r14.visibleFirst ||
               r14.writesSdiOnConnect || r14.focusesCadBeforePick);
}

struct SdiCase {
  FakeCad::State state;
  int value;
  Lines calls;
  FakeCad::State after;
};

TEST_F(ConnectTest, SingleDocumentModeStartsTheCadProgramOnlyForAPick) {
  const SdiCase cases[] = {
      {FakeCad::State::Running, 1,
       {"GetObject(AutoCAD.Application)", "Application.ActiveDocument",
        "Document.SetVariable(SDI,1)"},
       FakeCad::State::Running},
      {FakeCad::State::Running, 0,
       {"GetObject(AutoCAD.Application)", "Application.ActiveDocument",
        "Document.SetVariable(SDI,0)"},
       FakeCad::State::Running},
      {FakeCad::State::NotRunning, 1,
       {"GetObject(AutoCAD.Application)", "CreateObject(AutoCAD.Application)",
        "Application.ActiveDocument", "Document.SetVariable(SDI,1)"},
       FakeCad::State::Running},
      // Closing the editor, or ending a pick whose CAD program was closed,
      // starts nothing.
      {FakeCad::State::NotRunning, 0, {"GetObject(AutoCAD.Application)"},
       FakeCad::State::NotRunning},
      {FakeCad::State::CannotStart, 1,
       {"GetObject(AutoCAD.Application)", "CreateObject(AutoCAD.Application)"},
       FakeCad::State::CannotStart},
  };
  for (const SdiCase& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.state)) + " " + std::to_string(c.value));
    FakeCad fake(c.state);
    fake.SetDrawings({kProject});
    RecordingHost recorder(fake);
    CadLink link(fake, PolicyFor(Edition::A2004), recorder);
    link.SetCADSDI(c.value);
    EXPECT_EQ(fake.Log(), c.calls);
    EXPECT_EQ(fake.CurrentState(), c.after);
    EXPECT_TRUE(boxes.empty());
  }
}

TEST_F(ConnectTest, SingleDocumentModeIgnoresEveryFailure) {
  cad.SetDrawings({kProject});
  cad.Fail("Document.SetVariable", 1003, "Variable refused");
  CadLink link = MakeLink(Edition::R14);
  link.SetCADSDI(1);
  cad.SetDrawings({});
  link.SetCADSDI(0);
  EXPECT_TRUE(boxes.empty());
}

// A CAD program that runs but takes no connection is not started again.
TEST_F(ConnectTest, SingleDocumentModeStartsNoSecondProgramBesideABusyOne) {
  FakeCad fake(FakeCad::State::Running);
  fake.Fail("GetObject", cad::kServerBusy, "KorvaloDraw is busy");
  RecordingHost recorder(fake);
  CadLink link(fake, PolicyFor(Edition::A2004), recorder);
  link.SetCADSDI(1);
  EXPECT_EQ(fake.Log(), std::vector<std::string>{"GetObject(AutoCAD.Application)"});
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace korvalo::cadlink::test
