#include "storage/parcel_store.h"

#include "common/numbers.h"

namespace korvalo {
namespace {

std::optional<double> OptionalDouble(const dao::Value& v) {
  if (dao::IsNull(v)) return std::nullopt;
  return dao::AsDouble(v);
}

std::string TextOf(const std::optional<double>& v) { return v ? NumberText(*v) : std::string(); }

}  // namespace

std::vector<ParcelListEntry> ListParcels(dao::Database& db) {
  std::vector<ParcelListEntry> list;
  dao::Recordset rs = db.OpenRecordset("SELECT ParcelID, Parcel FROM tblParcel ORDER BY Parcel",
                                       dao::RecordsetType::Snapshot);
  list.reserve(static_cast<std::size_t>(rs.RecordCount()));
  for (; !rs.Eof(); rs.MoveNext()) {
    list.push_back({dao::AsText(rs.Get(1)), dao::AsLong(rs.Get(0))});
  }
  return list;
}

std::vector<StoredCourse> ReadCourses(dao::Database& db, ParcelId parcelId) {
  std::vector<StoredCourse> courses;
  dao::Recordset rs =
      db.OpenRecordset("select * FROM tblMeasurements where ParcelID = ? ORDER BY RowNo",
                       dao::RecordsetType::Snapshot, {dao::Value{parcelId}});
  const bool hasNonTang = rs.HasField("NonTang");
  for (; !rs.Eof(); rs.MoveNext()) {
    StoredCourse c;
    c.RowNo = static_cast<int>(dao::AsLong(rs.Get("RowNo")));
    const dao::Value type = rs.Get("RowType");
    c.RowType = dao::IsNull(type) ? kRowTypeArc : static_cast<int>(dao::AsLong(type));
    c.Length = OptionalDouble(rs.Get("Length")).value_or(0.0);
    const dao::Value direction = rs.Get("Direction");
    c.Direction = dao::IsNull(direction) ? std::string() : dao::AsText(direction);
    c.Arc = OptionalDouble(rs.Get("Arc"));
    c.Radius = OptionalDouble(rs.Get("Radius"));
    const dao::Value plus = rs.Get("Plus");
    if (!dao::IsNull(plus)) c.Plus = static_cast<int>(dao::AsLong(plus));
    if (hasNonTang) {
      const dao::Value nonTang = rs.Get("NonTang");
      c.NonTang = !dao::IsNull(nonTang) && dao::AsBool(nonTang);
    }
    courses.push_back(std::move(c));
  }
  return courses;
}

geometry::CourseRow ToCourseRow(const StoredCourse& course) {
  geometry::CourseRow row;
  // The boxes as a cleared grid holds them.
  row.plusBox = geometry::kUnticked;
  row.minusBox = geometry::kGreyed;
  row.direction = course.Direction;
  row.distance = NumberText(course.Length);
  if (course.IsLine()) {
    row.kind = geometry::CourseKind::Line;
    return row;
  }
  row.kind = geometry::CourseKind::Arc;
  row.arcLength = TextOf(course.Arc);
  row.radius = TextOf(course.Radius);
  if (course.Plus == 0) {
    row.plusBox = geometry::kTicked;
    row.minusBox = geometry::kUnticked;
  } else if (course.Plus == 1) {
    row.plusBox = geometry::kUnticked;
    row.minusBox = geometry::kTicked;
  }
  return row;
}

}  // namespace korvalo
