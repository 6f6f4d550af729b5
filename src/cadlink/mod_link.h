#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cadlink/cad_link.h"
#include "cadlink/grab_steps.h"
#include "cadlink/link_host.h"
#include "editor/frm_editor.h"
#include "editor/link_services.h"
#include "platform/cad/cad.h"

// The CAD link's side of the editor window: switching the controls that need
// an open project, showing the linked drawing, the connection, the grabs of
// picked drawing text and the File menu's two drawing items.
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
  bool SelectGrabModel() override;

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
  // A grab: the pick, then the picked tokens placed from the box on.
  void GrabCourseField(editor::GrabField field, int row) override { grab_.GrabCourseField(field, row); }
  void GrabParcelName() override { grab_.GrabParcelName(); }
  // File > Auto CAD link.
  void CurrentCadClicked() override { cad_.CurrentCadClicked(); }
  void RelocateCadClicked() override { cad_.RelocateCadClicked(); }
  // The editor's unload, after SetCADSDI(0).
  void ReleaseCad() override { cad_.Release(); }

  CadLink& Cad() { return cad_; }
  GrabSteps& Grab() { return grab_; }

 private:
  editor::FrmEditor& editor_;
  EditorLinkHost host_;
  CadLink cad_;
  // The one owner of the picked-token queue.
  GrabSteps grab_;
};

}  // namespace korvalo::cadlink
