#pragma once

#include "platform/forms/image.h"

// The pictures on the drawing window's zoom buttons. They are drawn here by
// a few strokes rather than read from files: dark strokes on a clear ground,
// smoothed at their edges, so they read on the button face whatever colour
// the window has.
namespace korvalo::standalone {

// Width and height of every picture, in pixels (the buttons are 28 pixels).
inline constexpr int kToolbarPictureSize = 20;

// A magnifier with "+".
forms::Image ZoomInPicture();
// A magnifier with "−".
forms::Image ZoomOutPicture();
// A dashed selection rectangle with a magnifier over its corner.
forms::Image ZoomAreaPicture();
// An arrow curving back to the left.
forms::Image UndoZoomPicture();
// "1:1".
forms::Image ActualSizePicture();
// Two arrows chasing each other round a circle.
forms::Image RedrawPicture();

}  // namespace korvalo::standalone
