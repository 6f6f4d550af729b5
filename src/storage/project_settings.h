#pragma once

#include <string>
#include <string_view>

#include "platform/dao/dao.h"

// The settings of the open project: its tblSetting row as the rest of the
// program reads it.
namespace korvalo {

struct ProjectSettings {
  // Entry positions 1 to 4 of the arc inputs.
  int ArcPos = 0;
  int RadiusPos = 0;
  int ChordPos = 0;
  int BearingPos = 0;
  double ClosureTolerance = 0.0;
  bool UnitFeet = false;
  bool SquareX = false;
  bool Minimize = false;
  int ErrDecimal = 0;
  bool AddAreaCheck = false;
  bool AutoInvert = false;
  bool TangentCheck = false;
  // Decimal degrees built from the d, m and s fields.
  double WarningRange = 0.0;
  double TangentTolerance = 0.0;
  bool ToolTipOn = false;
  // True: quadrant bearings; False: azimuths. Files without the field work
  // in bearing mode.
  bool Bearing = true;
  // The code written for the degree sign in drawing text.
  std::string DegreeSymbol = "%%D";

  bool operator==(const ProjectSettings&) const = default;
};

// The arc inputs' entry positions are sound when they are a permutation of
// 1 to 4 with the chord direction at 1 (the row layout and the focus order
// are built for it). The options dialog keeps to the same rule.
bool ArcPositionsSound(const ProjectSettings& settings);
// The order a new project gets: chord direction, arc length, chord, radius.
void UseShippedArcPositions(ProjectSettings& settings);
inline constexpr const char* kUnsoundArcPositionsMessage =
    "The entry order of the curve fields stored in this project is not valid. The order chord "
    "bearing, arc length, chord, radius is used instead; you can change it in Project options.";

// Positions of the project's tblSetting fields.
namespace setting {
inline constexpr int kTxtArc = 0;
inline constexpr int kTxtChord = 1;
inline constexpr int kTxtRadius = 2;
inline constexpr int kTxtBearing = 3;
inline constexpr int kClosureTolerance = 4;
inline constexpr int kUnitFeet = 5;
inline constexpr int kSquareX = 6;
inline constexpr int kAutoCADFile = 7;
inline constexpr int kMinimize = 8;
inline constexpr int kErrDecimal = 9;
inline constexpr int kAddAreaCheck = 10;
inline constexpr int kAutoInvert = 11;
inline constexpr int kTangentCheck = 12;
inline constexpr int kWarningRanged = 13;
inline constexpr int kTangentToleranced = 14;
inline constexpr int kToolTipOn = 15;
inline constexpr int kTangentTolerancem = 16;
inline constexpr int kTangentTolerances = 17;
inline constexpr int kWarningRangem = 18;
inline constexpr int kWarningRanges = 19;
inline constexpr int kBearing = 20;
inline constexpr int kDegreeSymbol = 21;
}  // namespace setting

// The drawing path of a project as stored in AutoCADFile, made usable: a
// leading ".\" (or "./") stands for the program folder, and the rest of such
// a relative path has its "\" separators turned into "/". A ".\" further in
// the path is left alone. An empty path stays empty (no drawing).
std::string ResolveDrawingPath(std::string_view stored, std::string_view programFolder);

// Reads the settings row of the project at ProjectPath into ProjectSettings
// and DrawingPath. Every member starts from its default, so nothing of the
// project opened before stays behind; a field that is missing, empty or
// unreadable keeps its default. When the row cannot be read at all (file
// missing or damaged, no settings row) a message is shown, ProjectSettings
// and DrawingPath are left unchanged and the result is false.
//
// A drawing path naming no existing file gives the message "Can't open the
// associated drawing: ..." and DrawingPath becomes the program folder's
// "default.dwg". An empty drawing path means the project has no drawing: no
// message, DrawingPath stays empty.
//
// Windows are not touched here: the editor shows the loaded settings itself
// (FrmEditor::ReloadProjectSettings runs this loader, then shows them).
bool LoadProjectSettings();

// Writes one field, addressed by position, of the settings row of the project
// at ProjectPath. On failure shows the error message and returns false;
// nothing is stored.
bool SetProjectSetting(int index, const dao::Value& value);

// The four on/off switches of the Options menu, by their field position.
enum class ProjectSwitch {
  VerifyAreaInCurves = setting::kAddAreaCheck,
  AutoInvert = setting::kAutoInvert,
  VerifyTangentialCurves = setting::kTangentCheck,
  MinimizeDuringGrab = setting::kMinimize,
};

// Stores the new state of a switch and, when stored, sets its member of
// ProjectSettings. Returns false (the member unchanged, the menu tick to be
// put back) when SetProjectSetting failed.
bool ApplyProjectSwitch(ProjectSwitch which, bool on);
bool ProjectSwitchState(ProjectSwitch which);

inline constexpr const char* kGeneralErrorMessage =
    "An error has occured. Please continue using the program, but some features may not work "
    "correctly without restarting.";

}  // namespace korvalo
