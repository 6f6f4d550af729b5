#include "standalone/frm_main.h"

#include <exception>

#include "standalone/activation.h"
#include "standalone/standalone_state.h"

// The frame: its menus, load, size, close and the About command. The window
// arrangements are in frm_main_arrange.cpp.
namespace korvalo::standalone {

using namespace forms;

FrmMain::FrmMain(editor::FrmEditor& editor, ViewerLink& viewer)
    : Form("frmMain"),
      mnuFile(*this, "mnuFile", "&File"),
      mnuNew(mnuFile, "mnuNew", "&New"),
      mnuOpen(mnuFile, "mnuOpen", "&Open"),
      mnuDividFile1(mnuFile, "mnuDividFile1", "-"),
      mnuCADLink(mnuFile, "mnuCADLink", "Drawing file link"),
      mnuRelocateCAD(mnuCADLink, "mnuRelocateCAD", "Re&locate drawing file"),
      mnuCurrentCAD(mnuCADLink, "mnuCurrentCAD", "Current drawing file path"),
      mnuDivideFile2(mnuFile, "mnuDivideFile2", "-"),
      mnuHistory(mnuFile, "mnuHistory", "No recent projects"),
      mnuDividFile2(mnuFile, "mnuDividFile2", "-"),
      mnuExit(mnuFile, "mnuExit", "E&xit"),
      mnuEdit(*this, "mnuEdit", "&Edit"),
      mnuSaveParcel(mnuEdit, "mnuSaveParcel", "&Save parcel"),
      mnuCancelParcel(mnuEdit, "mnuCancelParcel", "&Cancel parcel"),
      mnuEditMode(mnuEdit, "mnuEditMode", "Edit mode"),
      mnuDeleteParcel(mnuEdit, "mnuDeleteParcel", "&Delete parcel"),
      mnuInsertParcel(mnuEdit, "mnuInsertParcel", "&Insert parcel"),
      mnuDivideEdit1(mnuEdit, "mnuDivideEdit1", "-"),
      mnuDeleteCourse(mnuEdit, "mnuDeleteCourse", "Delete course"),
      mnuInsertBefore(mnuEdit, "mnuInsertBefore", "Insert before"),
      mnuInsertAfter(mnuEdit, "mnuInsertAfter", "Insert after"),
      mnuFlipBearing(mnuEdit, "mnuFlipBearing", "Flip &bearing"),
      mnuDividEdit2(mnuEdit, "mnuDividEdit2", "-"),
      mnuChangeLineCurve(mnuEdit, "mnuChangeLineCurve", "Change to curve"),
      mnuNorthing(mnuEdit, "mnuNorthing", "Restore all to North"),
      mnuView(*this, "mnuView", "&View"),
      mnuSizePicture(mnuView, "mnuSizePicture", "Full picture"),
      mnuMiniWin(mnuView, "mnuMiniWin", "Minimize window"),
      mnuRefresh(mnuView, "mnuRefresh", "Refresh"),
      mnuDividView1(mnuView, "mnuDividView1", "-"),
      mnuBackColour(mnuView, "mnuBackColour", "Drawing Back Colour"),
      mnuWhite(mnuBackColour, "mnuWhite", "White"),
      mnuBlack(mnuBackColour, "mnuBlack", "Black"),
      mnuYellow(mnuBackColour, "mnuYellow", "Yellow"),
      mnuBlue(mnuBackColour, "mnuBlue", "Blue"),
      mnuForeColour(mnuView, "mnuForeColour", "Drawing Fore Colour"),
      mnuFOriginal(mnuForeColour, "mnuFOriginal", "Original"),
      mnuFWhite(mnuForeColour, "mnuFWhite", "White"),
      mnuFBlack(mnuForeColour, "mnuFBlack", "Black"),
      mnuFYellow(mnuForeColour, "mnuFYellow", "Yellow"),
      mnuFBlue(mnuForeColour, "mnuFBlue", "Blue"),
      mnuOptions(*this, "mnuOptions", "O&ptions"),
      mnuSetting(mnuOptions, "mnuSetting", "Project options"),
      mnuVerfyCurves(mnuOptions, "mnuVerfyCurves", "Verify area in curves"),
      mnuAutoInvert(mnuOptions, "mnuAutoInvert", "Auto invert"),
      mnuVerfyTangent(mnuOptions, "mnuVerfyTangent", "Verify tangential curves"),
      mnuMiniWindow(mnuOptions, "mnuMiniWindow", "Minimize during grab"),
      mnuReport(*this, "mnuReport", "&Report"),
      mnuFullReport(mnuReport, "mnuFullReport", "Full report"),
      mnuSumReport(mnuReport, "mnuSumReport", "Summary report"),
      mnuPicReport(mnuReport, "mnuPicReport", "Picture report"),
      mnuWindows(*this, "mnuWindows", "&Windows"),
      mnuNativeView(mnuWindows, "mnuNativeView", "Native view"),
      mnuSplitVertical(mnuWindows, "mnuSplitVertical", "Split vertical"),
      mnuHelpMain(*this, "mnuHelpMain", "&Help"),
      mnuHelp(mnuHelpMain, "mnuHelp", "Help"),
      mnuVideos(mnuHelpMain, "mnuVideos", "&Training videos"),
      mnuVideoQuick(mnuVideos, "mnuVideoQuick", "&Quick start video"),
      mnuVideoFullTraining(mnuVideos, "mnuVideoFullTraining", "Full training video"),
      mnuVideoConfg(mnuVideos, "mnuVideoConfg", "Configuration video"),
      mnuAbout(mnuHelpMain, "mnuAbout", "About Korvalo"),
      mnuFAQ(mnuHelpMain, "mnuFAQ", "FA&Q online"),
      mnuSupport(mnuHelpMain, "mnuSupport", "Email support"),
      mnuComment(mnuHelpMain, "mnuComment", "Email comments"),
      mnuWebsite(mnuHelpMain, "mnuWebsite", "Korvalo website"),
      mnuLayerMain(*this, "mnuLayerMain", ""),
      mnuLayer1(mnuLayerMain(0), "mnuLayer1", ""),
      mnuLayer2(mnuLayerMain.Load(1), "mnuLayer2", ""),
      editor_(editor),
      viewer_(viewer) {
  SetCaption("Korvalo");
  SetBackColor(vbApplicationWorkspace);
  MakeMdiFrame(*this);
  SetMdiParent(frmView, *this);

  mnuWhite.SetChecked(true);
  mnuFOriginal.SetChecked(true);
  mnuLayerMain(0).SetVisible(false);
  mnuLayerMain(1).SetVisible(false);

  OnLoad = [this] { Form_Load(); };
  OnQueryUnload = [this](int& cancel, int) { Form_QueryUnload(cancel); };
  OnResize = [this] { Form_Resize(); };
  OnUnload = [this](int&) { Form_Unload(); };

  mnuExit.OnClick = [this](int) { Unload(); };
  mnuAbout.OnClick = [this](int) { mnuAbout_Click(); };
  mnuNativeView.OnClick = [this](int) { ArrangeNativeView(); };
  mnuSplitVertical.OnClick = [this](int) { ArrangeSplitView(); };
}

FrmMain::~FrmMain() {
  UnhookMainWindow(*this);
  about_.reset();
}

void FrmMain::Form_Load() {
  StandaloneState& state = Standalone();
  // The menu icons of the layer items come with the layer menus.
  state.GrabbedTokens.clear();
  state.PixelsPerTwip = static_cast<double>(ScreenHeightPixels()) / ScreenHeight();
  SetWindowState(vbMaximized);
  Show(vbModeless);
  DoEvents();
  state.ViewerForeColor = kForeColourOriginal;
  state.ViewerBackColor = 0x00FFFFFF;
  HookMainWindow(*this);
  editor_.SetTopMost(true);
}

void FrmMain::Form_QueryUnload(int& cancel) {
  StandaloneState& state = Standalone();
  if (!state.ExitConfirmed &&
      (MsgBox("Exit Korvalo?", vbYesNo, "Korvalo") != vbYes || !editor_.OfferSaveBeforeClosing())) {
    cancel = 1;
    return;
  }
  UnhookMainWindow(*this);
  state.ExitConfirmed = true;
}

void FrmMain::Form_Resize() {
  // The editor follows the frame into and out of the task bar.
  if (WindowState() == vbMinimized) {
    if (editor_.WindowState() != vbMinimized) editor_.SetWindowState(vbMinimized);
  } else if (editor_.WindowState() != vbNormal) {
    editor_.SetWindowState(vbNormal);
  }
}

void FrmMain::Form_Unload() { editor_.Unload(); }

void FrmMain::mnuAbout_Click() {
  // Each step that fails is reported and the next one runs.
  if (!about_ || !about_->Loaded()) {
    about_ = std::make_unique<windows::FrmAbout>();
    // Closing the About window brings the editor back, and the editor the
    // frame.
    about_->OnUnload = [this](int&) { editor_.SetWindowState(vbNormal); };
  }
  try {
    about_->Load();
  } catch (const std::exception& e) {
    ShowUnknownError(ErrorNumberOf(e));
  }
  try {
    SetWindowState(vbMinimized);
  } catch (const std::exception& e) {
    ShowUnknownError(ErrorNumberOf(e));
  }
  try {
    about_->Show(vbModeless);
  } catch (const std::exception& e) {
    ShowUnknownError(ErrorNumberOf(e));
  }
}

}  // namespace korvalo::standalone
