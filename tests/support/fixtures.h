#pragma once

#include <string>

namespace korvalo::test_data {

// A file of the project's test data (tests/fixtures), or of the folder that
// the KORVALO_FIXTURES environment variable names instead; relative is e.g.
// "drawings/line_r2000.dwg".
std::string FixturePath(const std::string& relative);

}  // namespace korvalo::test_data
