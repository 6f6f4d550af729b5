#include "platform/forms/app_properties.h"

namespace korvalo::forms {

namespace {

struct Properties {
  std::string helpFile;
  ClientBoxText requestPending;
  ClientBoxText serverBusy;
};

Properties& Props() {
  static Properties properties;
  return properties;
}

}  // namespace

const std::string& HelpFile() { return Props().helpFile; }
void SetHelpFile(const std::string& path) { Props().helpFile = path; }

const ClientBoxText& RequestPendingBox() { return Props().requestPending; }
void SetRequestPendingBox(const ClientBoxText& box) { Props().requestPending = box; }
const ClientBoxText& ServerBusyBox() { return Props().serverBusy; }
void SetServerBusyBox(const ClientBoxText& box) { Props().serverBusy = box; }

}  // namespace korvalo::forms
