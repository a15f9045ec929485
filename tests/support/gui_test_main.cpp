// Test entry for suites that need the toolkit: initialises GTK on the main
// thread (under Xvfb in scripts/test) before any test runs.
#include <gtest/gtest.h>

#include <cstdlib>

#include "toolkit/toolkit.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  setenv("NO_AT_BRIDGE", "1", 0);
  // Listing the tests (CTest does so to discover them) needs no display.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  if (!vandrel::tk::InitialiseToolkit(&argc, &argv)) {
    std::fprintf(stderr, "no display: GUI tests need an X server (scripts/test starts Xvfb)\n");
    return 1;
  }
  return RUN_ALL_TESTS();
}
