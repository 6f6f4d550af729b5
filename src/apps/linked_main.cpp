// The linked edition's program: KorvaloA2004, also built as KorvaloA2000 and
// KorvaloR14 (KORVALO_EDITION names the build). It starts and shows the
// editor window; closing the window ends the program.

#include <cstdlib>
#include <string>

#include "cadlink/mod_link.h"
#include "common/edition.h"
#include "editor/frm_editor.h"
#include "editor/message_boxes.h"
#include "platform/forms/forms.h"
#include "reports/editor_reports.h"
#include "storage/program_state.h"

int main(int argc, char** argv) {
  using namespace korvalo;
  SetEdition(Edition::KORVALO_EDITION);
  forms::Application app(argc, argv);

  ProgramState& program = Program();
  program.ProgramFolder = forms::ProgramFolder();
  program.CourseLimit = CourseLimitFor(CurrentEdition());
  editor::ShowStorageMessagesInMessageBoxes();

  editor::FrmEditor editor(program.CourseLimit);
  cadlink::ModLink link(editor);
  editor.SetLinkServices(&link);
  editor::StartupServices startup;
  startup.commandLine = app.CommandLine();
  editor.SetStartupServices(std::move(startup));
  // The Report menu opens the report window.
  reports::EditorReports reports(editor);

  editor.Load();
  editor.Show();

  // For checking the window by eye on a machine without a screen: write an
  // image of the window and end.
  if (const char* image = std::getenv("KORVALO_WINDOW_IMAGE")) {
    for (int i = 0; i < 10; ++i) forms::DoEvents();
    return forms::SaveWindowImage(editor, image) ? 0 : 1;
  }
  return app.Run();
}
