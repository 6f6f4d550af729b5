#pragma once

#include <memory>
#include <string>

#include "editor/frm_editor.h"
#include "reports/editor_reports.h"
#include "standalone/drawing_link.h"
#include "standalone/frm_main.h"
#include "standalone/frm_main_commands.h"
#include "standalone/standalone_link_services.h"
#include "standalone/standalone_options.h"
#include "standalone/standalone_editor.h"
#include "storage/windows/start_windows.h"

// The start of the standalone edition: 50 course rows, the splash window
// holding "KorvaloPro.zrq" for the run, the first-run step with the
// training-video offer, and the hand-over to the editor, whose load brings
// up the frame and the drawing window.
namespace korvalo::apps {

class StandaloneProgram {
 public:
  StandaloneProgram();
  ~StandaloneProgram();
  StandaloneProgram(const StandaloneProgram&) = delete;
  StandaloneProgram& operator=(const StandaloneProgram&) = delete;

  // False when the program must end now (the system database could not be
  // had, or an error stopped the start; its message shown).
  bool RunStartUp(const std::string& commandLine);

  editor::FrmEditor* Editor() const { return editor_.get(); }
  standalone::FrmMain* Main() const { return main_.get(); }

 private:
  void HandOverToEditor(const std::string& commandLine);

  std::unique_ptr<windows::FrmSplash> splash_;
  std::unique_ptr<editor::FrmEditor> editor_;
  std::unique_ptr<standalone::DrawingLink> viewer_;
  std::unique_ptr<standalone::FrmMain> main_;
  std::unique_ptr<standalone::StandaloneEditor> policy_;
  std::unique_ptr<standalone::StandaloneLinkServices> services_;
  std::unique_ptr<standalone::MainCommands> commands_;
  std::unique_ptr<standalone::StandaloneOptions> options_;
  std::unique_ptr<reports::EditorReports> reports_;
};

}  // namespace korvalo::apps
