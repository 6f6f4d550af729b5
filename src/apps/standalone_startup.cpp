#include "apps/standalone_startup.h"

#include "apps/start_sequence.h"
#include "common/edition.h"
#include "platform/forms/forms.h"
#include "storage/program_state.h"

namespace korvalo::apps {

using namespace forms;

StandaloneProgram::StandaloneProgram() = default;

StandaloneProgram::~StandaloneProgram() {
  // The commands, the policy and the frame act on the editor: they go first.
  reports_.reset();
  options_.reset();
  commands_.reset();
  if (editor_) editor_->SetLinkServices(nullptr);
  services_.reset();
  policy_.reset();
  main_.reset();
  viewer_.reset();
  editor_.reset();
  splash_.reset();
}

bool StandaloneProgram::RunStartUp(const std::string& commandLine) {
  return RunStartSequence(Edition::Standalone, splash_, [&] { HandOverToEditor(commandLine); });
}

void StandaloneProgram::HandOverToEditor(const std::string& commandLine) {
  editor_ = std::make_unique<editor::FrmEditor>(Program().CourseLimit);
  viewer_ = std::make_unique<standalone::DrawingLink>(*editor_);
  main_ = std::make_unique<standalone::FrmMain>(*editor_, *viewer_);
  viewer_->Attach(*main_);
  policy_ = std::make_unique<standalone::StandaloneEditor>(*editor_, *main_, *viewer_);
  services_ = std::make_unique<standalone::StandaloneLinkServices>(*policy_, *viewer_);
  editor_->SetLinkServices(services_.get());
  commands_ = std::make_unique<standalone::MainCommands>(*editor_, *main_, *policy_, *viewer_);
  options_ = std::make_unique<standalone::StandaloneOptions>(*editor_, *main_, *viewer_);
  reports_ = std::make_unique<reports::EditorReports>(*editor_);
  editor::StartupServices startup;
  startup.commandLine = commandLine;
  // The recent-project menu is the frame's: its first use loads the frame.
  startup.loadRecentProjects = [this] {
    main_->Load();
    policy_->LoadRecentProjects();
  };
  editor_->SetStartupServices(std::move(startup));
  {
    HourglassPointer hourglass;
    editor_->Load();
  }
  editor_->Show();
  splash_->Unload();
}

}  // namespace korvalo::apps
