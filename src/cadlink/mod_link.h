#pragma once

#include "editor/frm_editor.h"
#include "editor/link_services.h"

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

// The link's services as the editor window calls them.
class ModLink : public editor::LinkServices {
 public:
  explicit ModLink(editor::FrmEditor& editor) : editor_(editor) {}
  void EnableProjectUI(bool enabled) override { cadlink::EnableProjectUI(editor_, enabled); }
  void ShowLinkState() override { cadlink::ShowLinkState(editor_); }

 private:
  editor::FrmEditor& editor_;
};

}  // namespace korvalo::cadlink
