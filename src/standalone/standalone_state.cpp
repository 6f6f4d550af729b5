#include "standalone/standalone_state.h"

namespace korvalo::standalone {

StandaloneState& Standalone() {
  static StandaloneState state;
  return state;
}

void ResetStandaloneState() { Standalone() = StandaloneState{}; }

int EditorMinHeightFor(int screenHeightPixels) { return screenHeightPixels > 640 ? 5750 : 4550; }

}  // namespace korvalo::standalone
