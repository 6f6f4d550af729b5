// Settings every test program starts with, whatever runs it (CTest, a shell,
// a debugger): the leak checker's suppressions and the shared fixtures folder.

#include "support/test_defaults.h"

#include <cstdlib>

extern "C" {

// Leaks inside system libraries that we cannot fix (font and display set-up).
// Read by LeakSanitizer in the sanitizer build; unused otherwise.
const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n"
         "leak:libdbus\n"
         "leak:libglib\n";
}

}  // extern "C"

namespace korvalo::testing {

void SetTestDefaults() {
  // Tests never need a real display.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Drawings and other files we could not make ourselves live beside the
  // project; a KORVALO_FIXTURES set by the caller wins.
  setenv("KORVALO_FIXTURES", KORVALO_FIXTURES_DEFAULT, 0);
}

}  // namespace korvalo::testing
