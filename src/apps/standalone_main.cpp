// The standalone edition's program, KorvaloSA: the frame with the drawing
// window and the floating parcel editor, without a CAD program.

#include <cstdlib>
#include <string>

#include "apps/standalone_startup.h"
#include "apps/standalone_test_input.h"
#include "common/edition.h"
#include "editor/message_boxes.h"
#include "platform/forms/forms.h"
#include "storage/program_state.h"

namespace {

// The editor floats over the other windows through the X11 window manager's
// "above" state. On a Wayland desktop the program asks Qt for its X11
// platform (XWayland) unless the user chose a platform.
void PreferX11() {
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  if (chosen && *chosen) return;
  const char* session = std::getenv("XDG_SESSION_TYPE");
  const bool wayland = std::getenv("WAYLAND_DISPLAY") || (session && std::string(session) == "wayland");
  if (wayland && std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "xcb", 1);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korvalo;
  SetEdition(Edition::Standalone);
  PreferX11();
  forms::Application app(argc, argv);

  Program().ProgramFolder = forms::ProgramFolder();
  editor::ShowStorageMessagesInMessageBoxes();

  int code = 1;
  {
    apps::StandaloneProgram program;
    if (program.RunStartUp(app.CommandLine())) {
      if (const char* image = std::getenv("KORVALO_WINDOW_IMAGE")) {
        for (int i = 0; i < 10; ++i) forms::DoEvents();
        code = forms::SaveWindowImage(*program.Main(), image) ? 0 : 1;
      } else if (const char* script = std::getenv("KORVALO_SA_TEST_INPUT")) {
        code = apps::PlayTestInput(program, script);
      } else if (std::getenv("KORVALO_EXIT_AT_IDLE")) {
        // For measuring and checking the start from outside: end, with 0,
        // once the started windows are up and nothing waits.
        code = app.RunToFirstIdle();
      } else {
        code = app.Run();
      }
    }
  }
  Program().SystemDb.reset();
  return code;
}
