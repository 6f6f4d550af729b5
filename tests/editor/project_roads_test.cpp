#include <array>
#include <filesystem>
#include <string>
#include <vector>
#include <fstream>

#include "common/utf8.h"
#include "editor/project_events.h"
#include "storage/project_open.h"
#include "storage/windows/start_windows.h"
#include "project_roads_fixture.h"
#include "storage/recent_projects.h"

namespace korvalo::editor::test {
namespace {

using forms::vbOKOnly;

constexpr const char* kSaveBeforeOpening = "Please save the current parcel before opening another project.";
constexpr const char* kSaveBeforeNew = "Please save the current parcel before opening a new project.";

std::string Caption(const std::string& path) {
  return RecentProjectCaption(path.substr(0, path.size() - FileNameOf(path).size()), FileNameOf(path));
}

TEST_F(ProjectRoadsTest, EmptyListLeavesNoRecentProjectsDisabledUntilAProjectOpens) {
  LoadEditor();
  EXPECT_EQ(editor->mnuHistory.Count(), 1);
  EXPECT_EQ(editor->mnuHistory(0).Caption(), "No recent projects");
  EXPECT_FALSE(editor->mnuHistory(0).Enabled());
  EXPECT_EQ(editor->Caption(), "Korvalo");

  const std::string path = MakeProject("Block 7", dir.File("Lots.dwg"));
  OpenThroughDialog(path);
  EXPECT_EQ(Program().ProjectPath, path);
  EXPECT_EQ(Program().DrawingPath, dir.File("Lots.dwg"));
  EXPECT_TRUE(editor->mnuHistory(0).Enabled());
  EXPECT_EQ(editor->mnuHistory(0).Caption(), Caption(path));
  EXPECT_EQ(editor->mnuHistory(0).Caption().substr(0, 7), "/t/.../");
  EXPECT_EQ(editor->Caption(), "Korvalo - " + Caption(path));
  EXPECT_TRUE(editor->Frame1.Enabled());
  EXPECT_TRUE(editor->mnuCurrentCAD.Enabled());  // linked
}

TEST_F(ProjectRoadsTest, MenuShowsTheTenNewestAndAReopenMovesToTheTop) {
  std::vector<std::string> paths;
  for (int i = 0; i < 12; ++i) {
    paths.push_back(MakeProject("P" + std::to_string(i)));
    AddRecentProject(paths.back());
  }
  LoadEditor();
  ASSERT_EQ(editor->mnuHistory.Count(), 10);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(Program().RecentProjects[static_cast<std::size_t>(i)], paths[static_cast<std::size_t>(11 - i)]);
    EXPECT_EQ(editor->mnuHistory(i).Caption(), Caption(paths[static_cast<std::size_t>(11 - i)]));
  }

  // P5 again: one row, now the newest.
  OpenThroughDialog(paths[5]);
  EXPECT_EQ(Program().RecentProjects[0], paths[5]);
  EXPECT_EQ(Program().RecentProjects[1], paths[11]);
  std::vector<RecentProject> rows = ReadRecentProjects();
  int p5 = 0;
  for (const RecentProject& r : rows) p5 += r.name == "P5.kvx" ? 1 : 0;
  EXPECT_EQ(p5, 1);

  // A file named in other letters is another file (as the file system
  // has it): a row of its own beside P5's.
  std::string other = paths[5];
  other.replace(other.size() - 6, 6, "p5.KVX");
  std::filesystem::copy_file(paths[5], other);
  OpenThroughDialog(other);
  EXPECT_EQ(Program().RecentProjects[0], other);
  EXPECT_EQ(Program().RecentProjects[1], paths[5]);
}

// Each road that opens an existing file, against a missing file, a file that
// is no project, a file of the older schema and a parcel being edited. The
// project open before is "Before"; it stays current whenever the open fails.
TEST_F(ProjectRoadsTest, OpenRoadsKeepThePreviousProjectWhenTheOpenFails) {
  enum class Road { Recent, Open };
  enum class File { Missing, NotAProject, Damaged, Older, WhileEditing };
  struct Case {
    Road road;
    File file;
  };
  const Case cases[] = {{Road::Recent, File::Missing},   {Road::Open, File::Missing},
                        {Road::Recent, File::NotAProject}, {Road::Open, File::NotAProject},
                        {Road::Recent, File::Damaged},   {Road::Open, File::Damaged},
                        {Road::Recent, File::Older},     {Road::Open, File::Older},
                        {Road::Recent, File::WhileEditing}, {Road::Open, File::WhileEditing}};
  const auto damaged = [](const std::string& path) {
    return "Can't open the project: " + path + "\nThe file is damaged.";
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    const std::string before = MakeProject("Before" + std::to_string(n), dir.File("Lots.dwg"));
    std::string target;
    switch (c.file) {
      case File::Missing:
        target = dir.File("Gone" + std::to_string(n) + ".kvx");
        break;
      case File::NotAProject:
        target = dir.File("Junk" + std::to_string(n) + ".kvx");
        std::ofstream(target) << "not a database";
        break;
      case File::Damaged:
        // A project cut short, as a failed copy leaves it.
        target = MakeProject("Cut" + std::to_string(n));
        std::filesystem::resize_file(target, std::filesystem::file_size(target) - 1000);
        break;
      case File::Older:
        target = MakeOlderProject("Older" + std::to_string(n));
        break;
      case File::WhileEditing:
        target = MakeProject("Other" + std::to_string(n));
        break;
    }
    // The target is entry 1 of the menu, the project before entry 0.
    AddRecentProject(target);
    LoadEditor();
    OpenThroughDialog(before);
    ASSERT_EQ(Program().ProjectPath, before);
    ASSERT_EQ(Program().RecentProjects[1], target);
    const std::string captionBefore = editor->Caption();

    int closing = 0;
    const int id = AddProjectEventHandler(ProjectEvent::Closing, [&] { ++closing; });
    if (c.file == File::WhileEditing) editor->cmdSave.SetEnabled(true);
    if (c.road == Road::Recent) {
      if (c.file == File::Missing) prompts.ExpectMsgBox("Can't open the project: " + target + "\nThe file does not exist.", vbOKOnly);
      if (c.file == File::NotAProject) prompts.ExpectMsgBox(ProjectUnreadableText(target, 3343), vbOKOnly);
      if (c.file == File::Damaged) prompts.ExpectMsgBox(damaged(target), vbOKOnly);
      if (c.file == File::WhileEditing) prompts.ExpectMsgBox(kSaveBeforeOpening, vbOKOnly);
      editor->mnuHistory_Click(1);
    } else if (c.file == File::WhileEditing) {
      prompts.ExpectMsgBox(kSaveBeforeNew, vbOKOnly);
      editor->mnuOpen_Click();
    } else {
      prompts.ExpectOpenFile(target);
      if (c.file == File::NotAProject) prompts.ExpectMsgBox(ProjectUnreadableText(target, 3343), vbOKOnly);
      if (c.file == File::Damaged) prompts.ExpectMsgBox(damaged(target), vbOKOnly);
      editor->mnuOpen_Click();
    }
    RemoveProjectEventHandler(id);
    EXPECT_EQ(prompts.Pending(), 0);

    if (c.file == File::Older) {
      EXPECT_EQ(Program().ProjectPath, target);
      EXPECT_TRUE(HasNonTang(target));
      EXPECT_EQ(closing, 1);
      EXPECT_EQ(Program().RecentProjects[0], target);
    } else {
      EXPECT_EQ(Program().ProjectPath, before);
      EXPECT_EQ(Program().DrawingPath, dir.File("Lots.dwg"));
      EXPECT_EQ(editor->Caption(), captionBefore);
      EXPECT_EQ(closing, 0);
    }
    editor.reset();
    link.reset();
    ++n;
  }
}

// A project whose settings row does not read is told and not opened, on
// every road: the previous project stays current with its settings, and the
// caption, the recent list and the menus stay as they were.
TEST_F(ProjectRoadsTest, AProjectWithUnreadableSettingsIsNotOpened) {
  enum class Road { Recent, Open, CommandLine };
  for (const Road road : {Road::Recent, Road::Open, Road::CommandLine}) {
    SCOPED_TRACE(static_cast<int>(road));
    const std::string suffix = std::to_string(static_cast<int>(road));
    const std::string before = MakeProject("Before" + suffix, dir.File("Lots.dwg"));
    const std::string bad = MakeProject("Bad" + suffix);
    {
      dao::Database db = dao::Database::Open(bad);
      db.Execute("UPDATE tblSetting SET ErrDecimal = NULL");
    }
    AddRecentProject(bad);
    LoadEditor();
    OpenThroughDialog(before);
    ASSERT_EQ(Program().ProjectPath, before);
    Program().ProjectSettings.ErrDecimal = 5;  // the previous project's own value
    const std::string captionBefore = editor->Caption();
    const std::array<std::string, kRecentProjectCount> recentBefore = Program().RecentProjects;
    const bool editMenuBefore = editor->mnuEdit.Enabled();

    std::vector<std::string> told;
    const forms::PromptHandler script = forms::SetPromptHandler([&](const forms::Prompt& p) {
      if (p.kind == forms::PromptKind::OpenFile) return forms::PromptAnswer{0, bad, nullptr};
      told.push_back(p.text);
      return forms::PromptAnswer{forms::vbOK, {}, nullptr};
    });
    int closing = 0, opened = 0;
    const int closingId = AddProjectEventHandler(ProjectEvent::Closing, [&] { ++closing; });
    const int openedId = AddProjectEventHandler(ProjectEvent::Opened, [&] { ++opened; });
    switch (road) {
      case Road::Recent: editor->mnuHistory_Click(1); break;
      case Road::Open: editor->mnuOpen_Click(); break;
      case Road::CommandLine: editor->OpenProjectFromCommandLine(bad); break;
    }
    RemoveProjectEventHandler(closingId);
    RemoveProjectEventHandler(openedId);
    forms::SetPromptHandler(script);

    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("cannot be read, so the project was not opened"), std::string::npos) << told[0];
    EXPECT_EQ(Program().ProjectPath, before);
    EXPECT_EQ(Program().DrawingPath, dir.File("Lots.dwg"));
    EXPECT_EQ(Program().ProjectSettings.ErrDecimal, 5);
    EXPECT_EQ(editor->Caption(), captionBefore);
    EXPECT_EQ(Program().RecentProjects, recentBefore);
    EXPECT_EQ(editor->mnuEdit.Enabled(), editMenuBefore);
    EXPECT_EQ(closing, 0);
    EXPECT_EQ(opened, 0);
    editor.reset();
    link.reset();
  }
}

TEST_F(ProjectRoadsTest, CancelledOpenDialogChangesNothing) {
  LoadEditor();
  prompts.ExpectOpenFile(std::nullopt);
  editor->mnuOpen_Click();
  EXPECT_EQ(Program().ProjectPath, "");
  EXPECT_FALSE(editor->Frame1.Enabled());
}

TEST_F(ProjectRoadsTest, RecentRoadSelectsReviewAndRunsItsHandler) {
  const std::string path = MakeProject("Lots", dir.File("Lots.dwg"));
  AddRecentProject(path);
  LoadEditor();
  std::vector<int> clicks;
  editor->optmodel.OnClick = [&](int index) { clicks.push_back(index); };
  editor->optmodel(0).SetValue(true);
  clicks.clear();
  editor->ManualInvert = true;
  editor->txtPrevious.SetText("Lot 9");
  editor->mnuHistory_Click(0);
  EXPECT_EQ(Program().ProjectPath, path);
  EXPECT_TRUE(editor->optmodel(1).Value());
  // Marking the option ran the handler; it does not run a second time (it
  // would load the first parcel twice).
  EXPECT_EQ(clicks, (std::vector<int>{1}));
  EXPECT_FALSE(editor->ManualInvert);
  EXPECT_EQ(editor->txtPrevious.Text(), "");

  // Open leaves the option pair as it is and runs the handler once.
  editor->optmodel(0).SetValue(true);
  clicks.clear();
  OpenThroughDialog(path);
  EXPECT_TRUE(editor->optmodel(0).Value());
  EXPECT_EQ(clicks, (std::vector<int>{1}));
}

// A project whose first parcel cannot be read: the roads load it once, so
// the message comes once, from the Grab model and from the Review model.
TEST_F(ProjectRoadsTest, AnUnreadableFirstParcelIsToldOnceOnEveryRoad) {
  const std::string path = MakeProject("Damaged", dir.File("Lots.dwg"));
  {
    dao::Database db = dao::Database::Open(path);
    db.Execute("INSERT INTO tblParcel (Parcel) VALUES (' Lot 1')");
    db.Execute("INSERT INTO tblMeasurements (ParcelID, RowNo, RowType, Direction, Length) "
               "SELECT ParcelID, NULL, 0, 'N', 1 FROM tblParcel");
  }
  AddRecentProject(path);
  for (const bool fromGrab : {true, false}) {
    for (const int road : {0, 1, 2}) {
      SCOPED_TRACE(std::to_string(fromGrab) + " " + std::to_string(road));
      LoadEditor();
      if (fromGrab) {
        OpenThroughDialog(MakeProject("Before" + std::to_string(road) + std::to_string(fromGrab)));
        editor->optmodel(0).SetValue(true);
      }
      int told = 0;
      const forms::PromptHandler script = forms::SetPromptHandler([&](const forms::Prompt& p) {
        if (p.kind == forms::PromptKind::OpenFile) return forms::PromptAnswer{0, path, nullptr};
        if (p.text.find("The parcel could not be read.") != std::string::npos) ++told;
        return forms::PromptAnswer{forms::vbOK, {}, nullptr};
      });
      if (road == 0) editor->mnuHistory_Click(fromGrab ? 1 : 0);
      if (road == 1) editor->mnuOpen_Click();
      if (road == 2) editor->OpenProjectFromCommandLine(path);
      forms::SetPromptHandler(script);
      EXPECT_EQ(Program().ProjectPath, path);
      EXPECT_EQ(told, 1);
      editor.reset();
      link.reset();
    }
  }
}

TEST_F(ProjectRoadsTest, UnreadableRecentListKeepsTheProjectOpenAndSaysSo) {
  const std::string a = MakeProject("A");
  const std::string b = MakeProject("B");
  AddRecentProject(a);
  AddRecentProject(b);
  LoadEditor();
  ASSERT_EQ(editor->mnuHistory.Count(), 2);
  // The list lost its rows behind the program's back: after the open it
  // holds one row for two entries.
  OpenSystemDatabaseByPath(false).Execute("DELETE FROM tblRecentProject");
  prompts.ExpectMsgBox(
      "The project is open, but the list of recent projects could not be read. The File menu may "
      "not show it.",
      vbOKOnly);
  editor->mnuHistory_Click(1);
  EXPECT_EQ(Program().ProjectPath, a);
  EXPECT_TRUE(editor->Frame1.Enabled());
}

TEST_F(ProjectRoadsTest, CommandLineOpensOnlyAnExistingKvxFile) {
  const std::string lots = MakeProject("Lots", dir.File("Lots.dwg"));
  const std::string mixed = dir.File("Mixed.KvX");
  std::filesystem::copy_file(lots, mixed);
  const std::string older = MakeOlderProject("Older");
  struct Case {
    std::string commandLine;
    std::string opened;  // empty: no project
  };
  const Case cases[] = {
      {"\"" + lots + "\"", lots},
      {mixed, mixed},
      {older, older},
      {lots + ".bak", ""},
      {".kvx", ""},
      {dir.File("Gone.kvx"), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    Program().ProjectPath.clear();
    LoadEditor(c.commandLine);
    EXPECT_EQ(Program().ProjectPath, c.opened);
    EXPECT_EQ(editor->Frame1.Enabled(), !c.opened.empty());
    if (!c.opened.empty()) {
      EXPECT_EQ(editor->Caption(), "Korvalo - " + Caption(c.opened));
      EXPECT_TRUE(HasNonTang(c.opened));
    }
    editor.reset();
    link.reset();
  }
}

TEST_F(ProjectRoadsTest, CommandLineProjectThatCannotBeReadIsReportedAndNotCurrent) {
  const std::string junk = dir.File("Junk.kvx");
  std::ofstream(junk) << "not a database";
  prompts.ExpectMsgBox(ProjectUnreadableText(junk, 3343), vbOKOnly);
  LoadEditor(junk);
  EXPECT_EQ(Program().ProjectPath, "");
  EXPECT_FALSE(editor->Frame1.Enabled());
}

TEST_F(ProjectRoadsTest, OptionsMenuItemsFollowWhetherAProjectIsOpen) {
  LoadEditor();
  editor->mnuOptions_Click();
  for (forms::Menu* item : {&editor->mnuSetting, &editor->mnuVerfyCurves, &editor->mnuAutoInvert,
                            &editor->mnuVerfyTangent, &editor->mnuMiniWindow}) {
    EXPECT_FALSE(item->Enabled()) << item->Name();
  }
  OpenThroughDialog(MakeProject("Lots"));
  editor->mnuOptions_Click();
  EXPECT_TRUE(editor->mnuSetting.Enabled());
  EXPECT_TRUE(editor->mnuMiniWindow.Enabled());

  int shown = 0;
  editor->SetProjectOptionsHook([&] { ++shown; });
  editor->cmdSave.SetEnabled(true);  // not refused while editing
  forms::testing::UserChooseMenu(editor->mnuSetting);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(editor->TopMost());
}

TEST_F(ProjectRoadsTest, HelpMenuHandsItsTargetsToTheShell) {
  LoadEditor();
  editor->Show();
  struct Case {
    void (FrmEditor::*handler)();
    std::string target;
    int show;
  };
  const Case cases[] = {
      {&FrmEditor::mnuFAQ_Click, shell::kFaqPage, shell::SW_SHOWNORMAL},
      {&FrmEditor::mnuSupport_Click, std::string("mailto:") + shell::kSupportAddress, shell::SW_SHOW},
      {&FrmEditor::mnuComment_Click, std::string("mailto:") + shell::kCommentsAddress, shell::SW_SHOW},
      {&FrmEditor::mnuWebsite_Click, shell::kHomePage, shell::SW_SHOWNORMAL},
      {&FrmEditor::mnuVideoQuick_Click, dir.File("ZE-Veza Demo.exe"), shell::SW_SHOWNORMAL},
      {&FrmEditor::mnuVideoConfg_Click, dir.File("ZE-Veza Options.exe"), shell::SW_SHOWNORMAL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    editor->SetWindowState(forms::vbNormal);
    opened.clear();
    (editor.get()->*c.handler)();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, c.target);
    EXPECT_EQ(opened[0].showCommand, c.show);
    EXPECT_EQ(editor->WindowState(), forms::vbMinimized);
  }
  opened.clear();
  editor->SetWindowState(forms::vbNormal);
  editor->mnuHelp_Click();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].target, dir.File("ZIVidi.hlp"));
}

TEST_F(ProjectRoadsTest, AboutShowsTheVersionAndTheCredits) {
  LoadEditor();
  prompts.ExpectModal("frmAbout", [](forms::Form& form) {
    auto& about = static_cast<windows::FrmAbout&>(form);
    EXPECT_EQ(about.lblVersion.Caption(), "Version: 1.8.6");
    EXPECT_EQ(about.lblACAD_Version.Caption(), "For AutoCAD 2004");
    EXPECT_NE(about.txtCredits.Caption().find("\n\t"), std::string::npos);
    // Every credit shows: the box is as high as its text, and the OK button
    // and the window's edge are below it.
    EXPECT_NE(about.txtCredits.Caption().find("Testing"), std::string::npos);
    EXPECT_LE(about.txtCredits.CaptionHeight(), about.txtCredits.Height());
    EXPECT_LE(about.txtCredits.Top() + about.txtCredits.Height(), about.cmdOk.Top());
    EXPECT_LE(about.cmdOk.Top() + about.cmdOk.Height(), about.ScaleHeight());
    about.cmdOk.PerformClick();
  });
  editor->mnuAbout_Click();
  EXPECT_EQ(prompts.Pending(), 0);
}

}  // namespace
}  // namespace korvalo::editor::test
