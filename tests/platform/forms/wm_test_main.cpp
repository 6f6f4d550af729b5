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

#include "wm_x11.h"

// Leaks of the system libraries the xcb platform brings in (the session
// bus, fonts), which the sanitizer build would otherwise report at exit.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus\nleak:libfontconfig\nleak:libglib\n"; }

namespace {

std::string FindProgram(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

pid_t Spawn(const std::vector<std::string>& args, int keepFd = -1) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  // The child: its own process group, quiet unless it fails.
  setpgid(0, 0);
  const int null = open("/dev/null", O_RDWR);
  if (null >= 0) {
    dup2(null, 0);
    dup2(null, 1);
    if (!std::getenv("KORVALO_WM_VERBOSE")) dup2(null, 2);
  }
  for (int fd = 3; fd < 256; ++fd)
    if (fd != keepFd) close(fd);
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 50; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// Starts Xvfb on a free display; returns the display name ("" on failure).
std::string StartServer(const std::string& xvfb, pid_t& pid) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  pid = Spawn({xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               "-dpi", "96"},
              fds[1]);
  close(fds[1]);
  std::string number;
  char c = 0;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  return number.empty() ? std::string() : ":" + number;
}

}  // namespace

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
