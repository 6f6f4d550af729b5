#pragma once

#include <functional>
#include <string>

// Messages for the user. Storage code does not show windows: it hands each
// message to the sink the windows layer installs (tests install a recorder).
namespace korvalo {

enum class MessageIcon { None, Critical, Warning, Information };

struct Message {
  std::string text;
  std::string title;  // empty: the program's title
  MessageIcon icon = MessageIcon::None;
};

using MessageSink = std::function<void(const Message&)>;

// Installs the sink; an empty sink restores the default (standard error).
void SetMessageSink(MessageSink sink);
void Notify(const Message& message);
inline void Notify(const std::string& text, MessageIcon icon = MessageIcon::None,
                   const std::string& title = {}) {
  Notify(Message{text, title, icon});
}

}  // namespace korvalo
