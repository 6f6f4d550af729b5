#pragma once

#include <string>
#include <vector>

#include "reports/report_data.h"

// The full report (a block of courses and figures per parcel, as text and as
// comma-separated values) and the summary report (a line per parcel). Each
// build rewrites its scratch files from empty and hands back the text the
// preview shows.
namespace korvalo::reports {

struct ScratchPaths {
  std::string text;  // "temp.rpt"
  std::string csv;   // "tempcsv.rpt"; the summary leaves it alone
};

// The run folder's "temp.rpt" and "tempcsv.rpt".
ScratchPaths RunScratchPaths();

// "There is no data to print."
inline constexpr const char* kNoDataMessage = "There is no data to print.";

struct BuildResult {
  enum class Status {
    Built,   // the scratch files hold the whole report; `preview` is their text
    NoData,  // the project has no parcel: `message`, the preview keeps what it showed
    Failed,  // `message` holds the failure's description; the preview keeps what it showed
  };
  Status status = Status::Failed;
  std::string message;
  std::string preview;
};

// One parcel's block of the full report text and of its CSV; `courses` is
// not empty. Lines end in CR LF.
std::string LotClosureReport(const std::string& parcel, const std::vector<StoredCourse>& courses,
                             const ParcelFigures& figures, const ReportSettings& settings);
std::string LotClosureCsv(const std::string& parcel, const std::vector<StoredCourse>& courses,
                          const ReportSettings& settings);

// The full report of the parcels the filter selects, judged by their stored
// closure, into both scratch files.
BuildResult BuildFullReport(ReportProject& project, const ReportFilter& filter,
                            const ReportSettings& settings, const ScratchPaths& paths);

// The summary heading and one parcel's line.
std::string SummaryHeading(const ReportSettings& settings);
std::string SummaryLine(const std::string& parcel, const ParcelFigures& figures,
                        const ReportSettings& settings);

// The summary of the parcels the filter selects, judged by their recomputed
// closure, into the text scratch file.
BuildResult BuildSummaryReport(ReportProject& project, const ReportFilter& filter,
                               const ReportSettings& settings, const ScratchPaths& paths);

}  // namespace korvalo::reports
