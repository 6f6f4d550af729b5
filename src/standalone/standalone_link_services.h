#pragma once

#include "editor/link_services.h"
#include "standalone/drawing_link.h"
#include "standalone/standalone_editor.h"

// What the editor asks of its surroundings in the standalone edition: the
// project switches are the standalone editor's, and a double-click on a
// course box or the name box starts a grab in the drawing window.
namespace korvalo::standalone {

class StandaloneLinkServices : public editor::LinkServices {
 public:
  StandaloneLinkServices(StandaloneEditor& policy, DrawingLink& link) : policy_(policy), link_(link) {}
  void EnableProjectUI(bool enabled) override { policy_.EnableProjectUI(enabled); }
  void ShowLinkState() override { policy_.ShowLinkState(); }
  void GrabCourseField(editor::GrabField field, int row) override { link_.BeginViewerGrab(field, row); }
  void GrabParcelName() override { link_.BeginViewerGrabName(); }
  void CurrentCadClicked() override { link_.LoadDrawing(true); }

 private:
  StandaloneEditor& policy_;
  DrawingLink& link_;
};

}  // namespace korvalo::standalone
