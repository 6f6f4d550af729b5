#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>

#include "editor/message_boxes.h"
#include "editor_fixture.h"
#include "platform/dao/dao.h"
#include "storage/messages.h"
#include "storage/project_db.h"
#include "storage/project_settings.h"
#include "storage/schema.h"
#include "storage/system_db.h"
#include "support/temp_folder.h"

namespace korvalo::editor::test {
namespace {

// A running program's surroundings: a program folder with its system
// database held for the run, storage messages shown in message boxes, and a
// loaded editor. Projects are real files made as the program makes them.
class EditorProjectTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Program().ProgramFolder = dir.Path();
    BuildSystemDatabase(FileBesideProgram(SystemDatabaseName(Edition::A2004)), Edition::A2004);
    ASSERT_TRUE(OpenSystemDatabase());
    ShowStorageMessagesInMessageBoxes();
    LoadEditor();
  }
  void TearDown() override {
    SetMessageSink({});
    EditorTest::TearDown();
  }

  std::string NewProject(const std::string& name) {
    EXPECT_TRUE(CreateProjectDatabase(dir.Path() + "/", name, ""));
    return dir.File(name + ".kvx");
  }

  static void Store(const std::string& project, const std::string& assignments) {
    dao::Database db = dao::Database::Open(project);
    db.Execute("UPDATE tblSetting SET " + assignments);
  }

  static bool StoredSwitch(const std::string& project, const std::string& field) {
    dao::Database db = dao::Database::Open(project);
    dao::Recordset rs = db.OpenRecordset("tblSetting", dao::RecordsetType::Snapshot);
    return dao::AsBool(rs.Get(field));
  }

  // What the open roads do with the settings: load and show them, then
  // enable the project's controls.
  void OpenProject(const std::string& project) {
    Program().ProjectPath = project;
    ASSERT_TRUE(editor->ReloadProjectSettings());
    cadlink::EnableProjectUI(*editor, true);
  }

  TempFolder dir;
};

struct Switch {
  const char* field;
  forms::Menu FrmEditor::*item;
  bool ProjectSettings::*member;
};

const Switch kSwitches[] = {
    {"AddAreaCheck", &FrmEditor::mnuVerfyCurves, &ProjectSettings::AddAreaCheck},
    {"AutoInvert", &FrmEditor::mnuAutoInvert, &ProjectSettings::AutoInvert},
    {"TangentCheck", &FrmEditor::mnuVerfyTangent, &ProjectSettings::TangentCheck},
    {"Minimize", &FrmEditor::mnuMiniWindow, &ProjectSettings::Minimize},
};

// The project file made read-only for the rest of the scope. A test run by
// root, to whom file modes mean nothing, acts meanwhile as an unprivileged
// user.
class ReadOnlyProject {
 public:
  ReadOnlyProject(std::string folder, std::string file) : folder_(std::move(folder)), file_(std::move(file)) {
    ::chmod(file_.c_str(), 0444);
    ::chmod(folder_.c_str(), 0555);
    if (::geteuid() == 0) asNobody_ = ::seteuid(65534) == 0;
  }
  ~ReadOnlyProject() {
    if (asNobody_ && ::seteuid(0) != 0) std::abort();
    ::chmod(folder_.c_str(), 0700);
    ::chmod(file_.c_str(), 0644);
  }
  ReadOnlyProject(const ReadOnlyProject&) = delete;
  ReadOnlyProject& operator=(const ReadOnlyProject&) = delete;

  bool Holds() const {
    return ::faccessat(AT_FDCWD, file_.c_str(), R_OK, AT_EACCESS) == 0 &&
           ::faccessat(AT_FDCWD, file_.c_str(), W_OK, AT_EACCESS) != 0;
  }

 private:
  std::string folder_;
  std::string file_;
  bool asNobody_ = false;
};

TEST_F(EditorProjectTest, EachSwitchStoresItsTickAtOnce) {
  const std::string project = NewProject("Lots");
  Store(project, "AddAreaCheck = 0, AutoInvert = 0, TangentCheck = 0, Minimize = 0");
  OpenProject(project);
  for (const Switch& s : kSwitches) {
    SCOPED_TRACE(s.field);
    forms::Menu& item = (*editor).*s.item;
    ASSERT_FALSE(item.Checked());
    for (bool expected : {true, false}) {
      forms::testing::UserChooseMenu(item);
      EXPECT_EQ(item.Checked(), expected);
      EXPECT_EQ(Program().ProjectSettings.*s.member, expected);
      EXPECT_EQ(StoredSwitch(project, s.field), expected);
    }
  }
  // Only its own field: the others are as stored.
  forms::testing::UserChooseMenu(editor->mnuVerfyTangent);
  EXPECT_FALSE(StoredSwitch(project, "AddAreaCheck"));
  EXPECT_FALSE(StoredSwitch(project, "AutoInvert"));
  EXPECT_TRUE(StoredSwitch(project, "TangentCheck"));
  EXPECT_FALSE(StoredSwitch(project, "Minimize"));
  EXPECT_EQ(prompts.Seen().size(), 0u);
}

TEST_F(EditorProjectTest, FailedStoreShowsTheErrorAndKeepsTickAndSetting) {
  const std::string project = NewProject("Lots");
  Store(project, "AddAreaCheck = 1, AutoInvert = 0, TangentCheck = 1, Minimize = 0");
  OpenProject(project);
  const ProjectSettings before = Program().ProjectSettings;

  for (const bool readOnly : {true, false}) {
    SCOPED_TRACE(readOnly ? "read-only file" : "missing file");
    for (const Switch& s : kSwitches) {
      SCOPED_TRACE(s.field);
      forms::Menu& item = (*editor).*s.item;
      const bool tick = item.Checked();
      prompts.ExpectMsgBox(kGeneralErrorMessage, forms::vbOKOnly);
      if (readOnly) {
        ReadOnlyProject locked(dir.Path(), project);
        ASSERT_TRUE(locked.Holds()) << "the project file could not be made read-only";
        forms::testing::UserChooseMenu(item);
      } else {
        Program().ProjectPath = dir.File("Moved away.kvx");
        forms::testing::UserChooseMenu(item);
        Program().ProjectPath = project;
      }
      EXPECT_EQ(prompts.Pending(), 0);
      EXPECT_EQ(item.Checked(), tick);
      EXPECT_EQ(Program().ProjectSettings, before);
    }
  }
  // Nothing reached the file.
  EXPECT_TRUE(StoredSwitch(project, "AddAreaCheck"));
  EXPECT_FALSE(StoredSwitch(project, "AutoInvert"));
  EXPECT_TRUE(StoredSwitch(project, "TangentCheck"));
  EXPECT_FALSE(StoredSwitch(project, "Minimize"));
}

TEST_F(EditorProjectTest, AutoButtonFollowsAutoInvertAndTheEditingState) {
  const std::string project = NewProject("Lots");
  Store(project, "AutoInvert = 0");
  OpenProject(project);
  ASSERT_TRUE(editor->cmdAutoInverse.Enabled());

  struct Step {
    const char* what;
    bool editing;
    bool expectedAutoInvert;
    bool expectedButton;
  };
  const Step steps[] = {
      {"on while editing", true, true, false},
      {"off while editing", true, false, true},
      {"on while reviewing", false, true, false},
      {"off while reviewing", false, false, false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    editor->cmdSave.SetEnabled(step.editing);
    forms::testing::UserChooseMenu(editor->mnuAutoInvert);
    EXPECT_EQ(Program().ProjectSettings.AutoInvert, step.expectedAutoInvert);
    EXPECT_EQ(editor->cmdAutoInverse.Enabled(), step.expectedButton);
  }

  // A failed store keeps auto-invert on, so the button stays off even while
  // editing.
  forms::testing::UserChooseMenu(editor->mnuAutoInvert);
  ASSERT_TRUE(Program().ProjectSettings.AutoInvert);
  editor->cmdSave.SetEnabled(true);
  Program().ProjectPath = dir.File("Moved away.kvx");
  prompts.ExpectMsgBox(kGeneralErrorMessage, forms::vbOKOnly);
  forms::testing::UserChooseMenu(editor->mnuAutoInvert);
  EXPECT_TRUE(editor->mnuAutoInvert.Checked());
  EXPECT_TRUE(Program().ProjectSettings.AutoInvert);
  EXPECT_FALSE(editor->cmdAutoInverse.Enabled());
}

TEST_F(EditorProjectTest, LoadShowsTheProjectsSettingsInTheEditor) {
  // An azimuth project with every switch on, opened first.
  const std::string azimuth = NewProject("Azimuths");
  Store(azimuth, "Bearing = 0, AddAreaCheck = 1, AutoInvert = 1, TangentCheck = 1, Minimize = 1");
  OpenProject(azimuth);
  EXPECT_EQ(editor->lblBearing.Caption(), "Azimuth");
  EXPECT_FALSE(editor->cmdAutoInverse.Enabled());
  for (const Switch& s : kSwitches) EXPECT_TRUE(((*editor).*s.item).Checked()) << s.field;

  // Then a file of a version without Bearing and DegreeSymbol: bearing mode.
  const std::string old = dir.File("Old.kvx");
  {
    dao::TableDef table = schema::ProjectSettingTable(Edition::A2004);
    table.fields.resize(20);
    dao::Database db = dao::Database::Create(old);
    db.CreateTable(table);
    db.Execute(
        "INSERT INTO tblSetting (txtArc, txtChord, txtRadius, txtBearing, ErrDecimal, AutoCADFile, "
        "AddAreaCheck, AutoInvert, TangentCheck, Minimize) VALUES (2, 3, 4, 1, 2, '', 1, 0, 0, 1)");
  }
  OpenProject(old);
  EXPECT_EQ(editor->lblBearing.Caption(), "Bearing");
  EXPECT_TRUE(editor->cmdAutoInverse.Enabled());
  EXPECT_TRUE(editor->mnuVerfyCurves.Checked());
  EXPECT_FALSE(editor->mnuAutoInvert.Checked());
  EXPECT_FALSE(editor->mnuVerfyTangent.Checked());
  EXPECT_TRUE(editor->mnuMiniWindow.Checked());
  EXPECT_EQ(Program().ProjectSettings.DegreeSymbol, "%%D");
}

TEST_F(EditorProjectTest, RefusedLoadLeavesTheEditorAsItWas) {
  const std::string project = NewProject("Azimuths");
  Store(project, "Bearing = 0, AddAreaCheck = 0, AutoInvert = 1, TangentCheck = 0, Minimize = 1");
  OpenProject(project);

  const std::string missing = dir.File("Gone.kvx");
  Program().ProjectPath = missing;
  prompts.ExpectMsgBox("The settings of the project " + missing +
                           " cannot be read, so the project was not opened.\nCould not find file '" +
                           missing + "'",
                       forms::vbOKOnly + forms::vbExclamation);
  EXPECT_FALSE(editor->ReloadProjectSettings());
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(editor->lblBearing.Caption(), "Azimuth");
  EXPECT_FALSE(editor->cmdAutoInverse.Enabled());
  EXPECT_FALSE(editor->mnuVerfyCurves.Checked());
  EXPECT_TRUE(editor->mnuAutoInvert.Checked());
  EXPECT_FALSE(editor->mnuVerfyTangent.Checked());
  EXPECT_TRUE(editor->mnuMiniWindow.Checked());
}

TEST_F(EditorProjectTest, ADamagedArcOrderIsToldOnceAndTheGridStaysUsable) {
  const std::string project = NewProject("Damaged");
  Store(project, "txtBearing = 1, txtArc = 3, txtChord = 3, txtRadius = 4, ToolTipOn = 0");
  prompts.ExpectMsgBox(kUnsoundArcPositionsMessage, forms::vbOKOnly + forms::vbExclamation);
  OpenProject(project);
  EXPECT_EQ(prompts.Pending(), 0);
  // The settings reload laid the focus order out and cleared the tooltips.
  EXPECT_EQ(editor->txtArc(0).TabIndex(), editor->txtBearingArc(0).TabIndex() + 1);
  EXPECT_EQ(editor->txtArc(3).ToolTipText(), "");

  editor->ClearEditor();
  const std::array<std::string, 4> shipped = {"txtBearing", "txtArc", "txtChord", "txtRadius"};
  EXPECT_EQ(editor->ArcFieldOrder(), shipped);
  EXPECT_EQ(editor->txtArc(0).Left(), 2160);
  EXPECT_EQ(editor->txtChord(0).Left(), 3960);
  EXPECT_EQ(editor->txtRadius(0).Top(), 460);
}

}  // namespace
}  // namespace korvalo::editor::test
