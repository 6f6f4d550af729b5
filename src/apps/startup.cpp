#include "apps/startup.h"

#include <exception>

#include "common/edition.h"
#include "platform/forms/forms.h"
#include "storage/program_state.h"
#include "storage/recent_projects.h"
#include "storage/system_db.h"
#include "storage/windows/center_form.h"

namespace korvalo::apps {

using namespace forms;

LinkedProgram::LinkedProgram() = default;

LinkedProgram::~LinkedProgram() {
  // The options dialog and the link act on the editor: they go first.
  options_.reset();
  link_.reset();
  editor_.reset();
  splash_.reset();
}

bool LinkedProgram::RunStartUp(const std::string& commandLine) {
  Program().CourseLimit = CourseLimitFor(CurrentEdition());
  try {
    splash_ = std::make_unique<windows::FrmSplash>();
    splash_->Load();
    if (!splash_->SystemDatabaseOpened()) {
      splash_.reset();
      return false;
    }
    splash_->Show();
    FirstRunStep();
    HandOverToEditor(commandLine);
    return true;
  } catch (const std::exception& e) {
    ShowUnknownError(ErrorNumberOf(e));
    return false;
  }
}

void LinkedProgram::FirstRunStep() {
  ProgramState& program = Program();
  program.FirstRun = TakeFirstRunFlag();
  bool offer = program.FirstRun;
  if (program.FirstRun) {
    FixSampleProjectFolders();
  } else {
    offer = VideoPromptWanted();
  }
  if (!offer) return;
  windows::FrmVideoOptions videos;
  windows::CenterForm(videos);
  videos.Show(vbModal);
}

void LinkedProgram::HandOverToEditor(const std::string& commandLine) {
  {
    HourglassPointer hourglass;
    editor_ = std::make_unique<editor::FrmEditor>(Program().CourseLimit);
    link_ = std::make_unique<cadlink::ModLink>(*editor_);
    editor_->SetLinkServices(link_.get());
    options_ = std::make_unique<options::ProjectOptions>(*editor_);
    editor::StartupServices startup;
    startup.commandLine = commandLine;
    editor_->SetStartupServices(std::move(startup));
    editor_->Load();
  }
  editor_->Show();
  splash_->Unload();
}

}  // namespace korvalo::apps
