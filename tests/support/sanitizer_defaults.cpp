// Settings every test program starts with, whatever runs it (CTest, a shell,
// a debugger): the leak checker's suppressions and the test data folder.

#include "support/test_defaults.h"
#include "support/fixtures.h"

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
  // Drawings and other files we could not make ourselves live in
  // tests/fixtures; a KORVALO_FIXTURES set by the caller wins, and child
  // processes that a test starts inherit the folder.
  setenv("KORVALO_FIXTURES", KORVALO_FIXTURES_DIR, 0);
}

}  // namespace korvalo::testing

namespace korvalo::test_data {

std::string FixturePath(const std::string& relative) {
  const char* root = std::getenv("KORVALO_FIXTURES");
  return std::string(root && *root ? root : KORVALO_FIXTURES_DIR) + "/" + relative;
}

}  // namespace korvalo::test_data
