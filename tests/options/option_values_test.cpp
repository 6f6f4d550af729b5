#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/edition.h"
#include "options/option_values.h"
#include "platform/dao/dao.h"
#include "storage/schema.h"
#include "storage/system_db.h"
#include "support/temp_folder.h"

namespace korvalo::options {
namespace {

TEST(OptionValues, ToleranceTextsReadThroughTheirDigitsAndPoints) {
  const struct {
    std::string text;
    std::optional<double> value;
  } cases[] = {
      {"0.0100", 0.01}, {"", 0.0},       {".", 0.0},           {".5", 0.5},     {"1.", 1.0},
      {"a1b.2", 1.2},   {"-3", 3.0},     {"1.2.3", std::nullopt}, {"..", std::nullopt},
      // Too many digits for a finite number.
      {std::string(400, '9'), std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ToleranceFromText(c.text), c.value);
  }
}

TEST(OptionValues, ARefusedToleranceIsTooLargeOnlyWhenItsNumberReads) {
  EXPECT_TRUE(ToleranceTooLarge(std::string(400, '9')));
  EXPECT_TRUE(ToleranceTooLarge(std::string(400, '9') + ".5"));
  EXPECT_FALSE(ToleranceTooLarge("1.2.3"));
  EXPECT_FALSE(ToleranceTooLarge(std::string(400, '9') + ".5.5"));
  EXPECT_FALSE(ToleranceTooLarge("0.001"));
}

TEST(OptionValues, WholeNumbersRoundHalvesToEvenAndFitSixteenBits) {
  const struct {
    const char* text;
    std::optional<int> value;
  } cases[] = {
      {"", 0},          {"7", 7},         {"2.5", 2},          {"3.5", 4},
      {"32767", 32767}, {"32767.4", 32767}, {"32767.5", std::nullopt}, {"32768", std::nullopt},
      {"99999", std::nullopt}, {"1.2.3", std::nullopt}, {"x12", 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(WholeFromText(c.text), c.value);
  }
}

TEST(OptionValues, DegreeSymbolsThatWouldBreakDirectionsAreRefused) {
  for (const char* allowed : {"%%D", "%%d", "%d", "d", "\u00B0", "#", "\u00B0\u00B0\u00B0"}) {
    EXPECT_TRUE(DegreeSymbolAllowed(allowed)) << allowed;
  }
  for (const char* refused : {"", " ", "%%D ", " %d", "%1", "0", ".", "%'", "\"", "n", "S", "%e", "W", "%%DD",
                              "\u00B0\u00B0\u00B0\u00B0", "%\n", "\r", "%\r\n", "\x01", "%\x1b", "\x7f", "\u0085"}) {
    EXPECT_FALSE(DegreeSymbolAllowed(refused)) << "[" << refused << "]";
  }
}

TEST(OptionValues, StoredOrdersTheDialogCannotShowGiveTheShippedOrder) {
  using P = std::array<std::optional<long long>, 4>;  // txtArc, txtChord, txtRadius, txtBearing
  const std::array<std::string, 4> shipped = {"Bearing", "Arc", "Chord", "Radius"};
  const struct {
    const char* name;
    P positions;
    std::array<std::string, 4> cells;
  } cases[] = {
      {"bearing, arc, chord, radius", {2, 3, 4, 1}, shipped},
      {"bearing, radius, arc, chord", {3, 4, 2, 1}, {"Bearing", "Radius", "Arc", "Chord"}},
      {"bearing not first", {1, 3, 4, 2}, shipped},
      {"a position outside 1-4", {7, 3, 4, 1}, shipped},
      {"a position twice", {2, 2, 4, 1}, shipped},
      {"a position without value", {std::nullopt, 3, 4, 1}, shipped},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CellsForPositions(c.positions), c.cells);
  }
}

TEST(OptionValues, CellsWriteTheirPositions) {
  StoredSettings v;
  PositionsFromCells({"Bearing", "Radius", "Arc", "Chord"}, v);
  EXPECT_EQ(v.positions, (std::array<int, 4>{3, 4, 2, 1}));
}

// Restore defaults reads the program defaults by position: the shipped
// system databases must keep these fields at these places.
TEST(OptionValues, ShippedSystemDatabasesHoldTheDefaultsAtTheirPositions) {
  const char* const expected[] = {
      "txtArc",        "txtChord",          "txtRadius",         "txtBearing",    "unitfeet",
      "SquareX",       "Minimize",          "AddAreaCheck",      "AutoInvert",    "TangentCheck",
      "WarningRanged", "TangentToleranced", "Decimal",           "Tolerance",     nullptr,
      "ToolTipOn",     "TangentTolerancem", "TangentTolerances", "WarningRangem", "WarningRanges",
      nullptr,         "Bearing",           "DegreeSymbol"};
  for (Edition edition : {Edition::A2004, Edition::Standalone}) {
    SCOPED_TRACE(SystemDatabaseName(edition));
    TempFolder dir;
    const std::string path = dir.File(SystemDatabaseName(edition));
    BuildSystemDatabase(path, edition);
    dao::OpenOptions withPassword;
    withPassword.connect = std::string(";Pwd=") + kSystemDatabasePassword;
    dao::Database db = dao::Database::Open(path, withPassword);
    dao::Recordset rs = db.OpenRecordset("tblSetting");
    ASSERT_GE(rs.FieldCount(), 23);
    for (int i = 0; i < 23; ++i) {
      if (expected[i] == nullptr) continue;
      EXPECT_EQ(rs.FieldName(i), expected[i]) << "position " << i;
    }
  }
}

}  // namespace
}  // namespace korvalo::options
