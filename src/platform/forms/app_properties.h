#pragma once

#include <string>

// Properties of the running program that the platform keeps for it: the help
// file that F1 opens, and the two boxes the automation client shows while a
// call into another program is outstanding (the request-pending box, while
// the other program waits for the user) or refused (the server-busy box).
// The windows set them; the CAD link's calls read them when they need a box.
namespace korvalo::forms {

const std::string& HelpFile();
void SetHelpFile(const std::string& path);

struct ClientBoxText {
  std::string title;
  std::string text;
  bool operator==(const ClientBoxText&) const = default;
};

const ClientBoxText& RequestPendingBox();
void SetRequestPendingBox(const ClientBoxText& box);
const ClientBoxText& ServerBusyBox();
void SetServerBusyBox(const ClientBoxText& box);

}  // namespace korvalo::forms
