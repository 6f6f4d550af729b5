#include "storage/parcel_store.h"

#include "common/numbers.h"
#include "common/utf8.h"

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
  // The fields' positions, found once for all rows; a missing field is
  // asked for by name, which raises its error.
  struct Field {
    std::string_view name;
    int at = -1;
  };
  Field fields[] = {{"RowNo"}, {"RowType"}, {"Length"}, {"Direction"}, {"Arc"}, {"Radius"}, {"Plus"}, {"NonTang"}};
  for (Field& f : fields) {
    for (int i = 0; i < rs.FieldCount() && f.at < 0; ++i) {
      if (utf8::EqualsNoCase(rs.FieldName(i), f.name)) f.at = i;
    }
  }
  const auto get = [&](int k) { return fields[k].at >= 0 ? rs.Get(fields[k].at) : rs.Get(fields[k].name); };
  const bool hasNonTang = fields[7].at >= 0;
  for (; !rs.Eof(); rs.MoveNext()) {
    StoredCourse c;
    c.RowNo = static_cast<int>(dao::AsLong(get(0)));
    const dao::Value type = get(1);
    c.RowType = dao::IsNull(type) ? kRowTypeArc : static_cast<int>(dao::AsLong(type));
    c.Length = OptionalDouble(get(2)).value_or(0.0);
    const dao::Value direction = get(3);
    c.Direction = dao::IsNull(direction) ? std::string() : dao::AsText(direction);
    c.Arc = OptionalDouble(get(4));
    c.Radius = OptionalDouble(get(5));
    const dao::Value plus = get(6);
    if (!dao::IsNull(plus)) c.Plus = static_cast<int>(dao::AsLong(plus));
    if (hasNonTang) {
      const dao::Value nonTang = get(7);
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
