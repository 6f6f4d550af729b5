#include "apps/start_sequence.h"

#include <exception>

#include "platform/forms/forms.h"
#include "storage/program_state.h"
#include "storage/recent_projects.h"
#include "storage/system_db.h"
#include "storage/windows/center_form.h"

namespace korvalo::apps {

using namespace forms;

namespace {

// Takes the first-run flag: on the first run the recent-project folders
// that stand for the program folder are rewritten and the training videos
// offered; on later runs they are offered while the system database asks
// for it.
void FirstRunStep() {
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

}  // namespace

bool RunStartSequence(Edition edition, std::unique_ptr<windows::FrmSplash>& splash,
                      const std::function<void()>& handOver) {
  Program().CourseLimit = CourseLimitFor(edition);
  try {
    // The system database the splash opens serves the start's own reads.
    StartUpReads reads;
    splash = std::make_unique<windows::FrmSplash>();
    splash->Load();
    if (!splash->SystemDatabaseOpened()) {
      splash.reset();
      return false;
    }
    splash->Show();
    FirstRunStep();
    handOver();
    return true;
  } catch (const std::exception& e) {
    ShowUnknownError(ErrorNumberOf(e));
    return false;
  }
}

}  // namespace korvalo::apps
