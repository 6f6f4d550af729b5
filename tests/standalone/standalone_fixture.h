#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "common/edition.h"
#include "editor/frm_editor.h"
#include "platform/forms/testing.h"
#include "standalone/frm_main.h"
#include "standalone/standalone_editor.h"
#include "standalone/standalone_state.h"
#include "editor/message_boxes.h"
#include "storage/messages.h"
#include "storage/program_state.h"
#include "storage/project_db.h"
#include "storage/system_db.h"
#include "support/temp_folder.h"

namespace korvalo::standalone::test {

// A viewer whose overview windows have a set size and record where they
// were placed.
class FakeViewer : public StandInViewer {
 public:
  explicit FakeViewer(editor::FrmEditor& editor) : StandInViewer(editor) {}
  void PlaceOverview(int left, int top, int which) override {
    StandInViewer::PlaceOverview(left, top, which);
    rect[which - 1] = PixelRect{left, top, left + width, top + height};
    ++placed;
  }
  PixelRect OverviewRect(int which) const override { return rect[which - 1]; }
  int width = 0;
  int height = 0;
  PixelRect rect[2];
  int placed = 0;
};

// The three windows of the standalone edition over no project, the editor
// loaded as the start-up loads it (which loads the frame and shows the
// drawing window).
class StandaloneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    ResetStandaloneState();
    SetEdition(Edition::Standalone);
    Program().CourseLimit = 50;
    Program().ProjectSettings.ErrDecimal = 2;
  }
  void TearDown() override {
    CloseWindows();
    forms::SetActivationHandler({});
    forms::SetScreenPixelsForTests(0, 0);
    ResetStandaloneState();
    ResetProgramState();
  }

  void Build(const std::string& commandLine = {}) {
    editor = std::make_unique<editor::FrmEditor>(50);
    viewer = std::make_unique<FakeViewer>(*editor);
    main = std::make_unique<FrmMain>(*editor, *viewer);
    policy = std::make_unique<StandaloneEditor>(*editor, *main, *viewer);
    editor::StartupServices startup;
    startup.commandLine = commandLine;
    startup.loadRecentProjects = [this] {
      main->Load();
      policy->LoadRecentProjects();
    };
    editor->SetStartupServices(std::move(startup));
  }
  void Load(const std::string& commandLine = {}) {
    Build(commandLine);
    editor->Load();
  }
  // The windows gone, the policy and the frame first (they act on the
  // editor).
  void CloseWindows() {
    policy.reset();
    main.reset();
    viewer.reset();
    editor.reset();
  }

  forms::testing::PromptScript prompts;
  std::unique_ptr<editor::FrmEditor> editor;
  std::unique_ptr<FakeViewer> viewer;
  std::unique_ptr<FrmMain> main;
  std::unique_ptr<StandaloneEditor> policy;
};

// The windows over a program folder with its system database and an empty
// project "Lots.kvx", which OpenProject opens as the command line does.
class StandaloneProjectTest : public StandaloneTest {
 protected:
  void SetUp() override {
    StandaloneTest::SetUp();
    Program().ProgramFolder = dir.Path();
    BuildSystemDatabase(FileBesideProgram("KorvaloPro.zrq"), Edition::Standalone);
    ASSERT_TRUE(OpenSystemDatabase());
    std::ofstream(dir.File("Lots.dwg")) << "0\nEOF\n";
    std::ofstream(dir.File("default.dwg")) << "0\nEOF\n";
    ASSERT_TRUE(CreateProjectDatabase(dir.Path() + "/", "Lots", dir.File("Lots.dwg")));
    project = dir.File("Lots.kvx");
    editor::ShowStorageMessagesInMessageBoxes();
  }
  void TearDown() override {
    StandaloneTest::TearDown();
    SetMessageSink({});
    Program().SystemDb.reset();
  }
  void OpenProject() {
    Load(project);
    ASSERT_EQ(Program().ProjectPath, project);
  }
  TempFolder dir;
  std::string project;
};

}  // namespace korvalo::standalone::test
