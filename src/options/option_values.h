#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The values of the project options dialog as the settings rows hold them:
// reading the project's row and the program defaults' row into what the
// dialog shows, checking the dialog's boxes, and writing both rows.
//
// The project row is read by position (the project file's creation order)
// and written by name; the system row is read by position (its fixed
// positions 0 to 22) and written by name.
namespace korvalo::options {

// The captions of the order cells, in the order of their fields txtArc,
// txtChord, txtRadius, txtBearing.
inline constexpr std::array<const char*, 4> kOrderCaptions = {"Arc", "Chord", "Radius", "Bearing"};
inline constexpr std::array<const char*, 4> kOrderFields = {"txtArc", "txtChord", "txtRadius", "txtBearing"};
// The order a stored order that the dialog cannot show is shown as: chord
// direction first, then arc length, chord and radius.
inline constexpr std::array<const char*, 4> kShippedOrderCells = {"Bearing", "Arc", "Chord", "Radius"};

inline constexpr const char* kDefaultDegreeSymbol = "%%D";

// What a settings row gives the dialog. Texts are the stored numbers in
// their plain form ("" for a field without a value); a Boolean without a
// value reads False.
struct ShownSettings {
  // Captions of the cells for positions 1 to 4.
  std::array<std::string, 4> cells = {kShippedOrderCells[0], kShippedOrderCells[1], kShippedOrderCells[2],
                                      kShippedOrderCells[3]};
  bool unitFeet = true;
  bool squareX = true;
  std::string tolerance;
  std::string decimals;
  bool minimize = false;
  bool addAreaCheck = false;
  bool autoInvert = false;
  bool tangentCheck = false;
  std::array<std::string, 3> warning;           // degrees, minutes, seconds
  std::array<std::string, 3> tangentTolerance;  // degrees, minutes, seconds
  bool toolTipOn = false;
  // Nothing: the row has no such field (files of older versions) or it
  // cannot be read; the dialog then keeps what it shows.
  std::optional<bool> bearing;
  std::optional<std::string> degreeSymbol;
  // The drawing colours (standalone edition): the back colour code and the
  // viewer's fore colour code. Nothing where the row has no such field.
  std::optional<long> backColor;
  std::optional<long> foreColor;
};

// The cells for stored positions of txtArc, txtChord, txtRadius and
// txtBearing. Positions that are not a permutation of 1 to 4 with the chord
// direction at 1 -- which the editor cannot lay out and the dialog could
// not mend, since the first cell never moves -- give the shipped order.
std::array<std::string, 4> CellsForPositions(const std::array<std::optional<long long>, 4>& positions);

// Reads the first row of tblSetting of the project file. Raises
// dao::DaoError when the file or the row cannot be read.
ShownSettings ReadProjectRow(const std::string& projectPath);
// Reads the first row of tblSetting of the system database, opened by path
// (shared, without password). Raises dao::DaoError.
ShownSettings ReadSystemRow();

// What Apply and Set as defaults store.
struct StoredSettings {
  std::array<int, 4> positions = {2, 3, 4, 1};  // txtArc, txtChord, txtRadius, txtBearing
  bool unitFeet = true;
  bool squareX = true;
  double tolerance = 0.0;
  int decimals = 0;
  bool minimize = false;
  bool addAreaCheck = false;
  bool autoInvert = false;
  bool tangentCheck = false;
  std::array<int, 3> warning = {0, 0, 0};
  std::array<int, 3> tangentTolerance = {0, 0, 0};
  bool toolTipOn = false;
  bool bearing = true;
  std::string degreeSymbol = kDefaultDegreeSymbol;
  // The drawing colours, written only when `colours` is set (the standalone
  // edition's dialog).
  bool colours = false;
  int backColor = 0;
  long foreColor = 256;
};

// The fore colour options in their order: white, black, yellow, blue and
// "Original", by the viewer's colour codes.
inline constexpr std::array<long, 5> kForeColorCodes = {14, 7, 2, 5, 256};
// The fore colour option that shows a stored code: "Original" (4) for any
// code not offered.
int ForeColorOption(std::optional<long> code);
// The back colour option that shows a stored code: white (0) outside 0-3.
int BackColorOption(std::optional<long> code);

// The positions the cells stand for: for each cell i, the field its caption
// names gets i + 1. A caption that names no field writes nothing.
void PositionsFromCells(const std::array<std::string, 4>& cells, StoredSettings& out);

// The boxes' texts as numbers, read through NumericText (the digits and
// points of the text, "0" when none are left). Nothing when the text is no
// number the field can take: the tolerance a finite number with at most one
// point; the whole numbers (halves to even) from 0 to 32767.
std::optional<double> ToleranceFromText(std::string_view text);
// Why ToleranceFromText refused a text: its number reads but is too large
// for a finite value (the too-large message), or it is no number at all.
bool ToleranceTooLarge(std::string_view text);
std::optional<int> WholeFromText(std::string_view text);
// A degree symbol is one to three characters, none of them a blank, a
// control character, a digit, a point, ' or ", or N, S, E, W in either case:
// those would turn parts of every direction into degree signs.
bool DegreeSymbolAllowed(std::string_view symbol);

inline constexpr const char* kToleranceRefused =
    "The closure tolerance must be a number with at most one decimal point.";
inline constexpr const char* kToleranceTooLarge = "The closure tolerance is too large.";
inline constexpr const char* kDecimalsRefused =
    "The number of decimals to display must be a whole number from 0 to 32767.";
inline constexpr const char* kAngleRefused =
    "The degrees, minutes and seconds of the tangential tolerance must be whole numbers from 0 to 32767.";
inline constexpr const char* kDegreeSymbolRefused =
    "The degree symbol must be one to three characters, and none of them a blank, a digit, a point, "
    "' or \", or the letters N, S, E or W.";

// The fields Apply could not store because the project file lacks them.
struct ProjectWrite {
  bool bearingStored = true;
  bool degreeSymbolStored = true;
  // False when the drawing colours were to be written and the file lacks
  // either field (files of the linked edition and of older versions); the
  // one it has is stored all the same.
  bool coloursStored = true;
};

// Writes the project's settings row by name in one update: stored whole or
// not at all. Bearing and DegreeSymbol are left out where the file has no
// such field (files of older versions). Raises dao::DaoError; nothing is
// stored then.
ProjectWrite WriteProjectRow(const std::string& projectPath, const StoredSettings& values);
// Writes the program defaults' row of the system database by name in one
// update (Decimal and Tolerance in place of ErrDecimal and ClosureTolerance;
// Bearing and DegreeSymbol only where the row takes them). Raises
// dao::DaoError; nothing is stored then.
void WriteSystemRow(const StoredSettings& values);

}  // namespace korvalo::options
