#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cad_link_fixture.h"
#include "storage/project_settings.h"

namespace korvalo::cadlink::test {
namespace {

using Lines = std::vector<std::string>;

class RelocateTest : public CadLinkTest {
 protected:
  void SetUp() override {
    CadLinkTest::SetUp();
    cad.SetDrawings({kProject});
  }
  std::string WriteFile(const std::string& name) {
    const std::string path = dir.File(name);
    std::ofstream(path) << "0\nEOF\n";
    return path;
  }
};

TEST_F(RelocateTest, CancellingChangesNothingAndShowsNothing) {
  NewProject("Lots");
  CadLink link = MakeLink(Edition::A2004);
  fileAnswer.reset();
  link.RelocateCadClicked();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].filter, "AutoCAD Files (*.dwg)|*.dwg|All Files (*.*)|*.*");
  EXPECT_EQ(dialogs[0].flags, 4);
  EXPECT_EQ(Program().DrawingPath, kProject);
  EXPECT_TRUE(cad.Log().empty());
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(RelocateTest, AFileThatDoesNotExistIsIgnored) {
  NewProject("Lots");
  CadLink link = MakeLink(Edition::A2004);
  fileAnswer = dir.File("Gone.dwg");
  link.RelocateCadClicked();
  EXPECT_EQ(Program().DrawingPath, kProject);
  EXPECT_TRUE(cad.Log().empty());
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(RelocateTest, AFailedStoreSaysSoAndKeepsTheOldDrawing) {
  // Not a project file: the store is refused.
  Program().ProjectPath = WriteFile("NotAProject.kvx");
  CadLink link = MakeLink(Edition::A2004);
  fileAnswer = WriteFile("New.dwg");
  link.RelocateCadClicked();
  EXPECT_EQ(Program().DrawingPath, kProject);
  EXPECT_EQ(Texts(), Lines{kGeneralErrorMessage});
  EXPECT_EQ(boxes, Lines{"Error setting drawing file!"});
  EXPECT_TRUE(cad.Log().empty());
}

TEST_F(RelocateTest, AChosenFileIsStoredAndLinked) {
  NewProject("Lots");
  CadLink link = MakeLink(Edition::A2004);
  // Any existing file is accepted, whatever its extension.
  const std::string plan = WriteFile("Plan.dxf");
  fileAnswer = plan;
  link.RelocateCadClicked();

  EXPECT_EQ(Program().DrawingPath, plan);
  EXPECT_TRUE(boxes.empty());
  const Lines& log = cad.Log();
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ(log[0], "Editor.CurrentCadCaption=" + plan);
  EXPECT_EQ(log[1], "Editor.ReloadProjectSettings");
  // The Grab model was selected already (or is locked): the link is made
  // here.
  EXPECT_EQ(log[2], "Editor.SelectGrabModel");
  EXPECT_EQ(log[3], "Editor.TopMost=False");
  EXPECT_NE(std::find(log.begin(), log.end(), "Document.Open(" + plan + ")"), log.end());
  EXPECT_EQ(Lines(log.end() - 2, log.end()), (Lines{"Editor.CurrentCadEnabled=True", "Editor.TopMost=True"}));
  EXPECT_TRUE(host.topMost);

  // The project keeps it: a fresh load finds it.
  Program().DrawingPath.clear();
  ASSERT_TRUE(LoadProjectSettings());
  EXPECT_EQ(Program().DrawingPath, plan);
}

TEST_F(RelocateTest, CurrentCadFileLinksAgainAndIsEnabledOnlyWhenLinked) {
  struct Case {
    Lines drawings;
    bool openFails;
    const char* enabled;
  };
  const Case cases[] = {
      {{kProject}, false, "Editor.CurrentCadEnabled=True"},
      {{"/other.dwg"}, true, "Editor.CurrentCadEnabled=False"},
      {{"/a.dwg", "/b.dwg"}, false, "Editor.CurrentCadEnabled=False"},
  };
  for (const Case& c : cases) {
    cad::testing::FakeCad fake;
    RecordingHost recorder(fake);
    fake.SetDrawings(c.drawings);
    if (c.openFails) fake.Fail("Document.Open(" + std::string(kProject) + ")", 1, "x");
    CadLink link(fake, PolicyFor(Edition::A2004), recorder);
    link.CurrentCadClicked();
    EXPECT_EQ(fake.Log().front(), "Editor.TopMost=False");
    EXPECT_EQ(fake.Log().back(), c.enabled);
  }
}

}  // namespace
}  // namespace korvalo::cadlink::test
