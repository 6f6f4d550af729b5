#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dao/dao.h"
#include "reports/report_builders.h"
#include "storage/schema.h"
#include "support/temp_folder.h"

namespace korvalo::reports {

// One stored course as a test writes it; Null where the optional is empty.
struct Course {
  int rowNo;
  int rowType;  // 1 line, 0 arc
  double length;
  std::string direction;
  std::optional<double> arc;
  std::optional<double> radius;
  std::optional<int> plus;
  bool nonTang = false;
};

inline Course L(int rowNo, std::string direction, double length) {
  return {rowNo, 1, length, std::move(direction), std::nullopt, std::nullopt, std::nullopt, false};
}
inline Course A(int rowNo, std::string direction, double chord, double arc, double radius, int plus,
                bool nonTang = false) {
  return {rowNo, 0, chord, std::move(direction), arc, radius, plus, nonTang};
}

inline dao::Value V(const std::optional<double>& v) { return v ? dao::Value(*v) : dao::kNull; }

// A project file holding only what the reports read: tblParcel and
// tblMeasurements.
class ReportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    db = dao::Database::Create(folder.File("project.kvx"));
    db.CreateTable(schema::ParcelTable());
    db.CreateTable(schema::MeasurementsTable(Edition::A2004));
    settings.traverse.errDecimal = 3;
    settings.traverse.closureTolerance = 0.05;
    settings.traverse.courseLimit = 80;
    settings.unitFeet = true;
    settings.drawingPath = "/srv/dwg/site.dwg";
    paths = {folder.File("temp.rpt"), folder.File("tempcsv.rpt")};
  }

  // Stores a parcel; its courses in the order given (the record order).
  std::int64_t AddParcel(const std::string& name, std::optional<double> closure,
                         const std::vector<Course>& courses) {
    db.Execute("INSERT INTO tblParcel (Parcel, Closure) VALUES (?, ?)", {name, V(closure)});
    dao::Recordset rs = db.OpenRecordset("SELECT MAX(ParcelID) FROM tblParcel");
    const std::int64_t id = dao::AsLong(rs.Get(0));
    rs.Close();
    for (const Course& c : courses) {
      db.Execute(
          "INSERT INTO tblMeasurements (ParcelID, RowNo, RowType, Length, Direction, Arc, Radius, Plus, "
          "NonTang) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
          {id, std::int64_t{c.rowNo}, std::int64_t{c.rowType}, c.length, c.direction, V(c.arc), V(c.radius),
           c.plus ? dao::Value(std::int64_t{*c.plus}) : dao::kNull, c.nonTang});
    }
    return id;
  }

  BuildResult Full(const ReportFilter& filter) {
    DatabaseReportProject project(db);
    return BuildFullReport(project, filter, settings, paths);
  }
  BuildResult Summary(const ReportFilter& filter) {
    DatabaseReportProject project(db);
    return BuildSummaryReport(project, filter, settings, paths);
  }

  static ReportFilter Option(PassFail option) { return {"", std::nullopt, option}; }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Lines joined with CR LF, the last one ended too.
  static std::string Lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
  }

  TempFolder folder;
  dao::Database db;
  ReportSettings settings;
  ScratchPaths paths;
};

}  // namespace korvalo::reports
