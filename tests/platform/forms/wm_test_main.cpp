// Test main for window-manager tests: starts its own X server (Xvfb, a
// 1280 x 1024 screen) and openbox on it, runs the tests on Qt's xcb platform,
// and stops both. When Xvfb or openbox is not installed every test is
// skipped with a message.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support/x_session.h"
#include "wm_x11.h"

// Leaks of the system libraries the xcb platform brings in (the session
// bus, fonts), which the sanitizer build would otherwise report at exit.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus\nleak:libfontconfig\nleak:libglib\n"; }

using x_session::FindProgram;
using x_session::Spawn;
using x_session::StartServer;
using x_session::Stop;

int main(int argc, char** argv) {
  bool listing = false;
  for (int i = 1; i < argc; ++i) listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
  ::testing::InitGoogleTest(&argc, argv);
  if (listing) return RUN_ALL_TESTS();

  const std::string xvfb = FindProgram("Xvfb");
  const std::string openbox = FindProgram("openbox");
  if (xvfb.empty() || openbox.empty()) {
    korvalo::forms::wmtest::SetSkipReason(std::string(xvfb.empty() ? "Xvfb" : "openbox") +
                                          " is not installed (scripts/install-deps.sh installs it)");
    return RUN_ALL_TESTS();
  }

  pid_t server = -1, wm = -1;
  const std::string display = StartServer(xvfb, server);
  if (display.empty()) {
    Stop(server);
    std::fprintf(stderr, "Xvfb did not start\n");
    return 1;
  }
  setenv("DISPLAY", display.c_str(), 1);
  wm = Spawn({openbox, "--sm-disable"});
  if (!korvalo::forms::wmtest::WaitForWindowManager(std::chrono::seconds(10))) {
    Stop(wm);
    Stop(server);
    std::fprintf(stderr, "openbox did not take the screen\n");
    return 1;
  }

  setenv("QT_QPA_PLATFORM", "xcb", 1);
  int result = 0;
  {
    QApplication app(argc, argv);
    result = RUN_ALL_TESTS();
  }
  Stop(wm);
  Stop(server);
  return result;
}
