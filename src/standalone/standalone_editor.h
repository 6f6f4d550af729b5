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

  // Opens the project named on the command line. The project becomes the
  // current one only once its drawing path and settings have been read;
  // otherwise the program stays as it was.
  void OpenCommandLineProject(const std::string& commandLine);

  // --- switches of an editor control and its menu twin ---------------------
  void EnableProjectUI(bool on);
  void ShowLinkState();
  // Lists the open project's parcels and shows the first by name, browsing.
  void Show_Parcels();
  // Rebuilds the frame's recent-project menu and both captions. False when
  // the list could not be read.
  bool FillRecentMenu();
  // Fills the frame's recent-project menu at the editor's load.
  void LoadRecentProjects();

 private:
  void AskInitialConfiguration();
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
