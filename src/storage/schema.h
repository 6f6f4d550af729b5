#pragma once

#include <vector>

#include "common/edition.h"
#include "platform/dao/dao.h"

// The tables of project files and of the system database. Field order is
// part of the format: the settings rows are read and written by position.
namespace korvalo::schema {

// The locale every database of the program is created with: text compares
// without regard to case.
inline constexpr const char* kDatabaseLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";


// Project file (".kvx").
dao::TableDef ProjectSettingTable(Edition edition);  // tblSetting: 22 fields, 34 standalone
dao::TableDef ParcelTable();                         // tblParcel
dao::TableDef MeasurementsTable(Edition edition);    // tblMeasurements; NonTang linked edition only
inline constexpr const char* kParcelIndex = "TempIndex";
// Our own index of tblMeasurements on ParcelID, so that reading one parcel's
// courses does not scan every course of the project (a report of every
// parcel would otherwise grow with the square of their number). Files of
// other programs may lack it; nothing depends on it but speed.
inline constexpr const char* kCoursesIndex = "korvalo_courses_parcel";

// System database.
dao::TableDef SystemSettingTable(Edition edition);   // tblSetting
dao::TableDef RecentProjectTable();                  // tblRecentProject
dao::TableDef CreditsTable();                        // tblCredits

}  // namespace korvalo::schema
