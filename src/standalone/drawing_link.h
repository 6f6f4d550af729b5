#pragma once

#include <array>
#include <deque>
#include <string>
#include <vector>

#include "editor/frm_editor.h"
#include "geometry/direction.h"
#include "platform/forms/forms.h"
#include "standalone/viewer_link.h"
#include "storage/viewer_settings.h"

// The viewer link of the standalone edition over the drawing window: the
// drawing loaded into both viewers with its layers and colours, the colour
// and layer menus of the frame, saved views, picking drawing texts into the
// editor (at once, or collected during a grab) and placing them field by
// field.
namespace korvalo::standalone {

class FrmMain;
class FrmView;

// The message of every failed load. A drawing too large to show, or one
// that could not be read in time, is told with the reason on the next lines
// (LoadErrorText).
inline constexpr const char* kOpenDrawingError = "Open drawing file error!";

// The message of a failed load with the viewer's error number and
// description.
std::string LoadErrorText(int number, const std::string& description);

class DrawingLink : public ViewerLink {
 public:
  // The frame needs the link when it is made: Attach follows.
  explicit DrawingLink(editor::FrmEditor& editor);
  // Wires the frame's drawing window, colour and layer menus to the link.
  void Attach(FrmMain& main);
  ~DrawingLink() override;
  DrawingLink(const DrawingLink&) = delete;
  DrawingLink& operator=(const DrawingLink&) = delete;

  // --- drawing, layers and colours (drawing_link.cpp) -----------------------
  // Loads DrawingPath into both viewers: 0 loaded (or nothing to do unless
  // forced), 1 no drawing or failed ("Open drawing file error!" shown). Names
  // ending in DWG or DXF (any case) get their layer menus; other drawings
  // load without layers. A load never changes DrawingPath. A drawing that
  // loaded without some of its content (the viewer's load notice) says so
  // once, not again at each reload of the same file.
  int LoadDrawing(bool force) override;
  void CheckForeColorMenu(int code) override;
  void CheckBackColorMenu() override;
  void ClearPickMarks() override;
  void PlaceOverview(int left, int top, int which) override;
  PixelRect OverviewRect(int which) const override;
  bool LoadProjectSettings() override;
  void AutoInverse() override;
  // Re-colours both viewers in the fore colour (also with no drawing set).
  void ApplyForeColor();
  // The colour menus' commands: back colour codes 0-3, fore colour codes.
  void ChooseBackColor(int code);
  void ChooseForeColor(int code);
  // A layer menu item (viewer 1 or 2): shows or hides that layer there.
  void LayerItemClicked(int viewer, int item);
  // The saved view of viewer 1 or 2, or the whole drawing.
  void RestoreSavedView(int viewer);
  // Stores the view viewer index + 1 shows: kept as the saved view at once,
  // written into the project's row at the end of the event-loop turn (pan
  // steps of one turn write once, the last view), into the project the view
  // belongs to even when another one opens meanwhile.
  void SaveViewerView(int index);
  // Writes the views still waiting for the end of the turn now.
  void FlushViewStores();

  // --- picking (drawing_link_pick.cpp) -----------------------------------------
  // The floating editor's focus record (`FocusRow`, `FocusField`) says where
  // a picked token goes; placing moves the focus, whose events keep that
  // record, and raises `FocusField` past the last row's distance. Every pick
  // ends with the editor's GotoFocusLine. Without the editor a press only
  // pans and a grab's tokens are dropped.
  void FollowEditor(StandaloneEditor* editor) override;
  void BeginViewerGrab(editor::GrabField field, int row) override;
  void BeginViewerGrabName() override;
  void FinishViewerGrab() override;
  void EndViewerPan() override;
  // A press in viewer k at drawing point (x, y).
  void ViewerMouseDown(int k, int button, double x, double y);
  bool IsPickedEntity(const std::string& id, int viewer);
  // Places one token at the focused field and moves the focus on: 1 when the
  // course capacity is reached, else 0.
  int PlaceToken(std::string& token);
  // The last row, a line row past its distance, becomes a curve and its
  // number field at order position 3 gets the focus.
  void FocusArcEntryField();

  // --- values ------------------------------------------------------------------
  bool GrabMode = false;
  std::string LoadedDrawingPath;
  int LayerCount = 1;
  std::vector<std::string> LayerCaptions1{""};
  std::vector<std::string> LayerCaptions2{""};
  std::vector<int> LayerColors{0};
  // Index 0 viewer 1, 1 viewer 2.
  std::array<std::vector<std::string>, 2> PickedEntityIds;
  // The capacity message.
  std::string CapacityMessage() const;

 private:
  FrmView& View() const;
  void SetUpViewer(int v, bool dwg);
  // Opens the layer table (its handle in `handle`, which the caller closes
  // on every path) and builds the layer menus from it.
  void ReadLayerTable(const std::string& path, long& handle);
  void BuildLayerMenu(forms::ControlArray<forms::Menu>& menu, const std::vector<std::string>& captions,
                      int count);
  void ResetLayerMenus();
  void LayerColorFromDescr(const std::string& descr);
  void SetLayerMenuIcons();
  void EnableToolbars(bool on);
  // Tells the load notice of the drawing just loaded, once for each file.
  void TellLoadNotice(const std::string& path);
  StandaloneEditor& Focus() const;
  void MoveFocus(forms::TextBox& box);
  forms::TextBox* NumberFieldAt(int row, int position);
  void PlaceTokens(const std::vector<std::string>& tokens);
  void GotoFocusLine();

  editor::FrmEditor& editor_;
  FrmMain* mainPtr_ = nullptr;
  FrmMain& Main() const;
  forms::MenuIconHelper icons_;
  // The file and load notice told last.
  std::string toldNotice_;
  StandaloneEditor* focus_ = nullptr;
  // A pick runs; a press arriving meanwhile waits for its end.
  bool picking_ = false;
  struct Press {
    int k, button;
    double x, y;
  };
  std::deque<Press> waiting_;

  // Views waiting for the end of the turn, index 0 viewer 1, with the
  // project they belong to.
  struct PendingView {
    bool waiting = false;
    std::string project;
    SavedView view;
  };
  std::array<PendingView, 2> pendingViews_;
  void WritePendingViews();
  forms::EndOfTurnTask viewStore_{[this] { WritePendingViews(); }};
};

// A layer's colour index from the entity list's text: its absolute value,
// rounded half to even; a text that is not a number counts as 0.
int LayerColourFromText(const std::string& text);

// The open project's direction mode and degree-symbol code.
geometry::DirectionSettings ProjectDirections();

// The icons of the layer menus: 0 none, 1-14 a shown layer's colour, 15-28
// the same colours hidden.
forms::ImageList LayerIcons();

}  // namespace korvalo::standalone
