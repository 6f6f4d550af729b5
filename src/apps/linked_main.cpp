// The linked edition's program: KorvaloA2004, also built as KorvaloA2000 and
// KorvaloR14 (KORVALO_EDITION names the build). The start-up shows the
// splash window, holds the system database for the run, runs the first-run
// step and hands over to the editor window; closing that window ends the
// program.

#include <cstdlib>
#include <string>

#include "apps/startup.h"
#include "common/edition.h"
#include "editor/message_boxes.h"
#include "platform/forms/forms.h"
#include "storage/program_state.h"

int main(int argc, char** argv) {
  using namespace korvalo;
  SetEdition(Edition::KORVALO_EDITION);
  forms::Application app(argc, argv);

  Program().ProgramFolder = forms::ProgramFolder();
  editor::ShowStorageMessagesInMessageBoxes();

  int code = 1;
  {
    apps::LinkedProgram program;
    if (program.RunStartUp(app.CommandLine())) {
      if (const char* image = std::getenv("KORVALO_WINDOW_IMAGE")) {
        // For checking the window by eye on a machine without a screen:
        // write an image of the window and end.
        for (int i = 0; i < 10; ++i) forms::DoEvents();
        code = forms::SaveWindowImage(*program.Editor(), image) ? 0 : 1;
      } else if (std::getenv("KORVALO_EXIT_AT_IDLE")) {
        // For measuring and checking the start from outside: end, with 0,
        // once the started windows are up and nothing waits.
        code = app.RunToFirstIdle();
      } else {
        code = app.Run();
      }
    }
  }
  // The system database is let go while the program's state still stands.
  Program().SystemDb.reset();
  return code;
}
