#pragma once

// A drawing window of KorvaloDraw: the drawing in a viewer control, a status
// line below it, and the selection on screen the link asks for.
//
// Selecting: a click adds the entity under the cursor (a text before any
// other entity there), Shift+click removes it, a left drag adds every
// entity lying wholly inside its box in drawing order; the selected ones
// are highlighted. Enter ends the selection with the entities in the order
// they were selected, Escape ends it empty, closing the window fails it.
// The wheel zooms about the cursor and a middle drag pans, selecting or not.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/viewer/drawing.h"
#include "platform/viewer/drawing_viewer.h"

namespace korvalo::draw {

// A failed member call, as it goes back over the wire.
struct Failure {
  long number;
  std::string description;
};

// Keys the window acts on.
enum class Key { Enter, Escape };

class DrawWindow {
 public:
  struct Events {
    std::function<void(DrawWindow&)> closed;     // the user closed it; it is deleted later
    std::function<void(DrawWindow&)> activated;  // it became the active window
  };
  // How a selection ended: the entities in selection order, or failed when
  // the window was closed.
  using SelectionDone = std::function<void(bool closed, const std::vector<int>& entities)>;

  DrawWindow(int id, const std::string& untitledName, Events events);
  ~DrawWindow();
  DrawWindow(const DrawWindow&) = delete;
  DrawWindow& operator=(const DrawWindow&) = delete;

  int Id() const { return id_; }
  // The absolute path of the drawing, "" while untitled.
  const std::string& FullName() const { return fullName_; }
  // Replaces the drawing by the file; a file that cannot be read throws
  // Failure and the drawing shown stays.
  void Open(const std::string& path);
  // Counts up with every drawing loaded, so that handles on entities of a
  // replaced drawing can be told apart.
  int Generation() const { return generation_; }

  void Show();
  void SetVisible(bool visible);
  // 1 normal, 2 minimised, 3 maximised.
  void SetWindowState(int state);
  bool Maximized() const;
  std::uint64_t Handle() const;
  void Activate();
  forms::Form& GetForm() { return form_; }

  // Entities of the drawing by index in drawing order.
  int EntityCount() const { return static_cast<int>(drawing_.entities.size()); }
  std::string EntityName(int index) const;
  std::string TextString(int index) const;

  // System variables by upper-case name.
  std::map<std::string, int>& Variables() { return variables_; }

  void BeginSelection(SelectionDone done);
  bool Selecting() const { return static_cast<bool>(done_); }
  // Ends a selection nobody waits for any more, without an answer.
  void AbandonSelection();
  const std::vector<int>& Selected() const { return selected_; }
  std::string StatusText() const { return status_.Caption(); }
  void ViewWindow(double& xmin, double& ymin, double& xmax, double& ymax) const;

  // Input in drawing units: the viewer's events, and the test hook's.
  void MouseDown(int button, double x, double y, bool shift);
  void MouseMove(double x, double y);
  void MouseUp(int button, double x, double y, bool shift);
  void Wheel(int delta);
  // True when the key was used.
  bool KeyPressed(Key key);
  // Closes the window as its frame's close button does.
  void CloseByUser();

 private:
  void Layout();
  // Places the normal (restored) window, frame included, centred in the
  // available area of the screen it is on, no larger than that area.
  void FitOnScreen();
  void Refresh();
  void EndSelection(bool closed);
  void Add(int entity);
  void Remove(int entity);
  int EntityAt(double x, double y) const;
  double UnitsPerPixel() const;

  int id_;
  Events events_;
  forms::Form form_;
  bool placed_ = false;
  viewer::DrawingViewer viewer_;
  forms::Label status_;
  viewer::Drawing drawing_;
  long layers_ = 0;  // the viewer lists the layers before the entities
  std::string fullName_;
  std::string title_;
  int generation_ = 0;
  std::map<std::string, int> variables_;

  SelectionDone done_;
  std::vector<int> selected_;
  bool pressed_ = false;
  double pressX_ = 0, pressY_ = 0;
  bool panning_ = false;
  double panX_ = 0, panY_ = 0;
  bool hasCursor_ = false;
  double cursorX_ = 0, cursorY_ = 0;
};

}  // namespace korvalo::draw
