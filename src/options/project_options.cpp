#include "options/project_options.h"

#include "editor/frm_editor.h"
#include "editor/project_events.h"

namespace korvalo::options {

void EditorOptionsHost::SetEditorTopMost(bool on) { editor_.SetTopMost(on); }

void EditorOptionsHost::ProjectSettingsStored() {
  // A refused reload has told the user; the layout and the figures follow
  // the settings in force either way.
  editor_.ReloadProjectSettings();
  editor_.ArrangeArcFields();
  editor_.CalculateAndDraw();
}

ProjectOptions::ProjectOptions(editor::FrmEditor& editor) : editor_(editor), host_(editor), dialog_(host_) {
  openedHandler_ =
      editor::AddProjectEventHandler(editor::ProjectEvent::Opened, [this] { dialog_.ReloadForProject(); });
  editor_.SetProjectOptionsHook([this] { Show(); });
}

ProjectOptions::~ProjectOptions() {
  editor_.SetProjectOptionsHook({});
  editor::RemoveProjectEventHandler(openedHandler_);
}

}  // namespace korvalo::options
