#include "reports/report_builders.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <fstream>
#include <stdexcept>

#include "common/edition.h"
#include "common/numbers.h"
#include "common/utf8.h"
#include "reports/report_text.h"
#include "reports/run_folder.h"

namespace korvalo::reports {
namespace {

constexpr std::string_view kEol = kCrLf;

// A scratch file written from empty; every write is checked. Text is
// appended to its buffer (Text()) and goes to the file in pieces of some
// 64 KiB, so the buffer's memory is used again and again and no parcel's text
// costs a system call of its own.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& path) : path_(path) {
    out_.open(path, std::ios::binary | std::ios::trunc);
    if (!out_) Fail();
    pending_.reserve(2 * kPiece);
  }
  // The buffer to append to; Appended() after each piece of text.
  std::string& Text() { return pending_; }
  void Appended() {
    if (pending_.size() >= kPiece) Flush();
  }
  void Write(std::string_view text) {
    pending_ += text;
    Appended();
  }
  void Close() {
    Flush();
    out_.close();
    if (!out_) Fail();
  }
  // The whole file as written, read back into a text sized once (a text
  // grown piece by piece would be copied again at every growth).
  std::string ReadBack() const {
    std::string text(static_cast<std::size_t>(written_), '\0');
    std::ifstream in(path_, std::ios::binary);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (!in || in.gcount() != static_cast<std::streamsize>(text.size())) {
      throw std::runtime_error("The report file " + path_ + " cannot be read.");
    }
    return text;
  }

 private:
  static constexpr std::size_t kPiece = 64 * 1024;
  void Flush() {
    out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
    written_ += pending_.size();
    pending_.clear();
    if (!out_) Fail();
  }
  [[noreturn]] void Fail() const { throw std::runtime_error("The report file " + path_ + " cannot be written."); }
  std::string path_;
  std::ofstream out_;
  std::string pending_;
  std::uint64_t written_ = 0;
};

// The project's reading held for one report.
class Reading {
 public:
  explicit Reading(ReportProject& project) : project_(project) { project_.BeginReading(); }
  ~Reading() { project_.EndReading(); }
  Reading(const Reading&) = delete;
  Reading& operator=(const Reading&) = delete;

 private:
  ReportProject& project_;
};

std::string_view UnitText(const ReportSettings& s) { return s.unitFeet ? "(ft)" : "(m) "; }

// Appends the text inside double quotes, a double quote in it doubled.
void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (std::size_t at = 0;;) {
    const std::size_t quote = text.find('"', at);
    out.append(text.substr(at, quote == std::string_view::npos ? std::string_view::npos : quote + 1 - at));
    if (quote == std::string_view::npos) break;
    out += '"';
    at = quote + 1;
  }
  out += '"';
}

// Appends the pieces one after the other.
template <typename... Pieces>
void Append(std::string& out, const Pieces&... pieces) {
  (out.append(std::string_view(pieces)), ...);
}

// Appends the text right-aligned in a column of `width` code points.
void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
  // A text of single bytes (numbers, most directions) has a code point a byte.
  const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  const std::size_t length = ascii ? text.size() : utf8::Length(text);
  if (length < width) out.append(width - length, ' ');
  out.append(text);
}

std::string Number(double value, const ReportSettings& s) {
  return ReportNumberFormat(value, s.traverse.errDecimal);
}

// What the report and its CSV print of one course, formed once for both.
struct CourseTexts {
  std::string leg;  // the course's place in the parcel, whatever its stored number
  std::string direction;
  std::string length;
  bool arc = false;
  std::string arcLength;
  std::string radius;
  std::string_view sign;  // "+" for a segment added to the area, "-" for any other sign
  bool nonTangent = false;
};

bool WritesNonTangent(const ReportSettings& s) { return s.traverse.edition != Edition::Standalone; }

std::vector<CourseTexts> TextsOf(const std::vector<StoredCourse>& courses, const ReportSettings& settings) {
  std::vector<CourseTexts> texts(courses.size());
  for (std::size_t k = 0; k < courses.size(); ++k) {
    const StoredCourse& c = courses[k];
    CourseTexts& t = texts[k];
    t.leg = std::to_string(k + 1);
    t.direction = utf8::RemoveBlanks(c.Direction);
    t.length = Number(c.Length, settings);
    t.arc = !c.IsLine();
    if (!t.arc) continue;
    t.arcLength = Number(c.Arc.value_or(0.0), settings);
    t.radius = Number(c.Radius.value_or(0.0), settings);
    t.sign = c.Plus.value_or(-1) == 0 ? "+" : "-";
    t.nonTangent = c.NonTang && WritesNonTangent(settings);
  }
  return texts;
}

// Appends the area and its two conversions, "N/A" where the editor shows it.
void AppendAreaLines(std::string& out, const ParcelFigures& f, const ReportSettings& s) {
  constexpr std::string_view kIndent = "                         = ";  // 25 blanks
  const geometry::ClosureResult& r = f.closure;
  const bool available = r.areaAvailable || !r.HasCourses();
  const double area = RoundHalfEven(r.area, s.traverse.errDecimal);
  const auto figure = [&](double value) {
    return available ? RoundedText(value, 6) : std::string("N/A");
  };
  const std::string areaText = available ? NumberText(area) : "N/A";
  constexpr double kSquareFoot = 0.3048 * 0.3048;
  if (s.unitFeet) {
    Append(out, areaText, " sq.f.", kEol);
    Append(out, kIndent, figure(area / 43560.0), " Acres", kEol);
    Append(out, kIndent, figure(area * kSquareFoot), " sq.m.", kEol);
  } else {
    Append(out, areaText, " sq.m.", kEol);
    Append(out, kIndent, figure(area / 10000.0), " Hectares", kEol);
    Append(out, kIndent, figure(area / kSquareFoot / 43560.0), " Acres", kEol);
  }
}

BuildResult Failure(const std::string& message) {
  BuildResult result;
  result.status = BuildResult::Status::Failed;
  result.message = message.empty() ? "The report could not be built." : message;
  return result;
}

BuildResult Built(std::string preview) {
  BuildResult result;
  result.status = BuildResult::Status::Built;
  result.preview = std::move(preview);
  return result;
}

BuildResult NoData() {
  BuildResult result;
  result.status = BuildResult::Status::NoData;
  result.message = kNoDataMessage;
  return result;
}

}  // namespace

ScratchPaths RunScratchPaths() { return {ScratchTextPath(), ScratchCsvPath()}; }

namespace {

void AppendReportBlock(std::string& out, const std::string& parcel, const std::vector<CourseTexts>& courses,
                       const ParcelFigures& figures, const ReportSettings& settings) {
  Append(out, "Drawing file name: ", settings.drawingPath, kEol);
  out += kEol;
  Append(out, "Lot Closure Report - Lot # ", parcel, kEol);
  out += kEol;
  Append(out, "Starting location (North, East) = ( 0, 0 )", kEol);
  Append(out, " LEG    ", settings.directionHeading, "       LENGTH", UnitText(settings),
         "    ARC      RADIUS  AREA+/-", kEol);
  Append(out, " ---    -------       ------        ---      ------  -------", kEol);
  for (const CourseTexts& c : courses) {
    AppendPadded(out, c.leg, 4);
    AppendPadded(out, c.direction, 12);
    AppendPadded(out, c.length, 12);
    if (c.arc) {
      AppendPadded(out, c.arcLength, 12);
      AppendPadded(out, c.radius, 12);
      Append(out, "   ", c.sign);
      if (c.nonTangent) out += "   NT";
    }
    out += kEol;
  }
  const geometry::ClosureResult& r = figures.closure;
  out += kEol;
  Append(out, "Total Distance         : ", NumberText(figures.totalDistance), kEol);
  Append(out, "Misclosure Direction   : ", r.directionText, kEol);
  Append(out, "Misclosure Distance    : ", r.closureText, kEol);
  Append(out, "Precision              : ", r.precisionText, kEol);
  out += "AREA                   : ";
  AppendAreaLines(out, figures, settings);
  for (int i = 0; i < 6; ++i) out += kEol;
}

void AppendCsvBlock(std::string& out, const std::string& parcel, const std::vector<CourseTexts>& courses,
                    const ReportSettings& settings) {
  AppendQuoted(out, settings.drawingPath);
  out += kEol;
  Append(out, "\"LOT #\",\"LEG\",");
  AppendQuoted(out, settings.directionHeading);
  Append(out, ",\"LENGTH", UnitText(settings), "\",\"ARC\",\"RADIUS\",\"AREA+/-\"", kEol);
  for (const CourseTexts& c : courses) {
    AppendQuoted(out, parcel);
    out += ',';
    AppendQuoted(out, c.leg);
    Append(out, ", ", c.direction, ",");
    // Numbers are quoted: their thousands separators are not field breaks.
    AppendQuoted(out, c.length);
    if (c.arc) {
      out += ',';
      AppendQuoted(out, c.arcLength);
      out += ',';
      AppendQuoted(out, c.radius);
      out += ',';
      AppendQuoted(out, c.sign);
      if (c.nonTangent) out += " NT";
    }
    out += kEol;
  }
  out += kEol;
}

}  // namespace

std::string LotClosureReport(const std::string& parcel, const std::vector<StoredCourse>& courses,
                             const ParcelFigures& figures, const ReportSettings& settings) {
  std::string out;
  AppendReportBlock(out, parcel, TextsOf(courses, settings), figures, settings);
  return out;
}

std::string LotClosureCsv(const std::string& parcel, const std::vector<StoredCourse>& courses,
                          const ReportSettings& settings) {
  std::string out;
  AppendCsvBlock(out, parcel, TextsOf(courses, settings), settings);
  return out;
}

BuildResult BuildFullReport(ReportProject& project, const ReportFilter& filter,
                            const ReportSettings& settings, const ScratchPaths& paths) {
  try {
    ScratchFile text(paths.text);
    ScratchFile csv(paths.csv);
    Reading reading(project);
    const std::vector<ParcelEntry> parcels = project.Parcels();
    if (parcels.empty()) {
      text.Close();
      csv.Close();
      return NoData();
    }
    for (const ParcelEntry& parcel : parcels) {
      if (!FilterSelects(filter, parcel.id, parcel.closure, settings.traverse.closureTolerance)) continue;
      const std::vector<StoredCourse> courses = project.Courses(parcel.id);
      if (courses.empty()) continue;
      // Each block is written straight into its file's buffer.
      const std::vector<CourseTexts> texts = TextsOf(courses, settings);
      AppendReportBlock(text.Text(), parcel.name, texts, ComputeFigures(courses, settings), settings);
      text.Appended();
      AppendCsvBlock(csv.Text(), parcel.name, texts, settings);
      csv.Appended();
    }
    text.Close();
    csv.Close();
    // The preview is the text file as written.
    return Built(text.ReadBack());
  } catch (const std::exception& e) {
    return Failure(e.what());
  }
}

std::string SummaryHeading(const ReportSettings& settings) {
  const std::string eol(kEol);
  std::string out;
  out += "Drawing file name: " + settings.drawingPath + eol;
  out += eol;
  out += std::string("             PARCEL NAME      AREA  CLOSURE  ") + "  CLOSURE     PRECISION" + eol;
  out += std::string(30, ' ') + (settings.unitFeet ? "sq.f." : "sq.m.") + std::string(2, ' ') +
         (settings.unitFeet ? " feet" : "meter") + std::string(5, ' ') + settings.directionHeading +
         std::string(12, ' ') + eol;
  out += std::string(68, '_') + eol;
  out += eol;
  return out;
}

std::string SummaryLine(const std::string& parcel, const ParcelFigures& figures,
                        const ReportSettings& settings) {
  const geometry::ClosureResult& r = figures.closure;
  const int places = settings.traverse.errDecimal;
  const bool available = r.areaAvailable || !r.HasCourses();
  // The R14 build leaves the area's rounding to the number pattern (halves
  // away from zero); the others round it half-even first.
  const double area = settings.traverse.edition == Edition::R14 ? r.area : RoundHalfEven(r.area, places);
  // Unlike the editor and the full report (1:1), the summary calls a parcel
  // without length perfect.
  const std::string precision =
      figures.totalDistance == 0.0 && r.precisionText != "N/A" ? std::string("Perfect") : r.precisionText;
  std::string out;
  out += PadLeft(utf8::Substr(parcel, 0, 24), 24);
  out += PadLeft(available ? ReportNumberFormat(area, places) : "N/A", 11);
  out += PadLeft(ReportNumberFormat(r.closure, places), 8);
  out += PadLeft(r.directionText, 14);
  out += "   " + precision;
  out += kEol;
  return out;
}

BuildResult BuildSummaryReport(ReportProject& project, const ReportFilter& filter,
                               const ReportSettings& settings, const ScratchPaths& paths) {
  try {
    ScratchFile text(paths.text);
    Reading reading(project);
    const std::vector<ParcelEntry> parcels = project.Parcels();
    if (parcels.empty()) {
      text.Close();
      return NoData();
    }
    std::string preview = SummaryHeading(settings);
    text.Write(preview);
    for (const ParcelEntry& parcel : parcels) {
      const std::vector<StoredCourse> courses = project.Courses(parcel.id);
      if (courses.empty()) continue;
      const ParcelFigures figures = ComputeFigures(courses, settings);
      // Judged by the closure computed now, not the one stored.
      if (!FilterSelects(filter, parcel.id, figures.closure.closure, settings.traverse.closureTolerance)) {
        continue;
      }
      const std::string line = SummaryLine(parcel.name, figures, settings);
      text.Write(line);
      preview += line;
    }
    text.Close();
    return Built(std::move(preview));
  } catch (const std::exception& e) {
    return Failure(e.what());
  }
}

}  // namespace korvalo::reports
