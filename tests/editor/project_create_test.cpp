#include <filesystem>
#include <fstream>

#include "project_roads_fixture.h"
#include "storage/recent_projects.h"

namespace korvalo::editor::test {
namespace {

using forms::vbNo;
using forms::vbOKOnly;
using forms::vbYes;
using forms::vbYesNo;

constexpr int kFolderQuestion = forms::vbYesNo + forms::vbCritical + forms::vbDefaultButton2;
constexpr const char* kFolderQuestionText =
    "The directory does not exist. Would you like to create the directory?";

class ProjectCreateTest : public ProjectRoadsTest {
 protected:
  windows::FrmCreate& OpenDialog() {
    editor->mnuNew_Click();
    windows::FrmCreate* dialog = editor->CreateDialog();
    EXPECT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->Visible());
    return *dialog;
  }
  void Fill(windows::FrmCreate& dialog, const std::string& name, const std::string& folder,
            const std::string& drawing) {
    dialog.txtProjectName.SetText(name);
    dialog.txtProjectLocation.SetText(folder);
    dialog.txtCADFile.SetText(drawing);
  }
};

// A drawing path of the given length in characters that names no file.
std::string PathOfLength(const std::string& folder, std::size_t length) {
  std::string path = folder + "/";
  path += std::string(length - path.size() - 4, 'd');
  return path + ".dwg";
}

// Each refusal of Create with its message; nothing is created and the
// previous project stays current.
TEST_F(ProjectCreateTest, CreateRefusesWithItsMessages) {
  MakeProject("Taken");
  struct Case {
    std::string label;
    std::string name;
    std::string folder;  // "" the program folder
    std::string drawing;
    std::vector<std::pair<std::string, int>> boxes;  // text, answer
    int buttons;                                     // of the last box
    std::string title;
  };
  const std::string lots = dir.File("Lots.dwg");
  const Case cases[] = {
      {"exists", "Taken", dir.Path(), lots, {{"This project already exists!", forms::vbOK}}, vbOKOnly, ""},
      {"255 characters pass the length test", "P255", dir.Path(), PathOfLength(dir.Path(), 255),
       {{"The AutoCAD file could not be found.", forms::vbOK}}, vbOKOnly, ""},
      {"256 characters", "P256", dir.Path(), PathOfLength(dir.Path(), 256),
       {{"The AutoCAD file name and path must be less than 256 characters.", forms::vbOK}}, vbOKOnly, ""},
      {"missing drawing", "P", dir.Path(), dir.File("Gone.dwg"),
       {{"The AutoCAD file could not be found.", forms::vbOK}}, vbOKOnly, ""},
      {"no drawing, declined", "P", dir.Path(), "",
       {{"No AutoCAD file selected. Would you like to continue?", vbNo}}, vbYesNo, ""},
      {"missing folder, declined", "P", dir.File("New"), lots, {{kFolderQuestionText, vbNo}},
       kFolderQuestion, "Korvalo project settings"},
      {"folder that cannot be made", "P", dir.File("No/Such"), lots, {{kFolderQuestionText, vbYes}, {"Directory cannot be created.", forms::vbOK}},
       vbOKOnly, ""},
      {"name with a separator", "../Escape", dir.Path(), lots,
       {{"The project name cannot hold the characters \"/\" or \"\\\".", forms::vbOK}}, forms::vbExclamation, ""},
      {"name of the parent", "..", dir.Path(), lots,
       {{"The project name \"..\" cannot be used as a file name.", forms::vbOK}}, forms::vbExclamation, ""},
      {"empty name", "", dir.Path(), lots, {{"Please type a name for the project.", forms::vbOK}}, forms::vbExclamation, ""},
      // The box names the project's file and the cause, not the hidden name
      // the file is built under, nor the engine's words.
      {"name of 300 characters", std::string(300, 'N'), dir.Path(), lots,
       {{"The project could not be created: " + dir.File(std::string(300, 'N') + ".kvx") +
             "\nThe project name is too long for a file name: the name and \".kvx\" may have at most 255 bytes.",
         forms::vbOK}},
       forms::vbExclamation, ""},
  };
  LoadEditor();
  const std::string before = MakeProject("Before");
  OpenThroughDialog(before);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    windows::FrmCreate& dialog = OpenDialog();
    Fill(dialog, c.name, c.folder, c.drawing);
    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
      const bool last = i + 1 == c.boxes.size();
      const int buttons = last ? c.buttons : kFolderQuestion;
      const std::string title = last ? c.title : "Korvalo project settings";
      prompts.ExpectMsgBox(c.boxes[i].first, buttons, c.boxes[i].second, title);
    }
    dialog.cmdCreate_Click();
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_EQ(Program().ProjectPath, before);
    EXPECT_TRUE(dialog.Visible());
    dialog.cmdCancel.PerformClick();
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("P.kvx")));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/../Escape.kvx"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("New")));
}

// The recent list cannot be read back after the project was made: the box
// says what the open roads say, that the project is open.
TEST_F(ProjectCreateTest, ACreatedProjectWhoseRecentListCannotBeReadIsOpenAndSaysSo) {
  AddRecentProject(MakeProject("A"));
  AddRecentProject(MakeProject("B"));
  LoadEditor();
  // The list loses its rows behind the program's back while the new
  // project is made current.
  editor->optmodel.OnClick = [](int) { OpenSystemDatabaseByPath(false).Execute("DELETE FROM tblRecentProject"); };
  windows::FrmCreate& dialog = OpenDialog();
  Fill(dialog, "Block 9", dir.Path(), "");
  prompts.ExpectMsgBox("No AutoCAD file selected. Would you like to continue?", vbYesNo, vbYes)
      .ExpectMsgBox(
          "The project is open, but the list of recent projects could not be read. The File menu may not show it.",
          vbOKOnly);
  dialog.cmdCreate_Click();
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(Program().ProjectPath, dir.File("Block 9.kvx"));
  EXPECT_TRUE(editor->Frame1.Enabled());
}

TEST_F(ProjectCreateTest, CreateMakesTheProjectCurrentInGrabModeAndNewest) {
  LoadEditor();
  std::vector<int> clicks;
  editor->optmodel.OnClick = [&](int index) { clicks.push_back(index); };
  windows::FrmCreate& dialog = OpenDialog();
  Fill(dialog, "Block 7", dir.File("Jobs"), dir.File("Lots.dwg"));
  prompts.ExpectMsgBox(kFolderQuestionText, kFolderQuestion, vbYes, "Korvalo project settings");
  dialog.cmdCreate_Click();

  const std::string path = dir.File("Jobs/Block 7.kvx");
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(Program().ProjectPath, path);
  EXPECT_EQ(Program().DrawingPath, dir.File("Lots.dwg"));
  EXPECT_FALSE(dialog.Loaded());
  EXPECT_EQ(dialog.txtProjectName.Text(), "");
  EXPECT_TRUE(editor->optmodel(0).Value());
  EXPECT_EQ(clicks, std::vector<int>{0});
  EXPECT_EQ(Program().RecentProjects[0], path);
  EXPECT_EQ(editor->Caption(), "Korvalo - " + RecentProjectCaption(dir.File("Jobs/"), "Block 7.kvx"));
  EXPECT_TRUE(editor->mnuHistory(0).Enabled());
  EXPECT_TRUE(editor->Frame1.Enabled());
  EXPECT_TRUE(editor->TopMost());

  // Grab mode already selected: the grab switch still runs for the next new
  // project.
  clicks.clear();
  windows::FrmCreate& again = OpenDialog();
  Fill(again, "Block 8", "", "");
  prompts.ExpectMsgBox("No AutoCAD file selected. Would you like to continue?", vbYesNo, vbYes);
  again.cmdCreate_Click();
  EXPECT_EQ(Program().ProjectPath, dir.File("Block 8.kvx"));  // the program folder
  EXPECT_EQ(Program().DrawingPath, "");
  EXPECT_EQ(clicks, std::vector<int>{0});
}

TEST_F(ProjectCreateTest, CreationKeepsTenRecentRowsAndRefusesWhileEditing) {
  for (int i = 0; i < 10; ++i) AddRecentProject(MakeProject("P" + std::to_string(i)));
  LoadEditor();
  windows::FrmCreate& dialog = OpenDialog();
  Fill(dialog, "Newest", dir.Path(), dir.File("Lots.dwg"));
  dialog.cmdCreate_Click();
  const std::vector<RecentProject> rows = ReadRecentProjects();
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[0].name, "Newest.kvx");
  EXPECT_EQ(rows[9].name, "P1.kvx");  // P0 went
  EXPECT_EQ(OpenSystemDatabaseByPath(false).OpenRecordset("tblRecentProject").RecordCount(), 10);

  editor->cmdSave.SetEnabled(true);
  prompts.ExpectMsgBox("Please save the current parcel before opening a new project.", vbOKOnly);
  editor->mnuNew_Click();
}

TEST_F(ProjectCreateTest, AutoNameFillsNameAndFolderFromTheDrawing) {
  std::filesystem::create_directory(dir.File("Jobs"));
  for (const char* f : {"Jobs/Block 7.dwg", "Jobs/Block.7.dwg", "Jobs/Plan"}) std::ofstream(dir.File(f)) << "x";
  struct Case {
    std::string drawing, name, folder;
  };
  const Case cases[] = {{"Jobs/Block 7.dwg", "Block 7", dir.File("Jobs/")},
                        {"Jobs/Block.7.dwg", "Block", dir.File("Jobs/")},
                        {"Jobs/Plan", "", dir.File("Jobs/")}};
  SaveAutoName(true);
  LoadEditor();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.drawing);
    windows::FrmCreate& dialog = OpenDialog();
    EXPECT_EQ(dialog.chkAutoName.Value(), forms::vbChecked);
    prompts.ExpectOpenFile(dir.File(c.drawing));
    forms::testing::UserClick(dialog.cmdBrowseCAD);
    // DXF among the drawing types offered, as Relocate offers it.
    ASSERT_FALSE(prompts.Seen().empty());
    EXPECT_NE(prompts.Seen().back().file.filter.find("DXF Files (*.dxf)|*.dxf"), std::string::npos)
        << prompts.Seen().back().file.filter;
    EXPECT_EQ(dialog.txtCADFile.Text(), dir.File(c.drawing));
    EXPECT_EQ(dialog.txtProjectName.Text(), c.name);
    EXPECT_EQ(dialog.txtProjectLocation.Text(), c.folder);
    EXPECT_EQ(dialog.cmdCreate.Enabled(), !c.name.empty());
    dialog.cmdCancel.PerformClick();
  }
  // A name already typed stays; the unticked box is stored when it closes.
  windows::FrmCreate& dialog = OpenDialog();
  dialog.txtProjectName.SetText("Mine");
  dialog.chkAutoName.SetValue(forms::vbUnchecked);
  prompts.ExpectOpenFile(dir.File("Jobs/Block 7.dwg"));
  forms::testing::UserClick(dialog.cmdBrowseCAD);
  EXPECT_EQ(dialog.txtProjectName.Text(), "Mine");
  EXPECT_EQ(dialog.txtProjectLocation.Text(), "");
  dialog.cmdCancel.PerformClick();
  EXPECT_FALSE(LoadAutoName());
}

TEST_F(ProjectCreateTest, FolderPickerHandsItsFolderToTheDialogAtActivation) {
  std::filesystem::create_directories(dir.File("Jobs/North"));
  LoadEditor();
  windows::FrmCreate& dialog = OpenDialog();
  forms::testing::UserClick(dialog.cmdBrowseLoc);
  windows::FrmDirLocate& picker = editor->DirLocator();
  EXPECT_TRUE(picker.Visible());
  ASSERT_TRUE(picker.OpenFolder(dir.File("Jobs")));
  // The sub-folder chosen in the list opens it; ".." goes back up.
  ASSERT_EQ(picker.Dir1.List(1), "North");
  picker.Dir1.SetListIndex(1);
  EXPECT_EQ(picker.DirPath(), dir.File("Jobs/North"));
  picker.cmdOK.PerformClick();
  EXPECT_FALSE(picker.Visible());
  dialog.Form_Activate();
  EXPECT_EQ(dialog.txtProjectLocation.Text(), dir.File("Jobs/North/"));
  EXPECT_EQ(windows::PickedFolder().ChosenFolder, "");

  // The root gives a single separator; Cancel leaves the folder box.
  ASSERT_TRUE(picker.OpenFolder("/"));
  picker.cmdOK.PerformClick();
  dialog.Form_Activate();
  EXPECT_EQ(dialog.txtProjectLocation.Text(), "/");
  picker.Show();
  picker.cmdCancel.PerformClick();
  dialog.Form_Activate();
  EXPECT_EQ(dialog.txtProjectLocation.Text(), "/");
  dialog.cmdCancel.PerformClick();
  windows::PickedFolder() = {};
}

}  // namespace
}  // namespace korvalo::editor::test
