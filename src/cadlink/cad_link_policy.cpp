#include "cadlink/cad_link_policy.h"

namespace korvalo::cadlink {

CadLinkPolicy PolicyFor(Edition edition) {
  CadLinkPolicy policy;
  if (edition == Edition::R14) {
    policy.countsDocuments = false;
    policy.reportsActiveDocumentError = false;
    policy.visibleFirst = false;
    policy.writesSdiOnConnect = false;
    policy.focusesCadBeforePick = false;
  }
  return policy;
}

}  // namespace korvalo::cadlink
