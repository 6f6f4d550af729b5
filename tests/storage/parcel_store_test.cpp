// Reading stored parcels: the list, the courses of one parcel in RowNo order
// and the grid rows the loader makes of them.
#include "storage/parcel_store.h"

#include "storage_fixture.h"

namespace korvalo {
namespace {

using geometry::CourseKind;
using geometry::kGreyed;
using geometry::kTicked;
using geometry::kUnticked;

class ParcelReadTest : public StorageTest {
 protected:
  void SetUp() override {
    StorageTest::SetUp();
    NewProject("Reading");
    db = dao::Database::Open(Program().ProjectPath);
  }
  void TearDown() override {
    db.Close();
    StorageTest::TearDown();
  }

  ParcelId AddParcel(const std::string& name) {
    dao::Recordset rs = db.OpenRecordset("tblParcel");
    rs.AddNew();
    rs.Set("Parcel", name);
    rs.Update();
    rs.SetBookmark(rs.LastModified());
    return dao::AsLong(rs.Get("ParcelID"));
  }

  void AddCourse(ParcelId id, int rowNo, int rowType, double length, const std::string& direction,
                 const dao::Value& arc = dao::kNull, const dao::Value& radius = dao::kNull,
                 const dao::Value& plus = dao::kNull, bool nonTang = false) {
    db.Execute(
        "INSERT INTO tblMeasurements (ParcelID, RowNo, RowType, Length, Direction, Arc, Radius, Plus, NonTang) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {id, std::int64_t{rowNo}, std::int64_t{rowType}, length, direction, arc, radius, plus, nonTang});
  }

  dao::Database db;
};

TEST_F(ParcelReadTest, ListIsOrderedByNameWithTheIds) {
  const ParcelId b = AddParcel("block 2");
  const ParcelId a = AddParcel("Alder");
  const ParcelId c = AddParcel("    C7");
  EXPECT_EQ(ListParcels(db), (std::vector<ParcelListEntry>{{"    C7", c}, {"Alder", a}, {"block 2", b}}));
}

TEST_F(ParcelReadTest, EmptyProjectListsNothing) { EXPECT_TRUE(ListParcels(db).empty()); }

TEST_F(ParcelReadTest, CoursesComeInRowNoOrderWithTheirGapsAndOnlyTheirParcel) {
  const ParcelId lot = AddParcel("Lot 1");
  const ParcelId other = AddParcel("Lot 2");
  AddCourse(lot, 3, kRowTypeArc, 70.71, "S45\u00B0E", 78.54, 50.0, std::int64_t{1}, true);
  AddCourse(other, 0, kRowTypeLine, 1.0, "N1\u00B0E");
  AddCourse(lot, 0, kRowTypeLine, 100.5, "N10\u00B0E");
  AddCourse(lot, 1, kRowTypeLine, 20.0, "S80\u00B0E");

  const std::vector<StoredCourse> courses = ReadCourses(db, lot);
  ASSERT_EQ(courses.size(), 3u);
  EXPECT_EQ(courses[0], (StoredCourse{0, kRowTypeLine, 100.5, "N10\u00B0E", {}, {}, {}, false}));
  EXPECT_EQ(courses[1].RowNo, 1);
  EXPECT_EQ(courses[2], (StoredCourse{3, kRowTypeArc, 70.71, "S45\u00B0E", 78.54, 50.0, 1, true}));
  EXPECT_TRUE(ReadCourses(db, 9999).empty());
}

TEST_F(ParcelReadTest, IdsBeyondSixteenBitsAreRead) {
  db.Execute("INSERT INTO tblParcel (ParcelID, Parcel) VALUES (?, ?)", {std::int64_t{70000}, std::string("Far")});
  AddCourse(70000, 0, kRowTypeLine, 5.0, "N0\u00B0E");
  EXPECT_EQ(ListParcels(db), (std::vector<ParcelListEntry>{{"Far", 70000}}));
  EXPECT_EQ(ReadCourses(db, 70000).size(), 1u);
}

TEST(ParcelRowTest, StoredCourseBecomesTheGridRowTheLoaderFills) {
  struct Case {
    const char* what;
    StoredCourse stored;
    CourseKind kind;
    std::string distance, arc, radius;
    int plusBox, minusBox;
  };
  const std::vector<Case> cases = {
      {"line", {0, 1, 100.25, "N1\u00B0E", {}, {}, {}, false}, CourseKind::Line, "100.25", "", "", kUnticked, kGreyed},
      {"arc +", {0, 0, 30, "N2\u00B0E", 31.5, 40, 0, false}, CourseKind::Arc, "30", "31.5", "40", kTicked, kUnticked},
      {"arc -", {0, 0, 30, "N2\u00B0E", 31.5, 40, 1, false}, CourseKind::Arc, "30", "31.5", "40", kUnticked, kTicked},
      {"arc unconfirmed", {0, 0, 30, "N2\u00B0E", 31.5, 40, 2, false}, CourseKind::Arc, "30", "31.5", "40", kUnticked, kGreyed},
      {"arc other sign", {0, 0, 30, "N2\u00B0E", 31.5, 40, 7, false}, CourseKind::Arc, "30", "31.5", "40", kUnticked, kGreyed},
      {"arc without sign", {0, 0, 30, "N2\u00B0E", 31.5, 40, {}, false}, CourseKind::Arc, "30", "31.5", "40", kUnticked, kGreyed},
      {"other row type is an arc", {0, 5, 30, "N2\u00B0E", 31.5, 40, 0, false}, CourseKind::Arc, "30", "31.5", "40", kTicked, kUnticked},
      {"arc with Null values", {0, 0, 0.1, "N2\u00B0E", {}, {}, 0, false}, CourseKind::Arc, "0.1", "", "", kTicked, kUnticked},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const geometry::CourseRow row = ToCourseRow(c.stored);
    EXPECT_EQ(row.kind, c.kind);
    EXPECT_EQ(row.direction, c.stored.Direction);
    EXPECT_EQ(row.distance, c.distance);
    EXPECT_EQ(row.arcLength, c.arc);
    EXPECT_EQ(row.radius, c.radius);
    EXPECT_EQ(row.plusBox, c.plusBox);
    EXPECT_EQ(row.minusBox, c.minusBox);
  }
}

}  // namespace
}  // namespace korvalo
