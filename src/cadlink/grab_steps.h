#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/frm_editor.h"
#include "editor/link_services.h"

// Placing picked drawing text in the editor's course rows.
//
// A grab starts with a double-click on a course box (or the parcel-name box)
// in the Grab model: the user picks texts in the drawing, their tokens wait
// in PickedTexts, and one chain of steps takes them from the head: a
// direction, then the distance of a line row or the arc values of a curve
// row in the project's entry order, then on to the next row, until the queue
// is empty, a direction is missing or the last row is complete. On the way a
// row becomes a line or a curve row by the group of values that follows its
// direction, a direction met where a value belongs goes back to the queue
// and starts the next row, and the words before row 0's direction are added
// to the parcel name.
//
// Every step fills one box by setting its text, which runs the box's own
// change handling (unlocking the next row). The figures are held while the
// chain runs and computed once when it ends, however it ends: the editor
// never stays with computing switched off.
//
// The steps work on the window's public rows; nothing else calls them.
namespace korvalo::cadlink {

// What TakeToken looks for.
enum PickTokenKind : int {
  kTakeDirection = 0,  // the next valid direction
  kTakeNumber = 1,     // the next token holding a digit
  kTakeAny = 2         // the head token
};

// What follows the head direction up to the next direction: how many tokens
// hold a value.
enum CourseGroupKind : int {
  kGroupShort = 1,  // none or one value
  kGroupLine = 2,   // two values: a line row
  kGroupCurve = 3   // three or more: a curve row
};

class GrabSteps {
 public:
  // The pick: the tokens of the texts the user selected, nothing when the
  // pick failed.
  using Picker = std::function<std::optional<std::vector<std::string>>()>;

  GrabSteps(editor::FrmEditor& editor, Picker pick);

  // A double-click on a course box of `row` in the Grab model, once the
  // editor is in its editing state: pick, then place from that box on.
  void GrabCourseField(editor::GrabField field, int row);
  // A double-click on the parcel-name box: the first picked word becomes
  // the name unless the pick starts with a direction; row 0 takes the rest.
  void GrabParcelName();

  // The queue of the last pick, head first; nothing before the first pick
  // and after a failed one.
  const std::optional<std::deque<std::string>>& PickedTexts() const { return picked_; }
  // The words met before the last group's direction, each after a blank.
  const std::string& PendingNameWords() const { return pendingNameWords_; }

  // The queue operations, public for the chain's tests.
  // Removes tokens from the head until one of the kind is found; "" when
  // none is (the queue is then empty). A direction comes back as the check
  // leaves it (without blanks in bearing mode).
  std::string TakeToken(PickTokenKind kind);
  // Puts the token back at the head, also into an empty queue.
  void PushBackToken(const std::string& token);
  // Moves the words before the head direction into PendingNameWords and
  // reads the group that follows it.
  CourseGroupKind ClassifyTokens();
  // Replaces the queue (tests).
  void SetPickedTexts(std::optional<std::deque<std::string>> tokens) { picked_ = std::move(tokens); }

  // The six steps. Each one ends quietly when there is no queue, the queue
  // is empty or the Review model is selected.
  void GrabLineBearing(int row);
  void GrabDistance(int row);
  void GrabArcBearing(int row);
  void GrabArcLength(int row);
  void GrabChord(int row);
  void GrabRadius(int row);

  // Runs `chain` as a whole grab: the figures held off while it places
  // values, computed once at its end.
  void RunChain(const std::function<void()>& chain);

 private:
  // Replaces the queue by the tokens of a new pick.
  void Pick();
  bool Proceeds() const;
  bool IsDirection(const std::string& token) const;
  // Whether a token met where a value belongs is a direction: in azimuth
  // mode only one that holds a degree mark (sign, U+00F8 or the project's
  // degree code).
  bool IsDirectionAmongValues(const std::string& token) const;
  std::string NormalisedDirection(const std::string& token) const;
  // The start of a direction step for `row`, of the line kind or the curve
  // kind: the words before the direction, then the group after it. A group
  // of the other kind switches the row and runs the other step instead
  // (nothing comes back). Otherwise the direction to place, with its degree
  // sign; nothing when no direction is left; "" when it was refused (told).
  std::optional<std::string> TakeRowDirection(int row, bool line);
  // The number step's start: the next token holding a digit, its digits
  // into the box. False when nothing was placed (the queue used up, or a
  // direction met and handed back).
  bool PlaceNumber(int row, forms::TextBox& box);
  void GrabArcValue(int row, const char* name, forms::ControlArray<forms::TextBox>& boxes);
  // A direction met where a value belongs starts the next row; on the last
  // row it is left over and the capacity notice ends the grab.
  void HandBack(const std::string& token, int row);
  void EndOfRow(int row, bool distance);
  void EnableRow(int row);
  // The direction step of the row's kind: a line row or a curve row.
  void GrabRow(int row);
  void StepFor(const std::string& name, int row);
  void AddNameWords(int row);

  editor::FrmEditor& editor_;
  Picker pick_;
  std::optional<std::deque<std::string>> picked_;
  std::string pendingNameWords_;
};

}  // namespace korvalo::cadlink
