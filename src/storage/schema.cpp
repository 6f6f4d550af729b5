#include "storage/schema.h"

namespace korvalo::schema {
namespace {

using dao::FieldDef;
using dao::FieldType;

FieldDef Bool(const char* name) { return FieldDef{name, FieldType::Boolean, 0, false, false, dao::kNull}; }
FieldDef Int(const char* name) { return FieldDef{name, FieldType::Integer, 0, false, false, dao::kNull}; }
FieldDef Long(const char* name) { return FieldDef{name, FieldType::Long, 0, false, false, dao::kNull}; }
FieldDef Dbl(const char* name) { return FieldDef{name, FieldType::Double, 0, false, false, dao::kNull}; }
FieldDef Text(const char* name, int size, bool zeroLength = false) {
  return FieldDef{name, FieldType::Text, size, false, zeroLength, dao::kNull};
}

void AddViewerFields(std::vector<FieldDef>& f) {
  for (const char* name : {"ZoomFactor1", "BLX1", "BLY1", "TRX1", "TRY1", "ZoomFactor2", "BLX2", "BLY2",
                           "TRX2", "TRY2"}) {
    f.push_back(Dbl(name));
  }
}

}  // namespace

dao::TableDef ProjectSettingTable(Edition edition) {
  dao::TableDef t{"tblSetting", {}};
  auto& f = t.fields;
  f = {Int("txtArc"),           Int("txtChord"),          Int("txtRadius"),
       Int("txtBearing"),       Dbl("ClosureTolerance"),  Bool("UnitFeet"),
       Bool("SquareX"),         Text("AutoCADFile", 255, true),
       Bool("Minimize"),        Int("ErrDecimal"),        Bool("AddAreaCheck"),
       Bool("AutoInvert"),      Bool("TangentCheck"),     Int("WarningRanged"),
       Int("TangentToleranced"), Bool("ToolTipOn"),       Int("TangentTolerancem"),
       Int("TangentTolerances"), Int("WarningRangem"),    Int("WarningRanges"),
       Bool("Bearing"),         Text("DegreeSymbol", 3)};
  if (edition == Edition::Standalone) {
    f.push_back(Int("BackColor"));
    f.push_back(Int("ForeColor"));
    AddViewerFields(f);
  }
  return t;
}

dao::TableDef ParcelTable() {
  FieldDef id = Long("ParcelID");
  id.autoIncrement = true;
  return {"tblParcel",
          {id, Text("Parcel", 50), Dbl("Closure"), Dbl("Area"), Text("ClosureBearing", 50), Dbl("PrecisionRatio")}};
}

dao::TableDef MeasurementsTable(Edition edition) {
  dao::TableDef t{"tblMeasurements",
                  {Long("ParcelID"), Int("RowNo"), Int("RowType"), Dbl("Length"), Text("Direction", 50), Dbl("Arc"),
                   Dbl("Radius"), Int("Plus")}};
  if (edition != Edition::Standalone) {
    FieldDef nonTang = Bool("NonTang");
    nonTang.defaultValue = false;
    t.fields.push_back(nonTang);
  }
  return t;
}

dao::TableDef SystemSettingTable(Edition edition) {
  dao::TableDef t{"tblSetting", {}};
  auto& f = t.fields;
  // Positions 0-13, 15-19, 21 and 22 are read and written by position.
  f = {Int("txtArc"),
       Int("txtChord"),
       Int("txtRadius"),
       Int("txtBearing"),
       Bool("unitfeet"),
       Bool("SquareX"),
       Bool("Minimize"),
       Bool("AddAreaCheck"),
       Bool("AutoInvert"),
       Bool("TangentCheck"),
       Int("WarningRanged"),
       Int("TangentToleranced"),
       Int("Decimal"),
       Dbl("Tolerance"),
       Bool("AutoName"),
       Bool("ToolTipOn"),
       Int("TangentTolerancem"),
       Int("TangentTolerances"),
       Int("WarningRangem"),
       Int("WarningRanges"),
       Bool("Demo"),
       Bool("Bearing"),
       Text("DegreeSymbol", 3),
       Bool("DemoMenu")};
  if (edition == Edition::Standalone) {
    f.push_back(Int("BackColor"));
    f.push_back(Int("ForeColor"));
  }
  return t;
}

dao::TableDef RecentProjectTable() {
  FieldDef id = Long("AccessID");
  id.autoIncrement = true;
  FieldDef date{"AccessDate", FieldType::Date, 0, false, false, dao::kNull};
  return {"tblRecentProject", {id, Text("ProjectName", 255), Text("ProjectLocation", 255), date}};
}

dao::TableDef CreditsTable() { return {"tblCredits", {Text("Contribution", 100), Text("Name", 100)}}; }

}  // namespace korvalo::schema
