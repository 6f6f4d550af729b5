#include "reports/report_builders.h"

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

// A scratch file written from empty; every write is checked. The text goes
// to the file in pieces of some 64 KiB (the stream would write each parcel's
// text of 1 KiB or more with a system call of its own).
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& path) : path_(path) {
    out_.open(path, std::ios::binary | std::ios::trunc);
    if (!out_) Fail();
    pending_.reserve(kPiece);
  }
  void Write(std::string_view text) {
    pending_ += text;
    if (pending_.size() >= kPiece) Flush();
  }
  void Close() {
    Flush();
    out_.close();
    if (!out_) Fail();
  }

 private:
  static constexpr std::size_t kPiece = 64 * 1024;
  void Flush() {
    out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
    pending_.clear();
    if (!out_) Fail();
  }
  [[noreturn]] void Fail() const { throw std::runtime_error("The report file " + path_ + " cannot be written."); }
  std::string path_;
  std::ofstream out_;
  std::string pending_;
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

std::string UnitText(const ReportSettings& s) { return s.unitFeet ? "(ft)" : "(m) "; }

// A text inside double quotes, a double quote in it doubled.
std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string Number(double value, const ReportSettings& s) {
  return ReportNumberFormat(value, s.traverse.errDecimal);
}

std::string Direction(const StoredCourse& c) { return utf8::RemoveBlanks(c.Direction); }

// "+" for a segment added to the area, "-" for any other sign.
std::string SignText(const StoredCourse& c) { return c.Plus.value_or(-1) == 0 ? "+" : "-"; }

bool WritesNonTangent(const ReportSettings& s) { return s.traverse.edition != Edition::Standalone; }

// The area and its two conversions, "N/A" where the editor shows it.
std::string AreaLines(const ParcelFigures& f, const ReportSettings& s) {
  const std::string indent(25, ' ');
  const geometry::ClosureResult& r = f.closure;
  const bool available = r.areaAvailable || !r.HasCourses();
  const double area = RoundHalfEven(r.area, s.traverse.errDecimal);
  const auto figure = [&](double value) {
    return available ? RoundedText(value, 6) : std::string("N/A");
  };
  const std::string areaText = available ? NumberText(area) : "N/A";
  constexpr double kSquareFoot = 0.3048 * 0.3048;
  std::string out;
  if (s.unitFeet) {
    out += areaText + " sq.f." + std::string(kEol);
    out += indent + "= " + figure(area / 43560.0) + " Acres" + std::string(kEol);
    out += indent + "= " + figure(area * kSquareFoot) + " sq.m." + std::string(kEol);
  } else {
    out += areaText + " sq.m." + std::string(kEol);
    out += indent + "= " + figure(area / 10000.0) + " Hectares" + std::string(kEol);
    out += indent + "= " + figure(area / kSquareFoot / 43560.0) + " Acres" + std::string(kEol);
  }
  return out;
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

std::string LotClosureReport(const std::string& parcel, const std::vector<StoredCourse>& courses,
                             const ParcelFigures& figures, const ReportSettings& settings) {
  const std::string eol(kEol);
  std::string out;
  out += "Drawing file name: " + settings.drawingPath + eol;
  out += eol;
  out += "Lot Closure Report - Lot # " + parcel + eol;
  out += eol;
  out += "Starting location (North, East) = ( 0, 0 )" + eol;
  out += " LEG    " + settings.directionHeading + "       LENGTH" + UnitText(settings) +
         "    ARC      RADIUS  AREA+/-" + eol;
  out += " ---    -------       ------        ---      ------  -------" + eol;
  // The leg is the course's place in the parcel, whatever its stored number.
  for (std::size_t k = 0; k < courses.size(); ++k) {
    const StoredCourse& c = courses[k];
    out += PadLeft(std::to_string(k + 1), 4);
    out += PadLeft(Direction(c), 12);
    out += PadLeft(Number(c.Length, settings), 12);
    if (!c.IsLine()) {
      out += PadLeft(Number(c.Arc.value_or(0.0), settings), 12);
      out += PadLeft(Number(c.Radius.value_or(0.0), settings), 12);
      out += "   " + SignText(c);
      if (c.NonTang && WritesNonTangent(settings)) out += "   NT";
    }
    out += eol;
  }
  const geometry::ClosureResult& r = figures.closure;
  out += eol;
  out += "Total Distance         : " + NumberText(figures.totalDistance) + eol;
  out += "Misclosure Direction   : " + r.directionText + eol;
  out += "Misclosure Distance    : " + r.closureText + eol;
  out += "Precision              : " + r.precisionText + eol;
  out += "AREA                   : " + AreaLines(figures, settings);
  for (int i = 0; i < 6; ++i) out += eol;
  return out;
}

std::string LotClosureCsv(const std::string& parcel, const std::vector<StoredCourse>& courses,
                          const ReportSettings& settings) {
  const std::string eol(kEol);
  std::string out;
  out += Quoted(settings.drawingPath) + eol;
  out += Quoted("LOT #") + "," + Quoted("LEG") + "," + Quoted(settings.directionHeading) + "," +
         Quoted("LENGTH" + UnitText(settings)) + "," + Quoted("ARC") + "," + Quoted("RADIUS") + "," +
         Quoted("AREA+/-") + eol;
  const std::string name = Quoted(parcel);
  for (std::size_t k = 0; k < courses.size(); ++k) {
    const StoredCourse& c = courses[k];
    out += name + "," + Quoted(std::to_string(k + 1)) + ", " + Direction(c) + ",";
    // Numbers are quoted: their thousands separators are not field breaks.
    if (c.IsLine()) {
      out += Quoted(Number(c.Length, settings));
    } else {
      out += Quoted(Number(c.Length, settings)) + "," + Quoted(Number(c.Arc.value_or(0.0), settings)) +
             "," + Quoted(Number(c.Radius.value_or(0.0), settings)) + "," + Quoted(SignText(c));
      if (c.NonTang && WritesNonTangent(settings)) out += " NT";
    }
    out += eol;
  }
  out += eol;
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
    std::string preview;
    for (const ParcelEntry& parcel : parcels) {
      if (!FilterSelects(filter, parcel.id, parcel.closure, settings.traverse.closureTolerance)) continue;
      const std::vector<StoredCourse> courses = project.Courses(parcel.id);
      if (courses.empty()) continue;
      const std::string block =
          LotClosureReport(parcel.name, courses, ComputeFigures(courses, settings), settings);
      text.Write(block);
      csv.Write(LotClosureCsv(parcel.name, courses, settings));
      preview += block;
    }
    text.Close();
    csv.Close();
    return Built(std::move(preview));
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
