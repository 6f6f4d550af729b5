#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

// Test main for tests that need Qt widgets: one QApplication on the offscreen
// platform for the whole test binary.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
