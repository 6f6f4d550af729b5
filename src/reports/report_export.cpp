#include "reports/report_export.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "common/utf8.h"
#include "reports/rtf_writer.h"

namespace korvalo::reports {
namespace {

ExportResult Refused(const char* message) { return {ExportResult::Status::Refused, message}; }

bool ReadWholeFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return false;
  content = buffer.str();
  return true;
}

// Writes `content` to a new file beside `path` and renames it over `path`.
bool ReplaceFile(const std::string& path, const std::string& content) {
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) return false;
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  // The new file takes the permissions of the one it replaces, or the usual
  // ones of a new file.
  if (ok) {
    mode_t mode = 0666;
    if (::stat(path.c_str(), &existing) == 0) {
      mode = existing.st_mode & 07777;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode &= ~mask;
    }
    ok = ::fchmod(fd, mode) == 0;
  }
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(temp.c_str());
  return ok;
}

}  // namespace

ExportFormat ExportFormatFor(std::string_view fileName) {
  const std::size_t length = utf8::Length(fileName);
  const std::string last =
      utf8::AsciiUpper(length >= 3 ? utf8::Substr(fileName, length - 3) : std::string(fileName));
  if (last == "TXT") return ExportFormat::Text;
  if (last == "CSV") return ExportFormat::Csv;
  return ExportFormat::Rtf;
}

std::string SaveDialogFilter(Edition edition) {
  if (edition == Edition::R14) {
    return "Rich Text File(*.rtf)|*.rtf|TEXT (*.txt)|*.txt|Excel File(*.csv)|*.csv|";
  }
  return "TEXT (*.txt)|*.txt|Rich Text File(*.rtf)|*.rtf|Excel File(*.csv)|*.csv|";
}

ExportResult ExportReport(const std::optional<std::string>& fileName, const ExportSource& source) {
  if (!fileName) return {ExportResult::Status::Cancelled, {}};
  if (fileName->empty()) return Refused(kInvalidFileNameMessage);
  std::string content;
  switch (ExportFormatFor(*fileName)) {
    case ExportFormat::Text:
      content = source.previewText;
      break;
    case ExportFormat::Rtf:
      content = RtfDocument(source.previewText);
      break;
    case ExportFormat::Csv:
      if (!source.fullReportShown) return Refused(kOnlyFullReportCsvMessage);
      if (!ReadWholeFile(source.csvPath, content)) return Refused(kInvalidFileNameMessage);
      break;
  }
  if (!ReplaceFile(*fileName, content)) return Refused(kInvalidFileNameMessage);
  return {ExportResult::Status::Saved, {}};
}

}  // namespace korvalo::reports
