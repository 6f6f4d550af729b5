// Saving and loading parcels: round trips, the stored-name rule and its
// duplicates, rounding, one transaction per save, and what is refused before
// anything is written.
#include "storage/parcel_save.h"

#include "common/utf8.h"
#include "storage_fixture.h"

namespace korvalo {

inline std::ostream& operator<<(std::ostream& os, const ParcelListEntry& e) {
  return os << '"' << e.Parcel << "\" #" << e.ParcelID;
}

namespace {

using geometry::CourseRow;
using geometry::SegmentSign;

const std::string kDeg = "\u00B0";

CourseRow Line(const std::string& bearing, const std::string& distance) {
  return CourseRow::Line(utf8::ReplaceAll(bearing, "d", kDeg), distance);
}
CourseRow Arc(const std::string& bearing, const std::string& arc, const std::string& chord, const std::string& radius,
              SegmentSign sign) {
  return CourseRow::Arc(utf8::ReplaceAll(bearing, "d", kDeg), arc, chord, radius, sign);
}

class ParcelSaveTest : public StorageTest {
 protected:
  void SetUp() override {
    StorageTest::SetUp();
    NewProject("Parcels");
    context = {Program().ProjectPath, 2, 80, Edition::A2004};
  }

  static ParcelToSave Parcel(const std::string& name, std::vector<CourseRow> rows, double area = 1000.0) {
    rows.resize(80);
    ParcelToSave p;
    p.name = name;
    p.rows = std::move(rows);
    p.figures = {area, 0.05, "S10" + kDeg + "0'0\"W", 0.05 / 300.0, 300.0};
    return p;
  }

  static ParcelToSave Simple(const std::string& name) {
    return Parcel(name, {Line("N0dE", "100"), Line("N90dE", "100"), Line("S0dE", "100")});
  }

  dao::Database Db() { return dao::Database::Open(context.projectPath); }

  std::vector<StoredCourse> Courses(ParcelId id) {
    dao::Database db = Db();
    return ReadCourses(db, id);
  }

  std::vector<ParcelListEntry> List() { return ParcelList(context.projectPath); }

  long Count(const std::string& table) {
    dao::Database db = Db();
    return db.OpenRecordset(table).RecordCount();
  }

  dao::Value ParcelField(ParcelId id, const std::string& field) {
    dao::Database db = Db();
    dao::Recordset rs = db.OpenRecordset("select * FROM tblParcel where ParcelID = ?", dao::RecordsetType::Snapshot,
                                         {dao::Value{id}});
    return rs.Get(field);
  }

  ParcelStoreContext context;
};

TEST_F(ParcelSaveTest, RowsWithAGapStoreTheirGridRowsAndLoadBackInOrder) {
  std::vector<CourseRow> rows = {Line("N0dE", "100.5"), Arc("N45dE", "78.54", "70.71", "50", SegmentSign::Minus),
                                 Line("S0dE", ""), Line("S90dW", "100")};
  const auto id = SaveNewParcel(context, Parcel("Lot 1", rows));
  ASSERT_TRUE(id);
  const std::vector<StoredCourse> stored = Courses(*id);
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[0].RowNo, 0);
  EXPECT_EQ(stored[1], (StoredCourse{1, kRowTypeArc, 70.71, "N45" + kDeg + "E", 78.54, 50.0, 1, false}));
  EXPECT_EQ(stored[2].RowNo, 3);
  EXPECT_FALSE(stored[0].Arc);  // line rows leave the arc fields empty

  const LoadedParcel loaded = LoadParcel(context, *id);
  ASSERT_EQ(loaded.status, LoadStatus::Loaded);
  ASSERT_EQ(loaded.rows.size(), 3u);
  EXPECT_EQ(loaded.rows[0].distance, "100.5");
  EXPECT_EQ(loaded.rows[1].arcLength, "78.54");
  EXPECT_EQ(loaded.rows[1].minusBox, geometry::kTicked);
  EXPECT_EQ(loaded.rows[2].direction, "S90" + kDeg + "W");
  EXPECT_EQ(loaded.areaText, "1000");
  EXPECT_EQ(loaded.closureText, "0.05");
}

TEST_F(ParcelSaveTest, UnconfirmedSignLoadsGreyedAndSavesAgainAsUnconfirmed) {
  const auto id = SaveNewParcel(
      context, Parcel("Lot 2", {Line("N0dE", "10"), Arc("N45dE", "78.54", "70.71", "50", SegmentSign::Unconfirmed)}));
  ASSERT_TRUE(id);
  const LoadedParcel loaded = LoadParcel(context, *id);
  ASSERT_EQ(loaded.rows.size(), 2u);
  EXPECT_EQ(loaded.rows[1].plusBox, geometry::kUnticked);
  EXPECT_EQ(loaded.rows[1].minusBox, geometry::kGreyed);
  ASSERT_TRUE(SaveExistingParcel(context, *id, Parcel("Lot 2", loaded.rows), false));
  EXPECT_EQ(Courses(*id)[1].Plus, 2);
}

TEST_F(ParcelSaveTest, ParcelOfMoreCoursesThanTheGridIsNotLoaded) {
  std::vector<CourseRow> rows(51, Line("N0dE", "1"));
  const auto id = SaveNewParcel(context, Parcel("Long", rows));
  ASSERT_TRUE(id);
  context.courseLimit = 50;
  messages.clear();
  const LoadedParcel loaded = LoadParcel(context, *id);
  EXPECT_EQ(loaded.status, LoadStatus::TooManyCourses);
  EXPECT_TRUE(loaded.rows.empty());
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "This parcel has 51 courses, more than the 50 the editor holds, so it cannot be shown."}));
  context.courseLimit = 51;
  EXPECT_EQ(LoadParcel(context, *id).rows.size(), 51u);
}

TEST_F(ParcelSaveTest, ParcelWithoutCoursesSaysSo) {
  dao::Database db = Db();
  db.Execute("INSERT INTO tblParcel (Parcel) VALUES (?)", {std::string("Empty")});
  const ParcelId id = ListParcels(db).front().ParcelID;
  db.Close();
  EXPECT_EQ(LoadParcel(context, id).status, LoadStatus::NoCourses);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"There are no matching entries in the database."}));
}

TEST_F(ParcelSaveTest, StoredNameRule) {
  struct Case {
    std::string typed, stored;
  };
  const std::vector<Case> cases = {
      {"ab", "    ab"},          {"   cd", "    cd"},    {"ef  ", "  ef  "},  {"Lot 12", "Lot 12"},
      {"  Lot 34", "  Lot 34"},  {"\u00C4pfel", " \u00C4pfel"},              {"caf\u00E9s", " caf\u00E9s"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(StoredParcelName(c.typed), c.stored);
    const auto id = SaveNewParcel(context, Simple(c.typed));
    ASSERT_TRUE(id);
    EXPECT_EQ(dao::AsText(ParcelField(*id, "Parcel")), c.stored);
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(ParcelSaveTest, DuplicateNamesAreRefusedWithTheTypedNameAndNothingStored) {
  ASSERT_TRUE(SaveNewParcel(context, Simple("Lot 7")));
  ASSERT_TRUE(SaveNewParcel(context, Simple("B1")));
  const long courses = Count("tblMeasurements");
  for (const std::string typed : {"lot 7", "LOT 7", "   b1", "b1"}) {
    SCOPED_TRACE(typed);
    messages.clear();
    EXPECT_FALSE(SaveNewParcel(context, Simple(typed)));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"The lot " + typed +
                                                 " already exists. Please rename the parcel before saving again."}));
  }
  EXPECT_EQ(List().size(), 2u);
  EXPECT_EQ(Count("tblMeasurements"), courses);
}

TEST_F(ParcelSaveTest, DuplicateNamesBeyondAsciiAreRefused) {
  ASSERT_TRUE(SaveNewParcel(context, Simple("\u00C4pfel")));
  ASSERT_TRUE(SaveNewParcel(context, Simple("Lot \u00C9t\u00E9")));
  EXPECT_FALSE(SaveNewParcel(context, Simple("\u00E4pfel")));
  EXPECT_FALSE(SaveNewParcel(context, Simple("LOT \u00C9T\u00C9")));
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "The lot \u00E4pfel already exists. Please rename the parcel before saving again.",
                         "The lot LOT \u00C9T\u00C9 already exists. Please rename the parcel before saving again."}));
  EXPECT_EQ(List().size(), 2u);
}

TEST_F(ParcelSaveTest, FiguresAreRoundedWithHalvesToEven) {
  struct Case {
    double value;
    int places;
    double stored;
  };
  // Exact binary halves, where rounding the binary value by another rule
  // would go the other way.
  for (const Case& c : {Case{0.125, 2, 0.12}, Case{0.375, 2, 0.38}, Case{2.5, 0, 2.0}, Case{3.5, 0, 4.0},
                        Case{1.0625, 3, 1.062}, Case{-0.125, 2, -0.12}}) {
    SCOPED_TRACE(c.value);
    context.errDecimal = c.places;
    ParcelToSave p = Simple("Lot " + std::to_string(c.value));
    p.figures.Area = c.value;
    p.figures.Closure = c.value;
    const auto id = SaveNewParcel(context, p);
    ASSERT_TRUE(id);
    EXPECT_EQ(dao::AsDouble(ParcelField(*id, "Area")), c.stored);
    EXPECT_EQ(dao::AsDouble(ParcelField(*id, "Closure")), c.stored);
  }
}

TEST_F(ParcelSaveTest, PrecisionRatioIsRoundedOnlyByARename) {
  ParcelToSave p = Simple("Ratio");
  p.figures.Closure = 0.07;
  p.figures.TotalDistance = 300.0;
  p.figures.PrecisionRatio = 0.07 / 300.0;
  const auto id = SaveNewParcel(context, p);
  ASSERT_TRUE(id);
  EXPECT_EQ(dao::AsDouble(ParcelField(*id, "PrecisionRatio")), 0.07 / 300.0);
  ASSERT_TRUE(SaveExistingParcel(context, *id, p, false));
  EXPECT_EQ(dao::AsDouble(ParcelField(*id, "PrecisionRatio")), 0.07 / 300.0);
  p.name = "Ratio 2";
  ASSERT_TRUE(SaveExistingParcel(context, *id, p, true));
  EXPECT_EQ(dao::AsDouble(ParcelField(*id, "PrecisionRatio")), 0.000233);
  // A total distance of 0 gives the ratio 1.
  p.figures.TotalDistance = 0.0;
  ASSERT_TRUE(SaveExistingParcel(context, *id, p, false));
  EXPECT_EQ(dao::AsDouble(ParcelField(*id, "PrecisionRatio")), 1.0);
}

TEST_F(ParcelSaveTest, UpdateWritesTheTangencyFlagsOfArcRowsAndTheInsertNone) {
  std::vector<CourseRow> rows = {Line("N0dE", "100"), Arc("N30dE", "104.72", "100", "100", SegmentSign::Plus),
                                 Arc("N90dE", "104.72", "100", "100", SegmentSign::Plus), Line("S0dE", "50")};
  ParcelToSave p = Parcel("Curve", rows);
  p.nonTangFlags = {true, false, true, true};
  const auto id = SaveNewParcel(context, p);
  ASSERT_TRUE(id);
  for (const StoredCourse& c : Courses(*id)) EXPECT_FALSE(c.NonTang) << c.RowNo;
  ASSERT_TRUE(SaveExistingParcel(context, *id, p, false));
  std::vector<bool> flags;
  for (const StoredCourse& c : Courses(*id)) flags.push_back(c.NonTang);
  EXPECT_EQ(flags, (std::vector<bool>{false, false, true, false}));
  // The standalone edition stores none.
  context.edition = Edition::Standalone;
  ASSERT_TRUE(SaveExistingParcel(context, *id, p, false));
  for (const StoredCourse& c : Courses(*id)) EXPECT_FALSE(c.NonTang) << c.RowNo;
}

TEST_F(ParcelSaveTest, UpdateIsKeyedOnTheLoadedParcelNotTheTypedName) {
  const auto a = SaveNewParcel(context, Simple("Parcel"));
  const auto b = SaveNewParcel(context, Simple("Lot \"9\" O'Neil"));
  ASSERT_TRUE(a && b);
  ParcelToSave p = Parcel("anything typed", {Line("N1dE", "5")}, 42.0);
  ASSERT_TRUE(SaveExistingParcel(context, *b, p, false));
  EXPECT_EQ(dao::AsDouble(ParcelField(*b, "Area")), 42.0);
  EXPECT_EQ(dao::AsText(ParcelField(*b, "Parcel")), "Lot \"9\" O'Neil");
  EXPECT_EQ(Courses(*b).size(), 1u);
  EXPECT_EQ(dao::AsDouble(ParcelField(*a, "Area")), 1000.0);
  EXPECT_EQ(Courses(*a).size(), 3u);
}

TEST_F(ParcelSaveTest, RenameTakesTheNewNameAndRefusesAStoredOne) {
  const auto a = SaveNewParcel(context, Simple("Lot 1"));
  const auto b = SaveNewParcel(context, Simple("Lot 2"));
  ASSERT_TRUE(a && b);
  ParcelToSave p = Parcel("LOT 1", {Line("N1dE", "5")}, 42.0);
  EXPECT_FALSE(SaveExistingParcel(context, *b, p, true));
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "The lot LOT 1 already exists. Please rename the parcel then try to save again."}));
  EXPECT_EQ(dao::AsText(ParcelField(*b, "Parcel")), " Lot 2");
  EXPECT_EQ(dao::AsDouble(ParcelField(*b, "Area")), 1000.0);
  EXPECT_EQ(Courses(*b).size(), 3u);

  p.name = "B";
  ASSERT_TRUE(SaveExistingParcel(context, *b, p, true));
  EXPECT_EQ(List(), (std::vector<ParcelListEntry>{{"     B", *b}, {" Lot 1", *a}}));
  EXPECT_EQ(Courses(*b).size(), 1u);
}

TEST_F(ParcelSaveTest, FailureInTheMiddleOfAnUpdateLeavesTheParcelAsItWas) {
  const auto id = SaveNewParcel(context, Simple("Lot 5"));
  ASSERT_TRUE(id);
  const std::vector<StoredCourse> before = Courses(*id);
  {
    dao::Database db = Db();
    db.Execute("CREATE TRIGGER fail_third BEFORE INSERT ON tblMeasurements WHEN NEW.RowNo = 2 "
               "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
  }
  ParcelToSave p = Parcel("Lot 5", {Line("N1dE", "1"), Line("N2dE", "2"), Line("N3dE", "3"), Line("N4dE", "4")}, 7.0);
  for (bool rename : {false, true}) {
    SCOPED_TRACE(rename);
    messages.clear();
    p.name = rename ? "Lot 6" : "Lot 5";
    EXPECT_FALSE(SaveExistingParcel(context, *id, p, rename));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find("Nothing was changed"), std::string::npos);
    EXPECT_EQ(Courses(*id), before);
    EXPECT_EQ(dao::AsDouble(ParcelField(*id, "Area")), 1000.0);
    EXPECT_EQ(dao::AsText(ParcelField(*id, "Parcel")), " Lot 5");
  }
  // An insert failing the same way leaves no parcel without its courses.
  EXPECT_FALSE(SaveNewParcel(context, Parcel("Lot 8", p.rows)));
  EXPECT_EQ(List().size(), 1u);
  EXPECT_EQ(Count("tblMeasurements"), static_cast<long>(before.size()));
}

TEST_F(ParcelSaveTest, BadInputIsRefusedBeforeAnythingIsWritten) {
  const std::string fifty = utf8::Encode(std::u32string(50, U'\u00E9'));
  struct Case {
    const char* what;
    ParcelToSave parcel;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"name too long", Simple(fifty + "x"),
       "The parcel name is longer than 50 characters. Please shorten it, then save again."},
      {"a distance that is no number", Parcel("Lot 3", {Line("N0dE", "100"), Line("N90dE", "1.2.3")}),
       "Course #2 holds a length, arc or radius that is not a number. The parcel was not saved."},
      {"an arc radius that is no number",
       Parcel("Lot 4", {Arc("N30dE", "104.72", "100", "1e5", SegmentSign::Plus)}),
       "Course #1 holds a length, arc or radius that is not a number. The parcel was not saved."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    messages.clear();
    EXPECT_FALSE(SaveNewParcel(context, c.parcel));
    EXPECT_EQ(Texts(), std::vector<std::string>{c.message});
  }
  EXPECT_TRUE(List().empty());
  EXPECT_EQ(Count("tblMeasurements"), 0);
  // Fifty characters fit.
  EXPECT_TRUE(SaveNewParcel(context, Simple(fifty)));
}

TEST_F(ParcelSaveTest, UpdateOfAParcelDeletedMeanwhileStoresNothing) {
  const auto id = SaveNewParcel(context, Simple("Gone"));
  ASSERT_TRUE(id);
  {
    dao::Database db = Db();
    db.Execute("DELETE FROM tblMeasurements WHERE ParcelID = ?", {dao::Value{*id}});
    db.Execute("DELETE FROM tblParcel WHERE ParcelID = ?", {dao::Value{*id}});
  }
  messages.clear();
  EXPECT_FALSE(SaveExistingParcel(context, *id, Simple("Gone"), false));
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(Count("tblMeasurements"), 0);
}

TEST_F(ParcelSaveTest, IdsBeyondSixteenBits) {
  {
    dao::Database db = Db();
    db.Execute("INSERT INTO tblParcel (ParcelID, Parcel) VALUES (?, ?)", {std::int64_t{40000}, std::string("Old")});
  }
  ASSERT_TRUE(SaveExistingParcel(context, 40000, Simple("Old"), false));
  EXPECT_EQ(Courses(40000).size(), 3u);
  EXPECT_EQ(SaveNewParcel(context, Simple("New")), ParcelId{40001});
}

// Reads through a held connection give what single opens give and see every
// change other connections make meanwhile (which the hold does not block); a
// project that cannot be opened is not held and is told about as before.
TEST_F(ParcelSaveTest, HeldReadsSeeTheFileAsItIsNow) {
  const ParcelId first = SaveNewParcel(context, Simple("Lot 2")).value_or(0);
  ASSERT_GT(first, 0);
  {
    const ProjectReads reads(context.projectPath);
    // What a connection of its own reads.
    const auto fresh = [&] {
      dao::Database db = Db();
      return ListParcels(db);
    };
    EXPECT_EQ(List(), fresh());
    EXPECT_EQ(List().size(), 1u);
    const ParcelId second = SaveNewParcel(context, Simple("lot 10")).value_or(0);
    ASSERT_GT(second, first);
    EXPECT_EQ(List(), fresh());
    EXPECT_EQ(List().size(), 2u);
    const LoadedParcel loaded = LoadParcel(context, second);
    EXPECT_EQ(loaded.status, LoadStatus::Loaded);
    EXPECT_EQ(loaded.rows.size(), 3u);
    {
      dao::Database other = Db();
      dao::Transaction t(other);
      other.Execute("DELETE FROM tblMeasurements WHERE ParcelID = ?", {dao::Value{first}});
      other.Execute("DELETE FROM tblParcel WHERE ParcelID = ?", {dao::Value{first}});
      t.Commit();
    }
    EXPECT_EQ(List(), fresh());
    EXPECT_EQ(List().size(), 1u);
    EXPECT_EQ(LoadParcel(context, first).status, LoadStatus::NoCourses);
  }
  messages.clear();
  context.projectPath = dir.File("nowhere.kvx");
  const ProjectReads missing(context.projectPath);
  EXPECT_TRUE(List().empty());
  EXPECT_EQ(LoadParcel(context, 1).status, LoadStatus::Failed);
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(ParcelSaveTest, MissingProjectIsReportedNotSaved) {
  context.projectPath = dir.File("nowhere.kvx");
  EXPECT_FALSE(SaveNewParcel(context, Simple("Lot 1")));
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_TRUE(ParcelList(context.projectPath).empty());
  EXPECT_EQ(LoadParcel(context, 1).status, LoadStatus::Failed);
}

}  // namespace
}  // namespace korvalo
