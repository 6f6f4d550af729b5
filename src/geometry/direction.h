#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// Direction texts: how a course's direction is written, read and reversed.
//
// A direction is an angle part -- degrees, minutes, seconds, each a run of
// digits followed by its mark (the degree sign U+00B0, the apostrophe, the
// double quote), any part may be left out -- with, in bearing mode, a quadrant
// letter N or S in front and E or W behind ("N45°30'15\"E"). In azimuth mode
// the angle part stands alone ("225°30'15\"").
//
// On reading, blanks are removed, and the degree mark may also be written as
// the drawing code of the degree sign (settings.degreeSymbol, in upper or in
// lower case) or as U+00F8. Quadrant letters are read in either case.
//
// Text is read with the one UTF-8 decoder (common/utf8.h): a malformed byte
// sequence is one U+FFFD, which is no digit, mark or letter, so it never
// makes a text valid.
//
// A digit run whose value a 32-bit number cannot hold makes the text too
// large to read: IsValidDirection refuses it, ReadDirectionAngle gives no
// value (the traverse counts the course as incomplete), and CalDegree and
// CalAngle give 0 for it, so that no angle is ever infinite or NaN.
//
// No routine here throws or shows a message; invalid texts are reported by
// result. Texts of fewer than two characters in bearing mode have no middle:
// CalAngle and AngleFromEast give 0 for them, ReverseDirection gives "", and
// ReadDirectionAngle gives no value (the traverse counts such a course as
// incomplete).
namespace korvalo::geometry {

// The two settings that decide how a direction text is read.
struct DirectionSettings {
  bool bearing = true;                 // quadrant bearings; false: azimuths
  std::string degreeSymbol = "%%D";    // drawing code of the degree sign
};

// The digits of the degrees, minutes and seconds; "" when a part is absent.
using DmsParts = std::array<std::string, 3>;

inline constexpr double kPi = 3.14159265358979;
inline constexpr double kTwoPi = 6.28318530717958;

// The digits and points of the text, in order; "0" when nothing or only "."
// is left ("1.2.3" stays "1.2.3", "N45°E" gives "45").
std::string NumericText(std::string_view text);

// True when any character is a digit 0 to 9.
bool HasDigit(std::string_view text);

// "W" for E, "N" for S, "E" for W, "S" for N in either case; "" otherwise.
std::string OppositeLetter(std::string_view letter);

// The direction text of the opposite direction; "" for "". Blanks are removed
// first. Azimuth mode: the degrees turn by 180, minutes and seconds are kept
// as written ("45°" gives "225°'\""). Bearing mode: both quadrant letters
// change, the middle is kept ("n45°30'e" gives "S45°30'W").
std::string ReverseDirection(std::string_view text, const DirectionSettings& settings);

// Splits an angle part into its digits. True when the text is a well-formed
// angle part (the empty text is). When it refuses, `parts` holds the digits
// gathered from the end of the text up to where the scan stopped.
bool SplitDMS(std::string_view text, DmsParts& parts, const DirectionSettings& settings);

// The question the editor asks when a direction box is left holding a text
// that IsValidDirection refuses.
inline constexpr std::string_view kInvalidDirectionQuestion =
    "The bearing is not formatted correctly. Would you like to keep this value?";

// True when `text` is a valid direction of the current mode: an angle of at
// most 90°0'0" (bearing: "N90°30'E" is refused) or below 360° (azimuth),
// minutes and seconds below 60 each, and no digit run larger than a 32-bit
// number holds. Bearing mode removes the blanks from the caller's variable
// (and writes any malformed unit in it as U+FFFD, utf8::RemoveBlanks); azimuth
// mode leaves it as it is and needs at least three characters, blanks counted
// ("5°" is refused).
bool IsValidDirection(std::string& text, const DirectionSettings& settings);

// degrees + minutes / 60 + seconds / 3600 of an angle part; the caller's
// variable loses its blanks. A refused text counts with the parts gathered
// before the refusal (a text not ending in a mark gives 0).
double CalDegree(std::string& text, const DirectionSettings& settings);

// The direction in degrees counter-clockwise from east; the caller's variable
// loses its blanks. Valid bearings give 0 to 360 (S90°E is 360), valid
// azimuths above 90 up to 450 (north 450). An unknown quadrant gives 0.
double CalAngle(std::string& text, const DirectionSettings& settings);

// The direction in degrees counter-clockwise from east, or no value when the
// text cannot be read as a direction at all (a bearing of fewer than two
// characters).
// The value is CalAngle's; a text too large to read has none.
// It reads the texts of the grid in one pass over their bytes, and any other
// text by its characters; ReadDirectionAngleByCharacters reads every text by
// its characters, and both always agree (tests and the fuzzer hold them to it).
std::optional<double> ReadDirectionAngle(std::string_view text, const DirectionSettings& settings);
std::optional<double> ReadDirectionAngleByCharacters(std::string_view text,
                                                     const DirectionSettings& settings);

// The comparison angle of auto-invert, in degrees; blanks are removed first.
// Azimuth mode: the azimuth turned back by 90 degrees, a whole number from 0
// to 359.
double AngleFromEast(std::string_view text, const DirectionSettings& settings);

}  // namespace korvalo::geometry
