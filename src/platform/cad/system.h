#pragma once

#include "platform/cad/cad.h"

namespace korvalo::cad {

// The CAD program of this machine as the program reaches it. No drawing
// program of ours is installed with this build yet: attaching and starting
// fail ("ActiveX component can't create object"), so the link reports the
// CAD program as not found.
Automation& SystemAutomation();

}  // namespace korvalo::cad
