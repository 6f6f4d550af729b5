#pragma once

#include <string>

// The editor window as the CAD link acts on it: its top-most state, its
// minimise and restore around a pick, its computing switch, and the
// File menu's link items. The program adapts the editor window
// (EditorLinkHost in mod_link.h); tests record the calls.
namespace korvalo::cadlink {

class LinkHost {
 public:
  virtual ~LinkHost() = default;
  // Top-most on or off, without moving, sizing or activating the window.
  virtual void SetTopMost(bool on) = 0;
  virtual void Minimize() = 0;
  // Back to the normal window state.
  virtual void Restore() = 0;
  // Lets the window events waiting now run.
  virtual void ProcessPendingEvents() = 0;
  // The editor's CalcEnabled.
  virtual void SetCalcEnabled(bool enabled) = 0;
  // The "Current CAD file path" item.
  virtual void SetCurrentCadCaption(const std::string& caption) = 0;
  virtual void SetCurrentCadEnabled(bool enabled) = 0;
  // Loads the open project's settings again (DrawingPath included) and shows
  // them.
  virtual void ReloadProjectSettings() = 0;
  // Selects the Grab model; nothing while a parcel is being edited. True
  // when the model was not selected before: its handler has then linked.
  virtual bool SelectGrabModel() = 0;
};

}  // namespace korvalo::cadlink
