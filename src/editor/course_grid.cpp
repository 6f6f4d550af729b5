#include "editor/course_grid.h"

#include <string>
#include <utility>

#include "editor/grid_layout.h"
#include "geometry/direction.h"
#include "storage/program_state.h"

namespace korvalo::editor {

using namespace forms;

namespace {

constexpr int kKeyBackspace = 8;
constexpr int kKeySpace = 32;
constexpr int kDegreeSign = 176;

bool IsDigitKey(int key) { return key >= '0' && key <= '9'; }

}  // namespace

CourseGrid::CalcBatch::CalcBatch(CourseGrid& grid) : grid_(grid), previous_(grid.calcEnabled_) {
  grid_.calcEnabled_ = false;
}

CourseGrid::CalcBatch::~CalcBatch() {
  if (!finished_) grid_.calcEnabled_ = previous_;
}

void CourseGrid::CalcBatch::Finish() {
  finished_ = true;
  grid_.calcEnabled_ = previous_;
  if (previous_ && grid_.hooks_.calculate) grid_.hooks_.calculate();
}

CourseGrid::CourseGrid(CourseGridControls controls, int courseLimit, bool& calcEnabled,
                       int& currentRow, CourseGridHooks hooks)
    : c_(controls),
      courseLimit_(courseLimit),
      calcEnabled_(calcEnabled),
      currentRow_(currentRow),
      hooks_(std::move(hooks)) {}

// ---------------------------------------------------------------------------
// Event wiring.

void CourseGrid::WireRowEvents() {
  const auto focusColour = [this](TextBox& box, GrabField field, int row) {
    if (hooks_.boxGotFocus && hooks_.boxGotFocus(field, row)) return;
    box.SetBackColor(kFocusColour);
  };
  const auto normalColour = [this](TextBox& box, GrabField field, int row) {
    if (hooks_.boxLostFocus && hooks_.boxLostFocus(field, row)) return;
    box.SetBackColor(vbWindowBackground);
  };

  struct DirectionBox {
    ControlArray<TextBox>& boxes;
    GrabField grab;
  };
  for (const DirectionBox& d : {DirectionBox{c_.txtBearingLine, GrabField::LineBearing},
                                DirectionBox{c_.txtBearingArc, GrabField::ArcBearing}}) {
    ControlArray<TextBox>& boxes = d.boxes;
    const GrabField grab = d.grab;
    boxes.OnGotFocus = [&boxes, focusColour, grab](int k) { focusColour(boxes(k), grab, k); };
    boxes.OnLostFocus = [this, &boxes](int k) { DirectionLostFocus(boxes(k), k); };
    boxes.OnKeyPress = [this](int, int& key) { OnKeyPressDirection(key); };
    boxes.OnChange = [this, &boxes](int k) {
      CourseBoxChanged(boxes(k));
    };
    boxes.OnClick = [this, &boxes](int k) {
      if (boxes(k).Enabled() && hooks_.enterEditing) hooks_.enterEditing();
    };
    boxes.OnDblClick = [this, grab](int k) { StartGrab(grab, k); };
  }

  struct NumberBox {
    ControlArray<TextBox>& boxes;
    GrabField grab;
    const char* arcName;  // null for the line distance
  };
  for (const NumberBox& n : {NumberBox{c_.txtDistanceLine, GrabField::Distance, nullptr},
                             NumberBox{c_.txtArc, GrabField::ArcLength, kArcLengthName},
                             NumberBox{c_.txtChord, GrabField::Chord, kChordName},
                             NumberBox{c_.txtRadius, GrabField::Radius, kRadiusName}}) {
    ControlArray<TextBox>& boxes = n.boxes;
    const GrabField grab = n.grab;
    const char* arcName = n.arcName;
    boxes.OnGotFocus = [&boxes, focusColour, grab](int k) { focusColour(boxes(k), grab, k); };
    boxes.OnLostFocus = [&boxes, normalColour, grab](int k) { normalColour(boxes(k), grab, k); };
    boxes.OnKeyPress = [this](int, int& key) { OnKeyPressNumber(key); };
    boxes.OnChange = [this, &boxes, arcName](int k) {
      if (arcName) {
        ArcInputChanged(arcName, boxes(k), k);
      } else {
        CourseBoxChanged(boxes(k));
        UnlockNextRow(k);
      }
    };
    boxes.OnClick = [this](int) {
      if (hooks_.enterEditing) hooks_.enterEditing();
    };
    boxes.OnDblClick = [this, grab](int k) { StartGrab(grab, k); };
  }

  c_.cmdNo.OnGotFocus = [this](int k) { RowButtonGotFocus(k); };
  c_.cmdNo.OnLostFocus = [this](int k) { RowButtonLostFocus(k); };
  c_.cmdNo.OnMouseUp = [this](int k, int button, int, double, double) {
    if (button != vbLeftButton && button != vbRightButton) return;
    if (hooks_.rowMenu) hooks_.rowMenu(k);
  };

  c_.chksign.OnMouseUp = [this](int i, int, int, double, double) { ApplySignPair(i); };
  // Space toggles a check box on its own; here it gives the box the same
  // result as a mouse click, so the pair never ends with both ticked.
  c_.chksign.OnKeyPress = [this](int i, int& key) {
    if (key != kKeySpace) return;
    key = 0;
    ApplySignPair(i);
  };
  c_.chksign.OnClick = [this](int i) {
    if (hooks_.enterEditing) hooks_.enterEditing();
    c_.cmdNo(i / 2).SetBackColor(vbButtonFace);
    if (hooks_.calculate) hooks_.calculate();
  };
}

// ---------------------------------------------------------------------------
// Key filters.

void CourseGrid::OnKeyPressNumber(int& keyAscii) const {
  if (IsDigitKey(keyAscii) || keyAscii == '.' || keyAscii == kKeyBackspace) return;
  keyAscii = 0;
}

void CourseGrid::OnKeyPressDirection(int& keyAscii) const {
  const int key = keyAscii;
  if (IsDigitKey(key) || key == '"' || key == '\'' || key == kKeyBackspace) return;
  if (key == 'D' || key == 'd') {
    keyAscii = kDegreeSign;
    return;
  }
  if (Program().ProjectSettings.Bearing) {
    switch (key) {
      case 'N': case 'S': case 'E': case 'W': return;
      case 'n': case 's': case 'e': case 'w': keyAscii = key - ('a' - 'A'); return;
      default: break;
    }
  }
  keyAscii = 0;
}

// ---------------------------------------------------------------------------
// Changes, focus and clicks.

void CourseGrid::CourseBoxChanged(TextBox& box) {
  if (hooks_.calculate) hooks_.calculate();
  // What the user types, pastes or cuts in a course box is an edit of the
  // parcel, as a click in the box is: a parcel entered with the keyboard
  // alone must be savable too.
  if (box.HasFocus() && hooks_.enterEditing) hooks_.enterEditing();
}

void CourseGrid::ArcInputChanged(std::string_view name, TextBox& box, int row) {
  CourseBoxChanged(box);
  if (ArcFieldPosition(name) == 4) UnlockNextRow(row);
}

void CourseGrid::UnlockNextRow(int row) {
  const int next = row + 1;
  if (next >= courseLimit_) return;
  c_.frameArc(next).SetEnabled(true);
  c_.frameLine(next).SetEnabled(true);
  c_.cmdNo(next).SetEnabled(true);
}

bool CourseGrid::FocusBackAfterDirectionCheck() const {
  return toldBox_ && c_.form.ActiveControl() == toldBox_;
}

void CourseGrid::DirectionLostFocus(TextBox& box, int row) {
  std::string text = box.Text();
  geometry::DirectionSettings settings;
  settings.bearing = Program().ProjectSettings.Bearing;
  settings.degreeSymbol = Program().ProjectSettings.DegreeSymbol;
  const std::string notice = hooks_.directionNotice ? hooks_.directionNotice() : std::string();
  toldBox_ = nullptr;
  // The check works on a copy: the blanks it strips stay in the box.
  if (text.empty() || geometry::IsValidDirection(text, settings)) {
    if (notice.empty()) box.SetBackColor(vbWindowBackground);
    return;
  }
  if (!notice.empty()) {
    MsgBox(notice, vbOKOnly);
  } else if (MsgBox(std::string(geometry::kInvalidDirectionQuestion), vbYesNo) == vbNo) {
    box.SetText("");
  }
  // The box keeps the focus colour; the row button, receiving the focus,
  // hands it straight back to the box.
  toldBox_ = &box;
  try {
    c_.cmdNo(row).SetFocus();
  } catch (const RuntimeError&) {
    // The row cannot take the focus now (the window is going away): the
    // focus goes where the user sent it.
  }
}

void CourseGrid::RowButtonGotFocus(int row) {
  CommandButton& button = c_.cmdNo(row);
  button.SetBackColor(kRowButtonFocusColour);
  currentRow_ = row;
  // A direction box left with an invalid direction shows the focus colour
  // without the focus: it takes the focus back.
  try {
    if (c_.txtBearingLine(row).BackColor() == kFocusColour && c_.frameLine(row).Visible()) {
      c_.txtBearingLine(row).SetFocus();
    } else if (c_.txtBearingArc(row).BackColor() == kFocusColour && c_.frameArc(row).Visible()) {
      c_.txtBearingArc(row).SetFocus();
    }
  } catch (const RuntimeError&) {
    // The box cannot take the focus (locked): it stays on the row button.
  }
}

void CourseGrid::RowButtonLostFocus(int row) {
  c_.cmdNo(row).SetBackColor(c_.form.BackColor());
  if (hooks_.keepCurrentRow && hooks_.keepCurrentRow()) return;
  currentRow_ = courseLimit_;
}

void CourseGrid::ApplySignPair(int box) {
  const int partner = box % 2 == 0 ? box + 1 : box - 1;
  c_.chksign(partner).SetValue(vbUnchecked);
  c_.chksign(box).SetValue(vbChecked);
}

void CourseGrid::StartGrab(GrabField field, int row) {
  if (!hooks_.grabMode || !hooks_.grabMode()) return;
  if (hooks_.enterEditing) hooks_.enterEditing();
  if (hooks_.grab) hooks_.grab(field, row);
}

// ---------------------------------------------------------------------------
// Arc inputs.

void CourseGrid::ArrangeArcFields(const ProjectSettings& given) {
  ProjectSettings settings = given;
  if (!ArcPositionsSound(settings)) UseShippedArcPositions(settings);

  struct Input {
    const char* name;
    int position;
    ControlArray<TextBox>* box;
    ControlArray<Label>* label;
  };
  // Written in this order: arc length, radius, chord direction, chord.
  const Input inputs[] = {
      {kArcLengthName, settings.ArcPos, &c_.txtArc, &c_.lblA},
      {kRadiusName, settings.RadiusPos, &c_.txtRadius, &c_.lblR},
      {kArcBearingName, settings.BearingPos, nullptr, nullptr},
      {kChordName, settings.ChordPos, &c_.txtChord, &c_.lblC},
  };
  for (const Input& input : inputs) {
    arcFieldOrder_[static_cast<std::size_t>(input.position - 1)] = input.name;
    if (!input.box) continue;  // the chord direction never moves
    const ArcSlot slot = ArcSlotFor(input.position);
    (*input.box)(0).Move(slot.boxLeft, slot.boxTop);
    (*input.label)(0).Move(slot.labelLeft, slot.labelTop);
  }
  for (int i = 1; i < courseLimit_; ++i) {
    for (ControlArray<TextBox>* boxes : {&c_.txtArc, &c_.txtChord, &c_.txtRadius}) {
      (*boxes)(i).Move((*boxes)(0).Left(), (*boxes)(0).Top());
    }
    for (ControlArray<Label>* labels : {&c_.lblA, &c_.lblC, &c_.lblR}) {
      (*labels)(i).Move((*labels)(0).Left(), (*labels)(0).Top());
    }
  }
}

int CourseGrid::ArcFieldPosition(std::string_view name) const {
  for (std::size_t p = 0; p < arcFieldOrder_.size(); ++p) {
    if (arcFieldOrder_[p] == name) return static_cast<int>(p) + 1;
  }
  return 0;
}

void CourseGrid::SetCourseTabOrder(const ProjectSettings& settings) {
  int next = c_.frameBase.TabIndex() + 1;
  const auto place = [&next](Control& stop) { stop.SetTabIndex(next++); };
  for (int k = 0; k < courseLimit_; ++k) {
    place(c_.cmdNo(k));
    place(c_.txtBearingLine(k));
    place(c_.txtDistanceLine(k));
    place(c_.cmdLineInvert(k));
    place(c_.txtBearingArc(k));
    // An input whose position is not 2, 3 or 4 keeps its place.
    for (int position = 2; position <= 4; ++position) {
      if (settings.ArcPos == position) place(c_.txtArc(k));
      if (settings.RadiusPos == position) place(c_.txtRadius(k));
      if (settings.ChordPos == position) place(c_.txtChord(k));
    }
    place(c_.chksign(2 * k));
    place(c_.chksign(2 * k + 1));
    place(c_.cmdArcInvert(k));
  }
}

// ---------------------------------------------------------------------------
// Row operations.

TextBox* CourseGrid::ArcInputNamed(std::string_view name, int row) const {
  if (name == kArcLengthName) return &c_.txtArc(row);
  if (name == kRadiusName) return &c_.txtRadius(row);
  if (name == kChordName) return &c_.txtChord(row);
  return nullptr;
}

int CourseGrid::VisibleHeight(int row) const {
  return c_.frameLine(row).Visible() ? c_.frameLine(row).Height() : c_.frameArc(row).Height();
}

bool CourseGrid::RowHoldsCourse(int k) const {
  if (c_.frameLine(k).Visible()) {
    return !c_.txtBearingLine(k).Text().empty() || !c_.txtDistanceLine(k).Text().empty();
  }
  for (const ControlArray<TextBox>* boxes :
       {&c_.txtBearingArc, &c_.txtArc, &c_.txtChord, &c_.txtRadius}) {
    if (!(*boxes)(k).Text().empty()) return true;
  }
  return false;
}

void CourseGrid::ToggleLineCurve(int k) {
  CalcBatch batch(*this);
  TextBox* distanceInput = ArcInputNamed(arcFieldOrder_[1], k);
  if (c_.frameLine(k).Visible()) {
    c_.frameLine(k).SetVisible(false);
    c_.frameArc(k).SetVisible(true);
    c_.txtBearingArc(k).SetText(c_.txtBearingLine(k).Text());
    if (distanceInput) distanceInput->SetText(c_.txtDistanceLine(k).Text());
    ShiftRowsBelow(k, kArcRowHeight - kLineRowHeight);
  } else {
    c_.frameLine(k).SetVisible(true);
    c_.frameArc(k).SetVisible(false);
    c_.txtBearingLine(k).SetText(c_.txtBearingArc(k).Text());
    if (distanceInput) c_.txtDistanceLine(k).SetText(distanceInput->Text());
    ShiftRowsBelow(k, kLineRowHeight - kArcRowHeight);
  }
  batch.Finish();
}

void CourseGrid::ShiftRowsBelow(int k, int dy) {
  for (int i = k + 1; i < courseLimit_; ++i) {
    c_.frameLine(i).SetTop(c_.frameLine(i).Top() + dy);
    c_.frameArc(i).SetTop(c_.frameArc(i).Top() + dy);
    c_.cmdNo(i).SetTop(c_.cmdNo(i).Top() + dy);
  }
}

void CourseGrid::TakeOverRow(int to, int from, int shift) {
  for (ControlArray<Frame>* frames : {&c_.frameLine, &c_.frameArc}) {
    Frame& target = (*frames)(to);
    const Frame& source = (*frames)(from);
    target.SetTop(source.Top() + shift);
    target.SetEnabled(source.Enabled());
    target.SetVisible(source.Visible());
  }
  c_.cmdNo(to).SetTop(c_.cmdNo(from).Top() + shift);
  c_.cmdNo(to).SetEnabled(c_.cmdNo(from).Enabled());
  for (ControlArray<TextBox>* boxes : {&c_.txtBearingLine, &c_.txtDistanceLine, &c_.txtBearingArc,
                                       &c_.txtRadius, &c_.txtChord, &c_.txtArc}) {
    (*boxes)(to).SetText((*boxes)(from).Text());
  }
  c_.chksign(2 * to).SetValue(c_.chksign(2 * from).Value());
  c_.chksign(2 * to + 1).SetValue(c_.chksign(2 * from + 1).Value());
}

bool CourseGrid::Insert_Proc(int idx) {
  const int last = courseLimit_ - 1;
  // The last row's course would be pushed out of the grid.
  if (RowHoldsCourse(last)) {
    MsgBox("The maximum number of courses is " + std::to_string(courseLimit_) + ".", vbOKOnly);
    return false;
  }
  CalcBatch batch(*this);
  const int h = VisibleHeight(idx);
  for (int w = last; w > idx; --w) TakeOverRow(w, w - 1, h);
  ResetRow(idx);
  batch.Finish();
  return true;
}

void CourseGrid::ResetRow(int idx) {
  CalcBatch batch(*this);
  for (ControlArray<TextBox>* boxes : {&c_.txtBearingLine, &c_.txtDistanceLine, &c_.txtBearingArc,
                                       &c_.txtRadius, &c_.txtChord, &c_.txtArc}) {
    (*boxes)(idx).SetText("");
  }
  c_.chksign(2 * idx).SetValue(vbGrayed);
  c_.chksign(2 * idx + 1).SetValue(vbGrayed);
  if (c_.frameArc(idx).Visible()) ToggleLineCurve(idx);
  batch.Finish();
}

void CourseGrid::Delete_Proc(int idx) {
  CalcBatch batch(*this);
  const int h = VisibleHeight(idx);
  for (int i = idx; i < courseLimit_ - 1; ++i) TakeOverRow(i, i + 1, -h);
  ResetRow(courseLimit_ - 1);
  // Row 0 stays usable whatever row 1 was, or the grid would be locked.
  c_.frameLine(0).SetEnabled(true);
  c_.frameArc(0).SetEnabled(true);
  c_.cmdNo(0).SetEnabled(true);
  batch.Finish();
}

void CourseGrid::ClearRows(const ProjectSettings& settings) {
  CalcBatch batch(*this);
  ArrangeArcFields(settings);
  for (int k = 0; k < courseLimit_; ++k) {
    for (ControlArray<TextBox>* boxes : {&c_.txtDistanceLine, &c_.txtBearingLine, &c_.txtArc,
                                         &c_.txtChord, &c_.txtRadius, &c_.txtBearingArc}) {
      (*boxes)(k).SetText("");
    }
    c_.chksign(2 * k).SetValue(vbUnchecked);
    c_.chksign(2 * k + 1).SetValue(vbGrayed);
  }
  for (int k = 0; k < courseLimit_; ++k) {
    c_.frameArc(k).SetVisible(false);
    c_.frameLine(k).SetVisible(true);
    c_.cmdNo(k).SetBackColor(vbButtonFace);
  }
  for (int k = 0; k < courseLimit_; ++k) {
    c_.frameArc(k).SetTop(kLineRowHeight * k);
    c_.frameLine(k).SetTop(kLineRowHeight * k);
    c_.cmdNo(k).SetTop(kLineRowHeight * k + kRowButtonDrop);
  }
  // Also undoes the unlocking that emptying the rows did.
  for (int k = 1; k < courseLimit_; ++k) {
    c_.frameArc(k).SetEnabled(false);
    c_.frameLine(k).SetEnabled(false);
    c_.cmdNo(k).SetEnabled(false);
  }
  currentRow_ = courseLimit_;
  batch.Finish();
}

}  // namespace korvalo::editor
