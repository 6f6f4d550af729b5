#include "platform/viewer/reader.h"

#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_api.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "platform/viewer/dgn_file.h"
#include "platform/viewer/drawing_files.h"
#include "support/temp_folder.h"

namespace korvalo::viewer {
namespace {

using namespace testing;

// The surveyor's plat in little: texts as the tokenisers read them, layers
// on, off and frozen, a Windows-1252 degree sign.
std::string PlatDxf(const char* eol) {
  const Pairs tables = Section("TABLES", LayerTable({{"0", 7, 0}, {"Off", -3, 0}, {"Frozen", 5, 1}, {"Lot Lines", 1, 0}}));
  const Pairs entities = Section(
      "ENTITIES", Join({Text("1A", "0", 10, 20, 2.5, 30, "N45%%d30'15\"E"),
                        MText("1B", "Lot Lines", 5, 6, 1, "{\\A1;N45%%D30'15\\\"E}\\P100.00"),
                        Text("1C", "0", 0, 0, 1, 0, "S 12\xB0" "30' W"),
                        Line("1D", "Off", 0, 0, 10, 10), Line("1E", "Frozen", 0, 0, -10, 5, 3)}));
  return DxfText(Join({Header("AC1015", "ANSI_1252"), tables, entities}), eol) + Eof(eol);
}

const Entity& ByHandle(const Drawing& d, const std::string& handle) {
  for (const auto& e : d.entities)
    if (e.handle == handle) return e;
  throw std::runtime_error("no entity " + handle);
}

class DxfLineEnds : public ::testing::TestWithParam<const char*> {};

TEST_P(DxfLineEnds, TextsKeepTheirStoredStringsAndLayersTheirStates) {
  TempFolder dir;
  WriteFile(dir.File("plat.dxf"), PlatDxf(GetParam()));
  Drawing d;
  const auto error = ReadDrawing(dir.File("plat.dxf"), d);
  ASSERT_FALSE(error) << error->description;
  EXPECT_EQ(d.format, DrawingFormat::Dxf);
  ASSERT_EQ(d.layers.size(), 4u);
  const std::vector<std::tuple<std::string, int, int>> layers = {
      {"0", 7, kLayerShown}, {"Off", 3, kLayerOff}, {"Frozen", 5, kLayerFrozen}, {"Lot Lines", 1, kLayerShown}};
  for (std::size_t i = 0; i < layers.size(); ++i) {
    EXPECT_EQ(d.layers[i].name, std::get<0>(layers[i]));
    EXPECT_EQ(d.layers[i].colour, std::get<1>(layers[i])) << d.layers[i].name;
    EXPECT_EQ(d.layers[i].state, std::get<2>(layers[i])) << d.layers[i].name;
  }
  ASSERT_EQ(d.entities.size(), 5u);
  const Entity& text = ByHandle(d, "1A");
  EXPECT_EQ(text.kind, EntityKind::Text);
  EXPECT_EQ(d.TextOf(text), "N45%%d30'15\"E");
  EXPECT_DOUBLE_EQ(text.x, 10);
  EXPECT_DOUBLE_EQ(text.y, 20);
  EXPECT_DOUBLE_EQ(text.height, 2.5);
  EXPECT_DOUBLE_EQ(text.angle, 30);
  const Entity& mtext = ByHandle(d, "1B");
  EXPECT_EQ(mtext.kind, EntityKind::MText);
  EXPECT_EQ(d.TextOf(mtext), "{\\A1;N45%%D30'15\\\"E}\\P100.00");
  EXPECT_EQ(d.layers[static_cast<std::size_t>(mtext.layer)].name, "Lot Lines");
  EXPECT_EQ(d.TextOf(ByHandle(d, "1C")), "S 12\u00B030' W");
  const Entity& line = ByHandle(d, "1E");
  EXPECT_EQ(line.kind, EntityKind::Line);
  EXPECT_EQ(line.colour, 3);
  EXPECT_EQ(ByHandle(d, "1D").colour, kColourByLayer);
  ASSERT_EQ(line.pointCount, 2u);
  EXPECT_DOUBLE_EQ(d.xs[line.firstPoint + 1], -10);
  EXPECT_DOUBLE_EQ(d.ys[line.firstPoint + 1], 5);
}

INSTANTIATE_TEST_SUITE_P(Reader, DxfLineEnds, ::testing::Values("\n", "\r\n", "\r"));

TEST(Reader, R12WithoutSubclassesTakesKindsFromShapes) {
  const Pairs entities = Section(
      "ENTITIES", {{0, "LINE"}, {8, "Roads"}, {10, "0"}, {20, "0"}, {11, "3"}, {21, "4"},
                   {0, "TEXT"}, {8, "Notes"}, {10, "1"}, {20, "2"}, {40, "0.5"}, {1, "N 10%%d E"},
                   {0, "ARC"}, {8, "Roads"}, {10, "0"}, {20, "0"}, {40, "5"}, {50, "0"}, {51, "90"}});
  TempFolder dir;
  WriteFile(dir.File("r12.dxf"), DxfText(Join({Header("AC1009"), entities})) + Eof());
  Drawing d;
  ASSERT_FALSE(ReadDrawing(dir.File("r12.dxf"), d));
  ASSERT_EQ(d.entities.size(), 3u);
  EXPECT_EQ(d.entities[0].kind, EntityKind::Line);
  EXPECT_EQ(d.entities[1].kind, EntityKind::Text);
  EXPECT_EQ(d.TextOf(d.entities[1]), "N 10%%d E");
  // An R12 arc comes as a run of points on the circle.
  const Entity& arc = d.entities[2];
  ASSERT_GT(arc.pointCount, 2u);
  for (std::uint32_t k = arc.firstPoint; k < arc.firstPoint + arc.pointCount; ++k)
    EXPECT_NEAR(std::hypot(d.xs[k], d.ys[k]), 5.0, 1e-9);
  // Without a layer table the layers come in first-use order.
  ASSERT_EQ(d.layers.size(), 2u);
  EXPECT_EQ(d.layers[0].name, "Roads");
  EXPECT_EQ(d.layers[1].name, "Notes");
}

TEST(Reader, DamagedLayerTableFallsBackToTheLayersTheEntitiesUse) {
  Pairs table = LayerTable({{"Zeta", 1, 0}, {"Alpha", -2, 0}});
  table[table.size() - 3].second = "red";  // the second layer's colour is no number
  const Pairs entities = Section("ENTITIES", Join({Line("A1", "Beta", 0, 0, 1, 1), Line("A2", "Alpha", 0, 0, 2, 2),
                                                   Line("A3", "Beta", 0, 0, 3, 3)}));
  TempFolder dir;
  WriteFile(dir.File("damaged.dxf"), DxfText(Join({Section("TABLES", table), entities})) + Eof());
  std::vector<Layer> layers;
  ASSERT_FALSE(ReadLayers(dir.File("damaged.dxf"), layers));
  ASSERT_EQ(layers.size(), 2u);
  EXPECT_EQ(layers[0].name, "Beta");
  EXPECT_EQ(layers[1].name, "Alpha");
  EXPECT_EQ(layers[0].state, kLayerShown);
}

TEST(Reader, LayerTableByPathGivesTableOrder) {
  TempFolder dir;
  WriteFile(dir.File("plat.dxf"), PlatDxf("\n"));
  std::vector<Layer> layers;
  ASSERT_FALSE(ReadLayers(dir.File("plat.dxf"), layers));
  ASSERT_EQ(layers.size(), 4u);
  EXPECT_EQ(layers[3].name, "Lot Lines");
  EXPECT_EQ(layers[2].state, kLayerFrozen);
}

TEST(Reader, DgnLevelsColoursAndAWindowsDegreeSign) {
  TempFolder dir;
  MakeDgn(dir.File("plan.dgn"));
  Drawing d;
  const auto error = ReadDrawing(dir.File("plan.dgn"), d);
  ASSERT_FALSE(error) << error->description;
  EXPECT_EQ(d.format, DrawingFormat::Dgn);
  ASSERT_EQ(d.layers.size(), 3u);
  EXPECT_EQ(d.layers[0].name, "2");
  EXPECT_EQ(d.layers[1].name, "7");
  EXPECT_EQ(d.layers[2].name, "12");
  ASSERT_EQ(d.entities.size(), 3u);
  const Entity& line = d.entities[0];
  EXPECT_EQ(line.kind, EntityKind::Line);
  EXPECT_EQ(d.layers[static_cast<std::size_t>(line.layer)].name, "7");
  EXPECT_EQ(line.colour, 3);
  ASSERT_EQ(line.pointCount, 2u);
  EXPECT_NEAR(d.xs[line.firstPoint], 100.25, 0.01);
  EXPECT_NEAR(d.ys[line.firstPoint + 1], 400.125, 0.01);
  EXPECT_EQ(d.entities[1].kind, EntityKind::Polyline);
  const Entity& text = d.entities[2];
  EXPECT_EQ(text.kind, EntityKind::Text);
  EXPECT_EQ(d.TextOf(text), "N 45\u00B0 E");
  EXPECT_NEAR(text.x, 50.5, 0.01);
  EXPECT_NEAR(text.y, 60.25, 0.01);
  EXPECT_NEAR(text.angle, 90, 0.01);
  std::vector<Layer> layers;
  ASSERT_FALSE(ReadLayers(dir.File("plan.dgn"), layers));
  ASSERT_EQ(layers.size(), 3u);
  EXPECT_EQ(layers[2].name, "12");
}

TEST(Reader, DwgFixturesAsGdalReadsThem) {
  Drawing text;
  ASSERT_FALSE(ReadDrawing(Fixture("text_r2000.dwg"), text));
  EXPECT_EQ(text.format, DrawingFormat::Dwg);
  ASSERT_EQ(text.layers.size(), 1u);
  EXPECT_EQ(text.layers[0].name, "0");
  ASSERT_EQ(text.entities.size(), 1u);
  EXPECT_EQ(text.entities[0].kind, EntityKind::MText);
  EXPECT_NEAR(text.entities[0].x, 7.332978, 1e-6);
  EXPECT_NEAR(text.entities[0].y, 14.115798, 1e-6);
  EXPECT_EQ(text.TextOf(text.entities[0]).rfind("This a multiline text", 0), 0u);

  Drawing line;
  ASSERT_FALSE(ReadDrawing(Fixture("line_r2000.dwg"), line));
  ASSERT_EQ(line.entities.size(), 1u);
  const Entity& l = line.entities[0];
  EXPECT_EQ(l.kind, EntityKind::Line);
  ASSERT_EQ(l.pointCount, 2u);
  EXPECT_NEAR(line.xs[l.firstPoint], 21.607767, 1e-6);
  EXPECT_NEAR(line.ys[l.firstPoint], 2.811924, 1e-6);
  EXPECT_NEAR(line.xs[l.firstPoint + 1], 11.030737, 1e-6);
  EXPECT_NEAR(line.ys[l.firstPoint + 1], 16.637545, 1e-6);

  Drawing example;
  ASSERT_FALSE(ReadDrawing(Fixture("example_r2000.dwg"), example));
  ASSERT_EQ(example.layers.size(), 2u);
  EXPECT_EQ(example.layers[0].name, "Tavolo 2");
  EXPECT_EQ(example.layers[1].name, "Tavolo 3");
  int perLayer[2] = {0, 0};
  bool arcMadeLinear = false, anyText = false;
  for (const auto& e : example.entities) {
    ++perLayer[e.layer];
    if (e.kind == EntityKind::Arc) arcMadeLinear = e.pointCount > 3;
    anyText = anyText || e.IsText();
  }
  EXPECT_EQ(perLayer[0], 6);
  EXPECT_EQ(perLayer[1], 4);
  EXPECT_TRUE(arcMadeLinear);
  EXPECT_FALSE(anyText);
  ASSERT_FALSE(example.warnings.empty());
  EXPECT_NE(example.warnings[0].find("Unhandled feature"), std::string::npos);
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Reader, RefusesWhatIsNoDrawingWeReadAndKeepsTheDrawing) {
  TempFolder dir;
  const std::string dwg = Slurp(Fixture("line_r2000.dwg"));
  std::string newer = dwg;
  newer.replace(0, 6, "AC1018");
  WriteFile(dir.File("newer.dwg"), newer);
  WriteFile(dir.File("truncated.dwg"), dwg.substr(0, dwg.size() / 2));
  WriteFile(dir.File("empty.dxf"), "");
  WriteFile(dir.File("points.dxf"), "{\"type\":\"FeatureCollection\",\"features\":[]}\n");
  struct Case {
    std::string file;
    int number;
    std::string says;
  };
  const std::vector<Case> cases = {
      {"newer.dwg", kErrBadFileFormat, "AC1018"},
      {"truncated.dwg", kErrBadFileFormat, ""},
      {"empty.dxf", kErrBadFileFormat, "empty"},
      {"missing.dxf", kErrFileNotFound, "not found"},
      {"points.dxf", kErrBadFileFormat, "points.dxf"},
  };
  for (const auto& c : cases) {
    Drawing d;
    d.layers.push_back({"kept", 7, kLayerShown});
    const auto error = ReadDrawing(dir.File(c.file), d);
    ASSERT_TRUE(error) << c.file;
    EXPECT_EQ(error->number, c.number) << c.file;
    EXPECT_NE(error->description.find(c.says), std::string::npos) << c.file << ": " << error->description;
    EXPECT_FALSE(error->description.empty());
    ASSERT_EQ(d.layers.size(), 1u) << c.file;
    std::vector<Layer> layers;
    EXPECT_TRUE(ReadLayers(dir.File(c.file), layers)) << c.file;
  }
}

// A DXF cut off half way, as an interrupted copy leaves it: the entities
// before the cut would read, but a part of a plat must not pass for all of
// it.
TEST(Reader, ADxfCutOffHalfWayIsRefused) {
  TempFolder dir;
  Pairs entities;
  for (int i = 0; i < 200; ++i) {
    entities = Join({entities, Line("L" + std::to_string(i), "0", i, 0, i, 100),
                     Text("T" + std::to_string(i), "0", i, 50, 2, 0, "N 45%%D00'00\" E 100.00")});
  }
  const std::string whole =
      DxfText(Join({Section("TABLES", LayerTable({{"0", 7, 0}})), Section("ENTITIES", entities)})) + Eof();
  WriteFile(dir.File("whole.dxf"), whole);
  Drawing read;
  ASSERT_FALSE(ReadDrawing(dir.File("whole.dxf"), read));
  EXPECT_EQ(read.entities.size(), 400u);

  WriteFile(dir.File("cut.dxf"), whole.substr(0, whole.size() / 2 + 3));
  Drawing d;
  d.layers.push_back({"kept", 7, kLayerShown});
  const auto error = ReadDrawing(dir.File("cut.dxf"), d);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->number, kErrBadFileFormat);
  EXPECT_NE(error->description.find("could not be read whole"), std::string::npos) << error->description;
  // The message names the file the user chose, nothing of how it was read.
  EXPECT_NE(error->description.find(dir.File("cut.dxf")), std::string::npos) << error->description;
  EXPECT_EQ(error->description.find("/vsimem"), std::string::npos) << error->description;
  EXPECT_EQ(d.layers.size(), 1u) << "the drawing held is kept";
}

// Texts of DXF files of every era: AutoCAD 2007 and later write UTF-8 whatever
// code page their header names; older files are in their code page.
TEST(Reader, EachDxfIsReadInItsOwnEncoding) {
  struct Case {
    const char* version;
    const char* codepage;
    std::string stored;
  };
  const std::string utf8 = "N0\xC2\xB0" "00'00\"E";
  const std::string windows = "N0\xB0" "00'00\"E";
  const Case cases[] = {
      {"AC1032", "ANSI_1252", utf8},  // R2018
      {"AC1027", "ANSI_1252", utf8},  // R2013
      {"AC1021", "ANSI_1252", utf8},  // R2007
      {"AC1018", "ANSI_1252", windows},
      {"AC1015", "ANSI_1252", windows},
      {"AC1009", "", windows},  // R12
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    TempFolder dir;
    const Pairs entities = Section("ENTITIES", Join({Text("1A", "Lot \xC3\xA9" "t\xC3\xA9", 0, 0, 1, 0, c.stored),
                                                     MText("1B", "0", 0, 5, 1, "S45" + c.stored.substr(2, c.stored.size() - 3) + "W\\P150.02")}));
    const Pairs tables = std::string(c.version) >= "AC1021"
                             ? Section("TABLES", LayerTable({{"0", 7, 0}, {"Lot \xC3\xA9t\xC3\xA9", 3, 0}}))
                             : Pairs{};
    WriteFile(dir.File("plat.dxf"), DxfText(Join({Header(c.version, c.codepage), tables, entities})) + Eof());
    Drawing d;
    const auto error = ReadDrawing(dir.File("plat.dxf"), d);
    ASSERT_FALSE(error) << error->description;
    ASSERT_EQ(d.entities.size(), 2u);
    EXPECT_EQ(d.TextOf(d.entities[0]), "N0\u00B000'00\"E");
    EXPECT_EQ(d.TextOf(d.entities[1]), "S45\u00B000'00\"W\\P150.02");
    if (!tables.empty()) {
      // The entity's layer is the table's, not a second one of garbled name.
      EXPECT_EQ(d.layers.size(), 2u);
      EXPECT_EQ(d.layers[static_cast<std::size_t>(d.entities[0].layer)].name, "Lot \u00E9t\u00E9");
      EXPECT_EQ(d.layers[static_cast<std::size_t>(d.entities[0].layer)].colour, 3);
    }
  }
}

// A spline with fewer control points than its degree asks for, which GDAL
// cannot shape: the drawing loads without it and says what was left out. A
// DXF cut off or with a damaged group code is refused.
TEST(Reader, AnEntityGdalCannotShapeIsLeftOutButDamageRefuses) {
  const Pairs spline = {{0, "SPLINE"}, {5, "11"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbSpline"},
                        {70, "8"}, {71, "3"}, {72, "0"}, {73, "2"}, {74, "0"},
                        {10, "0"}, {20, "0"}, {30, "0"}, {10, "1"}, {20, "2"}, {30, "0"}};
  const std::string whole =
      DxfText(Join({Header("AC1015"), Section("ENTITIES", Join({Line("10", "0", 0, 0, 5, 5), spline,
                                                                  Line("12", "0", 10, 0, 15, 5)}))})) +
      Eof();
  TempFolder dir;
  WriteFile(dir.File("spline.dxf"), whole);
  Drawing d;
  const auto error = ReadDrawing(dir.File("spline.dxf"), d);
  ASSERT_FALSE(error) << error->description;
  ASSERT_EQ(d.entities.size(), 2u);
  EXPECT_EQ(d.entities[1].handle, "12");
  ASSERT_FALSE(d.warnings.empty());
  EXPECT_NE(d.warnings[0].find("left out"), std::string::npos) << d.warnings[0];
  EXPECT_EQ(LoadNotice(d), "1 entity of this drawing could not be drawn and was left out.\nLeft out: 1 SPLINE.");

  struct Damage {
    const char* file;
    std::string bytes;
    const char* says;
  };
  std::string badCode = whole;
  badCode.replace(badCode.find("\n11\n"), 4, "\nxx\n");
  const Damage damaged[] = {
      {"cut.dxf", whole.substr(0, whole.size() - 8), "ends before its end mark"},
      {"code.dxf", badCode, "damaged at line"},
      // GDAL's reader never comes back from these: they are refused first.
      {"cr.dxf", "0\r\nSECTION\r", "ends before its end mark"},
      {"no code.dxf", "PaperSpace0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$ACADVER\r\n0\r\nEOF\r\n",
       "Not a DXF, DWG or DGN drawing"},
      {"nul.dxf", "0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$ACADVER\r\n0\r\nAC1015\r" + std::string(24, '\0') +
                      "\n0\r\nENDSEC\r\n0\r\nEOF\r\n",
       "damaged at line"},
  };
  for (const Damage& c : damaged) {
    WriteFile(dir.File(c.file), c.bytes);
    Drawing kept;
    const auto refused = ReadDrawing(dir.File(c.file), kept);
    ASSERT_TRUE(refused) << c.file;
    EXPECT_EQ(refused->number, kErrBadFileFormat) << c.file;
    EXPECT_NE(refused->description.find(c.says), std::string::npos) << refused->description;
  }
}

// A spline given by fit points only is drawn as the polyline through them,
// in a block as in the drawing; the lines GDAL reads of it keep their
// numbers, so an entity after it that GDAL cannot shape is told by kind.
TEST(Reader, AFitPointSplineIsDrawnThroughItsFitPoints) {
  const Pairs fitSpline = {{0, "SPLINE"}, {5, "21"}, {100, "AcDbEntity"}, {8, "0"}, {62, "5"},
                           {100, "AcDbSpline"}, {70, "8"}, {71, "3"}, {72, "0"}, {73, "0"}, {74, "3"},
                           {11, "0"}, {21, "0"}, {31, "0"}, {11, "5"}, {21, "5"}, {31, "0"},
                           {11, "10"}, {21, "0"}, {31, "0"}};
  const Pairs badSpline = {{0, "SPLINE"}, {5, "23"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbSpline"},
                           {70, "8"}, {71, "3"}, {73, "2"}, {10, "0"}, {20, "0"}, {30, "0"},
                           {10, "1"}, {20, "2"}, {30, "0"}};
  Pairs inBlock = fitSpline;
  inBlock[1].second = "31";
  const std::string dxf =
      DxfText(Join({Header("AC1015"), Section("BLOCKS", Block("CURVE", inBlock)),
                    Section("ENTITIES", Join({fitSpline, Insert("CURVE", 100, 0), badSpline,
                                              Line("22", "0", 0, 0, 1, 1)}))})) +
      Eof();
  TempFolder dir;
  WriteFile(dir.File("fit.dxf"), dxf);
  Drawing d;
  const auto error = ReadDrawing(dir.File("fit.dxf"), d);
  ASSERT_FALSE(error) << error->description;
  ASSERT_EQ(d.entities.size(), 3u);
  for (const double dx : {0.0, 100.0}) {
    const Entity& spline = d.entities[dx == 0 ? 0 : 1];
    SCOPED_TRACE(dx);
    EXPECT_EQ(spline.rgb, 0x0000FFu);
    ASSERT_GE(spline.pointCount, 3u);
    // From the first fit point to the last, straight between them.
    const std::uint32_t first = spline.firstPoint, last = first + spline.pointCount - 1;
    EXPECT_NEAR(d.xs[first], dx + 0, 1e-9);
    EXPECT_NEAR(d.ys[first], 0, 1e-9);
    EXPECT_NEAR(d.xs[last], dx + 10, 1e-9);
    EXPECT_NEAR(d.ys[last], 0, 1e-9);
    double highest = 0;
    for (std::uint32_t i = first; i <= last; ++i) {
      highest = std::max(highest, d.ys[i]);
      EXPECT_NEAR(d.ys[i], 5 - std::fabs(d.xs[i] - dx - 5), 1e-6) << i;
    }
    // GDAL samples the curve at eight points a fit point: the corner is met
    // within a sample's step.
    EXPECT_NEAR(highest, 5, 0.5);
  }
  EXPECT_EQ(d.entities[2].handle, "22");
  EXPECT_EQ(d.notShaped, 1);
  EXPECT_EQ(d.leftOutKinds, std::vector<std::string>{"SPLINE"});
  EXPECT_EQ(d.leftOutKindCounts, std::vector<long>{1});
}

// A coordinate that is not a number, or left empty, leaves its entity out
// and is told with the others; it is not drawn at 0.
TEST(Reader, ACoordinateThatIsNoNumberLeavesItsEntityOut) {
  auto line = [](const char* handle, const char* x) {
    return Pairs{{0, "LINE"}, {5, handle}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbLine"}, {10, x},
                 {20, "1"}, {30, "0"}, {11, "4"}, {21, "5"}, {31, "0"}};
  };
  const Pairs r12Line = {{0, "LINE"}, {8, "0"}, {10, "1"}, {20, "2"}, {11, ""}, {21, "5"}};
  const char* const numbers[] = {"2", " 2.5", "+2", "-2e1", ".5", "2."};
  const char* const noNumbers[] = {"abc", "", "   ", "2,5", "1.5abc", "--2", "+-2"};
  Pairs all = {};
  int handle = 0x100;
  for (const char* x : numbers) all = Join({all, line(std::to_string(handle++).c_str(), x)});
  for (const char* x : noNumbers) all = Join({all, line(std::to_string(handle++).c_str(), x)});
  const std::string dxf = DxfText(Join({Header("AC1015"), Section("ENTITIES", Join({all, r12Line}))})) + Eof();
  TempFolder dir;
  WriteFile(dir.File("abc.dxf"), dxf);
  Drawing d;
  const auto error = ReadDrawing(dir.File("abc.dxf"), d);
  ASSERT_FALSE(error) << error->description;
  ASSERT_EQ(d.entities.size(), std::size(numbers));
  for (const Entity& e : d.entities) EXPECT_NE(d.xs[e.firstPoint], 0.0) << e.handle;
  EXPECT_EQ(d.leftOut, static_cast<long>(std::size(noNumbers)) + 1);
  EXPECT_EQ(d.leftOutKinds, std::vector<std::string>{"LINE"});
  EXPECT_EQ(LoadNotice(d),
            "8 entities of this drawing could not be shown and were left out: their coordinates are no numbers or lie "
            "too far out.\nLeft out: 8 LINE.");
}

// A DXF before AutoCAD 2007 is read in the code page it names, for texts and
// layer names alike: 1252's quotes, dashes and euro sign (0x80-0x9F) too.
TEST(Reader, ADxfIsReadInTheCodePageItNames) {
  struct Case {
    const char* version;
    const char* codepage;
    std::string stored;  // the layer's name and the text, as the file holds them
    const char* read;
  };
  const Case cases[] = {
      {"AC1015", "ANSI_1252", "N 45\xB0" "30\x92" "15\x94 E \x96 100 \x80", "N 45\u00B030\u201915\u201D E \u2013 100 \u20AC"},
      {"AC1009", "ANSI_1252", "Lot \x93" "A\x94", "Lot \u201CA\u201D"},
      {"AC1018", "ANSI_1250", "Parcela \x8A\xE8", "Parcela \u0160\u010D"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.read);
    const Pairs tables = Section("TABLES", LayerTable({{"0", 7, 0}, {c.stored, 3, 0}}));
    const Pairs entities = Section("ENTITIES", Join({Text("1A", c.stored, 0, 0, 1, 0, c.stored),
                                                     MText("1B", c.stored, 0, 5, 1, c.stored + "\\P1")}));
    TempFolder dir;
    WriteFile(dir.File("cp.dxf"), DxfText(Join({Header(c.version, c.codepage), tables, entities})) + Eof());
    Drawing d;
    const auto error = ReadDrawing(dir.File("cp.dxf"), d);
    ASSERT_FALSE(error) << error->description;
    ASSERT_EQ(d.entities.size(), 2u);
    EXPECT_EQ(d.TextOf(d.entities[0]), c.read);
    EXPECT_EQ(d.TextOf(d.entities[1]), std::string(c.read) + "\\P1");
    // The entities' layer is the table's, named as written.
    ASSERT_EQ(d.layers.size(), 2u);
    EXPECT_EQ(d.layers[1].name, c.read);
    EXPECT_EQ(d.entities[0].layer, 1);
    EXPECT_EQ(d.entities[1].layer, 1);
    std::vector<Layer> layers;
    ASSERT_FALSE(ReadLayers(dir.File("cp.dxf"), layers));
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(layers[1].name, c.read);
  }
}

// Blocks inserting blocks: what they expand to is counted before anything is
// expanded. A drawing past the budget is refused as too large; a chain nested
// past what GDAL expands, or a block inserting itself, loads without those
// blocks and says so.
TEST(Reader, BlockExpansionHasABudget) {
  TempFolder dir;
  struct Case {
    const char* file;
    std::string bytes;
    bool refused;
    std::size_t entities;
    bool blocksLeftOut;
  };
  // A chain of single inserts 1,000 deep.
  Pairs chain = Block("C0", Line("C", "0", 0, 0, 1, 1));
  for (int i = 1; i < 1000; ++i) {
    const Pairs next = Block("C" + std::to_string(i), Insert("C" + std::to_string(i - 1), 0, 0));
    chain.insert(chain.end(), next.begin(), next.end());
  }
  const Pairs cycle = Join({Block("A", Join({Line("A1", "0", 0, 0, 1, 1), Insert("B", 1, 0)})),
                            Block("B", Join({Line("B1", "0", 0, 0, 1, 1), Insert("A", 1, 0)}))});
  const Case cases[] = {
      {"small.dxf", BlockBombDxf(3, 10), false, 10000, false},
      {"bomb.dxf", BlockBombDxf(8, 10), true, 0, false},
      // One insert of rows and columns can stand for as many.
      {"grid.dxf",
       DxfText(Join({Header("AC1015"), Section("BLOCKS", Block("G", Line("G1", "0", 0, 0, 1, 1))),
                     Section("ENTITIES", Insert("G", 0, 0, 100000, 100000))})) + Eof(),
       true, 0, false},
      {"chain.dxf",
       DxfText(Join({Header("AC1015"), Section("BLOCKS", chain),
                     Section("ENTITIES", Join({Line("T", "0", 5, 5, 6, 6), Insert("C999", 0, 0)}))})) + Eof(),
       false, 1, true},
      {"cycle.dxf",
       DxfText(Join({Header("AC1015"), Section("BLOCKS", cycle), Section("ENTITIES", Insert("A", 0, 0))})) + Eof(),
       false, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    WriteFile(dir.File(c.file), c.bytes);
    Drawing d;
    d.layers.push_back({"kept", 7, kLayerShown});
    const auto error = ReadDrawing(dir.File(c.file), d);
    if (c.refused) {
      ASSERT_TRUE(error);
      EXPECT_EQ(error->number, kErrTooLarge);
      EXPECT_NE(error->description.find("too large to show"), std::string::npos) << error->description;
      EXPECT_EQ(d.layers.size(), 1u) << "the drawing held is kept";
      continue;
    }
    ASSERT_FALSE(error) << error->description;
    if (c.entities > 0) {
      EXPECT_EQ(d.entities.size(), c.entities);
    }
    EXPECT_EQ(d.blocksLeftOut, c.blocksLeftOut);
    EXPECT_EQ(LoadNotice(d).find("nested too deeply") != std::string::npos, c.blocksLeftOut) << LoadNotice(d);
  }
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// The block bomb of eight levels (10^9 lines) is refused by a reader held to
// 1.5 GB of address space, in a process of its own.
TEST(Reader, ABlockBombIsRefusedWithinAMemoryLimit) {
  TempFolder dir;
  WriteFile(dir.File("bomb.dxf"), BlockBombDxf(8, 10));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The sanitizer reserves more address space than any limit allows.
    if (!kAddressSanitizer) {
      const rlimit limit{1536ul << 20, 1536ul << 20};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
    }
    Drawing d;
    const auto error = ReadDrawing(dir.File("bomb.dxf"), d);
    _exit(error && error->number == kErrTooLarge ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the reader died";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Coordinates that are no numbers or lie far past any drawing: those
// entities are left out and counted; the others show, and the extents are
// theirs.
TEST(Reader, EntitiesThatCannotBeShownAreLeftOut) {
  const Pairs entities = Section(
      "ENTITIES", Join({Line("1", "0", 0, 0, 10, 10), Line("2", "0", -1e308, -1e308, 1e308, 1e308),
                        {{0, "LINE"}, {5, "3"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbLine"}, {10, "nan"},
                         {20, "0"}, {30, "0"}, {11, "1"}, {21, "1"}, {31, "0"}},
                        Text("4", "0", 2, 2, 1, 0, "LOT 5"), Text("5", "0", 2, 2, 1e300, 0, "huge"),
                        Line("6", "0", 5, 5, 2e15, 5)}));
  TempFolder dir;
  WriteFile(dir.File("far.dxf"), DxfText(Join({Header("AC1015"), entities})) + Eof());
  Drawing d;
  const auto error = ReadDrawing(dir.File("far.dxf"), d);
  ASSERT_FALSE(error) << error->description;
  ASSERT_EQ(d.entities.size(), 2u);
  EXPECT_EQ(d.entities[0].handle, "1");
  EXPECT_EQ(d.entities[1].handle, "4");
  EXPECT_EQ(d.TextOf(d.entities[1]), "LOT 5");
  EXPECT_EQ(d.texts.size(), 2u);
  EXPECT_EQ(d.xs.size(), 3u);  // the line's two and the text's own
  EXPECT_EQ(d.leftOut, 4);
  EXPECT_LE(d.extents.xmax, 10.0);
  EXPECT_GE(d.extents.xmin, 0.0);
  EXPECT_EQ(LoadNotice(d),
            "4 entities of this drawing could not be shown and were left out: their coordinates are no numbers or lie "
            "too far out.\nLeft out: 3 LINE, 1 TEXT.");
}

// Hatches and solids in their fill colours, solid fills filled.
TEST(Reader, FillsHaveTheirColours) {
  const Pairs solid = {{0, "SOLID"}, {5, "2A"}, {100, "AcDbEntity"}, {8, "0"}, {62, "3"}, {100, "AcDbTrace"},
                       {10, "0"}, {20, "0"}, {30, "0"}, {11, "10"}, {21, "0"}, {31, "0"},
                       {12, "0"}, {22, "10"}, {32, "0"}, {13, "10"}, {23, "10"}, {33, "0"}};
  auto hatch = [](const char* handle, const char* colour, const char* pattern, bool solidFill, double x) {
    return Pairs{{0, "HATCH"}, {5, handle}, {100, "AcDbEntity"}, {8, "0"}, {62, colour}, {100, "AcDbHatch"},
                 {10, "0"}, {20, "0"}, {30, "0"}, {210, "0"}, {220, "0"}, {230, "1"}, {2, pattern},
                 {70, solidFill ? "1" : "0"}, {71, "0"}, {91, "1"}, {92, "2"}, {72, "0"}, {73, "1"}, {93, "4"},
                 {10, std::to_string(x)}, {20, "0"}, {10, std::to_string(x + 10)}, {20, "0"},
                 {10, std::to_string(x + 10)}, {20, "10"}, {10, std::to_string(x)}, {20, "10"},
                 {97, "0"}, {75, "0"}, {76, "1"}, {52, "0"}, {41, "1"}, {77, "0"}, {78, "0"}, {98, "0"}};
  };
  const Pairs entities = Section("ENTITIES", Join({solid, hatch("2B", "5", "SOLID", true, 20),
                                                   hatch("2C", "1", "ANSI31", false, 40),
                                                   Line("2D", "0", 0, 0, 1, 1, 3)}));
  TempFolder dir;
  WriteFile(dir.File("fills.dxf"), DxfText(Join({Header("AC1015"), entities})) + Eof());
  Drawing d;
  const auto error = ReadDrawing(dir.File("fills.dxf"), d);
  ASSERT_FALSE(error) << error->description;
  struct Expected {
    const char* handle;
    std::uint32_t rgb;
    int colour;
    bool filled;
  };
  const Expected expected[] = {
      {"2A", 0x00FF00, 3, true}, {"2B", 0x0000FF, 5, true}, {"2C", 0xFF0000, 1, false}, {"2D", 0x00FF00, 3, false}};
  for (const Expected& x : expected) {
    const Entity& e = ByHandle(d, x.handle);
    EXPECT_EQ(e.rgb, x.rgb) << x.handle;
    EXPECT_EQ(e.colour, x.colour) << x.handle;
    EXPECT_EQ(e.filled, x.filled) << x.handle;
  }
  // A hatch's pattern name is no text of the drawing.
  EXPECT_EQ(ByHandle(d, "2C").text, 0u);
}

// GDAL gives no layer colours of a DWG: a layer takes the colour its
// entities are drawn in, and they are drawn by layer.
TEST(Reader, DwgLayersTakeTheColourOfTheirEntities) {
  Drawing d;
  ASSERT_FALSE(ReadDrawing(Fixture("example_r2000.dwg"), d));
  ASSERT_EQ(d.layers.size(), 2u);
  EXPECT_EQ(d.layers[0].colour, 2);  // yellow
  EXPECT_EQ(d.layers[1].colour, 4);  // cyan
  for (const Entity& e : d.entities) EXPECT_EQ(e.colour, kColourByLayer);
}

}  // namespace
}  // namespace korvalo::viewer
