#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/forms/forms.h"

// What the report window asks of the parcel editor: its window (the window
// moves it aside while a report is open and puts it back after), and for the
// report with picture its parcel list, course rows, result labels and
// picture. The program passes the editor of its edition.
namespace korvalo::reports {

// One course row as the editor shows it.
struct EditorCourseRow {
  bool arc = false;        // an arc row (its arc frame shows)
  std::string direction;   // the direction box of the row's kind
  std::string distance;    // line row: the distance
  std::string arcLength;   // arc row: arc length, chord and radius
  std::string chord;
  std::string radius;
  bool plus = false;       // arc row: the "+" sign box ticked
};

// The captions of the editor's result labels.
struct EditorFigures {
  std::string area;
  std::string closure;
  std::string precision;
  std::string direction;
};

class ReportEditor {
 public:
  virtual ~ReportEditor() = default;

  virtual forms::Form& Window() = 0;
  // Where the editor stood when the Report menu was opened (twips).
  virtual int SavedTop() const = 0;
  virtual int SavedLeft() const = 0;
  // A parcel is being edited (Save is enabled).
  virtual bool Editing() const = 0;

  // The parcel list: selecting an entry from code loads, computes and draws
  // that parcel before the assignment returns.
  virtual forms::ComboBox& ParcelList() = 0;
  // The ParcelID of the parcel the editor shows now; none when it shows no
  // stored parcel (a load it refused, a new parcel).
  virtual std::optional<std::int64_t> ShownParcelId() const = 0;
  virtual int CourseLimit() const = 0;
  virtual EditorCourseRow Row(int k) const = 0;
  virtual EditorFigures Figures() const = 0;
  virtual forms::PictureBox& Picture() = 0;
  // Draws the shown parcel into the picture at the picture's present size.
  virtual void Drawing() = 0;
};

}  // namespace korvalo::reports
