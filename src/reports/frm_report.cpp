#include "reports/frm_report.h"

#include <exception>

#include "common/edition.h"
#include "storage/program_state.h"

// The report window: its design, its load and unload, the filter and the
// builds of the previewed reports.
namespace korvalo::reports {

using namespace forms;

namespace {
// The window's design client area, and the frame the forms layer gives it.
constexpr int kDesignClientWidth = 8445;
constexpr int kDesignClientHeight = 6390;
constexpr int kFrameWidth = 2 * 4 * kTwipsPerPixel;
constexpr int kFrameHeight = (2 * 4 + 23) * kTwipsPerPixel;
constexpr int kBarWidth = 8175;
}  // namespace

const char* CaptionOf(ReportKind kind) {
  switch (kind) {
    case ReportKind::Full: return kFullReportCaption;
    case ReportKind::Summary: return kSummaryReportCaption;
    case ReportKind::Picture: return kPictureReportCaption;
  }
  return kFullReportCaption;
}

FrmReport::FrmReport(ReportEditor& editor)
    : Form("frmReport"),
      frameBar(*this, "frameBar"),
      optPassFail(frameBar, "optPassFail", "All"),
      Label1(frameBar, "Label1", "Parcel:"),
      cbxParcel(frameBar, "cbxParcel", vbComboDropdown),
      cmdPrint(frameBar, "cmdPrint", "&Print"),
      cmdClose(frameBar, "cmdClose", "&Close"),
      cmdExport(frameBar, "cmdExport", "&Save as"),
      rtfReport(*this, "rtfReport"),
      editor_(editor) {
  optPassFail.Load(1);
  optPassFail.Load(2);
  rtfReport.SetTabIndex(0);
  frameBar.SetTabIndex(1);
  optPassFail(0).SetTabIndex(2);
  optPassFail(1).SetTabIndex(3);
  optPassFail(2).SetTabIndex(4);
  cbxParcel.SetTabIndex(5);
  Label1.SetTabIndex(6);
  cmdClose.SetTabIndex(7);
  cmdPrint.SetTabIndex(8);
  cmdExport.SetTabIndex(9);
  Design();
  WireEvents();
}

FrmReport::~FrmReport() = default;

// Every opening starts from here: places, captions, tooltips, no option
// selected, the preview empty and shown.
void FrmReport::Design() {
  Move(Left(), Top(), kDesignClientWidth + kFrameWidth, kDesignClientHeight + kFrameHeight);
  frameBar.SetBorderStyle(0);
  frameBar.Move(0, 0, kBarWidth, 555);
  const char* const captions[] = {"All", "Pass", "Fail"};
  const int lefts[] = {120, 840, 1560};
  const int widths[] = {615, 735, 615};
  const char* const tips[] = {
      "Report on all parcels in the project.",
      "Show only parcels that have a closure distance better than the tolerance found in settings.",
      "Show only parcels that have a closure lower than what is indicated in settings."};
  for (int i = 0; i < 3; ++i) {
    OptionButton& o = optPassFail(i);
    o.SetCaption(captions[i]);
    o.Move(lefts[i], 200, widths[i], 255);
    o.SetToolTipText(tips[i]);
    o.SetValue(false);
    o.SetVisible(true);
  }
  Label1.Move(2520, 210, 615, 255);
  cbxParcel.Move(3120, 150, 2055, 315);
  cbxParcel.SetToolTipText("Select a single parcel to report on.");
  cbxParcel.Clear();
  cbxParcel.SetText("Combo1");
  cmdPrint.Move(5280, 200, 855, 255);
  cmdPrint.SetToolTipText("Click to print this report.");
  cmdClose.Move(6240, 200, 855, 255);
  cmdClose.SetToolTipText("Close the print preview window.");
  cmdExport.Move(7200, 200, 855, 255);
  cmdExport.SetToolTipText("Save the report to a text file.");
  rtfReport.Move(0, 555, kBarWidth, 5535);
  rtfReport.SetToolTipText("The preview of the report.");
  rtfReport.SetLocked(true);
  rtfReport.SetText("");
  rtfReport.SetVisible(true);
}

void FrmReport::WireEvents() {
  OnLoad = [this] { Form_Load(); };
  OnActivate = [this] { Form_Activate(); };
  OnResize = [this] { Form_Resize(); };
  OnUnload = [this](int&) { Form_Unload(); };
  optPassFail.OnClick = [this](int index) { optPassFail_Click(index); };
  cbxParcel.OnClick = [this](int) { cbxParcel_Click(); };
  cmdClose.OnClick = [this](int) { Unload(); };
  cmdExport.OnClick = [this](int) { cmdExport_Click(); };
  cmdPrint.OnClick = [this](int) { cmdPrint_Click(); };
}

std::optional<ReportKind> FrmReport::Kind() const {
  if (Caption() == kFullReportCaption) return ReportKind::Full;
  if (Caption() == kSummaryReportCaption) return ReportKind::Summary;
  if (Caption() == kPictureReportCaption) return ReportKind::Picture;
  return std::nullopt;
}

void FrmReport::Form_Load() {
  Design();
  fullReportShown_ = false;
  project_.reset();
  const ProgramState& program = Program();
  try {
    project_ = std::make_unique<DatabaseReportProject>(dao::Database::Open(program.ProjectPath));
  } catch (const std::exception&) {
    // The window stays open with an empty list; its builds do nothing.
    MsgBox("Can't open the project: " + program.ProjectPath);
  }
  cbxParcel.Clear();
  if (project_) {
    try {
      for (const ParcelEntry& parcel : project_->Parcels()) {
        cbxParcel.AddItem(parcel.name);
        cbxParcel.SetItemData(cbxParcel.NewIndex(), static_cast<long>(parcel.id));
      }
    } catch (const std::exception&) {
      // An unreadable parcel table leaves the list as far as it was filled.
    }
  }
  if (!program.ProjectSettings.ToolTipOn) {
    for (Control* control : FormControls(*this)) control->SetToolTipText("");
  }
  directionHeading_ = DirectionHeadingFor(program.ProjectSettings.Bearing);
}

void FrmReport::Form_Activate() {
  // Back from another window: the filter starts again from All.
  if (optPassFail(0).Value()) {
    optPassFail_Click(0);
  } else {
    optPassFail(0).SetValue(true);
  }
  SetTopMost(true);
}

void FrmReport::optPassFail_Click(int) {
  cbxParcel.SetText("");
  BuildReport();
}

void FrmReport::cbxParcel_Click() {
  for (int i = 0; i < 3; ++i) optPassFail(i).SetValue(false);
  BuildReport();
}

void FrmReport::Form_Resize() {
  if (ScaleHeight() > frameBar.Height()) rtfReport.SetHeight(ScaleHeight() - frameBar.Height());
  rtfReport.SetWidth(ScaleWidth());
}

void FrmReport::Form_Unload() {
  project_.reset();
  fullReportShown_ = false;
  Form& editor = editor_.Window();
  if (editor.WindowState() == vbNormal) editor.Move(editor_.SavedLeft(), editor_.SavedTop());
  if (editorHidden_) {
    editorHidden_ = false;
    editor.Show();
  }
  editor.SetTopMost(true);
}

void FrmReport::HideEditor() {
  // Hidden, not moved off the screen: a window manager keeps a window
  // moved there partly on the screen.
  Form& editor = editor_.Window();
  if (!editor.Visible()) return;
  editor.Hide();
  editorHidden_ = true;
}

ReportFilter FrmReport::CurrentFilter() const {
  ReportFilter filter;
  filter.parcelText = cbxParcel.Text();
  const int index = cbxParcel.ListIndex();
  // Text that names no entry of the list selects no parcel.
  if (index >= 0 && cbxParcel.List(index) == filter.parcelText) filter.selectedId = cbxParcel.ItemData(index);
  for (int i = 0; i < 3; ++i) {
    if (optPassFail(i).Value()) filter.option = static_cast<PassFail>(i);
  }
  return filter;
}

ReportSettings FrmReport::CurrentSettings() const {
  const ProgramState& program = Program();
  const ProjectSettings& project = program.ProjectSettings;
  ReportSettings settings;
  settings.traverse.direction.bearing = project.Bearing;
  settings.traverse.direction.degreeSymbol = project.DegreeSymbol;
  settings.traverse.errDecimal = project.ErrDecimal;
  settings.traverse.closureTolerance = project.ClosureTolerance;
  settings.traverse.edition = CurrentEdition();
  settings.traverse.courseLimit = program.CourseLimit;
  settings.unitFeet = project.UnitFeet;
  settings.drawingPath = program.DrawingPath;
  settings.directionHeading = directionHeading_;
  return settings;
}

void FrmReport::BuildReport() {
  const std::optional<ReportKind> kind = Kind();
  if (!kind || *kind == ReportKind::Picture) return;
  // Whatever the build gives, the preview no longer shows this opening's
  // full report until it succeeds: the scratch files are being rewritten.
  fullReportShown_ = false;
  if (!project_) return;
  BuildResult result;
  {
    HourglassPointer hourglass;
    try {
      const ScratchPaths paths = RunScratchPaths();
      result = *kind == ReportKind::Full ? BuildFullReport(*project_, CurrentFilter(), CurrentSettings(), paths)
                                         : BuildSummaryReport(*project_, CurrentFilter(), CurrentSettings(), paths);
    } catch (const std::exception& e) {
      result.status = BuildResult::Status::Failed;
      result.message = e.what();
    }
  }
  if (result.status == BuildResult::Status::Built) {
    rtfReport.SetText(result.preview);
    fullReportShown_ = *kind == ReportKind::Full;
    return;
  }
  MsgBox(result.message);
}

void OpenReportWindow(FrmReport& window, ReportEditor& editor, ReportKind kind) {
  if (editor.Editing()) {
    MsgBox(kSaveBeforeReportsMessage);
    return;
  }
  // An item chosen while the window is open opens it afresh: the layout of
  // the kind it showed (a hidden preview, a short window) must not stay.
  if (window.Loaded()) window.Unload();
  window.Load();
  Form& editorWindow = editor.Window();
  const bool standalone = CurrentEdition() == Edition::Standalone;
  if (kind == ReportKind::Picture) {
    // The editor is out of sight while the picture report runs it.
    editorWindow.SetTopMost(false);
    window.HideEditor();
    window.SetHeight(window.rtfReport.Top() + 405);
    // The window's inside ends just before Save as, so that Close shows
    // whole.
    window.SetWidth(window.cmdExport.Left() + kFrameWidth);
    window.rtfReport.SetVisible(false);
    window.frameBar.SetWidth(window.Width());
  } else if (!standalone) {
    editorWindow.SetTopMost(false);
    window.Move(0, 0, ScreenWidth(), ScreenHeight());
    if (kind == ReportKind::Full) {
      window.rtfReport.SetHeight(std::max(0, window.ScaleHeight() - window.frameBar.Height()));
      window.rtfReport.SetWidth(window.ScaleWidth());
    } else {
      window.rtfReport.SetHeight(std::max(0, window.Height() - 600));
      window.rtfReport.SetWidth(window.Width());
    }
    window.rtfReport.SetVisible(true);
    window.frameBar.SetWidth(kBarWidth);
  }
  window.SetCaption(CaptionOf(kind));
  window.Show();
}

}  // namespace korvalo::reports
