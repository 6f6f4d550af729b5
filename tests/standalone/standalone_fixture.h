#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/edition.h"
#include "editor/frm_editor.h"
#include "platform/forms/testing.h"
#include "standalone/frm_main.h"
#include "standalone/standalone_editor.h"
#include "standalone/standalone_state.h"
#include "storage/program_state.h"

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
    policy.reset();
    main.reset();
    viewer.reset();
    editor.reset();
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

  forms::testing::PromptScript prompts;
  std::unique_ptr<editor::FrmEditor> editor;
  std::unique_ptr<FakeViewer> viewer;
  std::unique_ptr<FrmMain> main;
  std::unique_ptr<StandaloneEditor> policy;
};

}  // namespace korvalo::standalone::test
