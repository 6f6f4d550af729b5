#pragma once

#include <string>

#include "editor/edition_policy.h"
#include "editor/frm_editor.h"
#include "standalone/viewer_link.h"

// The shared editor window as the standalone edition runs it: the end of its
// load (first-run questions, the drawing window, its place and least height,
// the command line's project), its size rules, the exit question it shares
// with the frame, and the switches that set editor controls together with
// their twins in the frame's menus.
namespace korvalo::standalone {

class FrmMain;

class StandaloneEditor : public editor::EditionPolicy {
 public:
  // Sets itself as the editor's policy and takes over its close.
  StandaloneEditor(editor::FrmEditor& editor, FrmMain& main, ViewerLink& viewer);
  ~StandaloneEditor() override;
  StandaloneEditor(const StandaloneEditor&) = delete;
  StandaloneEditor& operator=(const StandaloneEditor&) = delete;

  void FinishLoad(editor::FrmEditor& editor) override;
  void Resize(editor::FrmEditor& editor) override;

  // --- the focused course box ------------------------------------------------
  // The one record of it: the focus events below keep it, and the drawing
  // link's picks read it and move it on.
  // 1-based row of the course box that last had the focus; 0 for the name
  // box (and at start).
  int FocusRow = 0;
  // That box's code in its row: on a line row 1 the direction, 2 the
  // distance (higher once picks ran past the last row's distance); on an arc
  // row the box's position in the arc entry order (1 the direction).
  int FocusField = 0;
  // 0-based row of the course box or row button that last had the focus;
  // CourseLimit for none. The editor's own CurrentRow.
  int& CurrentRow;
  // Gives the box (row, code) names its normal colour (row 0: the name box).
  void ResetFieldHighlight(int row, int code);
  // A click in a course box or the name box.
  void EnterEditMode();

  // --- the editor's commands -------------------------------------------------
  // Save/New: saves the parcel; a new parcel is followed by the next new one.
  void cmdSave_Click();
  void cmdCancel_Click();
  // Removes course row `index`; the focus and its highlight stay on the
  // course they were on.
  void Delete_Proc(int index);
  // Scrolls the rows so that the focused course is in view.
  void GotoFocusLine();
  void VScroll1_GotFocus();
  void VScroll1_LostFocus();

  // Opens the project named on the command line. The project becomes the
  // current one only once its drawing path and settings have been read;
  // otherwise the program stays as it was.
  void OpenCommandLineProject(const std::string& commandLine);

  // --- switches of an editor control and its menu twin ---------------------
  void EnableProjectUI(bool on);
  void ShowLinkState();
  // Lists the open project's parcels and shows the first by name, browsing.
  void Show_Parcels();
  // The same after Open, with Previous and Next enabled.
  void ShowParcelsAfterOpen();
  // Editing (true) or browsing: the editor's buttons and their menu twins.
  void SetEditing(bool on);
  // The name box and every course row's entry controls.
  void EnableCourseControls(bool on);
  // Drops the parcel being edited: nothing selected, browsing.
  void CancelParcel();
  // The picture between its thumbnail and the whole editor.
  void SizePicture();
  // Reverses the direction of the current course.
  void FlipBearing();

  // --- the edition's steps in the shared editor's commands -------------------
  bool SetEditing(editor::FrmEditor&, bool on) override;
  bool Save(editor::FrmEditor&) override;
  bool Cancel(editor::FrmEditor&) override;
  bool NewParcel(editor::FrmEditor&) override;
  bool EditParcel(editor::FrmEditor&) override;
  bool ZoomPicture(editor::FrmEditor&) override;
  bool DeleteRow(editor::FrmEditor&, int row) override;
  bool ScrollBarFocus(editor::FrmEditor&, bool got) override;
  bool CourseBoxGotFocus(editor::FrmEditor&, editor::GrabField field, int row) override;
  bool CourseBoxLostFocus(editor::FrmEditor&, editor::GrabField, int) override { return true; }
  bool NameBoxGotFocus(editor::FrmEditor&) override;
  bool RowButtonKeepsCurrentRow() const override { return true; }
  bool GrabsWithoutGrabMode() const override { return true; }
  bool AutoButtonFollowsEditing() const override { return true; }
  bool NameBoxNamesStoredParcel() const override { return true; }
  std::string InvalidDirectionNotice() const override;
  // Rebuilds the frame's recent-project menu and both captions. False when
  // the list could not be read.
  bool FillRecentMenu();
  // Fills the frame's recent-project menu at the editor's load.
  void LoadRecentProjects();

 private:
  void AskInitialConfiguration();
  // Sets (or takes off) the editor's MouseMove handlers that end a pan.
  void WirePanEnd(bool on);
  void WireRowMenu();
  void FlipRow(int row);
  // The open project's parcels listed and the first shown, browsing;
  // Previous and Next enabled when asked.
  void ListParcels(bool browseButtons);
  // The box of row k (0-based) that `code` names, by the row's kind now;
  // null for a code that names no box.
  forms::TextBox* FieldBox(int k, int code) const;
  // The rows' heights from row 0 to `last`.
  int RowsHeight(int last) const;
  // The last row of the unbroken run of enabled rows from row 0, up to `limit`.
  int LastEnabledRow(int limit) const;
  editor::FrmEditor& editor_;
  FrmMain& main_;
  ViewerLink& viewer_;
};

// The viewer until the viewer window exists: no drawing is loaded (1), the
// project's settings are the shared loader's and auto-invert the editor's,
// clearing pick marks only puts the editor back on top, and the overview
// windows have no height.
class StandInViewer : public ViewerLink {
 public:
  explicit StandInViewer(editor::FrmEditor& editor) : editor_(editor) {}
  int LoadDrawing(bool force) override;
  void CheckForeColorMenu(int code) override;
  void CheckBackColorMenu() override {}
  void ClearPickMarks() override;
  void BeginViewerGrab(editor::GrabField field, int row) override;
  void BeginViewerGrabName() override {}
  void FinishViewerGrab() override;
  void PlaceOverview(int left, int top, int which) override;
  PixelRect OverviewRect(int which) const override;
  bool LoadProjectSettings() override;
  void AutoInverse() override;

 private:
  editor::FrmEditor& editor_;
  PixelRect rects_[2];
};

}  // namespace korvalo::standalone
