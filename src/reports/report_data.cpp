#include "reports/report_data.h"

#include <algorithm>

namespace korvalo::reports {

std::string DirectionHeadingFor(bool bearing) { return bearing ? "BEARING" : "AZIMUTH"; }

ParcelFigures ComputeFigures(const std::vector<StoredCourse>& courses, const ReportSettings& settings) {
  // The rows as the editor's loader fills its grid, and the editor's own
  // computation over them. A parcel longer than the grid is computed whole.
  std::vector<geometry::CourseRow> rows;
  rows.reserve(courses.size());
  for (const StoredCourse& course : courses) rows.push_back(ToCourseRow(course));
  geometry::TraverseSettings traverse = settings.traverse;
  traverse.courseLimit = std::max(traverse.courseLimit, static_cast<int>(rows.size()));
  ParcelFigures figures;
  figures.closure = geometry::ComputeClosure(rows, traverse);
  figures.totalDistance = figures.closure.totalDistance.value_or(0.0);
  return figures;
}

bool FilterSelects(const ReportFilter& filter, std::int64_t parcelId, std::optional<double> closure,
                   double tolerance) {
  if (!filter.parcelText.empty()) return filter.selectedId && *filter.selectedId == parcelId;
  switch (filter.option) {
    case PassFail::All:
      return true;
    case PassFail::Pass:
      return closure && *closure <= tolerance;
    case PassFail::Fail:
      return closure && *closure > tolerance;
    case PassFail::None:
      break;
  }
  return false;
}

std::vector<ParcelEntry> DatabaseReportProject::Parcels() {
  // Read as the engine steps the rows: only the entries are kept.
  std::vector<ParcelEntry> parcels;
  db_.ReadRows("SELECT ParcelID, Parcel, Closure FROM tblParcel ORDER BY Parcel", {}, [&](const dao::RowView& row) {
    ParcelEntry& entry = parcels.emplace_back();
    entry.id = dao::AsLong(row.Get(0));
    dao::Value name = row.Get(1);
    if (auto* text = std::get_if<std::string>(&name)) entry.name = std::move(*text);
    else if (!dao::IsNull(name)) entry.name = dao::AsText(name);
    const dao::Value closure = row.Get(2);
    if (!dao::IsNull(closure)) entry.closure = dao::AsDouble(closure);
  });
  return parcels;
}

std::vector<StoredCourse> DatabaseReportProject::Courses(std::int64_t parcelId) {
  return ReadCourses(db_, parcelId);
}

}  // namespace korvalo::reports
