#pragma once

#include <memory>
#include <string>

#include "cadlink/mod_link.h"
#include "editor/frm_editor.h"
#include "options/project_options.h"
#include "reports/editor_reports.h"
#include "storage/windows/start_windows.h"

// The start of the linked edition: the course capacity, the splash window
// (which opens the system database for the run and so keeps a second
// instance out), the first-run step with the training-video offer, and the
// hand-over to the editor window, which owns the rest of the run.
namespace korvalo::apps {

class LinkedProgram {
 public:
  LinkedProgram();
  ~LinkedProgram();
  LinkedProgram(const LinkedProgram&) = delete;
  LinkedProgram& operator=(const LinkedProgram&) = delete;

  // Runs the start. False when the program must end now: the system
  // database could not be had (its message shown, no window left), or an
  // error stopped the start (reported in the unknown-error box).
  bool RunStartUp(const std::string& commandLine);

  // The editor window once the start handed over to it.
  editor::FrmEditor* Editor() const { return editor_.get(); }
  cadlink::ModLink* Link() const { return link_.get(); }

 private:
  void HandOverToEditor(const std::string& commandLine);

  std::unique_ptr<windows::FrmSplash> splash_;
  std::unique_ptr<editor::FrmEditor> editor_;
  std::unique_ptr<cadlink::ModLink> link_;
  // Options > "Project options"; gone before the editor it builds on.
  std::unique_ptr<options::ProjectOptions> options_;
  // The Report menu's window; gone before the editor.
  std::unique_ptr<reports::EditorReports> reports_;
};

}  // namespace korvalo::apps
