#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "../platform/viewer/drawing_files.h"
#include "common/edition.h"
#include "editor/frm_editor.h"
#include "platform/forms/testing.h"
#include "standalone/drawing_link.h"
#include "standalone/frm_main.h"
#include "standalone/frm_view.h"
#include "standalone/standalone_editor.h"
#include "standalone/standalone_state.h"
#include "storage/program_state.h"
#include "storage/system_db.h"
#include "storage/viewer_settings.h"
#include "support/temp_folder.h"

namespace korvalo::standalone::test {

using viewer::testing::DxfText;
using viewer::testing::Eof;
using viewer::testing::Join;
using viewer::testing::LayerTable;
using viewer::testing::Pairs;
using viewer::testing::Section;
using viewer::testing::Text;
using viewer::testing::WriteFile;

// The standalone windows with the real drawing window and its link, over no
// project; the editor loaded and shown.
class ViewerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    ResetStandaloneState();
    ResetViewerSettings();
    SetEdition(Edition::Standalone);
    Program().CourseLimit = 50;
    Program().ProjectSettings.ErrDecimal = 2;
    UseShippedArcPositions(Program().ProjectSettings);
    editor = std::make_unique<editor::FrmEditor>(50);
    link = std::make_unique<DrawingLink>(*editor);
    main = std::make_unique<FrmMain>(*editor, *link);
    link->Attach(*main);
    policy = std::make_unique<StandaloneEditor>(*editor, *main, *link);
    editor::StartupServices startup;
    startup.loadRecentProjects = [this] { main->Load(); };
    editor->SetStartupServices(std::move(startup));
    editor->Load();
    editor->Show();
    editor->ArrangeArcFields();
  }
  void TearDown() override {
    policy.reset();
    main.reset();
    link.reset();
    editor.reset();
    forms::SetActivationHandler({});
    ResetStandaloneState();
    ResetViewerSettings();
    Program().SystemDb.reset();
    ResetProgramState();
  }

  // A DXF of the given layers and entities in the temporary folder.
  std::string Dxf(const std::string& name, const Pairs& layers, const Pairs& entities) {
    const std::string path = folder.File(name);
    WriteFile(path, DxfText(Join({Section("TABLES", layers), Section("ENTITIES", entities)})) + Eof());
    return path;
  }
  int Load(const std::string& path) {
    Program().DrawingPath = path;
    return link->LoadDrawing(true);
  }
  FrmView& View() { return main->frmView; }
  // The editor cleared and open for a new parcel, as while one is entered.
  void Fresh() {
    policy->EnableProjectUI(true);
    editor->ClearEditor();
    // The floating editor's own switch: the name box with the courses.
    policy->EnableCourseControls(true);
    // The name box shows while a new parcel is entered.
    editor->txtParcel.SetVisible(true);
    editor->SetEditing(true);
  }
  // The program folder is the temporary folder, with a fresh system database
  // open (projects can be made then); TearDown lets it go.
  void OpenFreshSystemDatabase() {
    Program().ProgramFolder = folder.Path();
    BuildSystemDatabase(FileBesideProgram("KorvaloPro.zrq"), Edition::Standalone);
    ASSERT_TRUE(OpenSystemDatabase());
  }

  TempFolder folder;
  forms::testing::PromptScript prompts;
  std::unique_ptr<editor::FrmEditor> editor;
  std::unique_ptr<DrawingLink> link;
  std::unique_ptr<FrmMain> main;
  std::unique_ptr<StandaloneEditor> policy;
};

}  // namespace korvalo::standalone::test
