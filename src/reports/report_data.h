#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "geometry/traverse.h"
#include "storage/parcel_store.h"

// What the full and summary reports read of a project, and the figures they
// print for a parcel.
namespace korvalo::reports {

// The settings a report build works with.
struct ReportSettings {
  // Direction mode, decimals, tolerance, edition and the course limit of the
  // editor; a parcel with more courses than the limit is still reported whole.
  geometry::TraverseSettings traverse;
  bool unitFeet = true;
  std::string drawingPath;
  // "BEARING" or "AZIMUTH", fixed when the report window opens.
  std::string directionHeading = "BEARING";
};

// "BEARING" in bearing mode, "AZIMUTH" in azimuth mode.
std::string DirectionHeadingFor(bool bearing);

// One row of the project's parcel table.
struct ParcelEntry {
  std::int64_t id = 0;
  std::string name;                // as stored, leading blanks included
  std::optional<double> closure;   // the stored closure; none when Null
};

// The project as a report build reads it. Both calls throw on a failure of
// the database (a dao::DaoError or another std::exception) with a
// description fit for the user.
class ReportProject {
 public:
  virtual ~ReportProject() = default;
  // Every parcel, in name order.
  virtual std::vector<ParcelEntry> Parcels() = 0;
  // The parcel's stored courses in record order (by RowNo); empty when it has
  // none.
  virtual std::vector<StoredCourse> Courses(std::int64_t parcelId) = 0;
  // A report reads the parcels and then the courses of each. Between these
  // two calls the project may hold one read of its file for all of them.
  virtual void BeginReading() {}
  virtual void EndReading() {}
};

// The figures of one parcel: exactly those the editor shows after loading it.
struct ParcelFigures {
  geometry::ClosureResult closure;
  double totalDistance = 0.0;  // 0 when no course is complete
};

ParcelFigures ComputeFigures(const std::vector<StoredCourse>& courses, const ReportSettings& settings);

// The report window's parcel selection.
enum class PassFail { None = -1, All = 0, Pass = 1, Fail = 2 };

struct ReportFilter {
  std::string parcelText;                  // text of the parcel box
  std::optional<std::int64_t> selectedId;  // the selected entry's ParcelID; none when no entry is selected
  PassFail option = PassFail::None;
};

// Whether the parcel is reported. A non-empty parcel text reports only the
// selected entry's parcel (a typed text that selects no entry reports none);
// otherwise All reports every parcel, Pass a closure <= tolerance, Fail a
// closure > tolerance; a parcel without a closure (Null) only under All.
bool FilterSelects(const ReportFilter& filter, std::int64_t parcelId, std::optional<double> closure,
                   double tolerance);

}  // namespace korvalo::reports

namespace korvalo::reports {

// The project file behind a connection the report window holds.
class DatabaseReportProject : public ReportProject {
 public:
  explicit DatabaseReportProject(dao::Database db) : db_(std::move(db)) {}
  std::vector<ParcelEntry> Parcels() override;
  std::vector<StoredCourse> Courses(std::int64_t parcelId) override;
  void BeginReading() override { reading_.emplace(db_); }
  void EndReading() override { reading_.reset(); }

 private:
  dao::Database db_;
  std::optional<dao::ReadSnapshot> reading_;  // declared after db_: it ends first
};

}  // namespace korvalo::reports
