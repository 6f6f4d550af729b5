#pragma once

#include <string>

#include "geometry/traverse.h"

// What the checks run before a save need from outside: the project settings
// they read, and the boxes they show. The checks show nothing themselves:
// the editor passes message boxes, tests a script.
namespace korvalo::geometry {

struct SaveCheckSettings {
  TraverseSettings traverse;       // direction mode, ErrDecimal, edition, rows of the grid
  bool addAreaCheck = false;       // every arc's "+"/"-" must be confirmed
  bool tangentCheck = false;       // true: ask about a joint; false: only tell
  double tangentTolerance = 0.0;   // decimal degrees: up to it a joint is tangent
  double warningRange = 0.0;       // decimal degrees: from it on a joint is not meant to be tangent
};

// A field of the course grid that a check marks.
enum class CourseField {
  RowButton,      // the row button: background &H8000FF (an arc without a confirmed sign)
  ArcLength,      // the arc-length field: focus and background &H80FF80 (an arc that does not agree)
  LineDirection,  // the line's direction field: focus (an invalid direction)
  ArcDirection,   // the arc's chord-direction field: focus (an invalid direction)
};

inline constexpr int kUnconfirmedSignColour = 0x8000FF;  // RGB(255, 0, 128)
inline constexpr int kArcMismatchColour = 0x80FF80;      // RGB(128, 255, 128)

struct FieldMark {
  int row = 0;
  CourseField field = CourseField::RowButton;
  bool operator==(const FieldMark&) const = default;
};

class SaveDialogs {
 public:
  virtual ~SaveDialogs() = default;
  // A notice: OK button, the program's title, no icon.
  virtual void Notice(const std::string& text) = 0;
  // A question with Yes and No buttons, the program's title, no icon; true
  // for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // A field is marked (coloured, or given the focus, as CourseField says).
  // Called at the moment the check marks it, before the box that speaks of
  // it, so that the user sees the field while reading; the checks also hand
  // every mark back in their result.
  virtual void Mark(const FieldMark& /*mark*/) {}
};

}  // namespace korvalo::geometry
