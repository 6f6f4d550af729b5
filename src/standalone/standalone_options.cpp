#include "standalone/standalone_options.h"

#include "editor/project_events.h"
#include "standalone/drawing_link.h"
#include "standalone/frm_main.h"
#include "standalone/standalone_state.h"

namespace korvalo::standalone {

void StandaloneOptionsHost::ProjectSettingsStored() {
  // A refused reload has told the user; the rest follows the settings in force.
  link_.LoadProjectSettings();
  link_.CheckForeColorMenu(Standalone().ViewerForeColor);
  link_.CheckBackColorMenu();
  main_.mnuCurrentCAD.SetEnabled(link_.LoadDrawing(true) == 0);
  editor_.ArrangeArcFields();
  editor_.CalculateAndDraw();
}

StandaloneOptions::StandaloneOptions(editor::FrmEditor& editor, FrmMain& main, DrawingLink& link)
    : editor_(editor), host_(editor, main, link) {
  // A dialog never built is not open: there is nothing to reload.
  openedHandler_ = editor::AddProjectEventHandler(editor::ProjectEvent::Opened, [this] {
    if (dialog_) dialog_->ReloadForProject();
  });
  editor_.SetProjectOptionsHook([this] { Dialog().ShowForProject(); });
}

options::FrmSetting& StandaloneOptions::Dialog() {
  if (!dialog_) dialog_ = std::make_unique<options::FrmSetting>(host_);
  return *dialog_;
}

StandaloneOptions::~StandaloneOptions() {
  editor_.SetProjectOptionsHook({});
  editor::RemoveProjectEventHandler(openedHandler_);
}

}  // namespace korvalo::standalone
