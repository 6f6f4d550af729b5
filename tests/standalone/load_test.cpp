#include <filesystem>
#include <fstream>
#include <string>

#include "editor/grid_layout.h"
#include "editor/message_boxes.h"
#include "standalone_fixture.h"
#include "storage/messages.h"
#include "storage/project_db.h"
#include "storage/system_db.h"
#include "support/temp_folder.h"

// The editor's load as the standalone edition ends it, its size rules, and
// the project named on the command line.
namespace korvalo::standalone::test {
namespace {

using namespace forms;

TEST_F(StandaloneTest, EditorOpensInItsPlaceAtTheScreensLeastHeight) {
  struct Case {
    int screenHeight;
    int least;
  };
  for (const Case c : {Case{640, 4550}, Case{768, 5750}, Case{600, 4550}, Case{641, 5750}}) {
    SCOPED_TRACE(c.screenHeight);
    ResetStandaloneState();
    SetScreenPixelsForTests(1024, c.screenHeight);
    Load();
    EXPECT_EQ(Standalone().EditorMinHeight, c.least);
    EXPECT_EQ(editor->Left(), 10);
    EXPECT_EQ(editor->Top(), 1340);
    EXPECT_EQ(editor->Height(), c.least);
    EXPECT_EQ(editor->CurrentRow, 50);
    EXPECT_TRUE(editor->Visible());
    // Dragged lower or wider, it goes back.
    editor->SetHeight(c.least - 700);
    EXPECT_EQ(editor->Height(), c.least);
    editor->SetWidth(editor->Width() + 900);
    EXPECT_EQ(editor->Width(), editor->frameBase.Width());
    editor->SetHeight(c.least + 1000);
    EXPECT_EQ(editor->Height(), c.least + 1000);
    policy.reset();
    main.reset();
    viewer.reset();
    editor.reset();
  }
}

TEST_F(StandaloneTest, FirstRunQuestionsComeBeforeTheDrawingWindow) {
  Program().FirstRun = true;
  Build();
  std::size_t askedBeforeView = 99;
  main->frmView.OnLoad = [&] { askedBeforeView = prompts.Seen().size(); };
  prompts
      .ExpectMsgBox(
          "What unit of angular measurement would you like to be the default? Yes = Bearing, No = Azimuth.",
          vbYesNo, vbYes, "Initial configuration")
      .ExpectMsgBox(
          "What unit of linear measurement would you like to be the default?  yes = Metric, No = Imperial.",
          vbYesNo, vbNo, "Initial configuration");
  editor->Load();
  EXPECT_EQ(askedBeforeView, 2u);
  EXPECT_TRUE(main->frmView.Visible());
}

TEST_F(StandaloneTest, LaterRunsAskNothing) {
  Program().FirstRun = false;
  Load();
  EXPECT_TRUE(prompts.Seen().empty());
}

// A program folder with its system database and a project.
class CommandLineTest : public StandaloneProjectTest {};

TEST_F(CommandLineTest, AProjectWithoutADrawingShowsTheDrawingItemsOwnCaption) {
  ASSERT_TRUE(CreateProjectDatabase(dir.Path() + "/", "Bare", ""));
  Load(dir.File("Bare.kvx"));
  ASSERT_EQ(Program().ProjectPath, dir.File("Bare.kvx"));
  EXPECT_EQ(Program().DrawingPath, "");
  EXPECT_EQ(main->mnuCurrentCAD.Caption(), "Current drawing file path");
}

TEST_F(CommandLineTest, ProjectOpensFromTheCommandLine) {
  struct Case {
    const char* what;
    std::string commandLine;
  };
  const Case cases[] = {{"plain", project}, {"quoted", "\"" + project + "\""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Program().ProjectPath.clear();
    Load(c.commandLine);
    EXPECT_EQ(Program().ProjectPath, project);
    EXPECT_TRUE(main->mnuEdit.Enabled());
    EXPECT_TRUE(main->mnuRelocateCAD.Enabled());
    EXPECT_TRUE(editor->frameBase.Enabled());
    // No drawing is shown yet.
    EXPECT_FALSE(main->mnuCurrentCAD.Enabled());
    EXPECT_EQ(main->mnuCurrentCAD.Caption(), Program().DrawingPath);
    EXPECT_EQ(main->Caption(), "Korvalo Main - " + main->mnuHistory(0).Caption());
    EXPECT_EQ(editor->Caption(), "Korvalo Editor - " + main->mnuHistory(0).Caption());
    EXPECT_TRUE(editor->TopMost());
    EXPECT_FALSE(editor->Editing());
    policy.reset();
    main.reset();
    viewer.reset();
    editor.reset();
  }
}

TEST_F(CommandLineTest, LowerCaseEndingIsAccepted) {
  std::filesystem::rename(project, dir.File("lower.kvx"));
  Load(dir.File("lower.kvx"));
  EXPECT_EQ(Program().ProjectPath, dir.File("lower.kvx"));
}

// The program stays without a project when the named file is missing, is
// too short a name, or is no project: ProjectPath is not left naming it.
TEST_F(CommandLineTest, NothingOpensFromABadCommandLine) {
  std::ofstream(dir.File("notes.kvx")) << "these are not the parcels you are looking for";
  struct Case {
    const char* what;
    std::string commandLine;
    int messages;
  };
  const Case cases[] = {
      {"four characters", ".kvx", 0},
      {"another ending", dir.File("Lots.mdb"), 0},
      {"missing file", dir.File("Gone.kvx"), 0},
      {"not a project", dir.File("notes.kvx"), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Program().ProjectPath.clear();
    if (c.messages) {
      prompts.ExpectMsgBox("Can't open the project: " + c.commandLine + "\nThe file is not a Korvalo project.", vbOKOnly);
    }
    Build(c.commandLine);
    editor->Load();
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_EQ(Program().ProjectPath, "");
    EXPECT_FALSE(main->mnuEdit.Enabled());
    EXPECT_FALSE(main->mnuOptions.Enabled());
    EXPECT_FALSE(editor->frameBase.Enabled());
    policy.reset();
    main.reset();
    viewer.reset();
    editor.reset();
  }
}

}  // namespace
}  // namespace korvalo::standalone::test
