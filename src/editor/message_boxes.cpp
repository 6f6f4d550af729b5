#include "editor/message_boxes.h"

#include "platform/forms/forms.h"
#include "storage/messages.h"

namespace korvalo::editor {

namespace {

int IconButtons(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical: return forms::vbCritical;
    case MessageIcon::Warning: return forms::vbExclamation;
    case MessageIcon::Information: return forms::vbInformation;
    case MessageIcon::None: break;
  }
  return 0;
}

}  // namespace

void ShowStorageMessagesInMessageBoxes() {
  SetMessageSink([](const Message& message) {
    forms::MsgBox(message.text, forms::vbOKOnly + IconButtons(message.icon), message.title);
  });
}

}  // namespace korvalo::editor
