#include "platform/shell/shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <utility>

extern char** environ;

namespace korvalo::shell {
namespace {

ShellHook& Hook() {
  static ShellHook hook;
  return hook;
}

// xdg-open in a process of its own, detached: an intermediate child starts
// it and ends at once, so no child is left for the program to reap.
void DesktopOpen(const std::string& target) {
  // Everything the child needs is made before the fork: after it, only
  // calls that allocate nothing.
  char program[] = "xdg-open";
  std::string arg = target;
  char* argv[] = {program, arg.data(), nullptr};
  const pid_t child = fork();
  if (child < 0) return;
  if (child == 0) {
    setsid();
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, STDIN_FILENO);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
    }
    pid_t grandchild = 0;
    posix_spawnp(&grandchild, program, nullptr, nullptr, argv, environ);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
}

}  // namespace

ShellHook SetShellHook(ShellHook hook) { return std::exchange(Hook(), std::move(hook)); }

void ShellOpen(const std::string& target, int showCommand) {
  if (Hook()) {
    Hook()(ShellRequest{target, showCommand});
    return;
  }
  DesktopOpen(target);
}

void OpenFaqPage() { ShellOpen(kFaqPage, SW_SHOWNORMAL); }
void MailSupport() { ShellOpen(std::string("mailto:") + kSupportAddress, SW_SHOW); }
void MailComments() { ShellOpen(std::string("mailto:") + kCommentsAddress, SW_SHOW); }
void OpenHomePage() { ShellOpen(kHomePage, SW_SHOWNORMAL); }

}  // namespace korvalo::shell
