#pragma once

#include <optional>
#include <string>
#include <vector>

#include "editor/link_services.h"

// Where the standalone edition's editor window differs from the linked one:
// the program sets a policy before the load, and without one the window
// keeps the linked edition's ways. The commands below are asked first; a
// policy that returns false leaves the command to the shared editor.
namespace korvalo::editor {

class FrmEditor;

// One control's design in an edition: its container, place and size (a
// negative size keeps the control's own), and where given, its caption and
// tooltip. Array controls name element 0.
struct ControlDesign {
  std::string name;
  // "" for the window itself, else the name of a frame or picture box.
  std::string container;
  int left = 0;
  int top = 0;
  int width = -1;
  int height = -1;
  std::optional<std::string> caption;
  std::optional<std::string> toolTip;
};

// What an edition's editor window looks like, as data applied to the shared
// window before its load.
struct EditionDescriptor {
  std::vector<ControlDesign> controls;
  // Controls the edition does not have: hidden and never shown.
  std::vector<std::string> absent;
  // The window's width and design height in twips.
  int width = 0;
  int height = 0;
  // The direction check's notice; empty keeps the linked edition's question.
  std::string invalidDirectionNotice;
  // Whether the window has its menu bar. Without it the menus stay, unseen,
  // as the twins the commands switch, and the row pop-up is the window's
  // only menu.
  bool menuBar = true;
};

// Lays the window out as the descriptor says.
void ApplyEditionDescriptor(FrmEditor& editor, const EditionDescriptor& descriptor);

class EditionPolicy {
 public:
  virtual ~EditionPolicy() = default;
  // The end of the load, once the grid is built, the window shown and its
  // state set: the first-run questions, the other windows, the window's
  // place and the command line's project.
  virtual void FinishLoad(FrmEditor& editor) = 0;
  // The window's size rules after a change of its size or state.
  virtual void Resize(FrmEditor& editor) = 0;

  // --- commands with the edition's own steps (true: handled) ---------------
  virtual bool SetEditing(FrmEditor&, bool) { return false; }
  virtual bool Save(FrmEditor&) { return false; }
  virtual bool Cancel(FrmEditor&) { return false; }
  virtual bool NewParcel(FrmEditor&) { return false; }
  virtual bool EditParcel(FrmEditor&) { return false; }
  virtual bool ZoomPicture(FrmEditor&) { return false; }
  // Row `row` removed from the grid, with what the edition keeps around it.
  virtual bool DeleteRow(FrmEditor&, int) { return false; }
  // The row scroll bar gaining (true) or losing the focus.
  virtual bool ScrollBarFocus(FrmEditor&, bool) { return false; }

  // --- the focus of the entry boxes (true: handled) -------------------------
  virtual bool CourseBoxGotFocus(FrmEditor&, GrabField, int) { return false; }
  virtual bool CourseBoxLostFocus(FrmEditor&, GrabField, int) { return false; }
  virtual bool NameBoxGotFocus(FrmEditor&) { return false; }
  // Whether the row button keeps the current row when it loses the focus.
  virtual bool RowButtonKeepsCurrentRow() const { return false; }
  // A double-click on a course box or the name box starts a pick without
  // a grab mode: the standalone editor picks from its own drawing window.
  virtual bool GrabsWithoutGrabMode() const { return false; }
  // The direction check's notice for a direction that does not read; empty
  // for the linked edition's question.
  virtual std::string InvalidDirectionNotice() const { return {}; }
  // The name box names a stored parcel too: its text is the name a save
  // checks and stores, and a text other than the list's renames the parcel.
  // Otherwise the list's text is the stored parcel's name.
  virtual bool NameBoxNamesStoredParcel() const { return false; }
  // The Auto button follows the editing state alone: a direction inverted
  // by hand leaves it as it is.
  virtual bool AutoButtonFollowsEditing() const { return false; }
};

}  // namespace korvalo::editor
