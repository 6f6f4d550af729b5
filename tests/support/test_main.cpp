#include <gtest/gtest.h>

#include "support/test_defaults.h"

int main(int argc, char** argv) {
  korvalo::testing::SetTestDefaults();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
