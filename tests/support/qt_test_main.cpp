#include <gtest/gtest.h>

#include "support/test_defaults.h"

#include <QApplication>

#include "platform/forms/application.h"

// Test main for tests that need Qt widgets: one QApplication on the offscreen
// platform for the whole test binary.
int main(int argc, char** argv) {
  korvalo::testing::SetTestDefaults();
  int result = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  korvalo::forms::AwaitOtherThreadsEnded();
  return result;
}
