#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/message_boxes.h"
#include "platform/dao/dao.h"
#include "platform/shell/shell.h"
#include "reports/editor_reports.h"
#include "standalone/frm_main_commands.h"
#include "standalone/standalone_options.h"
#include "storage/messages.h"
#include "storage/parcel_save.h"
#include "storage/project_open.h"
#include "storage/recent_projects.h"
#include "storage/project_db.h"
#include "storage/project_settings.h"
#include "storage/system_db.h"
#include "support/damaged_projects.h"
#include "viewer_fixture.h"

// The frame's commands: the project roads, the Edit menu, Restore all to
// North, the layer and colour items, Help.
namespace korvalo::standalone::test {
namespace {

using namespace forms;

const std::string kDeg = "\u00B0";

class MainCommandsTest : public ViewerWindowTest {
 protected:
  void SetUp() override {
    ViewerWindowTest::SetUp();
    OpenFreshSystemDatabase();
    drawing = Dxf("Lots.dxf", LayerTable({{"0", 7, 0}}), Text("T1", "0", 0, 0, 2, 0, "LOT 5"));
    viewer::testing::WriteFile(folder.Path() + "/default.dwg", "0\nEOF\n");
    ASSERT_TRUE(CreateProjectDatabase(folder.Path() + "/", "Lots", drawing));
    project = folder.Path() + "/Lots.kvx";
    editor::ShowStorageMessagesInMessageBoxes();
    commands = std::make_unique<MainCommands>(*editor, *main, *policy, *link);
  }
  void TearDown() override {
    commands.reset();
    ViewerWindowTest::TearDown();
    SetMessageSink({});
    Program().SystemDb.reset();
  }
  std::unique_ptr<MainCommands> commands;
  std::string drawing;
  std::string project;
};

TEST_F(MainCommandsTest, OpenKeepsThePreviousProjectUntilTheNewOneReads) {
  // Cancel and a missing file: nothing changes, the editor back on top.
  prompts.ExpectOpenFile(std::nullopt);
  commands->mnuOpen_Click();
  EXPECT_EQ(Program().ProjectPath, "");
  EXPECT_TRUE(editor->TopMost());
  prompts.ExpectOpenFile(folder.Path() + "/Gone.kvx");
  commands->mnuOpen_Click();
  EXPECT_EQ(Program().ProjectPath, "");

  prompts.ExpectOpenFile(project);
  commands->mnuOpen_Click();
  EXPECT_EQ(Program().ProjectPath, project);
  EXPECT_EQ(Program().DrawingPath, drawing);
  EXPECT_TRUE(main->mnuCurrentCAD.Enabled());
  EXPECT_TRUE(View().Dbcocx1.ViewerDrawingOpen());
  EXPECT_EQ(main->Caption(), "Korvalo Main - " + main->mnuHistory(0).Caption());
  EXPECT_TRUE(main->mnuEdit.Enabled());

  // A file that is no project: its message, and the open project stays.
  const std::string notes = folder.Path() + "/notes.kvx";
  viewer::testing::WriteFile(notes, "not a project");
  prompts.ExpectOpenFile(notes).ExpectMsgBox("Can't open the project: " + notes + "\nThe file is not a Korvalo project.",
                                            vbOKOnly);
  commands->mnuOpen_Click();
  EXPECT_EQ(Program().ProjectPath, project);
  EXPECT_EQ(Program().DrawingPath, drawing);

  // While a parcel is edited: only the refusal, on both roads.
  editor->SetEditing(true);
  prompts.ExpectMsgBox(kSaveBeforeNewProject, vbOKOnly).ExpectMsgBox(kSaveBeforeOtherProject, vbOKOnly);
  commands->mnuOpen_Click();
  commands->mnuHistory_Click(0);
  EXPECT_EQ(prompts.Pending(), 0);
}

// Copies of a project harmed so that they cannot be read truly (empty, a
// format or layout that does not read, a courses index that misses a
// parcel): the cause told, the open project kept, the file unchanged. One
// whose header asks for a newer writer opens for viewing and says so.
TEST_F(MainCommandsTest, OpenTellsWhyAHarmedProjectCannotBeRead) {
  ParcelToSave square;
  square.name = "Lot 1";
  for (const std::string& d : {"N0" + kDeg + "E", "N90" + kDeg + "E", "S0" + kDeg + "E", "S90" + kDeg + "W"}) {
    square.rows.push_back(geometry::CourseRow::Line(d, "100"));
  }
  square.rows.resize(50);
  ASSERT_TRUE(SaveNewParcel(ParcelStoreContext{project, 2, 50, Edition::Standalone}, square).has_value());
  prompts.ExpectOpenFile(project);
  commands->mnuOpen_Click();
  ASSERT_EQ(Program().ProjectPath, project);

  int n = 0;
  for (const damaged_projects::Harm& harm : damaged_projects::UnopenableHarms()) {
    SCOPED_TRACE(harm.what);
    const std::string file = folder.Path() + "/Harmed" + std::to_string(n++) + ".kvx";
    std::filesystem::copy_file(project, file);
    harm.apply(file);
    const std::string bytes = damaged_projects::FileBytes(file);
    prompts.ExpectOpenFile(file).ExpectMsgBox(ProjectUnreadableText(file, harm.error), vbOKOnly);
    commands->mnuOpen_Click();
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_EQ(Program().ProjectPath, project);
    EXPECT_EQ(Program().DrawingPath, drawing);
    EXPECT_TRUE(damaged_projects::FileBytes(file) == bytes) << "the file was changed";
  }

  const std::string marked = folder.Path() + "/Marked.kvx";
  std::filesystem::copy_file(project, marked);
  damaged_projects::SetByte(marked, 18, 3);
  const std::string bytes = damaged_projects::FileBytes(marked);
  prompts.ExpectOpenFile(marked).ExpectMsgBox(ReadOnlyFormatProjectText(marked), vbOKOnly + vbInformation);
  commands->mnuOpen_Click();
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(Program().ProjectPath, marked);
  EXPECT_TRUE(damaged_projects::FileBytes(marked) == bytes) << "the file was written";
}

TEST_F(MainCommandsTest, RecentProjectRoad) {
  Program().RecentProjects[0] = folder.Path() + "/Gone.kvx";
  prompts.ExpectMsgBox("Can't open the project: " + folder.Path() + "/Gone.kvx\nThe file does not exist.", vbOKOnly);
  commands->mnuHistory_Click(0);
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(Program().ProjectPath, "");
  Program().RecentProjects[0] = project;
  commands->mnuHistory_Click(0);
  EXPECT_EQ(Program().ProjectPath, project);
  EXPECT_TRUE(main->mnuCurrentCAD.Enabled());
  EXPECT_FALSE(editor->ManualInvert);
}

TEST_F(MainCommandsTest, EditMenuOpeningFollowsTheCurrentRow) {
  Menu* rowItems[] = {&main->mnuDeleteCourse, &main->mnuInsertBefore, &main->mnuInsertAfter, &main->mnuFlipBearing,
                      &main->mnuChangeLineCurve};
  commands->mnuEdit_Click();
  for (Menu* m : rowItems) EXPECT_FALSE(m->Enabled()) << m->Name();
  EXPECT_FALSE(main->mnuNorthing.Enabled());
  policy->EnableProjectUI(true);
  editor->EnableCourseControls(true);
  editor->SetEditing(true);
  editor->CurrentRow = 0;
  commands->mnuEdit_Click();
  for (Menu* m : rowItems) EXPECT_TRUE(m->Enabled()) << m->Name();
  EXPECT_TRUE(main->mnuNorthing.Enabled());
  EXPECT_EQ(main->mnuChangeLineCurve.Caption(), "Change to curve");
  editor->ToggleLineCurve(0);
  commands->mnuEdit_Click();
  EXPECT_EQ(main->mnuChangeLineCurve.Caption(), "Change to line");
  // Insert after on the last row: the limit, nothing changed.
  editor->CurrentRow = 49;
  prompts.ExpectMsgBox("The maximum number of courses is 50.", vbOKOnly);
  commands->mnuInsertAfter_Click();
}

// Edit mode and Flip bearing are the floating editor's own: Edit mode opens
// the name box with the courses, Flip leaves the Auto button as it is.
TEST_F(MainCommandsTest, EditModeAndFlipBearingAreTheFloatingEditors) {
  policy->EnableProjectUI(true);
  policy->EnableCourseControls(false);
  main->mnuEditMode.PerformClick();
  EXPECT_TRUE(editor->txtParcel.Enabled());
  EXPECT_TRUE(editor->txtBearingLine(0).Enabled());
  EXPECT_TRUE(editor->Editing());

  editor->txtBearingLine(0).SetText("N10" + kDeg + "0'0\"E");
  editor->CurrentRow = 0;
  editor->cmdAutoInverse.SetEnabled(true);
  editor->ManualInvert = false;
  main->mnuFlipBearing.PerformClick();
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "S10" + kDeg + "0'0\"W");
  EXPECT_TRUE(editor->ManualInvert);
  EXPECT_TRUE(editor->cmdAutoInverse.Enabled());
}

// This edition's settings load ticks the frame's menus and names the
// direction mode; the Auto button is the editing state's alone.
TEST_F(MainCommandsTest, SettingsLoadLeavesTheAutoButton) {
  Program().ProjectPath = project;
  for (const bool autoInvert : {false, true}) {
    SCOPED_TRACE(autoInvert);
    ASSERT_TRUE(SetProjectSetting(setting::kAutoInvert, dao::Value(autoInvert)));
    for (const bool enabled : {false, true}) {
      editor->cmdAutoInverse.SetEnabled(enabled);
      editor->lblBearing.SetCaption("");
      ASSERT_TRUE(link->LoadProjectSettings());
      EXPECT_EQ(editor->cmdAutoInverse.Enabled(), enabled);
      EXPECT_EQ(main->mnuAutoInvert.Checked(), autoInvert);
      EXPECT_EQ(editor->lblBearing.Caption(), "Bearing");
    }
  }
}

TEST_F(MainCommandsTest, RestoreAllToNorth) {
  struct Case {
    bool bearing;
    std::vector<std::string> before, after;
  };
  // Directions that do not read in the mode (the last two of each) stay as
  // typed, degrees too large for any number included.
  const Case cases[] = {
      {true,
       {"s45" + kDeg + "30'e", "N10" + kDeg + "0'0\"E", "S5" + kDeg + "0'0\"W", "q45" + kDeg + "0'0\"e",
        "s95" + kDeg + "0'0\"e"},
       {"N45" + kDeg + "30'W", "N10" + kDeg + "0'0\"E", "N5" + kDeg + "0'0\"E", "q45" + kDeg + "0'0\"e",
        "s95" + kDeg + "0'0\"e"}},
      {false,
       {"90" + kDeg + "0'0\"", "269" + kDeg + "59'59\"", "89" + kDeg + "0'0\"", "270" + kDeg + "0'0\"",
        "40000" + kDeg + "0'0\"", "180" + kDeg + "75'0\""},
       {"270" + kDeg + "0'0\"", "89" + kDeg + "59'59\"", "89" + kDeg + "0'0\"", "270" + kDeg + "0'0\"",
        "40000" + kDeg + "0'0\"", "180" + kDeg + "75'0\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bearing);
    Program().ProjectSettings.Bearing = c.bearing;
    editor->ClearEditor();
    for (std::size_t r = 0; r < c.before.size(); ++r) {
      editor->txtBearingLine(static_cast<int>(r)).SetText(c.before[r]);
      editor->txtDistanceLine(static_cast<int>(r)).SetText("100");
    }
    editor->ManualInvert = false;
    editor->cmdAutoInverse.SetEnabled(true);
    editor->Result.LastRow = -1;
    commands->mnuNorthing_Click();
    for (std::size_t r = 0; r < c.after.size(); ++r)
      EXPECT_EQ(editor->txtBearingLine(static_cast<int>(r)).Text(), c.after[r]) << r;
    EXPECT_TRUE(editor->ManualInvert);
    // The run's last row is known; this edition's Auto button stays.
    EXPECT_EQ(editor->Result.LastRow, static_cast<int>(c.before.size()) - 1);
    EXPECT_TRUE(editor->cmdAutoInverse.Enabled());
  }
}

TEST_F(MainCommandsTest, HelpOpensTheHelpFileTheEditorsLoadNamed) {
  // The editor was loaded before this program folder was set: its load
  // named the help file of the folder it had then.
  const std::string named = HelpFile();
  ASSERT_NE(named, FileBesideProgram("VORAVidi.hlp"));
  EXPECT_TRUE(named.ends_with("/VORAVidi.hlp"));
  std::vector<std::string> opened;
  const shell::ShellHook previous = shell::SetShellHook([&](const shell::ShellRequest& r) { opened.push_back(r.target); });
  commands->mnuHelp_Click();
  shell::SetShellHook(previous);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], named);
  EXPECT_EQ(main->WindowState(), vbMinimized);
}

// Choosing a colour stores its code and ticks it; the back colour reloads.
TEST_F(MainCommandsTest, ColourItemsStoreTheirCodes) {
  Program().RecentProjects[0] = project;
  commands->mnuHistory_Click(0);
  ASSERT_EQ(Program().ProjectPath, project);
  testing::UserChooseMenu(main->mnuBlack);
  testing::UserChooseMenu(main->mnuFYellow);
  EXPECT_TRUE(main->mnuBlack.Checked());
  EXPECT_FALSE(main->mnuWhite.Checked());
  EXPECT_TRUE(main->mnuFYellow.Checked());
  EXPECT_EQ(Standalone().ViewerForeColor, 2);
  ResetViewerSettings();
  ASSERT_TRUE(LoadStandaloneProjectSettings());
  EXPECT_EQ(Viewer().BackColor, (Rgb{0, 0, 0}));
  EXPECT_EQ(Viewer().ForeColor, 2);
}

// Apply in the options dialog: the colours stored, then read again, the
// menus ticked and the drawing loaded again in them.
TEST_F(MainCommandsTest, OptionsApplyRefreshesTheViewers) {
  StandaloneOptions holder(*editor, *main, *link);
  Program().RecentProjects[0] = project;
  commands->mnuHistory_Click(0);
  ASSERT_EQ(Program().ProjectPath, project);
  options::FrmSetting& dialog = holder.Dialog();
  ASSERT_TRUE(dialog.ShowForProject());
  dialog.optBackColor(2).SetValue(true);
  dialog.optForeColor(0).SetValue(true);
  ASSERT_TRUE(dialog.cmdApply_Click());
  EXPECT_EQ(Viewer().BackColor, (Rgb{255, 255, 0}));
  EXPECT_EQ(Standalone().ViewerForeColor, 14);
  EXPECT_TRUE(main->mnuYellow.Checked());
  EXPECT_TRUE(main->mnuFWhite.Checked());
  EXPECT_FALSE(main->mnuFOriginal.Checked());
  EXPECT_TRUE(main->mnuCurrentCAD.Enabled());
  EXPECT_TRUE(View().Dbcocx1.ViewerDrawingOpen());
  dialog.Unload();
}

// New: the dialog creates the project and the standalone ending opens it
// with its drawing in both viewers.
TEST_F(MainCommandsTest, NewProjectOpensWithItsDrawing) {
  commands->mnuNew_Click();
  windows::FrmCreate* dialog = commands->CreateDialog();
  ASSERT_NE(dialog, nullptr);
  dialog->txtProjectName.SetText("Block 7");
  dialog->txtProjectLocation.SetText(folder.Path());
  dialog->txtCADFile.SetText(drawing);
  dialog->cmdCreate_Click();
  EXPECT_EQ(Program().ProjectPath, folder.Path() + "/Block 7.kvx");
  EXPECT_EQ(Program().DrawingPath, drawing);
  EXPECT_TRUE(View().Dbcocx1.ViewerDrawingOpen());
  EXPECT_TRUE(main->mnuCurrentCAD.Enabled());
  EXPECT_TRUE(main->mnuEdit.Enabled());
  EXPECT_TRUE(main->mnuWhite.Checked());
  EXPECT_TRUE(main->mnuFOriginal.Checked());
  EXPECT_EQ(main->Caption(), "Korvalo Main - " + main->mnuHistory(0).Caption());
  EXPECT_EQ(editor->Caption(), "Korvalo Editor - " + main->mnuHistory(0).Caption());
  // The editor is ready for the first parcel: fields open, editing, nothing
  // to delete, the focus in the name box.
  EXPECT_TRUE(editor->Visible());
  EXPECT_TRUE(editor->txtParcel.Enabled());
  EXPECT_TRUE(editor->txtBearingLine(0).Enabled());
  EXPECT_TRUE(editor->Editing());
  EXPECT_TRUE(editor->NewParcel);
  EXPECT_FALSE(editor->cmdInsert.Enabled());
  EXPECT_FALSE(editor->cmdDelete.Enabled());
  EXPECT_FALSE(main->mnuDeleteParcel.Enabled());
  EXPECT_EQ(editor->ActiveControl(), &editor->txtParcel);
  // The first pick names the parcel.
  View().Dbcocx1.OnViewerMouseDown(vbLeftButton, 1.0, 1.0);
  EXPECT_EQ(editor->txtParcel.Text(), "LOT 5");
}

// New whose drawing cannot be loaded, and New whose recent-project list
// cannot be read: the project is open and ready for its first parcel; the
// drawing item is usable only with a drawing loaded, and both captions name
// the newest project whatever the list.
TEST_F(MainCommandsTest, NewProjectWithABrokenDrawingOrList) {
  const std::string broken = folder.Path() + "/broken.dxf";
  viewer::testing::WriteFile(broken, "this is not a drawing");
  struct Case {
    const char* name;
    bool drawingLoads;
    bool listReads;
  };
  for (const Case c : {Case{"Broken drawing", false, true}, Case{"Broken list", true, false}}) {
    SCOPED_TRACE(c.name);
    editor->SetCaption("before");
    main->SetCaption("before");
    if (!c.listReads) OpenSystemDatabaseByPath(false).Execute("ALTER TABLE tblRecentProject RENAME TO tblGone");
    commands->mnuNew_Click();
    windows::FrmCreate* dialog = commands->CreateDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->txtProjectName.SetText(c.name);
    dialog->txtProjectLocation.SetText(folder.Path());
    dialog->txtCADFile.SetText(c.drawingLoads ? drawing : broken);
    if (!c.drawingLoads) prompts.ExpectMsgBox(kOpenDrawingError, vbOKOnly);
    if (!c.listReads) {
      prompts.ExpectMsgBox("The project was created, but it could not be added to the recent projects.",
                           vbExclamation);
      prompts.ExpectMsgBox(kCreatedListUnreadable, vbOKOnly);
    }
    dialog->cmdCreate_Click();
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_EQ(Program().ProjectPath, folder.Path() + "/" + c.name + ".kvx");
    EXPECT_EQ(main->mnuCurrentCAD.Enabled(), c.drawingLoads);
    // The captions name the new project, also when the list could not be
    // read back (its newest entry is then the project before).
    const std::string caption = RecentProjectCaption(folder.Path() + "/", std::string(c.name) + ".kvx");
    EXPECT_EQ(main->Caption(), "Korvalo Main - " + caption);
    EXPECT_EQ(editor->Caption(), "Korvalo Editor - " + caption);
    EXPECT_TRUE(editor->Editing());
    EXPECT_EQ(editor->ActiveControl(), &editor->txtParcel);
    editor->cmdCancel_Click();
  }
}

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, p)) out += buffer;
    pclose(p);
  }
  return out;
}

// A surveyor's session: the project opens with its plat on both tabs; a new
// parcel is picked off the drawing (one bearing with the right button),
// closes, is saved, and is there when the project is opened again.
TEST_F(MainCommandsTest, PickAParcelOffThePlatAndSaveIt) {
  const std::string plat =
      Dxf("Lots.dxf", LayerTable({{"0", 7, 0}, {"TEXT", 3, 0}}),
          Join({Text("T1", "TEXT", 0, 0, 2, 0, "LOT 7"), Text("T2", "TEXT", 0, 20, 2, 0, "N 0%%D0'0\" E 100.00"),
                Text("T3", "TEXT", 0, 40, 2, 0, "N 90%%D0'0\" E 100.00"),
                Text("T4", "TEXT", 0, 60, 2, 0, "S 0%%D0'0\" E 100.00")}));
  ASSERT_EQ(plat, drawing);
  Program().RecentProjects[0] = project;
  commands->mnuHistory_Click(0);
  ASSERT_EQ(Program().ProjectPath, project);
  EXPECT_TRUE(View().Dbcocx1.ViewerDrawingOpen());
  EXPECT_TRUE(View().Dbcocx2.ViewerDrawingOpen());

  commands->mnuInsertParcel_Click();
  ASSERT_EQ(editor->ActiveControl(), &editor->txtParcel);
  const auto press = [&](int button, double y) { View().Dbcocx1.OnViewerMouseDown(button, 1.0, y + 1.0); };
  press(vbLeftButton, 0);
  press(vbLeftButton, 20);
  press(vbLeftButton, 40);
  View().SSTab1.SetTab(1);
  View().Dbcocx2.OnViewerMouseDown(vbLeftButton, 1.0, 61.0);
  View().Dbcocx2.OnViewerMouseDown(vbRightButton, 1.0, 41.0);
  EXPECT_EQ(editor->txtParcel.Text(), "LOT 7");
  EXPECT_EQ(editor->txtBearingLine(3).Text(), "S90" + kDeg + "0'0\"W");
  EXPECT_EQ(editor->Result.LastRow, 3);
  EXPECT_NEAR(editor->Result.Closure, 0.0, 1e-9);
  EXPECT_NEAR(editor->Result.Area, 10000.0, 1e-6);

  // Save/New: the parcel is stored and an empty one is begun.
  testing::UserChooseMenu(main->mnuSaveParcel);
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "");
  const std::string stored = Shell("sqlite3 '" + project + "' \"SELECT Parcel FROM tblParcel\"");
  // Names shorter than six characters are stored padded in front.
  EXPECT_EQ(stored, " LOT 7\n");
  const std::string courses = Shell("sqlite3 '" + project + "' \"SELECT COUNT(*) FROM tblMeasurements\"");
  EXPECT_EQ(courses, "4\n");

  // The empty new parcel is cancelled before the project is opened again.
  testing::UserClick(editor->cmdCancel);
  EXPECT_FALSE(editor->Editing());
  commands->mnuHistory_Click(0);
  ASSERT_GE(editor->cbxParcel.ListCount(), 1);
  EXPECT_EQ(editor->cbxParcel.List(0), " LOT 7");
}

// A project whose settings row cannot be read (here: it has none) is not
// opened on either road:
// the open project and its settings stay in force; the loader's own message
// is the only one.
TEST_F(MainCommandsTest, UnreadableSettingsKeepTheOpenProject) {
  Program().RecentProjects[0] = project;
  commands->mnuHistory_Click(0);
  ASSERT_EQ(Program().ProjectPath, project);
  const ProjectSettings before = Program().ProjectSettings;

  ASSERT_TRUE(CreateProjectDatabase(folder.Path() + "/", "Broken", drawing));
  const std::string broken = folder.Path() + "/Broken.kvx";
  dao::Database::Open(broken).Execute("DELETE * FROM tblSetting");
  std::vector<std::string> told;
  SetMessageSink([&](const Message& m) { told.push_back(m.text); });
  for (const bool recent : {true, false}) {
    SCOPED_TRACE(recent);
    told.clear();
    if (recent) {
      Program().RecentProjects[1] = broken;
      commands->mnuHistory_Click(1);
    } else {
      prompts.ExpectOpenFile(broken);
      commands->mnuOpen_Click();
    }
    EXPECT_EQ(Program().ProjectPath, project);
    EXPECT_EQ(Program().ProjectSettings, before);
    EXPECT_EQ(told.size(), 1u);
  }
}

// Relocating to the drawing that is loaded keeps the saved views; another
// drawing forgets their corners and opens whole.
TEST_F(MainCommandsTest, RelocationKeepsOrClearsTheSavedViews) {
  Program().RecentProjects[0] = project;
  commands->mnuHistory_Click(0);
  ASSERT_EQ(Program().ProjectPath, project);
  View().Dbcocx1.ViewerZoomWindow(0, 0, 5, 5);
  const SavedView zoomed = Viewer().Views[0];
  ASSERT_TRUE(ViewIsSaved(zoomed));
  prompts.ExpectOpenFile(drawing);
  commands->mnuRelocateCAD_Click();
  EXPECT_EQ(Viewer().Views[0].trx, zoomed.trx);
  const std::string other = Dxf("Other.dxf", LayerTable({{"0", 7, 0}}),
                                Join({Text("O1", "0", 0, 0, 2, 0, "A"), Text("O2", "0", 300, 300, 2, 0, "B")}));
  prompts.ExpectOpenFile(other);
  commands->mnuRelocateCAD_Click();
  // The dialog offers the DXF files among the drawing types.
  ASSERT_FALSE(prompts.Seen().empty());
  EXPECT_NE(prompts.Seen().back().file.filter.find("DXF Files (*.dxf)|*.dxf"), std::string::npos)
      << prompts.Seen().back().file.filter;
  EXPECT_EQ(Program().DrawingPath, other);
  EXPECT_EQ(main->mnuCurrentCAD.Caption(), other);
  EXPECT_TRUE(main->mnuCurrentCAD.Enabled());
  double v[6];
  View().Dbcocx1.ViewerGetView(v[0], v[1], v[2], v[3], v[4], v[5]);
  EXPECT_GT(v[2] - v[0], 300.0);  // the whole drawing
  EXPECT_TRUE(editor->TopMost());
}

// The frame's report items refuse while a parcel is edited and otherwise
// run the editor's own report items.
TEST_F(MainCommandsTest, ReportItemsCheckForAnEditedParcel) {
  std::vector<editor::FrmEditor::ReportItem> opened;
  editor->SetReportOpener([&](editor::FrmEditor::ReportItem item) { opened.push_back(item); });
  editor->SetEditing(true);
  prompts.ExpectMsgBox(kSaveBeforeReports, vbOKOnly).ExpectMsgBox(kSaveBeforeReports, vbOKOnly);
  main->mnuFullReport.PerformClick();
  main->mnuPicReport.PerformClick();
  EXPECT_TRUE(opened.empty());
  editor->SetEditing(false);
  main->mnuSumReport.PerformClick();
  EXPECT_EQ(opened, std::vector<editor::FrmEditor::ReportItem>{editor::FrmEditor::ReportItem::Summary});
  editor->SetReportOpener(nullptr);
}

// The frame's Report menu keeps the editor's place as the editor's own menu
// does: opened again while the picture report has the editor hidden, it
// keeps the place the editor had, and closing shows it there again.
TEST_F(MainCommandsTest, TheReportWindowPutsTheEditorBackOnTheScreen) {
  Program().RecentProjects[0] = project;
  commands->mnuHistory_Click(0);
  ASSERT_EQ(Program().ProjectPath, project);
  reports::EditorReports reports(*editor);
  editor->Move(1500, 750);
  testing::UserChooseMenu(main->mnuReport);
  testing::UserChooseMenu(main->mnuPicReport);
  ASSERT_TRUE(reports.Window().Visible());
  ASSERT_FALSE(editor->Visible());
  testing::UserChooseMenu(main->mnuReport);
  testing::UserClick(reports.Window().cmdClose);
  EXPECT_TRUE(editor->Visible());
  EXPECT_EQ(editor->Top(), 750);
  EXPECT_EQ(editor->Left(), 1500);
}

}  // namespace
}  // namespace korvalo::standalone::test
