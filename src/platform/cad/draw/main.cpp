// KorvaloDraw: the drawing program the linked edition drives in place of a
// CAD program. "KorvaloDraw FILE..." opens a window on each drawing; without
// files it opens one empty untitled drawing. It answers the link on its
// local socket and ends with its last window.
//
// A second KorvaloDraw started beside a running one ends at once (exit
// status 2).
//
// KORVALO_DRAW_TEST_INPUT=1 in the environment at start lets tests play
// clicks, boxes and keys into a running selection through the socket, and
// hold a call as a busy program would.

#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "platform/cad/cad.h"
#include "platform/cad/draw/draw_app.h"
#include "platform/cad/protocol.h"
#include "platform/forms/forms.h"
#include "platform/viewer/reader.h"

int main(int argc, char** argv) {
  using namespace korvalo;
  // One KorvaloDraw runs for the user's runtime folder: a second one, which
  // could not take the link's socket, ends at once.
  bool anotherRuns = false;
  std::string lockError;
  const std::optional<int> instance = cad::wire::TakeInstanceLock(cad::kProgramId, anotherRuns, lockError);
  if (anotherRuns) {
    std::cerr << "KorvaloDraw: " << lockError << "\n";
    return 2;
  }

  forms::Application app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  // A drawing program always reads drawings: the reader is loaded before
  // the link is answered, so that no call waits for it.
  viewer::LoadReader();

  const char* hook = std::getenv("KORVALO_DRAW_TEST_INPUT");
  draw::DrawApp drawApp(hook && std::string(hook) == "1");

  std::string failures;
  for (int i = 1; i < argc; ++i) {
    try {
      drawApp.OpenWindow(argv[i]);
    } catch (const draw::Failure& f) {
      failures += std::string(argv[i]) + ": " + f.description + "\n";
    }
  }
  if (drawApp.WindowCount() == 0) drawApp.OpenWindow("");

  std::string error = lockError;
  if (!instance || !drawApp.Listen(cad::kProgramId, error)) {
    std::cerr << "KorvaloDraw: the link cannot reach this instance: " << error << "\n";
  }
  if (!failures.empty()) {
    std::cerr << failures;
    forms::MsgBox("These drawings could not be opened:\n" + failures, forms::vbOKOnly | forms::vbExclamation,
                  "KorvaloDraw");
  }
  return app.Run();
}
