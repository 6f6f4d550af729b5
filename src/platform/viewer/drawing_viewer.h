#pragma once

// The drawing-viewer control: shows a DXF, DWG (AutoCAD 2000 format) or DGN
// v7 drawing, keeps the view, the layers' visibility, the colours and the
// entity list, and reports the mouse in drawing units with y up.
//
// It is a control of the forms layer: Left, Top, Width and Height in twips,
// its own Enabled and Visible flags, a widget made when it comes into view.
// The drawing and the view live in the control's own state, so every call
// works while it is hidden or before its widget exists; the visible window
// follows from Width and Height.
//
// Events are raised synchronously, nested inside the call or the input
// that caused them. ViewerViewChanged follows every view call and every
// resize while a drawing is shown, never a load, a close or a reset (a load
// must not overwrite a view the caller saved). The control never pans or
// zooms by itself, except for the area chosen by a drag after ViewerZoom(2).

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/forms/hosted.h"

namespace korvalo::viewer {

class DrawingViewer;

// The control's own top-level window "Overview": the whole drawing with a
// rectangle round the view; a press centres the view there; the wheel turned
// over it is the control's wheel event (ViewerWheel). Callers hold
// it by the reference ViewerShowOverview returns. Positions are screen
// pixels. It is never top-most: shown, it belongs to the top-level window
// that holds the viewer and stays above that window (also when the user
// clicks it); showing or moving it does not take the focus.
class OverviewWindow {
 public:
  struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
  };
  ~OverviewWindow();
  OverviewWindow(const OverviewWindow&) = delete;
  OverviewWindow& operator=(const OverviewWindow&) = delete;

  // Moves the window; its size stays.
  void Move(int x, int y);
  Rect ScreenRect() const;
  void Show();
  void Hide();
  bool Visible() const;
  // Whether it is the program's active window.
  bool Active() const;
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool TopMost() const { return false; }

 private:
  friend class DrawingViewer;
  explicit OverviewWindow(DrawingViewer& viewer);
  void Update();
  class Widget;
  DrawingViewer& viewer_;
  std::string caption_ = "Overview";
  Widget* widget_;
};

struct DrawingViewerEvents {
  // Buttons: 1 left, 2 right, 4 middle. Drawing units, y up.
  std::function<void(int button, double x, double y)> OnViewerMouseDown;
  std::function<void(double x, double y)> OnViewerMouseMove;
  std::function<void(int button, double x, double y)> OnViewerMouseUp;
  // The wheel turned: the delta in eighths of a degree (120 one notch away
  // from the user).
  std::function<void(int delta)> OnViewerWheel;
  std::function<void()> OnViewerViewChanged;
};

// An argument of the set-up calls.
using SetupArgument = std::variant<long, double, std::string>;

// The colour code of ViewerHighlightEntity that stands out on every back
// colour the program offers (white, black, yellow, blue).
inline constexpr long kHighlightStandOut = -256;

class DrawingViewer : public forms::HostedControl, public DrawingViewerEvents {
 public:
  using Events = DrawingViewerEvents;
  DrawingViewer(forms::Container& container, const std::string& name);
  ~DrawingViewer() override;

  // --- the drawing -------------------------------------------------------
  bool ViewerDrawingOpen() const;
  void ViewerCloseDrawing();
  void ViewerResetDrawing();
  // Loads the drawing. A file that cannot be read raises forms::RuntimeError
  // with a number (53 not found, 321 not a drawing we read, 7 too large to
  // show) and a description (GDAL's message where it gave one); the drawing
  // shown before stays. Off and frozen layers start hidden.
  void ViewerLoadFile(std::string& path, long flags = 0, const std::string& options = {});
  // Why the last load or layer table of this control could not be read: the
  // number and description ViewerLoadFile raises; 0 and "" after one that
  // read.
  long ViewerLastErrorNumber() const { return lastErrorNumber_; }
  const std::string& ViewerLastErrorText() const { return lastErrorText_; }
  // What the user should know of the drawing shown when the reader left some
  // of it out (entities whose coordinates cannot be shown, blocks nested too
  // deeply); "" when nothing was left out or no drawing is open.
  std::string ViewerLoadNotice() const;
  // Calls that the drawing components of other systems need; here they
  // take their arguments and change nothing.
  void ViewerDwgLoaded(std::string& path);
  void ViewerSetImportLibrary(const std::string& libraryPath);
  long ViewerImportHandle();
  void ViewerSetWorkFile(const std::string& path, long mode);
  void ViewerSetDisplayMode(long mode);
  // The set-up calls by number (3, 10, 35, 41, 131, 166, 176): accepted,
  // nothing changes. Another number raises RuntimeError 438.
  void ViewerSetup(int number, const std::vector<SetupArgument>& arguments = {});

  // --- layer tables of a drawing file, by path ------------------------------
  // A handle (0 when the file cannot be read). The tables live until
  // ViewerCloseHandle or the control goes.
  long ViewerOpenLayerTable(const std::string& path);
  long ViewerLayerCount(long handle);
  // The next name in table order, "" past the last.
  std::string ViewerNextLayerName(long handle, long reserved = 0);
  // 0 shown, 1 off, 2 frozen (cannot be shown), -1 no such layer.
  long ViewerLayerState(long handle, const std::string& layer);
  void ViewerCloseHandle(long handle);

  // --- layers and colours of the loaded drawing -----------------------------
  // A hidden layer's entities are neither drawn nor found. A frozen layer
  // cannot be shown. Unknown names change nothing.
  void ViewerLayerOn(const std::string& layer);
  void ViewerLayerOff(const std::string& layer);
  void ViewerSetBackColor(long red, long green, long blue);
  // which "#" (every entity): 2 yellow, 5 blue, 7 black, 14 white; 256 and
  // any other code their own colours, black or white where an own colour is
  // too close to the back colour. Clears the highlights.
  void ViewerSetColorAll(const std::string& which, long code);
  void ViewerRedraw();
  void ViewerRegen(long mode = 1);

  // --- the view --------------------------------------------------------------
  // 1 halves the window about its centre, -1 doubles it, 2 lets the next
  // left drag choose the window (that drag raises no mouse events; Escape
  // cancels), -2 the view before the last zoom, 100 the whole drawing.
  void ViewerZoom(long code);
  // Shows the window whole and centred, keeping the aspect; a window without
  // area or with corners that are not finite is ignored.
  void ViewerZoomWindow(double xmin, double ymin, double xmax, double ymax);
  // The visible window, the zoom factor (the whole drawing's visible width
  // over the visible width; 99.0 while no drawing is open) and 0.
  void ViewerGetView(double& xmin, double& ymin, double& xmax, double& ymax, double& zoom,
                     double& sixth) const;
  void ViewerSetCenter(double x, double y);
  OverviewWindow& ViewerShowOverview();
  // A number that names the control's window for the run, never 0.
  long ViewerHwnd() const { return hwnd_; }

  // --- the entity list --------------------------------------------------------
  // The layers first (SECTION "L", DESCR the name, ECOLOR the colour index,
  // negative when off), then the entities in file order (SECTION "E", DESCR
  // "LINE", "POLYLINE", "ARC", "CIRCLE", "TEXT", "TEXTM", "POINT" or
  // "OTHER", TEXT as stored, ECOLOR the own colour index, 256 by layer).
  long ViewerEntityCount() const;
  // Out of range: no current entity, every field "".
  void ViewerSelectEntity(long index);
  std::string ViewerEntityField(const std::string& field) const;
  // The first entity of index start or above, on a shown layer, within 3
  // pixels of the point (a text: inside its box) becomes the current one.
  void ViewerFindEntityAt(double x, double y, long start);
  long ViewerEntityFound() const { return found_ ? 1 : 0; }
  // The index after the one found: searching on from it ends.
  long ViewerNextIndex() const { return nextIndex_; }
  // The DXF handle of the current entity, else "#" and its index.
  std::string ViewerEntityId() const;
  // Draws the entity in the stand-out colour (kHighlightStandOut) or a colour
  // index until ViewerSetColorAll or a load.
  void ViewerHighlightEntity(const std::string& id, long colour);

  // --- pictures ----------------------------------------------------------------
  // The control's picture at its present size, highlights and the area
  // rubber band included: width × height pixels 0xAARRGGBB, rows from the
  // top.
  struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  };
  Picture ViewerPicture() const;

  struct State;

 protected:
  QWidget* MakeWidget(QWidget* parent) override;
  void Resized() override;

 private:
  friend class OverviewWindow;
  friend struct ViewerInput;
  void ViewChanged();
  void Invalidate();
  void SyncPixels();

  std::unique_ptr<State> state_;
  std::unique_ptr<OverviewWindow> overview_;
  long hwnd_;
  long current_ = -1;
  long lastErrorNumber_ = 0;
  std::string lastErrorText_;
  bool found_ = false;
  long nextIndex_ = 0;
};

// The import step other systems need for non-DWG drawings: here it reads
// nothing and leaves the path as it is (a file that cannot be read fails in
// ViewerLoadFile). Returns 1.
long DgnImport(std::string& path, long handle, const std::string& options);

}  // namespace korvalo::viewer
