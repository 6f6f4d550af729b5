#include "platform/forms/units.h"

#include <cmath>

namespace korvalo::forms {

int PixelsFromTwips(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

}  // namespace korvalo::forms
