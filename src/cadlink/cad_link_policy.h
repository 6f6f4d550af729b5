#pragma once

#include "common/edition.h"

// How each build of the linked edition talks to its CAD program. The A2004
// and A2000 builds behave alike; the R14 build has a shorter connection and
// no focus handover before a pick.
namespace korvalo::cadlink {

struct CadLinkPolicy {
  // Counts the open drawings: none opens the project drawing through the
  // documents (with the "does not exist" message), two or more refuse the
  // link (status 3). Without it the active drawing is used as it is.
  bool countsDocuments = true;
  // Reports an error left over once the drawing is open ("at getting active
  // document").
  bool reportsActiveDocumentError = true;
  // Sets the CAD program visible right after attaching; without it only at
  // the end of the connection.
  bool visibleFirst = true;
  // Writes SDI while connecting (single-document mode on to compare and
  // open the drawing, then off).
  bool writesSdiOnConnect = true;
  // Gives the CAD program's main window the focus before a pick.
  bool focusesCadBeforePick = true;

  bool operator==(const CadLinkPolicy&) const = default;
};

// The policy of a linked build. The standalone edition has no CAD link; it
// gets the A2004 policy.
CadLinkPolicy PolicyFor(Edition edition);

}  // namespace korvalo::cadlink
