#pragma once

// Settings every test program starts with, whatever runs it (CTest, a shell,
// a debugger). The same file gives the sanitizer build its leak suppressions.
namespace korvalo::testing {

// Sets QT_QPA_PLATFORM and KORVALO_FIXTURES unless the caller set them.
void SetTestDefaults();

}  // namespace korvalo::testing
