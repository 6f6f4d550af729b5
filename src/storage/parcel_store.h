#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "geometry/traverse.h"
#include "platform/dao/dao.h"

// Parcels in a project file: the list of stored parcels, the stored courses
// of one parcel and how a stored course becomes a row of the course grid.
//
// A parcel is one tblParcel row (its ParcelID assigned by the engine, never
// reused) and its tblMeasurements rows, linked by ParcelID and numbered by
// RowNo, the course's grid row. RowNo may have gaps (an incomplete row in the
// middle of the grid is not stored); loading fills grid rows 0, 1, 2, ... in
// RowNo order.
namespace korvalo {

// ParcelIDs grow for the life of a project and pass 32767: held in 64 bits.
using ParcelId = std::int64_t;

// One entry of the parcel list: the stored name and its id.
struct ParcelListEntry {
  std::string Parcel;
  ParcelId ParcelID = 0;

  bool operator==(const ParcelListEntry&) const = default;
};

// RowType values.
inline constexpr int kRowTypeArc = 0;
inline constexpr int kRowTypeLine = 1;

// One tblMeasurements row. Arc, Radius and Plus have no value on line rows
// (and on any row where the file holds Null).
struct StoredCourse {
  int RowNo = 0;
  int RowType = kRowTypeLine;  // 1 line; any other value is an arc
  double Length = 0.0;         // distance of a line, chord of an arc
  std::string Direction;       // direction of a line, chord direction of an arc
  std::optional<double> Arc;
  std::optional<double> Radius;
  std::optional<int> Plus;     // SegmentSign of an arc: 0 "+", 1 "-", 2 not confirmed
  bool NonTang = false;        // the joint ending at this course was accepted as not tangent

  bool IsLine() const { return RowType == kRowTypeLine; }
  bool operator==(const StoredCourse&) const = default;
};

// The stored parcels ordered by name (the database's order: without regard to
// case), each with its id.
std::vector<ParcelListEntry> ListParcels(dao::Database& db);

// The stored courses of one parcel in RowNo order. A file without the NonTang
// field (standalone edition) reads NonTang false. Engine errors are raised
// (dao::DaoError).
std::vector<StoredCourse> ReadCourses(dao::Database& db, ParcelId parcelId);

// The grid row the loader fills from a stored course. Numbers come back as
// their plain text (NumberText), a Null as an empty field. The sign boxes of
// an arc from Plus: 0 gives "+" ticked and "-" unticked; 1 gives "+" unticked
// and "-" ticked; 2, any other value and Null leave the boxes as a cleared
// grid holds them: "+" unticked, "-" greyed (not confirmed). A line row keeps
// the cleared boxes too.
geometry::CourseRow ToCourseRow(const StoredCourse& course);

}  // namespace korvalo
