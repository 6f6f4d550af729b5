#pragma once

#include <string>

#include "common/edition.h"

// What the start-up and About windows say of the build.
namespace korvalo::windows {

// "1.8.6" (A2004, R14) or "1.8.5" (A2000, the standalone edition).
std::string ProgramVersion(Edition edition);
// "For AutoCAD 2004", "For AutoCAD 2000", "For AutoCAD R14"; empty for the
// standalone edition, whose windows name no CAD release.
std::string CadReleaseLabel(Edition edition);

// Texts of the maker shown by the splash and About windows.
inline constexpr const char* kCompanyLines =
    "Korvalo Survey Software\n1200 Meridian Way, Suite 4\nLakeport, CA 95453\nUnited States";
inline constexpr const char* kCopyWarning =
    "Warning: this program is protected by copyright law. Unauthorised copying or distribution "
    "of this program, or of any part of it, may result in civil and criminal penalties.";
inline constexpr const char* kRightsNotice = "Copyright (c) 2004 Korvalo Survey Software. All rights reserved.";
inline constexpr const char* kCompanyName = "Korvalo Survey Software";
inline constexpr const char* kCompanyAddress = "1200 Meridian Way, Suite 4, Lakeport, CA 95453";
inline constexpr const char* kCompanyPhone = "Telephone: +1 (555) 014-2267";
inline constexpr const char* kCompanyFax = "Fax: +1 (555) 014-2268";

// The error boxes of the splash and About windows: information icon, title
// "Unkown Error" (the program's spelling).
std::string SplashErrorText(int number);
std::string AboutErrorText(int number);
void ShowSplashError(int number);
void ShowAboutError(int number);

}  // namespace korvalo::windows
