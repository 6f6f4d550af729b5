#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cadlink/cad_link.h"
#include "cadlink/link_host.h"
#include "editor/frm_editor.h"
#include "editor/link_services.h"
#include "platform/cad/cad.h"

// The AutoCAD link's side of the editor window: switching the controls that
// need an open project, and showing the linked drawing. The connection to
// AutoCAD itself is reached through this module as it grows.
namespace korvalo::cadlink {

// Sets Enabled of every editor control that needs an open project: the
// parcel, result, row-operation and grid frames, both mode options, the zoom
// button and the picture, and the Edit, View, Options and Report menus with
// the two CAD-file items and "Full picture".
void EnableProjectUI(editor::FrmEditor& editor, bool enabled);

// Makes the editor top-most (without moving, sizing or activating it),
// enables "Relocate CAD file" and shows the drawing path as the caption of
// the current-CAD-file item.
void ShowLinkState(editor::FrmEditor& editor);

// The editor window as the CAD link acts on it.
class EditorLinkHost : public LinkHost {
 public:
  explicit EditorLinkHost(editor::FrmEditor& editor) : editor_(editor) {}
  void SetTopMost(bool on) override;
  void Minimize() override;
  void Restore() override;
  void ProcessPendingEvents() override;
  void SetCalcEnabled(bool enabled) override;
  void SetCurrentCadCaption(const std::string& caption) override;
  void SetCurrentCadEnabled(bool enabled) override;
  void ReloadProjectSettings() override;
  void SelectGrabModel() override;

 private:
  editor::FrmEditor& editor_;
};

// The link's services as the editor window calls them. The CAD program is
// the machine's (cad::SystemAutomation) unless one is given; the policy is
// the current edition's.
class ModLink : public editor::LinkServices {
 public:
  explicit ModLink(editor::FrmEditor& editor);
  ModLink(editor::FrmEditor& editor, cad::Automation& automation);
  void EnableProjectUI(bool enabled) override { cadlink::EnableProjectUI(editor_, enabled); }
  void ShowLinkState() override { cadlink::ShowLinkState(editor_); }

  // Project open, the Grab model and the menus link through this.
  int ConnectCAD() override { return cad_.ConnectCAD(); }
  // Before and after a pick, and at the editor's unload (with 0).
  void SetCADSDI(int value) override { cad_.SetCADSDI(value); }
  // The course fields' double-clicks in the Grab model.
  std::optional<std::vector<std::string>> PickTextsInCad() { return cad_.PickTextsInCad(); }
  // File > Auto CAD link.
  void mnuCurrentCAD_Click() { cad_.CurrentCadClicked(); }
  void mnuRelocateCAD_Click() { cad_.RelocateCadClicked(); }
  // The editor's unload, after SetCADSDI(0).
  void ReleaseCad() override { cad_.Release(); }

  CadLink& Cad() { return cad_; }

 private:
  editor::FrmEditor& editor_;
  EditorLinkHost host_;
  CadLink cad_;
};

}  // namespace korvalo::cadlink
