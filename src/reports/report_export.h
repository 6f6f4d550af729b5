#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/edition.h"

// Save as of the report window: the file's format follows its name, and a
// file is written whole or not at all.
namespace korvalo::reports {

// Chosen by the last three characters of the name, in any letter case:
// "TXT" plain text, "CSV" the full report's CSV, anything else rich text.
enum class ExportFormat { Text, Csv, Rtf };
ExportFormat ExportFormatFor(std::string_view fileName);

// The save dialog's filter list; the R14 program lists rich text first.
std::string SaveDialogFilter(Edition edition);

// The save dialog's flag asking before an existing file is replaced.
inline constexpr int kOverwritePrompt = 2;

inline constexpr const char* kInvalidFileNameMessage =
    "Invalid file name. The report has not been saved.";
inline constexpr const char* kOnlyFullReportCsvMessage =
    "Only the full report can be saved as a CSV file.";

// What Save as works from.
struct ExportSource {
  std::string previewText;  // the preview: the text of "temp.rpt"
  // True only while the window shows a full report fully built in this
  // opening; then `csvPath` holds that build's CSV.
  bool fullReportShown = false;
  std::string csvPath;
};

struct ExportResult {
  enum class Status { Saved, Cancelled, Refused };
  Status status = Status::Refused;
  std::string message;  // the message box to show when Refused
};

// Writes the report under `fileName` (the save dialog's answer; none when
// it was cancelled, which writes nothing and shows nothing). The file is
// written beside its final name and then put in place, so a failure leaves
// an existing file of that name as it was.
ExportResult ExportReport(const std::optional<std::string>& fileName, const ExportSource& source);

}  // namespace korvalo::reports
