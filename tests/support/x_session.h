#pragma once

// An X server of the tests' own (Xvfb, a 1280 x 1024 screen) with openbox
// on it: what the window-manager tests and the tests that run a program
// under a window manager start, and stop again.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace x_session {

// The program's path in $PATH; "" when it is not installed.
inline std::string FindProgram(const char* name) {
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

// Starts the program in a process group of its own, quiet unless
// KORVALO_WM_VERBOSE is set, with `environment` ("NAME=value") added.
inline pid_t Spawn(const std::vector<std::string>& args, int keepFd = -1,
                   const std::vector<std::string>& environment = {}) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  setpgid(0, 0);
  const int null = open("/dev/null", O_RDWR);
  if (null >= 0) {
    dup2(null, 0);
    dup2(null, 1);
    if (!std::getenv("KORVALO_WM_VERBOSE")) dup2(null, 2);
  }
  for (int fd = 3; fd < 256; ++fd)
    if (fd != keepFd) close(fd);
  for (const std::string& e : environment) putenv(const_cast<char*>(e.c_str()));
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

// Ends the process: asked first, then killed.
inline void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 50; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// Waits, bounded, for the process to end; its exit status, or -1 when it
// did not end in time (it is killed then) or did not end by itself.
inline int WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() >= end) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts Xvfb on a free display; returns the display name ("" on failure).
inline std::string StartServer(const std::string& xvfb, pid_t& pid) {
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

// Waits until a window manager has announced itself on the display's root
// window, and a little longer for it to take windows in.
inline bool WaitForManager(const std::string& display, std::chrono::milliseconds timeout) {
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  if (!c || xcb_connection_has_error(c)) {
    if (c) xcb_disconnect(c);
    return false;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const char* name = "_NET_SUPPORTING_WM_CHECK";
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t check = atom ? atom->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  std::free(atom);
  const auto end = std::chrono::steady_clock::now() + timeout;
  bool found = false;
  while (!found && std::chrono::steady_clock::now() < end) {
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    found = r && xcb_get_property_value_length(r) > 0;
    std::free(r);
    if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  xcb_disconnect(c);
  if (found) std::this_thread::sleep_for(std::chrono::milliseconds(500));
  return found;
}

// Xvfb and openbox for the life of the object.
class Session {
 public:
  Session() {
    const std::string xvfb = FindProgram("Xvfb");
    const std::string openbox = FindProgram("openbox");
    if (xvfb.empty() || openbox.empty()) {
      missing_ = std::string(xvfb.empty() ? "Xvfb" : "openbox") +
                 " is not installed (scripts/install-deps.sh installs it)";
      return;
    }
    display_ = StartServer(xvfb, server_);
    if (display_.empty()) return;
    manager_ = Spawn({openbox, "--sm-disable"}, -1, {"DISPLAY=" + display_});
    if (!WaitForManager(display_, std::chrono::seconds(10))) display_.clear();
  }
  ~Session() {
    Stop(manager_);
    Stop(server_);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Why the tools are missing ("" when they are there).
  const std::string& Missing() const { return missing_; }
  // The display with its window manager; "" when either did not start.
  const std::string& Display() const { return display_; }

 private:
  std::string missing_;
  std::string display_;
  pid_t server_ = -1;
  pid_t manager_ = -1;
};

}  // namespace x_session
