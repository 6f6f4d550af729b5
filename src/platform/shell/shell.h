#pragma once

#include <functional>
#include <string>

// Handing a document, a program, a web page or a mail address to the
// desktop: the desktop's default handler opens it (xdg-open). The program
// does not wait for it and does not look at the outcome: a missing program,
// browser or mail client gives no message. Tests install a hook that
// records what would have been opened.
namespace korvalo::shell {

// How the opened window should appear.
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

struct ShellRequest {
  std::string target;  // a path, a web address or a "mailto:" address
  int showCommand = SW_SHOWNORMAL;
};

using ShellHook = std::function<void(const ShellRequest&)>;
// Installs the hook; an empty hook restores the desktop. Returns the previous.
ShellHook SetShellHook(ShellHook hook);

// Opens the target through the hook or the desktop.
void ShellOpen(const std::string& target, int showCommand = SW_SHOWNORMAL);

// The program's web pages and mail addresses.
inline constexpr const char* kFaqPage = "https://korvalo.example/faq.html";
inline constexpr const char* kHomePage = "https://korvalo.example/";
inline constexpr const char* kSupportAddress = "support@korvalo.example";
inline constexpr const char* kCommentsAddress = "comments@korvalo.example";

void OpenFaqPage();
void MailSupport();
void MailComments();
void OpenHomePage();

}  // namespace korvalo::shell
