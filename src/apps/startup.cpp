#include "apps/startup.h"

#include "apps/start_sequence.h"
#include "common/edition.h"
#include "platform/forms/forms.h"
#include "storage/program_state.h"

namespace korvalo::apps {

using namespace forms;

LinkedProgram::LinkedProgram() = default;

LinkedProgram::~LinkedProgram() {
  // The report window, the options dialog and the link act on the editor:
  // they go first.
  reports_.reset();
  options_.reset();
  link_.reset();
  editor_.reset();
  splash_.reset();
}

bool LinkedProgram::RunStartUp(const std::string& commandLine) {
  return RunStartSequence(CurrentEdition(), splash_, [&] { HandOverToEditor(commandLine); });
}

void LinkedProgram::HandOverToEditor(const std::string& commandLine) {
  {
    HourglassPointer hourglass;
    editor_ = std::make_unique<editor::FrmEditor>(Program().CourseLimit);
    link_ = std::make_unique<cadlink::ModLink>(*editor_);
    editor_->SetLinkServices(link_.get());
    options_ = std::make_unique<options::ProjectOptions>(*editor_);
    reports_ = std::make_unique<reports::EditorReports>(*editor_);
    editor::StartupServices startup;
    startup.commandLine = commandLine;
    editor_->SetStartupServices(std::move(startup));
    editor_->Load();
  }
  editor_->Show();
  splash_->Unload();
}

}  // namespace korvalo::apps
