// Test entry point: the first argument names the folder of the finished programs.
#include <gtest/gtest.h>

#include "harness.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) e2e::SetDistFolder(argv[1]);
  return RUN_ALL_TESTS();
}
