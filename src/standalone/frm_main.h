#pragma once

#include <memory>

#include "editor/frm_editor.h"
#include "platform/forms/forms.h"
#include "standalone/frm_view.h"
#include "standalone/viewer_link.h"
#include "storage/windows/start_windows.h"

// The standalone edition's frame: a maximised window carrying every menu of
// the edition, whose inner area holds the drawing window. The parcel editor
// is not inside it: it floats over it as a window of its own, top-most while
// the program is the active application, and follows the frame when it is
// minimised and restored.
namespace korvalo::standalone {

class FrmMain : public forms::Form {
 public:
  // The editor and the viewer are the program's; not owned.
  FrmMain(editor::FrmEditor& editor, ViewerLink& viewer);
  ~FrmMain() override;

  editor::FrmEditor& Editor() const { return editor_; }
  ViewerLink& Viewer() const { return viewer_; }

  // The two arrangements of the Windows menu: the editor at the frame's
  // left edge with the drawing window beside it, or the editor at its least
  // height over the maximised drawing window. The overview windows go under
  // the editor, or just above it when below would leave the screen. While
  // the frame is maximised it is not grown.
  void ArrangeSplitView();
  void ArrangeNativeView();

  // Help > About: the frame (and with it the editor) minimised, the About
  // window shown; closing it restores the editor, whose Resize brings the
  // frame back.
  void mnuAbout_Click();
  // The About window while one is open.
  windows::FrmAbout* About() const { return about_.get(); }

  // The drawing window, the frame's only child window.
  FrmView frmView;

  // --- menus ----------------------------------------------------------------
  forms::Menu mnuFile;
  forms::Menu mnuNew;
  forms::Menu mnuOpen;
  forms::Menu mnuDividFile1;
  forms::Menu mnuCADLink;
  forms::Menu mnuRelocateCAD;
  forms::Menu mnuCurrentCAD;
  forms::Menu mnuDivideFile2;
  forms::ControlArray<forms::Menu> mnuHistory;
  forms::Menu mnuDividFile2;
  forms::Menu mnuExit;

  forms::Menu mnuEdit;
  forms::Menu mnuSaveParcel;
  forms::Menu mnuCancelParcel;
  forms::Menu mnuEditMode;
  forms::Menu mnuDeleteParcel;
  forms::Menu mnuInsertParcel;
  forms::Menu mnuDivideEdit1;
  forms::Menu mnuDeleteCourse;
  forms::Menu mnuInsertBefore;
  forms::Menu mnuInsertAfter;
  forms::Menu mnuFlipBearing;
  forms::Menu mnuDividEdit2;
  forms::Menu mnuChangeLineCurve;
  forms::Menu mnuNorthing;

  forms::Menu mnuView;
  forms::Menu mnuSizePicture;
  forms::Menu mnuMiniWin;
  forms::Menu mnuRefresh;
  forms::Menu mnuDividView1;
  forms::Menu mnuBackColour;
  forms::Menu mnuWhite;
  forms::Menu mnuBlack;
  forms::Menu mnuYellow;
  forms::Menu mnuBlue;
  forms::Menu mnuForeColour;
  forms::Menu mnuFOriginal;
  forms::Menu mnuFWhite;
  forms::Menu mnuFBlack;
  forms::Menu mnuFYellow;
  forms::Menu mnuFBlue;

  forms::Menu mnuOptions;
  forms::Menu mnuSetting;
  forms::Menu mnuVerfyCurves;
  forms::Menu mnuAutoInvert;
  forms::Menu mnuVerfyTangent;
  forms::Menu mnuMiniWindow;

  forms::Menu mnuReport;
  forms::Menu mnuFullReport;
  forms::Menu mnuSumReport;
  forms::Menu mnuPicReport;

  forms::Menu mnuWindows;
  forms::Menu mnuNativeView;
  forms::Menu mnuSplitVertical;

  forms::Menu mnuHelpMain;
  forms::Menu mnuHelp;
  forms::Menu mnuVideos;
  forms::Menu mnuVideoQuick;
  forms::Menu mnuVideoFullTraining;
  forms::Menu mnuVideoConfg;
  forms::Menu mnuAbout;
  forms::Menu mnuFAQ;
  forms::Menu mnuSupport;
  forms::Menu mnuComment;
  forms::Menu mnuWebsite;

  // The layer pop-ups of the two viewers; never in the menu bar.
  forms::ControlArray<forms::Menu> mnuLayerMain;
  forms::ControlArray<forms::Menu> mnuLayer1;
  forms::ControlArray<forms::Menu> mnuLayer2;

 private:
  void Form_Load();
  void Form_QueryUnload(int& cancel);
  void Form_Resize();
  void Form_Unload();
  // Steps shared by both arrangements: the frame grown to hold the editor
  // (unless maximised), then the overview windows placed from `left`, `top`
  // (pixels), kept on the screen.
  void GrowFrameForEditorHeight();
  void GrowFrameForEditorWidth();
  void PlaceOverviews(int left, int top, int overviewHeight);

  editor::FrmEditor& editor_;
  ViewerLink& viewer_;
  std::unique_ptr<windows::FrmAbout> about_;
};

}  // namespace korvalo::standalone
