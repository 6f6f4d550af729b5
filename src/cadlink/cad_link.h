#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cadlink/cad_link_policy.h"
#include "cadlink/link_host.h"
#include "platform/cad/cad.h"

// The link to the CAD program: attaching to it (or starting it), making the
// project's drawing the open drawing, switching single-document mode around
// picks, picking texts on screen and turning them into tokens, and the File
// menu's "Current CAD file path" and "Relocate CAD file" commands.
//
// Calls into the CAD program can fail at any step. The connection goes on
// after a failed call; the failure stays pending until a step that checks
// for one reports it in a message box (its number and description) and
// clears it. A later failure replaces a pending one; a later success leaves
// it. Messages go through the forms layer's message boxes.
namespace korvalo::cadlink {

// Result of ConnectCAD.
enum CadLinkStatus : int {
  kLinked = 0,          // the project drawing is the open drawing
  kDefaultDrawing = 1,  // it failed to open; "default.dwg" was opened instead
  kCadNotFound = 2,     // the CAD program could neither be reached nor started
  kSeveralDrawings = 3  // two or more drawings were open; the link is refused
};

class CadLink {
 public:
  CadLink(cad::Automation& automation, CadLinkPolicy policy, LinkHost& host);

  // Attaches to the running CAD program or starts one, makes DrawingPath the
  // open drawing (the program folder's "default.dwg" when it fails to open),
  // switches running object snaps off and maximises the CAD windows. The
  // editor is not top-most while this runs and becomes top-most again
  // unless the status is 2 or 3.
  int ConnectCAD();

  // Sets the CAD program's single-document mode (1 for a pick, 0 after).
  // Every failure is ignored. With 1 a CAD program is started when none
  // runs; with 0 it only attaches, so closing the editor or ending a pick
  // never starts one.
  void SetCADSDI(int value);

  // Lets the user select texts in the drawing and returns their tokens, in
  // selection order and text order. Nothing when the pick failed (after a
  // message with the failure's description). The editor is minimised during
  // the pick when the project asks for it, and is always back in its normal
  // state afterwards. CalcEnabled becomes false when tokens came back, true
  // when none did; a failed pick leaves it.
  std::optional<std::vector<std::string>> PickTextsInCad();

  // The tokens of the selection set: entities other than texts and
  // multiline texts are removed from the set first (last to first), then
  // each text is tokenised in set order. Failures propagate (CadError).
  std::vector<std::string> TextsToTokens(cad::SelectionSet& set);

  // "Current CAD file path": link again; the item stays enabled only when
  // linked (status 0).
  void CurrentCadClicked();
  // "Relocate CAD file": choose another drawing, store it as the project's
  // drawing and link again. Cancelling, or choosing a file that does not
  // exist, changes nothing; a failed store says so and keeps the old
  // drawing.
  void RelocateCadClicked();

  // Lets go of the CAD objects (the editor's unload, after SetCADSDI(0)).
  void Release();

  const std::shared_ptr<cad::Application>& AcadApp() const { return app_; }
  const std::shared_ptr<cad::Document>& AcadDoc() const { return doc_; }
  const CadLinkPolicy& Policy() const { return policy_; }

 private:
  template <class F>
  bool Try(F&& call);
  void ShowPending(const std::string& text);
  std::string PendingText() const;

  cad::Automation& automation_;
  CadLinkPolicy policy_;
  LinkHost& host_;
  std::shared_ptr<cad::Application> app_;
  std::shared_ptr<cad::Document> doc_;
  std::optional<cad::CadError> pending_;
};

// Whether two drawing paths name the same file: compared as absolute,
// normalised paths, letter case counting. An empty path names no file.
bool SameDrawing(const std::string& a, const std::string& b);

}  // namespace korvalo::cadlink
