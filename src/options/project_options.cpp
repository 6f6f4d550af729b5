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

ProjectOptions::ProjectOptions(editor::FrmEditor& editor) : editor_(editor), host_(editor) {
  // A dialog never built is not open: there is nothing to reload.
  openedHandler_ = editor::AddProjectEventHandler(editor::ProjectEvent::Opened, [this] {
    if (dialog_) dialog_->ReloadForProject();
  });
  editor_.SetProjectOptionsHook([this] { Show(); });
}

FrmSetting& ProjectOptions::Dialog() {
  if (!dialog_) dialog_ = std::make_unique<FrmSetting>(host_);
  return *dialog_;
}

ProjectOptions::~ProjectOptions() {
  editor_.SetProjectOptionsHook({});
  editor::RemoveProjectEventHandler(openedHandler_);
}

}  // namespace korvalo::options
