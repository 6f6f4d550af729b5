#include "standalone/drawing_link.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

#include "common/numbers.h"
#include "editor/tooltips.h"
#include "platform/viewer/drawing_viewer.h"
#include "platform/viewer/reader.h"
#include "standalone/frm_main.h"
#include "standalone/frm_view.h"
#include "standalone/standalone_state.h"
#include "storage/program_state.h"
#include "storage/viewer_settings.h"

// The drawing in both viewers, its layers and colours, and saved views.
// Picking is in drawing_link_pick.cpp.
namespace korvalo::standalone {

using namespace forms;

namespace {

constexpr const char* kLayerPrefix1 = "Layer1 ";
constexpr const char* kLayerPrefix2 = "Layer2 ";
constexpr std::size_t kPrefixLength = 7;

bool EndsInUpper(const std::string& path, const char* ending) {
  if (path.size() < 3) return false;
  std::string last = path.substr(path.size() - 3);
  for (char& c : last) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return last == ending;
}

Rgb BackRgb() {
  const Colour c = Standalone().ViewerBackColor;
  return Rgb{static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF)};
}

void SetBackRgb(const Rgb& rgb) {
  Standalone().ViewerBackColor =
      static_cast<Colour>(rgb.red | (rgb.green << 8) | (rgb.blue << 16));
}

}  // namespace

int LayerColourFromText(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end == text.c_str() || *end != '\0' || !std::isfinite(v)) return 0;
  const double whole = std::nearbyint(std::fabs(v));
  return whole > 32767.0 ? 32767 : static_cast<int>(whole);
}

std::string LoadErrorText(int number, const std::string& description) {
  const bool told = number == viewer::kErrTooLarge || number == viewer::kErrNotReadInTime;
  if (!told || description.empty()) return kOpenDrawingError;
  return std::string(kOpenDrawingError) + "\n\n" + description;
}

ImageList LayerIcons() {
  // The colour of each layer colour index 1-14 as the drawing shows it.
  static constexpr Colour kColours[14] = {0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF, 0x000000,
                                          0x808080, 0xC0C0C0, 0x0000FF, 0x7F7FFF, 0x0000A5, 0x5252A5, 0x00007F};
  ImageList list;
  list.images.push_back(Image{16, 16, std::vector<std::uint32_t>(256, 0)});
  for (Colour c : kColours) list.images.push_back(SquareIcon(c, false));
  for (Colour c : kColours) list.images.push_back(SquareIcon(c, true));
  return list;
}

DrawingLink::DrawingLink(editor::FrmEditor& editor) : editor_(editor) {}

FrmMain& DrawingLink::Main() const {
  if (!mainPtr_) throw RuntimeError(91, "Object variable not set");
  return *mainPtr_;
}

void DrawingLink::Attach(FrmMain& main) {
  mainPtr_ = &main;
  FrmMain& main_ = main;
  icons_.Attach(main_);
  icons_.SetImageList(LayerIcons());

  FrmView::Hooks hooks;
  hooks.main = &main_;
  hooks.editor = &editor_;
  hooks.done = [this] {
    FinishViewerGrab();
    // Auto-invert rewrites directions: only while a parcel is being edited.
    if (Program().ProjectSettings.AutoInvert && editor_.Editing()) AutoInverse();
  };
  hooks.layers = [this](int v) { Main().PopupMenu(Main().mnuLayerMain(v - 1)); };
  hooks.press = [this](int k, int button, double x, double y) { ViewerMouseDown(k, button, x, y); };
  hooks.viewChanged = [this](int k) { SaveViewerView(k - 1); };
  hooks.restoreView = [this](int v) { RestoreSavedView(v); };
  hooks.drawingSet = [] { return !Program().DrawingPath.empty(); };
  main_.frmView.SetHooks(std::move(hooks));

  main_.mnuWhite.OnClick = [this](int) { ChooseBackColor(0); };
  main_.mnuBlack.OnClick = [this](int) { ChooseBackColor(1); };
  main_.mnuYellow.OnClick = [this](int) { ChooseBackColor(2); };
  main_.mnuBlue.OnClick = [this](int) { ChooseBackColor(3); };
  main_.mnuFOriginal.OnClick = [this](int) { ChooseForeColor(256); };
  main_.mnuFWhite.OnClick = [this](int) { ChooseForeColor(14); };
  main_.mnuFBlack.OnClick = [this](int) { ChooseForeColor(7); };
  main_.mnuFYellow.OnClick = [this](int) { ChooseForeColor(2); };
  main_.mnuFBlue.OnClick = [this](int) { ChooseForeColor(5); };
  main_.mnuLayer1.OnClick = [this](int i) { LayerItemClicked(1, i); };
  main_.mnuLayer2.OnClick = [this](int i) { LayerItemClicked(2, i); };
}

// The frame (and with it the drawing window holding the hooks) goes first;
// a view still waiting is stored before the link goes.
DrawingLink::~DrawingLink() { FlushViewStores(); }

FrmView& DrawingLink::View() const { return Main().frmView; }

void DrawingLink::EnableToolbars(bool on) {
  for (int tab = 0; tab <= 1; ++tab)
    for (CommandButton* b : View().Toolbar(tab)) b->SetEnabled(on);
}

int DrawingLink::LoadDrawing(bool force) {
  ProgramState& program = Program();
  FrmView& view = View();
  const std::string path = program.DrawingPath;
  if (path == LoadedDrawingPath && !force) return 0;
  if (path.empty()) {
    for (int v = 1; v <= 2; ++v)
      if (view.Viewer(v).ViewerDrawingOpen()) view.Viewer(v).ViewerCloseDrawing();
    view.Dbcocx1.SetVisible(false);
    view.Dbcocx2.SetVisible(false);
    view.cmdLayer1.SetEnabled(false);
    view.cmdLayer2.SetEnabled(false);
    EnableToolbars(false);
    return 1;
  }
  for (int v = 1; v <= 2; ++v) {
    viewer::DrawingViewer& d = view.Viewer(v);
    if (d.ViewerDrawingOpen()) d.ViewerCloseDrawing();
    d.ViewerResetDrawing();
  }
  view.Dbcocx1.SetVisible(true);
  view.Dbcocx2.SetVisible(true);
  EnableToolbars(true);

  // DWG and DXF are the viewer's own formats, with a layer table.
  const bool layered = EndsInUpper(path, "DWG") || EndsInUpper(path, "DXF");
  // The layer table stays open until both viewers are set up, so that they
  // take the drawing read for it instead of reading the file twice more.
  struct TableHandle {
    viewer::DrawingViewer& d;
    long h = 0;
    ~TableHandle() {
      if (h != 0) d.ViewerCloseHandle(h);
    }
  } table{view.Dbcocx1};
  try {
    if (layered) ReadLayerTable(path, table.h);
    LoadedDrawingPath = path;
    view.CaptureOverviewRect(1);
    view.CaptureOverviewRect(2);
    {
      // Viewer 1 is not painted until both are set up.
      WindowUpdateLock lock(view.Dbcocx1);
      SetUpViewer(1, layered);
      if (LayerCount > 0) {
        viewer::DrawingViewer& d = view.Dbcocx1;
        const long n = d.ViewerEntityCount();
        for (long k = 0; k < n; ++k) {
          d.ViewerSelectEntity(k);
          // Layers come first in the entity list.
          if (d.ViewerEntityField("SECTION") != "L") break;
          LayerColorFromDescr(d.ViewerEntityField("DESCR"));
        }
      }
      SetUpViewer(2, layered);
    }
    // Made now, the two would share the corner under the editor.
    const bool made = view.OverviewHwnd[0] == nullptr || view.OverviewHwnd[1] == nullptr;
    for (int v = 1; v <= 2; ++v) {
      viewer::OverviewWindow& o = view.Viewer(v).ViewerShowOverview();
      o.SetCaption(v == 1 ? "Overview1" : "Overview2");
      view.OverviewHwnd[static_cast<std::size_t>(v - 1)] = &o;
    }
    view.ShowActiveOverview();
    view.PlaceOverview(view.OverviewRect[0].Left, view.OverviewRect[0].Top, 1);
    if (made) view.OverviewRect[1] = SecondOverviewPlace(view.OverviewRect[0]);
    view.PlaceOverview(view.OverviewRect[1].Left, view.OverviewRect[1].Top, 2);
    if (layered) {
      SetLayerMenuIcons();
      view.cmdLayer1.SetEnabled(true);
      view.cmdLayer2.SetEnabled(true);
      for (int v = 1; v <= 2; ++v) {
        ControlArray<Menu>& menu = v == 1 ? Main().mnuLayer1 : Main().mnuLayer2;
        for (int i = 0; i <= menu.UBound(); ++i) {
          if (!menu.Exists(i)) continue;
          const Menu& item = menu(i);
          if (item.Caption().size() > kPrefixLength && !item.Checked())
            view.Viewer(v).ViewerLayerOff(item.Caption().substr(kPrefixLength));
        }
      }
      ClearPickMarks();
      TellLoadNotice(path);
      return 0;
    }
    view.cmdLayer1.SetEnabled(false);
    view.cmdLayer2.SetEnabled(false);
    ResetLayerMenus();
    TellLoadNotice(path);
    return 0;
  } catch (const RuntimeError& e) {
    MsgBox(LoadErrorText(e.Number(), e.what()), vbOKOnly);
    return 1;
  } catch (const std::exception&) {
    MsgBox(kOpenDrawingError, vbOKOnly);
    return 1;
  }
}

void DrawingLink::TellLoadNotice(const std::string& path) {
  const std::string notice = View().Dbcocx1.ViewerLoadNotice();
  if (notice.empty()) return;
  const std::string told = path + '\n' + notice;
  if (told == toldNotice_) return;
  toldNotice_ = told;
  MsgBox(notice, vbOKOnly + vbExclamation);
}

void DrawingLink::ReadLayerTable(const std::string& path, long& handle) {
  FrmView& view = View();
  viewer::DrawingViewer& d = view.Dbcocx1;
  long h = d.ViewerOpenLayerTable(path);
  if (h == 0) h = d.ViewerOpenLayerTable(path);
  // A table that cannot be read fails the load like any later step, for
  // the reason the viewer gives.
  if (h == 0) {
    const auto number = static_cast<int>(d.ViewerLastErrorNumber());
    if (number != 0) throw RuntimeError(number, d.ViewerLastErrorText());
    throw RuntimeError(321, "The layer table cannot be read");
  }
  handle = h;
  const long count = d.ViewerLayerCount(h);
  if (count < 1) {
    view.cmdLayer1.SetEnabled(false);
    view.cmdLayer2.SetEnabled(false);
    ResetLayerMenus();
    return;
  }
  LayerCount = static_cast<int>(count);
  LayerCaptions1.assign(static_cast<std::size_t>(count), "");
  LayerCaptions2.assign(static_cast<std::size_t>(count), "");
  LayerColors.assign(static_cast<std::size_t>(count), 0);
  for (std::size_t i = 0; i < LayerCaptions1.size(); ++i) {
    const std::string name = d.ViewerNextLayerName(h, 0);
    LayerCaptions1[i] = kLayerPrefix1 + name;
    LayerCaptions2[i] = kLayerPrefix2 + LayerCaptions1[i].substr(kPrefixLength);
  }
  view.cmdLayer1.SetEnabled(true);
  view.cmdLayer2.SetEnabled(true);
  BuildLayerMenu(Main().mnuLayer1, LayerCaptions1, LayerCount);
  BuildLayerMenu(Main().mnuLayer2, LayerCaptions2, LayerCount);
  for (int i = 0; i < LayerCount; ++i) {
    const std::string& caption = LayerCaptions1[static_cast<std::size_t>(i)];
    if (caption.size() <= kPrefixLength) continue;
    const long s = d.ViewerLayerState(h, caption.substr(kPrefixLength));
    for (ControlArray<Menu>* menu : {&Main().mnuLayer1, &Main().mnuLayer2}) {
      (*menu)(i).SetChecked(s == 0);
      (*menu)(i).SetEnabled(s == 0 || s == 1);
    }
  }
}

void DrawingLink::SetUpViewer(int v, bool dwg) {
  FrmView& view = View();
  viewer::DrawingViewer& d = view.Viewer(v);
  d.ViewerSetDisplayMode(2);
  d.ViewerSetup(41, {6L});
  d.ViewerSetup(131, {1L});
  d.ViewerSetup(35);
  d.ViewerSetup(3, {std::string()});
  d.ViewerSetup(10, {0.0, 0.0, 0.0, 0.0, 1.0, 1.0, 1.0, 1.0});
  const Rgb back = BackRgb();
  d.ViewerSetBackColor(back.red, back.green, back.blue);
  d.ViewerSetup(166, {std::string("dbcmem32.dll"), std::string(), 0L});
  d.ViewerSetWorkFile(ProgramFolder() + "/temp.mgb", 255);
  // The load works on a copy: the project's drawing path stays as it is.
  std::string path = Program().DrawingPath;
  if (dwg) {
    d.ViewerLoadFile(path, 0, "");
    d.ViewerDwgLoaded(path);
  } else {
    d.ViewerSetImportLibrary(ProgramFolder() + "/dbcdgn32.dll");
    d.ViewerLoadFile(path, 0, "");
    const long handle = d.ViewerImportHandle();
    viewer::DgnImport(path, handle, "");
  }
  d.ViewerSetup(176, {0.5, 1L, 1L});
  if (view.SSTab1.Tab() == v - 1) RestoreSavedView(v);
  d.ViewerSetColorAll("#", Standalone().ViewerForeColor);
}

void DrawingLink::BuildLayerMenu(ControlArray<Menu>& menu, const std::vector<std::string>& captions, int count) {
  for (int k = menu.UBound(); k > 0; --k)
    if (menu.Exists(k)) menu.Unload(k);
  if (count > 0) {
    menu(0).SetCaption(captions[0]);
    for (int i = 1; i < count; ++i) {
      Menu& item = menu.Load(i);
      item.SetCaption(captions[static_cast<std::size_t>(i)]);
      item.SetVisible(true);
    }
  } else {
    menu(0).SetCaption("");
    menu(0).SetChecked(false);
  }
}

void DrawingLink::ResetLayerMenus() {
  LayerCount = 1;
  LayerCaptions1.assign(1, "");
  LayerCaptions2.assign(1, "");
  LayerColors.assign(1, 0);
  BuildLayerMenu(Main().mnuLayer1, LayerCaptions1, 1);
  BuildLayerMenu(Main().mnuLayer2, LayerCaptions2, 1);
  Main().mnuLayer1(0).SetEnabled(false);
  Main().mnuLayer2(0).SetEnabled(false);
}

void DrawingLink::LayerColorFromDescr(const std::string& descr) {
  for (int i = 0; i < LayerCount && static_cast<std::size_t>(i) < LayerCaptions1.size(); ++i) {
    const std::string& caption = LayerCaptions1[static_cast<std::size_t>(i)];
    if (caption.size() >= kPrefixLength && caption.substr(kPrefixLength) == descr) {
      LayerColors[static_cast<std::size_t>(i)] = LayerColourFromText(View().Dbcocx1.ViewerEntityField("ECOLOR"));
      return;
    }
  }
}

void DrawingLink::SetLayerMenuIcons() {
  for (int i = 0; i < LayerCount && Main().mnuLayer1.Exists(i); ++i) {
    const int c = LayerColors[static_cast<std::size_t>(i)];
    const bool checked = Main().mnuLayer1(i).Checked();
    int icon = 0;
    if (c <= 14) {
      icon = checked ? c : c + 14;
    } else {
      icon = checked ? ((c - 15) % 14) + 1 : ((c - 15) % 14) + 15;
    }
    if (icon > 0) {
      icons_.SetIconIndex(LayerCaptions1[static_cast<std::size_t>(i)], icon);
      icons_.SetIconIndex(LayerCaptions2[static_cast<std::size_t>(i)], icon);
    }
  }
}

void DrawingLink::LayerItemClicked(int v, int i) {
  ControlArray<Menu>& menu = v == 1 ? Main().mnuLayer1 : Main().mnuLayer2;
  if (!menu.Exists(i)) return;
  Menu& item = menu(i);
  if (item.Caption().size() <= kPrefixLength) return;
  const std::string layer = item.Caption().substr(kPrefixLength);
  item.SetChecked(!item.Checked());
  if (item.Checked()) {
    View().Viewer(v).ViewerLayerOn(layer);
  } else {
    View().Viewer(v).ViewerLayerOff(layer);
  }
  // The icon follows: shown and hidden forms are 14 apart.
  const int k = icons_.GetIconIndex(item.Caption());
  if (k >= 15) {
    icons_.SetIconIndex(item.Caption(), (k + 1) % 15);
  } else if (k >= 0) {
    icons_.SetIconIndex(item.Caption(), k + 14);
  }
  ClearPickMarks();
}

void DrawingLink::CheckBackColorMenu() {
  const std::optional<int> code = BackColorCode(BackRgb());
  if (!code) return;
  Menu* items[] = {&Main().mnuWhite, &Main().mnuBlack, &Main().mnuYellow, &Main().mnuBlue};
  for (int i = 0; i < 4; ++i) items[i]->SetChecked(i == *code);
}

void DrawingLink::CheckForeColorMenu(int code) {
  struct Item {
    int code;
    Menu* menu;
  };
  const Item items[] = {{256, &Main().mnuFOriginal}, {14, &Main().mnuFWhite}, {7, &Main().mnuFBlack},
                        {2, &Main().mnuFYellow},     {5, &Main().mnuFBlue}};
  bool known = false;
  for (const Item& i : items) known = known || i.code == code;
  if (!known) return;
  for (const Item& i : items) i.menu->SetChecked(i.code == code);
}

void DrawingLink::ClearPickMarks() {
  if (Program().DrawingPath.empty()) return;
  PickedEntityIds[0].clear();
  PickedEntityIds[1].clear();
  for (int v = 1; v <= 2; ++v) {
    View().Viewer(v).ViewerSetDisplayMode(2);
    View().Viewer(v).ViewerSetColorAll("#", Standalone().ViewerForeColor);
  }
  View().ShowActiveOverview();
  editor_.SetTopMost(true);
}

void DrawingLink::ApplyForeColor() {
  View().CaptureOverviewRect(1);
  View().CaptureOverviewRect(2);
  View().Dbcocx1.ViewerSetDisplayMode(2);
  View().Dbcocx2.ViewerSetDisplayMode(2);
  View().Dbcocx1.ViewerSetColorAll("#", Standalone().ViewerForeColor);
  View().Dbcocx2.ViewerSetColorAll("#", Standalone().ViewerForeColor);
  View().ShowActiveOverview();
}

void DrawingLink::ChooseBackColor(int code) {
  SetBackRgb(BackColorFromCode(code));
  Viewer().BackColor = BackColorFromCode(code);
  CheckBackColorMenu();
  SaveBackColor(code);
  Main().mnuCurrentCAD.SetEnabled(LoadDrawing(true) == 0);
}

void DrawingLink::ChooseForeColor(int code) {
  CheckForeColorMenu(code);
  Standalone().ViewerForeColor = code;
  Viewer().ForeColor = code;
  SaveForeColor(code);
  ApplyForeColor();
}

void DrawingLink::RestoreSavedView(int v) {
  if (v < 1 || v > 2) throw RuntimeError(kErrSubscriptOutOfRange, "Subscript out of range");
  const SavedView& s = Viewer().Views[static_cast<std::size_t>(v - 1)];
  if (!ViewIsSaved(s)) {
    View().Viewer(v).ViewerZoom(100);
  } else {
    View().Viewer(v).ViewerZoomWindow(s.blx, s.bly, s.trx, s.try_);
  }
}

void DrawingLink::SaveViewerView(int index) {
  if (index < 0 || index > 1) return;
  SavedView s;
  double sixth = 0.0;
  View().Viewer(index + 1).ViewerGetView(s.blx, s.bly, s.trx, s.try_, s.zoomFactor, sixth);
  const std::string& project = Program().ProjectPath;
  PendingView& pending = pendingViews_[static_cast<std::size_t>(index)];
  // A view of another project still waiting goes into its own project first.
  for (const PendingView& p : pendingViews_)
    if (p.waiting && p.project != project) {
      FlushViewStores();
      break;
    }
  KeepViewerView(index, s);
  pending = {true, project, s};
  viewStore_.Schedule();
}

void DrawingLink::FlushViewStores() { viewStore_.RunNow(); }

void DrawingLink::WritePendingViews() {
  for (std::size_t i = 0; i < pendingViews_.size(); ++i) {
    PendingView p = std::exchange(pendingViews_[i], PendingView{});
    if (!p.waiting) continue;
    // A view that cannot be stored forgets both, while its project is open.
    if (!WriteViewerView(p.project, static_cast<int>(i), p.view) && p.project == Program().ProjectPath)
      Viewer().Views = {};
  }
}

void DrawingLink::PlaceOverview(int left, int top, int which) { View().PlaceOverview(left, top, which); }

PixelRect DrawingLink::OverviewRect(int which) const {
  if (which < 1 || which > 2) return {};
  return View().OverviewRect[static_cast<std::size_t>(which - 1)];
}

bool DrawingLink::LoadProjectSettings() {
  // The views still waiting belong to the project shown until now: stored
  // before any row is read.
  FlushViewStores();
  // The shared settings, the drawing colours and the saved views of one row;
  // a row that cannot be read leaves the open project's values in force.
  if (!LoadStandaloneProjectSettings()) return false;
  const ViewerSettings& v = Viewer();
  Standalone().ViewerForeColor = static_cast<int>(v.ForeColor);
  SetBackRgb(v.BackColor);
  CheckBackColorMenu();
  editor::ClearToolTips();
  editor_.SetCourseTabOrder();
  // The frame's option ticks and the direction label; the Auto button is
  // left as the editing state set it.
  const ProjectSettings& p = Program().ProjectSettings;
  Main().mnuVerfyCurves.SetChecked(p.AddAreaCheck);
  Main().mnuAutoInvert.SetChecked(p.AutoInvert);
  Main().mnuVerfyTangent.SetChecked(p.TangentCheck);
  Main().mnuMiniWindow.SetChecked(p.Minimize);
  editor_.ShowDirectionLabel();
  return true;
}

void DrawingLink::AutoInverse() { editor_.AutoInverse(); }

}  // namespace korvalo::standalone
