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
  // The fields' positions, found at the first row for all rows; a missing
  // field is asked for by name, which raises its error. The rows are read
  // as they are stepped, none kept but the courses.
  struct Field {
    std::string_view name;
    int at = -1;
  };
  Field fields[] = {{"RowNo"}, {"RowType"}, {"Length"}, {"Direction"}, {"Arc"}, {"Radius"}, {"Plus"}, {"NonTang"}};
  bool found = false;
  db.ReadRows("select * FROM tblMeasurements where ParcelID = ? ORDER BY RowNo", {dao::Value{parcelId}},
              [&](const dao::RowView& row) {
                if (!found) {
                  for (Field& f : fields) {
                    for (int i = 0; i < row.FieldCount() && f.at < 0; ++i) {
                      if (utf8::EqualsNoCase(row.FieldName(i), f.name)) f.at = i;
                    }
                  }
                  found = true;
                }
                const auto get = [&](int k) {
                  return fields[k].at >= 0 ? row.Get(fields[k].at) : row.Get(fields[k].name);
                };
                StoredCourse c;
                c.RowNo = static_cast<int>(dao::AsLong(get(0)));
                const dao::Value type = get(1);
                c.RowType = dao::IsNull(type) ? kRowTypeArc : static_cast<int>(dao::AsLong(type));
                c.Length = OptionalDouble(get(2)).value_or(0.0);
                dao::Value direction = get(3);
                if (auto* text = std::get_if<std::string>(&direction)) c.Direction = std::move(*text);
                else if (!dao::IsNull(direction)) c.Direction = dao::AsText(direction);
                c.Arc = OptionalDouble(get(4));
                c.Radius = OptionalDouble(get(5));
                const dao::Value plus = get(6);
                if (!dao::IsNull(plus)) c.Plus = static_cast<int>(dao::AsLong(plus));
                if (fields[7].at >= 0) {
                  const dao::Value nonTang = get(7);
                  c.NonTang = !dao::IsNull(nonTang) && dao::AsBool(nonTang);
                }
                courses.push_back(std::move(c));
              });
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
