#pragma once

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/course_grid.h"
#include "editor/edition_policy.h"
#include "editor/link_services.h"
#include "geometry/drawing.h"
#include "geometry/traverse.h"
#include "platform/forms/forms.h"
#include "storage/parcel_store.h"
#include "storage/project_settings.h"
#include "storage/windows/project_windows.h"

// The editor window of the linked edition: the program's main window and the
// home of the course grid. Row k of the grid is element k of the row control
// arrays (cmdNo, frameLine with its line fields, frameArc with its arc fields
// and the sign boxes chksign 2k "+" and 2k + 1 "-", and lblLineNo in the
// picture); the controls hold the course values, there is no other list of
// courses. The window's load builds rows 1 to CourseLimit - 1 from row 0.
namespace korvalo::editor {

// The figures of the current parcel as the last CalculateAndDraw left them;
// the save takes them from here.
struct ClosureFigures {
  int LastRow = -1;          // last row of the unbroken run of complete rows
  double Area = 0.0;         // 0 when "N/A" or no row is complete
  double Closure = 0.0;      // rounded to ErrDecimal
  std::string ClosureBearing;
  double TotalDistance = 0.0;
  double PrecisionRatio = 0.0;
};

class FrmEditor : public forms::Form {
 public:
  // The grid gets CourseLimit rows: 80 in the linked edition, 50 in the
  // standalone edition.
  explicit FrmEditor(int courseLimit);
  ~FrmEditor() override;

  // Wiring done by the program before the window is loaded. Not owned.
  void SetLinkServices(LinkServices* link) { link_ = link; }
  void SetStartupServices(StartupServices startup) { startup_ = std::move(startup); }
  // The edition's own end of the load and size rules; null for the linked
  // edition's.
  void SetEditionPolicy(EditionPolicy* policy) { policy_ = policy; }
  const StartupServices& Startup() const { return startup_; }

  int CourseLimit() const { return courseLimit_; }

  // --- public operations --------------------------------------------------
  // Redraws the preview and computes closure, area, closure direction and
  // precision of the unbroken run of complete rows into the result labels.
  // Does nothing while CalcEnabled is false.
  void CalculateAndDraw();
  // Draws the complete courses into picParcel, scaled to fit and centred,
  // and places the course-number labels.
  void Drawing();
  // The picture zoomed (the window's width, the given height, at the
  // window's top-left corner, in front of every other control) or back at
  // its size at load at normalLeft, behind the frames it overlaps; then
  // redrawn. The tooltip is the one of the new state.
  void PlacePicture(bool zoomed, int zoomedHeight, int normalLeft, const std::string& toolTip);

  // Shows the open project's settings (as ProjectSettings holds them): the
  // ticks of the four Options switches, the Auto button usable exactly while
  // auto-invert is off, and the direction label "Bearing" or "Azimuth". The
  // project-open roads run it once the settings are loaded.
  void ShowProjectSettings();
  // The direction label alone: "Bearing" or "Azimuth" by the project's mode.
  void ShowDirectionLabel();
  // Loads the settings of the project at ProjectPath and, when they could be
  // read, shows them. A refused load (its message already shown) leaves the
  // window as it was and returns false.
  bool ReloadProjectSettings();

  // Locks or unlocks the entry controls of every row (not the row frames or
  // row buttons).
  void EnableCourseControls(bool enabled);

  // --- Project options ---------------------------------------------------------
  // Options > "Project options" takes the editor out of the top-most state
  // and calls `show`, which the program sets to show the options dialog (the
  // dialog builds on the editor, so the editor only holds this hook). An
  // empty hook leaves the menu without effect beyond the top-most switch.
  void SetProjectOptionsHook(std::function<void()> show);
  // --- end Project options -----------------------------------------------------

  // --- the arc inputs' order and places (the grid's rules) ------------------
  // Lays the arc inputs of every row out in the project's entry order and
  // rebuilds ArcFieldOrder.
  void ArrangeArcFields();
  // Names of the arc inputs by entry position ("txtBearing", "txtArc",
  // "txtChord", "txtRadius"; index 0 is position 1).
  const std::array<std::string, 4>& ArcFieldOrder() const { return grid_->ArcFieldOrder(); }
  int ArcFieldPosition(std::string_view name) const { return grid_->ArcFieldPosition(name); }
  // The focus order of the course rows for the project's entry order.
  void SetCourseTabOrder();

  // --- row operations --------------------------------------------------------
  void ToggleLineCurve(int k) { grid_->ToggleLineCurve(k); }
  void ShiftRowsBelow(int k, int dy) { grid_->ShiftRowsBelow(k, dy); }
  // False (after telling the user) when the last row holds a course.
  bool Insert_Proc(int idx) { return grid_->Insert_Proc(idx); }
  void ResetRow(int idx) { grid_->ResetRow(idx); }
  // The edition's policy may keep more around the deletion (the focus).
  void Delete_Proc(int idx) {
    if (policy_ && policy_->DeleteRow(*this, idx)) return;
    grid_->Delete_Proc(idx);
  }
  // The grid's own deletion, without the edition's steps around it.
  void DeleteGridRow(int idx) { grid_->Delete_Proc(idx); }
  // Empties the parcel name, every course row and the result labels, lays
  // the arc inputs out anew, locks the rows after the first and puts the
  // focus on the name box (or the parcel list while the box is hidden).
  void ClearEditor();

  // --- the editing state -----------------------------------------------------
  // A parcel is being edited while Save is enabled. SetEditing switches Save,
  // Cancel, Auto, the cover over the parcel list, New, the mode options and
  // in review mode Edit.
  void SetEditing(bool editing);
  bool Editing() const { return cmdSave.Enabled(); }
  // Grab mode: the "Grab model" option is selected.
  bool GrabMode() const { return optmodel(0).Value(); }

  // --- Parcels and commands ----------------------------------------------------
  // The parcel list, loading and saving parcels, the parcel commands, the two
  // modes (Grab model: new parcels typed or picked; Review model: the stored
  // parcels) and the window's activation and unload.

  // The stored parcel shown in the grid: set when a parcel is loaded, 0
  // whenever the grid is cleared. Updates are keyed on it, never on a typed
  // name.
  ParcelId CurrentParcelID = 0;
  // A new parcel is being entered through New (until it is saved or
  // cancelled, or the Review model is selected).
  bool NewParcel = false;

  // Fills the parcel list with the stored parcels in name order (item data
  // their ids); nothing is selected.
  void Parcel_Bound();
  // Selects a list entry from the program's side (a load follows even while
  // the editing state is on); -1 clears the selection.
  void SelectParcelEntry(int index);
  // Loads the parcel of the selected list entry into the grid and computes
  // it. A parcel that cannot be shown (no courses, too many, unreadable) is
  // told and leaves the grid, and the parcel it shows, as they were.
  void Show_Detail();
  // Check and store the grid: as a new parcel (the name box's name), or as
  // the update of the parcel shown (a rename when the list's text is not one
  // of its entries). False, with the reasons shown, when nothing was stored.
  bool SaveNewParcel();
  // The same under another name than the name box's.
  bool SaveNewParcel(const std::string& name);
  // Refused, and nothing written, while the grid shows no stored parcel.
  bool SaveExistingParcel();
  // The grid shows the stored parcel CurrentParcelID (loaded, not cleared
  // since).
  bool StoredParcelShown() const { return storedParcelShown_; }
  // Reverses course directions so that the figure closes; nothing after a
  // direction was reversed by hand (ManualInvert).
  void AutoInverse();

  // The mode options: 0 the Grab model (links to the CAD program), 1 the
  // Review model (the list reloaded and its first parcel shown). The project
  // roads call optmodel_Click(1) for review; selecting optmodel(0) links.
  void optmodel_Click(int index);
  void cbxParcel_Click();
  void cmdInsert_Click();
  void cmdEdit_Click();
  void cmdSave_Click();
  void cmdCancel_Click();
  void cmdDelete_Click();
  void cmdAutoInverse_Click();
  void cmdPrevious_Click();
  void cmdNext_Click();
  void cmdZoom_Click();
  void cmdLineInvert_Click(int k);
  void cmdArcInvert_Click(int k);
  // The picture's zoom: the whole window, or back to its size at load.
  void picParcel_DblClick();
  void Form_Activate();
  // Closing the editor while a parcel with a name or a course is edited asks
  // whether to save it first: Yes saves (a refused save keeps the window
  // open, the parcel still being edited), No closes, Cancel keeps it open.
  void Form_QueryUnload(int& cancel);
  // Before the program closes: while a parcel with a name or a course is
  // being edited, asks whether to save it. False when the program must stay
  // open (Cancel, or a save that did not happen).
  bool OfferSaveBeforeClosing();
  bool ParcelEntered() const;
  void Form_Unload();

  // The course rows as the computation reads them, rows 0 to CourseLimit - 1.
  std::vector<geometry::CourseRow> CourseRows() const;
  geometry::TraverseSettings CurrentTraverseSettings() const;

  // --- the editor's state -------------------------------------------------
  bool CalcEnabled = true;
  bool ManualInvert = false;
  // Row of the current course; CourseLimit for none.
  int CurrentRow = 0;
  // Twips of row offset per scroll unit (2 for 80 rows).
  double ScrollScale = 0.0;
  // The picture's size at load, to return to after a zoom.
  int PictureNormalWidth = 0;
  int PictureNormalHeight = 0;
  ClosureFigures Result;
  // Traverse points: survey units after CalculateAndDraw, picture
  // coordinates after a Drawing that placed the figure.
  geometry::Coord Coord;

  // --- Reports ----------------------------------------------------------------
  // The editor's Top and Left in twips when the Report menu was last opened;
  // the report window puts the editor back there when it closes.
  int SavedEditorTop = 0;
  int SavedEditorLeft = 0;
  enum class ReportItem { Full, Summary, Picture };
  // The Report menu's three items call `open`, which the program sets (the
  // report window lives outside the editor and refuses while a parcel is
  // edited); until then the items do nothing.
  void SetReportOpener(std::function<void(ReportItem)> open);
  // Tells whether the report window is open (the program sets it; until
  // then it never is).
  void SetReportWindowOpen(std::function<bool()> open);
  // Opening the Report menu keeps the editor's place, unless a report window
  // is open already: the editor may then be hidden by that window, and
  // the place kept when that window opened is the one to return to. The
  // standalone frame's Report menu runs this too.
  void mnuReport_Click();

  // --- Edit and View menus, the row pop-up (frm_editor_menus_edit.cpp) -------
  // Opening the Edit menu: the row items usable while a row is current (the
  // line/curve item named for that row's kind), "Restore all to North" while
  // a parcel is edited.
  void mnuEdit_Click();
  // The Edit menu's row items act on CurrentRow; without a current row they
  // do nothing.
  void mnuDeleteCourse_Click();
  void mnuInsertBefore_Click();
  void mnuInsertAfter_Click();
  void mnuFlipBearing_Click();
  void mnuChangeLineCurve_Click();
  // Turns every complete course from row 0 on so that it points north:
  // bearings begin with N, azimuths lie from 270 through 89 degrees. A
  // direction that is not valid in the project's mode is left as it is. The
  // last row becomes the run's last, the parcel counts as reversed by hand,
  // and the figures are worked out once, at the end. Both editions' menu
  // items run it.
  void RestoreAllToNorth();
  // The same, and the Auto button off: Auto would undo the turns.
  void mnuNorthing_Click();
  // Opening the View menu names the zoom item for the picture's size.
  void mnuView_Click();
  void mnuSizePicture_Click();
  void mnuMiniWin_Click();
  void mnuRefresh_Click();
  // The pop-up's items act on the row the pop-up was opened on, and do
  // nothing when it is not open on a row.
  void mnuPopDelete_Click();
  void mnuPopInsertBefore_Click();
  void mnuPopInsertAfter_Click();
  void mnuPopChangeLineCurve_Click();
  void mnuPopFlipBearing_Click();
  // The row the pop-up menu is open on; CourseLimit while it is not open.
  int PopupRow() const { return popupRow_; }

  // --- controls, in their containers --------------------------------------
  forms::Frame frameOptmodel;
  forms::ControlArray<forms::OptionButton> optmodel;
  forms::Label Label3;
  forms::TextBox txtPrevious;
  forms::CommandButton cmdZoom;
  forms::PictureBox picParcel;
  forms::ControlArray<forms::Label> lblLineNo;

  forms::Frame Frame1;
  forms::Label lblParcel;
  forms::ComboBox cbxParcel;
  forms::TextBox txtParcel;
  forms::CommandButton cmdPrevious;
  forms::CommandButton cmdNext;
  forms::CommandButton cmdEdit;
  forms::CommandButton cmdInsert;
  forms::CommandButton cmdAutoInverse;
  forms::CommandButton cmdSave;
  forms::CommandButton cmdDelete;
  forms::CommandButton cmdCancel;
  forms::TextBox txtCover;

  forms::Frame Frame3;
  forms::Label lblClosureLabel;
  forms::Label Label5;
  forms::Label lblBearing;
  forms::Label Label7;
  forms::Label lblClosure;
  forms::Label lblArea;
  forms::Label lblDirection;
  forms::Label lblPrecision;

  // Row-operation options; hidden, without behaviour of its own.
  forms::Frame Frame4;

  forms::Frame frameBase;
  forms::ControlArray<forms::CommandButton> cmdNo;
  forms::ControlArray<forms::Frame> frameLine;
  forms::ControlArray<forms::Frame> frameArc;
  forms::VScrollBar VScroll1;

  forms::ControlArray<forms::Label> lblB;
  forms::ControlArray<forms::TextBox> txtBearingLine;
  forms::ControlArray<forms::Label> lblD;
  forms::ControlArray<forms::TextBox> txtDistanceLine;
  forms::ControlArray<forms::CommandButton> cmdLineInvert;

  forms::ControlArray<forms::Label> lblArcB;
  forms::ControlArray<forms::TextBox> txtBearingArc;
  forms::ControlArray<forms::Label> lblA;
  forms::ControlArray<forms::TextBox> txtArc;
  forms::ControlArray<forms::Label> lblC;
  forms::ControlArray<forms::TextBox> txtChord;
  forms::ControlArray<forms::Label> lblR;
  forms::ControlArray<forms::TextBox> txtRadius;
  forms::ControlArray<forms::CheckBox> chksign;
  forms::ControlArray<forms::CommandButton> cmdArcInvert;

  // --- menus ----------------------------------------------------------------
  forms::Menu mnuFile;
  forms::Menu mnuNew;
  forms::Menu mnuOpen;
  forms::Menu mnuDividFile1;
  forms::Menu mnuCADLink;
  forms::Menu mnuRelocateCAD;
  forms::Menu mnuCurrentCAD;
  forms::Menu mnuDividFIle2;
  forms::ControlArray<forms::Menu> mnuHistory;
  forms::Menu mnuDividFile3;
  forms::Menu mnuExit;

  forms::Menu mnuEdit;
  forms::Menu mnuSaveParcel;
  forms::Menu mnuCancelParcel;
  forms::Menu mnuEditMode;
  forms::Menu mnuDeleteParcel;
  forms::Menu mnuInsertParcel;
  forms::Menu mnuDividEdit1;
  forms::Menu mnuDeleteCourse;
  forms::Menu mnuInsertBefore;
  forms::Menu mnuInsertAfter;
  forms::Menu mnuFlipBearing;
  forms::Menu mnuDivieEdit2;
  forms::Menu mnuChangeLineCurve;
  forms::Menu mnuDivideEdit3;
  forms::Menu mnuNorthing;

  forms::Menu mnuView;
  forms::Menu mnuSizePicture;
  forms::Menu mnuMiniWin;
  forms::Menu mnuRefresh;

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

  forms::Menu mnuHelpMain;
  forms::Menu mnuHelp;
  forms::Menu mnuVideos;
  forms::Menu mnuVideoQuick;
  forms::Menu mnuVideoConfg;
  forms::Menu mnuAbout;
  forms::Menu mnuFAQ;
  forms::Menu mnuSupport;
  forms::Menu mnuComment;
  forms::Menu mnuWebsite;

  forms::Menu mnuPopup;
  forms::Menu mnuPopEdit;
  forms::Menu mnuPopDelete;
  forms::Menu mnuPopInsertBefore;
  forms::Menu mnuPopInsertAfter;
  forms::Menu mnuPopDivide1;
  forms::Menu mnuPopChangeLineCurve;
  forms::Menu mnuPopDivide2;
  forms::Menu mnuPopFlipBearing;

  // --- Project roads: the File and Help menus (frm_editor_file.cpp) ---------
  // Every road that makes another project current (a recent project, Open,
  // the command line, a new project) changes ProjectPath only once the file
  // has been read; a failed open leaves the previous project current.
  //
  // Builds the recent-project menu at load; an empty or unreadable list
  // leaves "No recent projects" disabled.
  void LoadRecentProjects();
  // Rebuilds the recent-project entries and the caption after an open or a
  // creation. False when the list could not be read.
  bool FillRecentMenu();
  // Opens the project named on the command line (an existing file).
  void OpenProjectFromCommandLine(const std::string& path);
  void mnuHistory_Click(int index);
  void mnuOpen_Click();
  void mnuNew_Click();
  void mnuOptions_Click();
  void mnuExit_Click();
  void mnuHelp_Click();
  void mnuVideoQuick_Click();
  void mnuVideoConfg_Click();
  void mnuAbout_Click();
  void mnuFAQ_Click();
  void mnuSupport_Click();
  void mnuComment_Click();
  void mnuWebsite_Click();
  // The new-project dialog while it exists, and the folder picker.
  windows::FrmCreate* CreateDialog() const { return create_.get(); }
  windows::FrmDirLocate& DirLocator();

 private:
  enum class OpenRoad { Recent, Open, CommandLine };
  void WireFileMenus();
  // The checks of every open road: the schema brought up to date (when
  // asked), the drawing path and the settings read. True when the project
  // at `path` is now current with its settings loaded; otherwise (told) the
  // previous project stays current with its settings.
  bool TakeProject(const std::string& path, bool upgrade);
  // Shows the settings just loaded: tooltips, the rows' tab order, the
  // switches and the direction label.
  void ShowLoadedSettings();
  // The steps after the project became current.
  void ShowOpenedProject(OpenRoad road);
  void RunReviewHandler();
  void ConnectDrawing();
  class CreateHostImpl;
  friend class CreateHostImpl;
  std::unique_ptr<windows::CreateHost> createHost_;
  std::unique_ptr<windows::FrmDirLocate> dirLocate_;
  std::unique_ptr<windows::FrmCreate> create_;
  // --- end of project roads ---------------------------------------------------

 private:
  void DesignControls();
  void DesignRowZero();
  void DesignMenus();
  void WireEvents();

  void Form_Load();
  void Form_Resize();
  void VScroll1_Change();
  void VScroll1_GotFocus();
  void AskInitialConfiguration();

  // The Options menu's switches: each flips its tick, stores the new state
  // in the project at once and puts the tick back when the store fails.
  void mnuVerfyCurves_Click();
  void mnuAutoInvert_Click();
  void mnuVerfyTangent_Click();
  void mnuMiniWindow_Click();
  void FlipProjectSwitch(forms::Menu& item, ProjectSwitch which);
  void OpenCommandLineProject();

  // Project options
  void mnuSetting_Click();
  std::function<void()> showProjectOptions_;
  // end Project options

  // The grid's rules on this window's rows, and the parcel-name box's.
  void WireRowRules();
  // The row button's pop-up menu.
  void ShowRowMenu(int row);
  // Menus: the Edit, View and Report menus' handlers wired.
  void WireEditMenus();
  bool ValidRow(int row) const { return row >= 0 && row < courseLimit_; }
  // Reverses the direction of row `row`'s shown kind (nothing for an empty
  // box) and marks the parcel as reversed by hand. Nothing without a row.
  void FlipBearing(int row);
  // "Insert after" on the row: refused with the maximum on the last row.
  bool InsertAfter(int row);
  std::function<void(ReportItem)> openReport_;
  std::function<bool()> reportWindowOpen_;
  int popupRow_ = 0;
  void StartGrab(GrabField field, int row);
  void txtParcel_DblClick();
  // Whether a double-click in a course box or the name box starts a pick.
  bool DoubleClickGrabs() const;

  // Whether each row shows its line frame.
  std::vector<bool> LineRows() const;
  // Drawing over rows already read from the grid.
  void DrawRows(const std::vector<geometry::CourseRow>& rows,
                const geometry::TraverseSettings& settings);
  void PlaceLabels(const std::vector<geometry::CourseLabel>& labels);

  // --- Parcels and commands (private) -----------------------------------------
  void WireParcelCommands();
  // The list's selection and text as the user last left them, for putting
  // them back when a selection change arrives while a parcel is edited.
  void RememberListState();
  void RestoreListState();
  // Writes a direction box through its change handling, as the user's edit.
  void WriteDirection(int row, const std::string& text);
  void ReverseRowDirection(forms::TextBox& box);
  bool programSelection_ = false;
  bool restoringList_ = false;
  int shownListIndex_ = -1;
  std::string shownListText_;
  // The grid shows the stored parcel CurrentParcelID: it was loaded and the
  // grid has not been cleared since.
  bool storedParcelShown_ = false;
  // Counts the loads of Show_Detail, so that a selection that loaded the
  // parcel already is not followed by a second load (and a second message).
  int detailLoads_ = 0;

  int courseLimit_;
  std::unique_ptr<CourseGrid> grid_;
  LinkServices* link_ = nullptr;
  StartupServices startup_;
  EditionPolicy* policy_ = nullptr;
};

// Tells the user that picked drawing text is left over after the last row
// (only when some is) and empties the queue, so that the grab ends.
void CourseLimitNotice(std::deque<std::string>& pickedTexts);
std::string CourseLimitNoticeText();

// The titles and texts of the automation client's request-pending and
// server-busy boxes while the CAD program is called.
void SetAutomationBoxTexts();

}  // namespace korvalo::editor
