#pragma once

#include <memory>

#include "editor/frm_editor.h"
#include "options/frm_setting.h"

// The project options dialog in the standalone edition: after Apply the
// settings with the drawing colours and views are read again, the colour
// menus ticked, the drawing loaded again in its colours, the arc inputs laid
// out and the parcel recomputed, in that order.
namespace korvalo::standalone {

class FrmMain;
class DrawingLink;

class StandaloneOptionsHost : public options::OptionsHost {
 public:
  StandaloneOptionsHost(editor::FrmEditor& editor, FrmMain& main, DrawingLink& link)
      : editor_(editor), main_(main), link_(link) {}
  void SetEditorTopMost(bool on) override { editor_.SetTopMost(on); }
  void ProjectSettingsStored() override;

 private:
  editor::FrmEditor& editor_;
  FrmMain& main_;
  DrawingLink& link_;
};

// Holds the dialog for the run; Options > "Project options" shows it and
// every project road reloads it while it is open. The dialog's window is
// built at its first use, not at the start.
class StandaloneOptions {
 public:
  StandaloneOptions(editor::FrmEditor& editor, FrmMain& main, DrawingLink& link);
  ~StandaloneOptions();
  StandaloneOptions(const StandaloneOptions&) = delete;
  StandaloneOptions& operator=(const StandaloneOptions&) = delete;
  options::FrmSetting& Dialog();

 private:
  editor::FrmEditor& editor_;
  StandaloneOptionsHost host_;
  std::unique_ptr<options::FrmSetting> dialog_;
  int openedHandler_ = 0;
};

}  // namespace korvalo::standalone
