#pragma once

// A drawing surface in twips, x to the right and y downward from the
// top-left corner. The picture box draws on one; tests record on another
// (RecordingCanvas in platform/forms/testing.h).

#include "platform/forms/units.h"

namespace korvalo::forms {

class Canvas {
 public:
  virtual ~Canvas() = default;
  // Fills the whole surface with its background colour.
  virtual void Clear() = 0;
  // A straight line between two points.
  virtual void Line(double x1, double y1, double x2, double y2, Colour colour) = 0;
  // An unfilled rectangle between two corners.
  virtual void Rectangle(double x1, double y1, double x2, double y2, Colour colour) = 0;
  // A circular arc around (cx, cy), drawn counter-clockwise as seen on the
  // screen from the start angle to the end angle, in radians from the
  // positive x axis.
  virtual void Arc(double cx, double cy, double radius, double startAngle, double endAngle,
                   Colour colour) = 0;
};

}  // namespace korvalo::forms
