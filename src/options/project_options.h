#pragma once

#include <memory>

#include "options/frm_setting.h"

namespace korvalo::editor {
class FrmEditor;
}

// The project options dialog in the linked program: Options > "Project
// options" of the editor shows it, and every road that makes another
// project current reloads it while it is open.
namespace korvalo::options {

// The editor as the dialog sees it.
class EditorOptionsHost : public OptionsHost {
 public:
  explicit EditorOptionsHost(editor::FrmEditor& editor) : editor_(editor) {}
  void SetEditorTopMost(bool on) override;
  // Settings read again and shown, arc inputs laid out, parcel recomputed.
  void ProjectSettingsStored() override;

 private:
  editor::FrmEditor& editor_;
};

// Holds the dialog for the run. Made after the editor and gone before it;
// the dialog's window is built at its first use, not at the start.
class ProjectOptions {
 public:
  explicit ProjectOptions(editor::FrmEditor& editor);
  ~ProjectOptions();
  ProjectOptions(const ProjectOptions&) = delete;
  ProjectOptions& operator=(const ProjectOptions&) = delete;

  // What the menu does once the editor is out of the top-most state.
  void Show() { Dialog().ShowForProject(); }
  FrmSetting& Dialog();

 private:
  editor::FrmEditor& editor_;
  EditorOptionsHost host_;
  std::unique_ptr<FrmSetting> dialog_;
  int openedHandler_ = 0;
};

}  // namespace korvalo::options
