#pragma once

#include <string>

// The run's private folder for the reports' scratch files ("temp.rpt",
// "tempcsv.rpt"): made on first use under $TMPDIR (or /tmp) with mode 0700,
// removed with its contents when the program ends. The program folder may be
// read-only, and two programs may run at once, so the files never live there.
namespace korvalo::reports {

// The folder's path; throws std::runtime_error with the system's reason when
// it cannot be made.
const std::string& RunFolder();

// RunFolder() + "/temp.rpt" and RunFolder() + "/tempcsv.rpt".
std::string ScratchTextPath();
std::string ScratchCsvPath();

}  // namespace korvalo::reports
