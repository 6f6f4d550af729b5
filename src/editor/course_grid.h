#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "editor/link_services.h"
#include "platform/forms/forms.h"
#include "storage/project_settings.h"

// The rules of the course grid, kept apart from the window that holds it so
// that every editor window with a grid (80 rows in the linked edition, 50 in
// the standalone one) follows the same rules: what each box accepts, the
// focus colours and the direction check, the unlocking of the next row, the
// row button, the sign pair, the arc inputs' order and places, and the row
// operations (line/curve switch, insert, delete, reset, clear).
//
// The grid does not own its controls: it works on the window's control
// arrays, so the rest of the program keeps reading course values from the
// controls themselves. Every text or sign value the grid sets is an ordinary
// change of the control and runs the same handling as the user's edit; the
// operations that set many values hold CalcEnabled off meanwhile and
// recalculate once at the end.
namespace korvalo::editor {

inline constexpr forms::Colour kFocusColour = 0x0080FF80;
inline constexpr forms::Colour kRowButtonFocusColour = 0x0000FFFF;

// The names the arc inputs go by in ArcFieldOrder (those of the settings
// fields: the chord direction is "txtBearing").
inline constexpr const char* kArcBearingName = "txtBearing";
inline constexpr const char* kArcLengthName = "txtArc";
inline constexpr const char* kChordName = "txtChord";
inline constexpr const char* kRadiusName = "txtRadius";

// The window's row controls the grid works on.
struct CourseGridControls {
  forms::Form& form;
  forms::Frame& frameBase;
  forms::ControlArray<forms::CommandButton>& cmdNo;
  forms::ControlArray<forms::Frame>& frameLine;
  forms::ControlArray<forms::Frame>& frameArc;
  forms::ControlArray<forms::TextBox>& txtBearingLine;
  forms::ControlArray<forms::TextBox>& txtDistanceLine;
  forms::ControlArray<forms::CommandButton>& cmdLineInvert;
  forms::ControlArray<forms::TextBox>& txtBearingArc;
  forms::ControlArray<forms::TextBox>& txtArc;
  forms::ControlArray<forms::TextBox>& txtChord;
  forms::ControlArray<forms::TextBox>& txtRadius;
  forms::ControlArray<forms::Label>& lblA;
  forms::ControlArray<forms::Label>& lblC;
  forms::ControlArray<forms::Label>& lblR;
  forms::ControlArray<forms::CheckBox>& chksign;
  forms::ControlArray<forms::CommandButton>& cmdArcInvert;
};

// What the grid asks of its window.
struct CourseGridHooks {
  // Recomputes and redraws the parcel (does nothing while CalcEnabled is off).
  std::function<void()> calculate;
  // Enters the editing state.
  std::function<void()> enterEditing;
  // Whether a double-click on a course box starts a grab.
  std::function<bool()> grabMode;
  // Starts the grab from the box (after the editing state is on).
  std::function<void(GrabField field, int row)> grab;
  // The row button was released with the left or right button: the row's
  // pop-up menu.
  std::function<void(int row)> rowMenu;
  // An edition that tracks the focused box itself: given a course box's
  // focus gain (any box) or loss (the number boxes), true when it took it
  // over; the grid's own colouring is then skipped.
  std::function<bool(GrabField field, int row)> boxGotFocus;
  std::function<bool(GrabField field, int row)> boxLostFocus;
  // A notice (OK only) in place of the question on a direction that does
  // not read: the text is kept and the box's colour left to the tracking.
  // Empty for the question.
  std::function<std::string()> directionNotice;
  // Whether the row button leaves the current row as it is when it loses
  // the focus.
  std::function<bool()> keepCurrentRow;
};

class CourseGrid {
 public:
  // calcEnabled and currentRow are the window's CalcEnabled and CurrentRow.
  CourseGrid(CourseGridControls controls, int courseLimit, bool& calcEnabled, int& currentRow,
             CourseGridHooks hooks);

  // Sets the handlers of the row arrays. Called once, before the load.
  void WireRowEvents();

  int CourseLimit() const { return courseLimit_; }

  // --- arc inputs: order, places, focus order -------------------------------
  // The names of the four arc inputs by entry position (index 0 is position
  // 1); empty until the first ArrangeArcFields.
  const std::array<std::string, 4>& ArcFieldOrder() const { return arcFieldOrder_; }
  // Rebuilds ArcFieldOrder from the positions and places the arc-length,
  // chord and radius boxes with their labels in every row. Positions that are
  // not sound are taken as the shipped order.
  void ArrangeArcFields(const ProjectSettings& settings);
  // The position 1 to 4 of the name in ArcFieldOrder (exact comparison); 0
  // when it is not there.
  int ArcFieldPosition(std::string_view name) const;
  // The focus order of the grid, after frameBase: row after row, and in a
  // row its button, the line fields, the line invert button, the chord
  // direction, the other three arc inputs in entry order, the sign pair and
  // the arc invert button.
  void SetCourseTabOrder(const ProjectSettings& settings);

  // --- row operations ------------------------------------------------------
  // Switches row k between line and curve; the shown kind's direction and
  // its distance (the arc input at position 2) are carried over. The rows
  // below move by the height difference.
  void ToggleLineCurve(int k);
  // Moves every row below k by dy twips.
  void ShiftRowsBelow(int k, int dy);
  // Opens an empty line row at idx, the courses from there moving down one
  // row. When the last row holds a course there is no room: the user is told
  // the maximum and nothing changes (false).
  bool Insert_Proc(int idx);
  // Empties row idx and makes it a line row with an unconfirmed sign.
  void ResetRow(int idx);
  // Removes row idx, the later courses moving up one row; row 0 is enabled
  // afterwards.
  void Delete_Proc(int idx);
  // The grid's part of emptying the editor: the arc inputs laid out anew,
  // every row an empty line row ("+" unticked, "-" greyed) at 400 twips a
  // row, the row buttons in the button face, rows 1 on locked, no current
  // row. Recalculates once at the end.
  void ClearRows(const ProjectSettings& settings);

  // Whether the visible fields of row k hold anything.
  bool RowHoldsCourse(int k) const;

  // Whether the focus is in the direction box that the direction check last
  // handed it back to after telling the user, and has stayed there since:
  // the user has answered for this box already.
  bool FocusBackAfterDirectionCheck() const;

 private:
  void OnKeyPressNumber(int& keyAscii) const;
  void OnKeyPressDirection(int& keyAscii) const;
  void DirectionLostFocus(forms::TextBox& box, int row);
  void UnlockNextRow(int row);
  void ArcInputChanged(std::string_view name, forms::TextBox& box, int row);
  void CourseBoxChanged(forms::TextBox& box);
  void RowButtonGotFocus(int row);
  void RowButtonLostFocus(int row);
  void ApplySignPair(int box);
  void StartGrab(GrabField field, int row);
  // Takes over row `from` into row `to`, its top `shift` twips from row
  // from's: place, enabled and shown state of both frames and the button,
  // the six texts and the sign pair.
  void TakeOverRow(int to, int from, int shift);
  forms::TextBox* ArcInputNamed(std::string_view name, int row) const;
  int VisibleHeight(int row) const;

  // Holds CalcEnabled off while a bulk operation runs. Finish restores it
  // and, when it was on, recalculates once; an operation that fails midway
  // only gets the flag back.
  class CalcBatch {
   public:
    explicit CalcBatch(CourseGrid& grid);
    ~CalcBatch();
    CalcBatch(const CalcBatch&) = delete;
    CalcBatch& operator=(const CalcBatch&) = delete;
    void Finish();

   private:
    CourseGrid& grid_;
    bool previous_;
    bool finished_ = false;
  };

  CourseGridControls c_;
  // The direction box the check last told the user about; null once a
  // check passes.
  const forms::TextBox* toldBox_ = nullptr;
  int courseLimit_;
  bool& calcEnabled_;
  int& currentRow_;
  CourseGridHooks hooks_;
  std::array<std::string, 4> arcFieldOrder_;
};

}  // namespace korvalo::editor
