#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cad_link_fixture.h"

namespace korvalo::cadlink::test {
namespace {

using cad::testing::FakeEntity;
using Lines = std::vector<std::string>;

class PickTest : public CadLinkTest {
 protected:
  void SetUp() override {
    CadLinkTest::SetUp();
    cad.SetDrawings({kProject});
  }
  // Connected as after a project open, log cleared.
  CadLink Connected(Edition edition) {
    CadLink link = MakeLink(edition);
    EXPECT_EQ(link.ConnectCAD(), kLinked);
    cad.ClearLog();
    return link;
  }
};

TEST_F(PickTest, CallOrderPerPolicy) {
  const Lines head = {"GetObject(AutoCAD.Application)", "Application.ActiveDocument",
                      "Document.SetVariable(SDI,1)", "Editor.Minimize"};
  const Lines focus = {"Application.Hwnd", "SetFocus(42)"};
  const Lines rest = {"Document.SelectionSets",
                      "SelectionSets.Item(SS1)",
                      "SelectionSets.Item(SS2)",
                      "SelectionSets.Add(SS1)",
                      "SelectionSets.Add(SS2)",
                      "SelectionSet.SelectOnScreen(SS1)",
                      "SelectionSet.Count(SS1)",
                      "SelectionSet.Item(SS1,1)",
                      "Entity.EntityName(1)",
                      "SelectionSet.Item(SS1,0)",
                      "Entity.EntityName(0)",
                      "SelectionSet.Count(SS1)",
                      "SelectionSet.Item(SS1,0)",
                      "Entity.TextString(0)",
                      "SelectionSet.Item(SS1,1)",
                      "Entity.TextString(1)",
                      "Editor.Restore",
                      "GetObject(AutoCAD.Application)",
                      "Application.ActiveDocument",
                      "Document.SetVariable(SDI,0)",
                      "Editor.CalcEnabled=False"};
  for (Edition edition : {Edition::A2004, Edition::A2000, Edition::R14}) {
    SCOPED_TRACE(static_cast<int>(edition));
    Program().ProjectSettings.Minimize = true;
    cad::testing::FakeCad fake;
    fake.SetDrawings({kProject});
    RecordingHost recorder(fake);
    CadLink link(fake, PolicyFor(edition), recorder);
    ASSERT_EQ(link.ConnectCAD(), kLinked);
    fake.ClearLog();
    fake.ScriptSelection({{"AcDbText", "LOT 12"}, {"AcDbMText", "N 45%%D30'15\" E 100.00"}});
    const auto tokens = link.PickTextsInCad();
    ASSERT_TRUE(tokens.has_value());
    EXPECT_EQ(*tokens, (Lines{"LOT", "12", "N45%%D30'15\"E", "100.00"}));
    Lines expected = head;
    if (edition != Edition::R14) expected.insert(expected.end(), focus.begin(), focus.end());
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(fake.Log(), expected);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(fake.Variable("SDI"), 0);
  }
}

TEST_F(PickTest, WithoutMinimizeTheEditorIsOnlyRestored) {
  Program().ProjectSettings.Minimize = false;
  CadLink link = Connected(Edition::A2004);
  cad.ScriptSelection({{"AcDbText", "12.50"}});
  ASSERT_TRUE(link.PickTextsInCad().has_value());
  for (const std::string& line : cad.Log()) EXPECT_NE(line, "Editor.Minimize");
  EXPECT_NE(std::find(cad.Log().begin(), cad.Log().end(), "Editor.Restore"), cad.Log().end());
}

TEST_F(PickTest, NonTextsAreRemovedLastToFirstBeforeAnyTextIsRead) {
  CadLink link = Connected(Edition::A2004);
  cad.ScriptSelection({{"AcDbText", "A"},
                       {"AcDbLine", "-"},
                       {"acdbmtext", "B"},
                       {"AcDbCircle", "-"},
                       {"ACDBTEXT", "C"},
                       {"AcDbBlockReference", "-"}});
  const auto tokens = link.PickTextsInCad();
  ASSERT_TRUE(tokens.has_value());
  EXPECT_EQ(*tokens, (Lines{"A", "B", "C"}));
  EXPECT_EQ(cad.SetTexts("SS1"), (Lines{"A", "B", "C"}));

  Lines removals;
  std::size_t firstText = cad.Log().size();
  std::size_t lastRemoval = 0;
  for (std::size_t i = 0; i < cad.Log().size(); ++i) {
    const std::string& line = cad.Log()[i];
    if (line.rfind("SelectionSet.RemoveItems", 0) == 0) {
      removals.push_back(line);
      lastRemoval = i;
    }
    if (line.rfind("Entity.TextString", 0) == 0) firstText = std::min(firstText, i);
  }
  EXPECT_EQ(removals, (Lines{"SelectionSet.RemoveItems(SS1,AcDbBlockReference)",
                             "SelectionSet.RemoveItems(SS1,AcDbCircle)",
                             "SelectionSet.RemoveItems(SS1,AcDbLine)"}));
  EXPECT_LT(lastRemoval, firstText);
}

TEST_F(PickTest, APickWithoutTextsGivesNoTokensAndLetsTheEditorCompute) {
  CadLink link = Connected(Edition::A2004);
  cad.ScriptSelection({{"AcDbLine", ""}, {"AcDbPolyline", ""}});
  const auto tokens = link.PickTextsInCad();
  ASSERT_TRUE(tokens.has_value());
  EXPECT_TRUE(tokens->empty());
  EXPECT_EQ(cad.Log().back(), "Editor.CalcEnabled=True");
}

TEST_F(PickTest, TheSetsOfTheLastPickAreReplacedAndTheirFailuresIgnored) {
  CadLink link = Connected(Edition::A2004);
  cad.ScriptSelection({{"AcDbText", "1"}});
  ASSERT_TRUE(link.PickTextsInCad().has_value());
  EXPECT_EQ(cad.SelectionSetNames(), (Lines{"SS1", "SS2"}));

  cad.ClearLog();
  cad.Fail("SelectionSets.Add(SS2)", 1010, "Set refused");
  cad.Fail("SelectionSet.Delete(SS2)", 1011, "Delete refused");
  cad.ScriptSelection({{"AcDbText", "2"}});
  const auto tokens = link.PickTextsInCad();
  ASSERT_TRUE(tokens.has_value());
  EXPECT_EQ(*tokens, Lines{"2"});
  EXPECT_TRUE(boxes.empty());
  EXPECT_NE(std::find(cad.Log().begin(), cad.Log().end(), "SelectionSet.Delete(SS1)"),
            cad.Log().end());
}

struct FailureCase {
  const char* call;
  bool minimize;
};

TEST_F(PickTest, AFailedPickTellsTheDescriptionRestoresTheEditorAndGivesNothing) {
  const FailureCase cases[] = {
      {"SelectionSet.SelectOnScreen", true},
      {"SelectionSet.SelectOnScreen", false},
      {"Entity.TextString", true},
      {"Entity.EntityName", true},
      {"SelectionSet.RemoveItems", true},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.call);
    cad::testing::FakeCad fake;
    fake.SetDrawings({kProject});
    RecordingHost recorder(fake);
    Program().ProjectSettings.Minimize = c.minimize;
    CadLink link(fake, PolicyFor(Edition::A2004), recorder);
    fake.ScriptSelection({{"AcDbLine", ""}, {"AcDbText", "12"}});
    fake.Fail(c.call, -2145320928, "The selection was cancelled");
    boxes.clear();

    EXPECT_FALSE(link.PickTextsInCad().has_value());
    EXPECT_EQ(boxes, Lines{"The selection was cancelled"});
    const Lines& log = fake.Log();
    const auto restore = std::find(log.begin(), log.end(), "Editor.Restore");
    ASSERT_NE(restore, log.end());
    // Single-document mode goes off after the editor is back; the editor's
    // computing switch is left alone.
    EXPECT_EQ(log.back(), "Document.SetVariable(SDI,0)");
    for (const std::string& line : log) EXPECT_NE(line.rfind("Editor.CalcEnabled", 0), 0u);
    EXPECT_EQ(fake.Variable("SDI"), 0);
  }
}

TEST_F(PickTest, APickWhoseCadProgramWasClosedFailsWithoutStartingItAfterwards) {
  cad::testing::FakeCad fake(cad::testing::FakeCad::State::CannotStart);
  RecordingHost recorder(fake);
  CadLink link(fake, PolicyFor(Edition::A2004), recorder);
  EXPECT_FALSE(link.PickTextsInCad().has_value());
  EXPECT_EQ(boxes, Lines{"Object variable or With block variable not set"});
  EXPECT_EQ(fake.CurrentState(), cad::testing::FakeCad::State::CannotStart);
}

TEST_F(PickTest, TokensReadTheProjectsDegreeCode) {
  Program().ProjectSettings.DegreeSymbol = "deg";
  CadLink link = Connected(Edition::A2004);
  cad.ScriptSelection({{"AcDbText", "N 45deg30'15\"E 10"}, {"AcDbText", "{\\A1;LOT 4}"}});
  const auto tokens = link.PickTextsInCad();
  ASSERT_TRUE(tokens.has_value());
  EXPECT_EQ(*tokens, (Lines{"N45deg30'15\"E", "10", "LOT", "4"}));
}

}  // namespace
}  // namespace korvalo::cadlink::test
