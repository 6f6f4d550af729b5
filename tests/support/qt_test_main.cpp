#include <gtest/gtest.h>

#include "support/test_defaults.h"

#include <QApplication>

// Test main for tests that need Qt widgets: one QApplication on the offscreen
// platform for the whole test binary.
int main(int argc, char** argv) {
  korvalo::testing::SetTestDefaults();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
