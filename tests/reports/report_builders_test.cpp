#include "reports/report_builders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "report_fixture.h"
#include "reports/run_folder.h"

namespace korvalo::reports {
namespace {

constexpr const char* kEastBlock =
    "Drawing file name: /srv/dwg/site.dwg\r\n"
    "\r\n"
    "Lot Closure Report - Lot # East\r\n"
    "\r\n"
    "Starting location (North, East) = ( 0, 0 )\r\n"
    " LEG    BEARING       LENGTH(ft)    ARC      RADIUS  AREA+/-\r\n"
    " ---    -------       ------        ---      ------  -------\r\n"
    "   1   N90°0'0\"E   1,234.500\r\n"
    "\r\n"
    "Total Distance         : 1234.5\r\n"
    "Misclosure Direction   : N90° 0'0\"W\r\n"  // due east of the start: the way back is west
    "Misclosure Distance    : 1234.5\r\n"
    "Precision              : 1:1\r\n"
    "AREA                   : 0 sq.f.\r\n"
    "                         = 0 Acres\r\n"
    "                         = 0 sq.m.\r\n"
    "\r\n\r\n\r\n\r\n\r\n\r\n";

constexpr const char* kEastCsv =
    "\"/srv/dwg/site.dwg\"\r\n"
    "\"LOT #\",\"LEG\",\"BEARING\",\"LENGTH(ft)\",\"ARC\",\"RADIUS\",\"AREA+/-\"\r\n"
    "\"East\",\"1\", N90°0'0\"E,\"1,234.500\"\r\n"
    "\r\n";

class BuildersTest : public ReportFixture {
 protected:
  // Stored in the order a careless writer could leave them: RowNo 0, 1, 3, 4
  // (a gap), with blanks in the first direction, an added arc confirmed as
  // not tangent.
  std::int64_t AddLotOne() {
    return AddParcel("Lot 1", 0.0,
                     {L(0, "N 0°0'0\" E", 100), L(1, "N90°0'0\"E", 100),
                      A(3, "S0°0'0\"E", 100, 157.08, 50, 0, true), L(4, "S90°0'0\"W", 100)});
  }
};

TEST_F(BuildersTest, FullReportWritesTheExactTextAndCsvBlocks) {
  AddParcel("East", 1234.5, {L(0, "N90°0'0\"E", 1234.5)});
  const BuildResult r = Full(Option(PassFail::All));
  ASSERT_EQ(r.status, BuildResult::Status::Built) << r.message;
  EXPECT_EQ(r.preview, kEastBlock);
  EXPECT_EQ(ReadFile(paths.text), kEastBlock);
  EXPECT_EQ(ReadFile(paths.csv), kEastCsv);
}

TEST_F(BuildersTest, CoursesAreReadInRecordOrderWithLegsByPlaceAndArcsMarked) {
  AddLotOne();
  const BuildResult r = Full(Option(PassFail::All));
  ASSERT_EQ(r.status, BuildResult::Status::Built) << r.message;
  const std::string rows = Lines({
      "   1    N0°0'0\"E     100.000",
      "   2   N90°0'0\"E     100.000",
      "   3    S0°0'0\"E     100.000     157.080      50.000   +   NT",
      "   4   S90°0'0\"W     100.000",
  });
  EXPECT_NE(r.preview.find(rows), std::string::npos) << r.preview;
  const std::string totals = Lines({
      "Total Distance         : 400",
      "Misclosure Distance    : 0",
      "Precision              : Perfect",
      "AREA                   : 13927.009 sq.f.",
      "                         = 0.31972 Acres",
      "                         = 1293.861474 sq.m.",
  });
  // The misclosure direction is that of the tiny unrounded remainder.
  std::string withoutDirection = r.preview;
  const std::size_t at = withoutDirection.find("Misclosure Direction");
  withoutDirection.erase(at, withoutDirection.find("\r\n", at) + 2 - at);
  EXPECT_NE(withoutDirection.find(totals), std::string::npos) << r.preview;
  const std::string csv = ReadFile(paths.csv);
  EXPECT_NE(csv.find("\"Lot 1\",\"1\", N0°0'0\"E,\"100.000\"\r\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\"Lot 1\",\"3\", S0°0'0\"E,\"100.000\",\"157.080\",\"50.000\",\"+\" NT\r\n"),
            std::string::npos)
      << csv;
}

TEST_F(BuildersTest, AreasTheEditorShowsAsNotAvailablePrintNotAvailableWithTheirUnits) {
  // A segment whose sign was never confirmed, and one with radius 0.
  for (const auto& [name, radius, plus] :
       {std::tuple{"Unconfirmed", 50.0, 2}, std::tuple{"Zero radius", 0.0, 0}}) {
    AddParcel(name, 0.0, {L(0, "N0°0'0\"E", 100), A(1, "S0°0'0\"E", 100, 157.08, radius, plus)});
  }
  const BuildResult r = Full(Option(PassFail::All));
  ASSERT_EQ(r.status, BuildResult::Status::Built);
  const std::string na = Lines({
      "AREA                   : N/A sq.f.",
      "                         = N/A Acres",
      "                         = N/A sq.m.",
  });
  const std::size_t first = r.preview.find(na);
  ASSERT_NE(first, std::string::npos) << r.preview;
  EXPECT_NE(r.preview.find(na, first + 1), std::string::npos) << r.preview;
  // Minus sign printed for a sign other than 0.
  EXPECT_NE(r.preview.find("      50.000   -\r\n"), std::string::npos);
  const BuildResult s = Summary(Option(PassFail::All));
  EXPECT_NE(s.preview.find("             Unconfirmed        N/A   0.000"), std::string::npos) << s.preview;
}

TEST_F(BuildersTest, AzimuthMetresAndNoDecimals) {
  settings.unitFeet = false;
  settings.directionHeading = DirectionHeadingFor(false);
  settings.traverse.direction.bearing = false;
  settings.traverse.errDecimal = 0;
  AddParcel("Az", 12.0, {L(0, "90°0'0\"", 12.5)});
  const BuildResult r = Full(Option(PassFail::All));
  ASSERT_EQ(r.status, BuildResult::Status::Built);
  EXPECT_EQ(r.preview, Lines({
                           "Drawing file name: /srv/dwg/site.dwg",
                           "",
                           "Lot Closure Report - Lot # Az",
                           "",
                           "Starting location (North, East) = ( 0, 0 )",
                           " LEG    AZIMUTH       LENGTH(m)     ARC      RADIUS  AREA+/-",
                           " ---    -------       ------        ---      ------  -------",
                           "   1     90°0'0\"         13.",
                           "",
                           "Total Distance         : 12.5",
                           "Misclosure Direction   : 270°0'0\"",
                           "Misclosure Distance    : 12",
                           "Precision              : 1:1",
                           "AREA                   : 0 sq.m.",
                           "                         = 0 Hectares",
                           "                         = 0 Acres",
                           "", "", "", "", "", "",
                       }));
  EXPECT_EQ(ReadFile(paths.csv).substr(0, 100),
            std::string("\"/srv/dwg/site.dwg\"\r\n\"LOT #\",\"LEG\",\"AZIMUTH\",\"LENGTH(m) \",\"ARC\",\"RADIUS\","
                        "\"AREA+/-\"\r\n\"Az\",\"1\", 90°0'0\",\"13.\"\r\n\r\n")
                .substr(0, 100));
  const BuildResult s = Summary(Option(PassFail::All));
  EXPECT_EQ(s.preview, Lines({
                           "Drawing file name: /srv/dwg/site.dwg",
                           "",
                           "             PARCEL NAME      AREA  CLOSURE    CLOSURE     PRECISION",
                           "                              sq.m.  meter     AZIMUTH            ",
                           std::string(68, '_'),
                           "",
                           "                      Az         0.     12.      270°0'0\"   1:1",
                       }));
}

TEST_F(BuildersTest, SummaryWritesOneLinePerParcelAndLeavesTheCsvAlone) {
  AddParcel("East", 1234.5, {L(0, "N90°0'0\"E", 1234.5)});
  AddParcel("A parcel name of thirty chars", 0.0, {L(0, "N90°0'0\"E", 2000), L(1, "N0°0'0\"E", 1234.567)});
  AddParcel("No courses", 0.0, {});
  std::ofstream(paths.csv, std::ios::binary) << "earlier";
  const BuildResult s = Summary(Option(PassFail::All));
  ASSERT_EQ(s.status, BuildResult::Status::Built) << s.message;
  EXPECT_EQ(s.preview, ReadFile(paths.text));
  EXPECT_EQ(ReadFile(paths.csv), "earlier");
  EXPECT_EQ(s.preview, Lines({
                           "Drawing file name: /srv/dwg/site.dwg",
                           "",
                           "             PARCEL NAME      AREA  CLOSURE    CLOSURE     PRECISION",
                           "                              sq.f.   feet     BEARING            ",
                           std::string(68, '_'),
                           "",
                           // cut to 24 characters; the area is wider than its column
                           "A parcel name of thirty 1,234,567.0002,350.352   S58°18'49\"W   1:1",
                           "                    East      0.0001,234.500    N90° 0'0\"W   1:1",
                       }));
}

// The summary line's area and precision columns, build by build.
TEST_F(BuildersTest, SummaryAreaAndPrecisionCaseByCase) {
  const auto rectangle = [](double east, double north) {
    return std::vector<Course>{L(0, "N0°0'0\"E", north), L(1, "N90°0'0\"E", east), L(2, "S0°0'0\"E", north),
                               L(3, "S90°0'0\"W", east)};
  };
  const struct {
    const char* name;
    Edition edition;
    int decimals;
    std::vector<Course> courses;
    const char* area;
    const char* precision;
  } cases[] = {
      // A parcel without length is perfect in the summary (the full report says 1:1).
      {"no length", Edition::A2004, 3, {L(0, "N90°0'0\"E", 0)}, "0.000", "Perfect"},
      {"no length, R14", Edition::R14, 3, {L(0, "N90°0'0\"E", 0), L(1, "N0°0'0\"E", 0)}, "0.000", "Perfect"},
      {"open", Edition::A2004, 3, {L(0, "N90°0'0\"E", 1234.5)}, "0.000", "1:1"},
      {"blunder", Edition::A2004, 3, {L(0, "N0°0'0\"E", 100), L(1, "N90°0'0\"E", 100), L(2, "S0°0'0\"E", 110),
                                      L(3, "S90°0'0\"W", 100)}, "11,000.000", "1:41"},
      // 12.5 with no decimals: half-even first gives 12, the R14 pattern alone 13.
      {"half, A2004", Edition::A2004, 0, rectangle(2.5, 5), "12.", "Perfect"},
      {"half, A2000", Edition::A2000, 0, rectangle(2.5, 5), "12.", "Perfect"},
      {"half, standalone", Edition::Standalone, 0, rectangle(2.5, 5), "12.", "Perfect"},
      {"half, R14", Edition::R14, 0, rectangle(2.5, 5), "13.", "Perfect"},
      {"half, R14, one decimal", Edition::R14, 1, rectangle(2.5, 5), "12.5", "Perfect"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    db.Execute("DELETE FROM tblMeasurements");
    db.Execute("DELETE FROM tblParcel");
    AddParcel("Lot", 0.0, c.courses);
    settings.traverse.edition = c.edition;
    settings.traverse.errDecimal = c.decimals;
    const BuildResult s = Summary(Option(PassFail::All));
    ASSERT_EQ(s.status, BuildResult::Status::Built) << s.message;
    const std::size_t start = s.preview.rfind("\r\n", s.preview.size() - 3) + 2;
    const std::string line = s.preview.substr(start, s.preview.size() - 2 - start);
    ASSERT_GE(line.size(), 57u) << line;
    EXPECT_EQ(line.substr(0, 24), std::string(21, ' ') + "Lot");
    EXPECT_EQ(line.substr(24, 11), std::string(11 - std::string(c.area).size(), ' ') + c.area) << line;
    EXPECT_EQ(line.substr(line.rfind("   ") + 3), c.precision) << line;
  }
}

TEST_F(BuildersTest, FiltersPickParcelsByStoredOrRecomputedClosure) {
  // Stored closures: 0.05 (at the tolerance), 0.051, Null. Recomputed: the
  // first closes to 0.06 although it was stored as passing.
  const std::int64_t atTolerance = AddParcel("A", 0.05, {L(0, "N90°0'0\"E", 0.06)});
  const std::int64_t above = AddParcel("B", 0.051, {L(0, "N90°0'0\"E", 0.04)});
  const std::int64_t null = AddParcel("C", std::nullopt, {L(0, "N90°0'0\"E", 1)});
  const auto listed = [](const std::string& text, const std::vector<std::string>& names) {
    std::string got;
    for (const std::string& n : names) {
      if (text.find("Lot # " + n + "\r\n") != std::string::npos ||
          text.find(std::string(23, ' ') + n + " ") != std::string::npos) {
        got += n;
      }
    }
    return got;
  };
  const struct {
    ReportFilter filter;
    const char* full;
    const char* summary;
  } cases[] = {
      {Option(PassFail::All), "ABC", "ABC"},
      {Option(PassFail::Pass), "A", "B"},   // pass is <= the tolerance; Null is neither
      {Option(PassFail::Fail), "B", "AC"},  // fail is strict
      {Option(PassFail::None), "", ""},
      {{"B", above, PassFail::Pass}, "B", "B"},  // a chosen parcel overrides the options
      {{"C", null, PassFail::None}, "C", "C"},
      {{"typed", std::nullopt, PassFail::All}, "", ""},  // a typed name selecting no entry
  };
  (void)atTolerance;
  for (const auto& c : cases) {
    const BuildResult f = Full(c.filter);
    ASSERT_EQ(f.status, BuildResult::Status::Built);
    EXPECT_EQ(listed(f.preview, {"A", "B", "C"}), c.full) << c.filter.parcelText << int(c.filter.option);
    const BuildResult s = Summary(c.filter);
    ASSERT_EQ(s.status, BuildResult::Status::Built);
    EXPECT_EQ(listed(s.preview, {"A", "B", "C"}), c.summary) << c.filter.parcelText << int(c.filter.option);
  }
}

TEST_F(BuildersTest, TheR14TotalRunsAlongArcsAndLongParcelsAreReportedWhole) {
  AddLotOne();
  settings.traverse.edition = Edition::R14;
  BuildResult r = Full(Option(PassFail::All));
  EXPECT_NE(r.preview.find("Total Distance         : 457.08\r\n"), std::string::npos) << r.preview;
  EXPECT_NE(r.preview.find("AREA                   : 13927.009 sq.f."), std::string::npos);

  // More courses than the editor's rows: every one is listed and counted.
  std::vector<Course> many;
  for (int i = 0; i < 85; ++i) many.push_back(L(i, i % 2 ? "S0°0'0\"E" : "N0°0'0\"E", 10));
  db.Execute("DELETE FROM tblMeasurements");
  db.Execute("DELETE FROM tblParcel");
  AddParcel("Long", 10.0, many);
  settings.traverse.edition = Edition::Standalone;
  settings.traverse.courseLimit = 50;
  r = Full(Option(PassFail::All));
  EXPECT_NE(r.preview.find("  85    N0°0'0\"E      10.000\r\n"), std::string::npos) << r.preview;
  EXPECT_NE(r.preview.find("Total Distance         : 850\r\n"), std::string::npos);
}

TEST_F(BuildersTest, TheStandaloneEditionWritesNoNonTangentMarks) {
  AddLotOne();
  settings.traverse.edition = Edition::Standalone;
  const BuildResult r = Full(Option(PassFail::All));
  EXPECT_EQ(r.preview.find("NT"), std::string::npos);
  EXPECT_EQ(ReadFile(paths.csv).find("NT"), std::string::npos);
}

TEST_F(BuildersTest, QuotesInNamesAndPathsAreDoubledInTheCsv) {
  settings.drawingPath = "/srv/dwg/\"north\" site.dwg";
  AddParcel("Lot \"B\"", 0.0, {L(0, "N90°0'0\"E", 1)});
  ASSERT_EQ(Full(Option(PassFail::All)).status, BuildResult::Status::Built);
  EXPECT_EQ(ReadFile(paths.csv).substr(0, 31), "\"/srv/dwg/\"\"north\"\" site.dwg\"\r\n");
  EXPECT_NE(ReadFile(paths.csv).find("\"Lot \"\"B\"\"\",\"1\", N90°0'0\"E,\"1.000\"\r\n"), std::string::npos);
}

// A generated project whose files run to many pieces of the writes: the
// whole report, both files and the preview, is the blocks of its parcels one
// after the other, in the order of the parcel list, whatever the buffering.
TEST_F(BuildersTest, AGeneratedProjectReportsEveryParcelsBlocksInListOrder) {
  const char* const names[] = {"lot", "Lot", " Lot", "ÉLAN", "Zone", "Öre", "b\"q\""};
  {
    dao::Transaction t(db);
    for (int p = 0; p < 400; ++p) {
      std::vector<Course> courses;
      const int count = p % 17 == 0 ? 0 : 1 + p % 9;  // some parcels have no course
      for (int r = 0; r < count; ++r) {
        const double length = p % 5 == 0 ? 1e-4 * (r + 1) : 12345.678 * (r + 1) + p / 7.0;
        const std::string direction = "N" + std::to_string((p + r * 37) % 90) + "°1" + std::to_string(r % 10) + "'" +
                                      (r % 3 == 0 ? " 5\" E" : "5\"W");
        if (r % 4 == 2) {
          courses.push_back(A(r * 2, direction, length, length * 1.01, 250.0 + p, r % 3, r % 2 == 0));
        } else {
          courses.push_back(L(r * 2, direction, length));
        }
      }
      std::optional<double> closure;  // Null now and then
      if (p % 11 != 0) closure = 0.001 * (p % 90);
      AddParcel(std::string(names[p % 7]) + " " + std::to_string((p * 7919) % 1000), closure, courses);
    }
    t.Commit();
  }
  std::string text;
  std::string csv;
  for (const ParcelListEntry& parcel : ListParcels(db)) {
    const std::vector<StoredCourse> courses = ReadCourses(db, parcel.ParcelID);
    if (courses.empty()) continue;
    text += LotClosureReport(parcel.Parcel, courses, ComputeFigures(courses, settings), settings);
    csv += LotClosureCsv(parcel.Parcel, courses, settings);
  }
  ASSERT_GT(text.size(), 4u * 64 * 1024);
  const BuildResult r = Full(Option(PassFail::All));
  ASSERT_EQ(r.status, BuildResult::Status::Built) << r.message;
  EXPECT_TRUE(r.preview == text);  // not printed: some 700 KB
  EXPECT_TRUE(ReadFile(paths.text) == text);
  EXPECT_TRUE(ReadFile(paths.csv) == csv);
}

TEST_F(BuildersTest, NoParcelsAndFailuresGiveAMessageAndNoPreview) {
  BuildResult r = Full(Option(PassFail::All));
  EXPECT_EQ(r.status, BuildResult::Status::NoData);
  EXPECT_EQ(r.message, "There is no data to print.");
  EXPECT_EQ(Summary(Option(PassFail::All)).message, "There is no data to print.");

  AddParcel("East", 1.0, {L(0, "N90°0'0\"E", 1)});
  paths.text = folder.File("missing-folder/temp.rpt");
  r = Full(Option(PassFail::All));
  EXPECT_EQ(r.status, BuildResult::Status::Failed);
  EXPECT_NE(r.message.find("cannot be written"), std::string::npos) << r.message;
  EXPECT_TRUE(r.preview.empty());

  // A database failure in the middle of the build.
  paths.text = folder.File("temp.rpt");
  db.Execute("DROP TABLE tblMeasurements");
  r = Full(Option(PassFail::All));
  EXPECT_EQ(r.status, BuildResult::Status::Failed);
  EXPECT_FALSE(r.message.empty());
  EXPECT_EQ(Summary(Option(PassFail::All)).status, BuildResult::Status::Failed);
}

TEST(RunFolderTest, ScratchFilesLiveInAPrivateFolderOfTheRun) {
  const std::string folder = RunFolder();
  EXPECT_EQ(RunFolder(), folder);
  const auto status = std::filesystem::status(folder);
  EXPECT_TRUE(std::filesystem::is_directory(status));
  EXPECT_EQ(status.permissions() & std::filesystem::perms::all, std::filesystem::perms::owner_all);
  EXPECT_EQ(RunScratchPaths().text, folder + "/temp.rpt");
  EXPECT_EQ(RunScratchPaths().csv, folder + "/tempcsv.rpt");
}

}  // namespace
}  // namespace korvalo::reports
