#include <deque>
#include <exception>
#include <string>
#include <vector>

#include "common/utf8.h"
#include "geometry/direction.h"
#include "geometry/tokens.h"
#include "platform/viewer/drawing_viewer.h"
#include "standalone/drawing_link.h"
#include "standalone/frm_main.h"
#include "standalone/frm_view.h"
#include "standalone/standalone_editor.h"
#include "standalone/standalone_state.h"
#include "storage/program_state.h"

// Picking drawing texts in the viewers and placing their tokens in the
// editor's course boxes.
namespace korvalo::standalone {

using namespace forms;

namespace {

bool IsDirection(const std::string& token) {
  std::string copy = token;
  return geometry::IsValidDirection(copy, ProjectDirections());
}

// Every occurrence of `from` in text replaced by `to`.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  std::size_t at = 0;
  while ((at = text.find(from, at)) != std::string::npos) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

}  // namespace

geometry::DirectionSettings ProjectDirections() {
  geometry::DirectionSettings s;
  s.bearing = Program().ProjectSettings.Bearing;
  s.degreeSymbol = Program().ProjectSettings.DegreeSymbol;
  return s;
}

std::string DrawingLink::CapacityMessage() const {
  return "This version limit is " + std::to_string(Program().CourseLimit) + " courses.";
}

// --- the focus record ----------------------------------------------------------

void DrawingLink::FollowEditor(StandaloneEditor* editor) { focus_ = editor; }

StandaloneEditor& DrawingLink::Focus() const {
  if (!focus_) throw RuntimeError(kErrInvalidProcedureCall, "No editor to place the picked text in");
  return *focus_;
}

void DrawingLink::MoveFocus(TextBox& box) {
  // Focus events run synchronously: the editor's record is current when this
  // returns, and no user input runs in between.
  try {
    box.SetFocus();
  } catch (const RuntimeError&) {
    // A box that cannot take the focus now keeps the focus where it was.
  }
}

TextBox* DrawingLink::NumberFieldAt(int row, int position) {
  if (position < 1 || position > 4) return nullptr;
  const std::string& name = editor_.ArcFieldOrder()[static_cast<std::size_t>(position - 1)];
  if (name == "txtArc") return &editor_.txtArc(row);
  if (name == "txtChord") return &editor_.txtChord(row);
  if (name == "txtRadius") return &editor_.txtRadius(row);
  return nullptr;
}

void DrawingLink::GotoFocusLine() {
  if (focus_) focus_->GotoFocusLine();
}

// --- placing ------------------------------------------------------------------------

void DrawingLink::FocusArcEntryField() {
  const int last = Program().CourseLimit - 1;
  editor_.ToggleLineCurve(last);
  if (TextBox* box = NumberFieldAt(last, 3)) MoveFocus(*box);
}

int DrawingLink::PlaceToken(std::string& token) {
  const int limit = Program().CourseLimit;
  auto& e = editor_;
  StandaloneEditor& focus = Focus();
  // Read afresh at every step: moving the focus changes them.
  const auto focusRow = [&focus] { return focus.FocusRow; };
  const auto focusField = [&focus] { return focus.FocusField; };
  const auto lineRow = [&](int r) { return e.frameLine(r).Visible(); };
  const auto nextDirection = [&](int next) {
    if (lineRow(next)) {
      MoveFocus(e.txtBearingLine(next));
    } else {
      MoveFocus(e.txtBearingArc(next));
    }
  };

  // 1. Directions are written in upper case with the degree sign.
  const bool direction = IsDirection(token);
  if (direction) {
    token = ReplaceAll(utf8::AsciiUpper(token), utf8::AsciiUpper(Program().ProjectSettings.DegreeSymbol), "\u00B0");
    if (focusRow() == 0) {
      if (e.frameLine(0).Visible() && e.txtBearingLine(0).Text().empty()) {
        MoveFocus(e.txtBearingLine(0));
      } else if (e.frameArc(0).Visible() && e.txtBearingArc(0).Text().empty()) {
        MoveFocus(e.txtBearingArc(0));
      }
    }
  }
  // 2. The name box.
  if (focusRow() == 0) {
    e.txtParcel.SetText(token);
    nextDirection(0);
    return 0;
  }

  // The direction of the course after the focused one.
  const auto directionForNext = [&]() -> int {
    const int k = focusRow();
    if (k >= limit) return 1;
    const bool line = lineRow(k);
    e.frameArc(k).SetEnabled(true);
    e.frameLine(k).SetEnabled(true);
    e.cmdNo(k).SetEnabled(true);
    if (line) {
      e.txtBearingLine(k).SetText(token);
      MoveFocus(e.txtDistanceLine(k));
    } else {
      e.txtBearingArc(k).SetText(token);
      if (TextBox* box = NumberFieldAt(k, 2)) MoveFocus(*box);
    }
    return 0;
  };
  // A number where a direction is expected closes the course before as a curve.
  const auto numberAtDirection = [&]() -> int {
    const int r = focusRow() - 1;
    if (focusRow() <= 1) {
      e.txtParcel.SetText(e.txtParcel.Text() + " " + token);
      return 0;
    }
    if (lineRow(r - 1)) {
      e.ToggleLineCurve(r - 1);
      if (TextBox* box = NumberFieldAt(r - 1, 3)) box->SetText(geometry::NumericText(token));
      if (TextBox* box = NumberFieldAt(r - 1, 4)) MoveFocus(*box);
    }
    return 0;
  };
  const auto arcRow = [&]() -> int {
    const int r = focusRow() - 1;
    const int field = focusField();
    if (direction && field > 1) return directionForNext();
    if (field < 1 || field > 4) return 0;
    const std::string& name = e.ArcFieldOrder()[static_cast<std::size_t>(field - 1)];
    if (name == "txtBearing") {
      if (!direction) return numberAtDirection();
      e.txtBearingArc(r).SetText(token);
      if (TextBox* box = NumberFieldAt(r, 2)) MoveFocus(*box);
      return 0;
    }
    TextBox* box = NumberFieldAt(r, field);
    if (!box) return 0;
    box->SetText(geometry::NumericText(token));
    if (field >= 4) {
      if (focusRow() > limit - 1) return 1;
      nextDirection(focusRow());
    } else if (TextBox* next = NumberFieldAt(r, field + 1)) {
      MoveFocus(*next);
    }
    return 0;
  };

  const int r = focusRow() - 1;
  if (!lineRow(r)) return arcRow();
  if (focusField() == 1) {
    if (direction) {
      e.txtBearingLine(r).SetText(token);
      MoveFocus(e.txtDistanceLine(r));
      return 0;
    }
    return numberAtDirection();
  }
  if (direction) return directionForNext();
  if (focusRow() > limit - 1 && focusField() > 2) {
    // A second number after the last row's distance: the row is a curve and
    // the number its value at order position 3.
    FocusArcEntryField();
    // The number goes to order position 3 even when its box could not take
    // the focus.
    focus.FocusField = 3;
    return arcRow();
  }
  e.txtDistanceLine(r).SetText(geometry::NumericText(token));
  if (focusRow() > limit - 1) {
    // No next row: the focus stays on the distance, past it.
    focus.FocusField += 1;
    return 0;
  }
  nextDirection(focusRow());
  return 0;
}

void DrawingLink::PlaceTokens(const std::vector<std::string>& tokens) {
  if (!focus_) return;
  for (std::string token : tokens) {
    if (token.empty()) continue;
    if (focus_->FocusRow != 0 && geometry::NumericText(token) == "0") continue;
    if (PlaceToken(token) == 1) {
      MsgBox(CapacityMessage(), vbOKOnly, "");
      return;
    }
  }
}

// --- picking ------------------------------------------------------------------------

bool DrawingLink::IsPickedEntity(const std::string& id, int viewer) {
  if (viewer < 1 || viewer > 2) throw RuntimeError(kErrSubscriptOutOfRange, "Subscript out of range");
  bool found = false;
  for (const std::string& entry : PickedEntityIds[static_cast<std::size_t>(viewer - 1)]) found = found || entry == id;
  return found;
}

void DrawingLink::ViewerMouseDown(int k, int button, double x, double y) {
  // A press while a pick runs waits for its end.
  if (picking_) {
    waiting_.push_back({k, button, x, y});
    return;
  }
  if (!focus_ || !editor_.Editing() || Program().DrawingPath.empty()) return;
  const int row = focus_->FocusRow;
  const int field = focus_->FocusField;
  if (row != 0) {
    if (editor_.frameLine(row - 1).Visible()) {
      if (field < 1) return;
    } else if (field < 1 || field > 4) {
      return;
    }
  }
  picking_ = true;
  // However the pick ends the next press runs; a pick that ends by an error
  // drops the presses that waited for it, which were aimed at a state the
  // error has left unknown.
  struct Done {
    bool& flag;
    std::deque<Press>& waiting;
    const int unwinding = std::uncaught_exceptions();
    ~Done() {
      flag = false;
      if (std::uncaught_exceptions() > unwinding) waiting.clear();
    }
  } done{picking_, waiting_};

  viewer::DrawingViewer& v = View().Viewer(k);
  long start = 0;
  for (;;) {
    v.ViewerFindEntityAt(x, y, start);
    const std::string descr = v.ViewerEntityField("DESCR").substr(0, 4);
    if (v.ViewerEntityFound() != 0 && descr != "TEXT") {
      start = v.ViewerNextIndex();
      continue;
    }
    break;
  }
  std::string text;
  if (v.ViewerEntityFound() != 0 && v.ViewerEntityField("DESCR").substr(0, 4) == "TEXT") {
    text = v.ViewerEntityField("TEXT");
    const std::string id = v.ViewerEntityId();
    if (!IsPickedEntity(id, k)) {
      v.ViewerHighlightEntity(id, viewer::kHighlightStandOut);
      PickedEntityIds[static_cast<std::size_t>(k - 1)].push_back(id);
    }
  }
  v.ViewerRegen(1);
  const std::vector<std::string> tokens = geometry::ViewerTextToTokens(text, button, ProjectDirections());
  if (GrabMode) {
    for (const std::string& t : tokens)
      if (!t.empty()) Standalone().GrabbedTokens.push_back(t);
  } else {
    PlaceTokens(tokens);
  }
  GotoFocusLine();
  // Presses that arrived meanwhile, in their order.
  if (!waiting_.empty()) {
    const Press next = waiting_.front();
    waiting_.pop_front();
    picking_ = false;
    ViewerMouseDown(next.k, next.button, next.x, next.y);
  }
}

void DrawingLink::EndViewerPan() {
  if (mainPtr_) View().EndPan();
}

void DrawingLink::BeginViewerGrab(editor::GrabField, int) {
  editor_.SetEditing(true);
  GrabMode = true;
  Standalone().GrabbedTokens.clear();
  if (Program().ProjectSettings.Minimize) editor_.SetWindowState(vbMinimized);
}

void DrawingLink::BeginViewerGrabName() { BeginViewerGrab(editor::GrabField::LineBearing, 0); }

void DrawingLink::FinishViewerGrab() {
  editor_.SetWindowState(vbNormal);
  // Restoring may have placed them already (the editor's resize handling).
  std::deque<std::string> tokens;
  tokens.swap(Standalone().GrabbedTokens);
  PlaceTokens(std::vector<std::string>(tokens.begin(), tokens.end()));
  Standalone().GrabbedTokens.clear();
  GrabMode = false;
}

}  // namespace korvalo::standalone
