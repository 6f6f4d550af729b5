#include "storage/messages.h"

#include <iostream>

namespace korvalo {
namespace {
MessageSink& Sink() {
  static MessageSink sink;
  return sink;
}
}  // namespace

void SetMessageSink(MessageSink sink) { Sink() = std::move(sink); }

void Notify(const Message& message) {
  if (Sink()) {
    Sink()(message);
  } else {
    std::cerr << (message.title.empty() ? "Korvalo" : message.title) << ": " << message.text << '\n';
  }
}

}  // namespace korvalo
