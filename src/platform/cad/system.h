#pragma once

#include "platform/cad/cad.h"

namespace korvalo::cad {

// The CAD program of this machine as the program reaches it: KorvaloDraw,
// attached to when it runs and started from the program folder (the folder
// of the running executable) when it does not.
Automation& SystemAutomation();

}  // namespace korvalo::cad
