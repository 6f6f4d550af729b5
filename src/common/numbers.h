#pragma once

#include <optional>
#include <string>
#include <string_view>

// The number rules of the whole program.
//
// Reading: a field is read as a decimal number after a "0" is put in front of
// its text, so "" reads 0, "." reads 0 and ".5" reads 0.5. Blanks around the
// number are allowed. Anything else — a second point ("1.2.3"), a sign, a
// letter, an exponent — does not read as a number: ReadNumber gives no value,
// and the caller decides what that means (a course row counts as incomplete).
//
// Measures: the lengths of a parcel's courses (distances, chords, arc
// lengths, radii) are read with ReadMeasure, which also refuses a number
// larger than kLargestMeasure, 1e300: such a number is too large for the
// computation and reads as unreadable, like "1.2.3". The bound leaves room for
// everything the traverse forms from its measures -- sums over thousands of
// courses, the closure's hypotenuse, the drawing's scale -- to stay finite;
// products of two measures (the area, the arc segments) can still overflow,
// and their users check for that and show "N/A". Texts far below the bound
// already take the longest surveys there are: 1e155 is read.
//
// Rounding: to n places with halves to even on the decimal value, where the
// decimal value of a double is its 15 significant digits (so 1.125 -> 1.12,
// 2.5 -> 2, 0.285 -> 0.28 and 0.1 + 0.2 -> 0.3).
//
// Text: the plain decimal text of a number, as labels show it and as values
// are stored: up to 15 significant digits, no exponent, no thousands
// separator, no trailing zeros, "." as the decimal point whatever the locale.
namespace korvalo {

// ReadNumber as a flag and a value, for readers of many fields: `value` is
// set only when the text reads as a number. (An optional double returned from
// a function that is not inlined makes the caller wait on its flag.)
bool ReadNumberTo(std::string_view text, double& value);

inline std::optional<double> ReadNumber(std::string_view text) {
  double value = 0.0;
  if (!ReadNumberTo(text, value)) return std::nullopt;
  return value;
}

// ReadNumber, or `fallback` when the text does not read as a number.
double ReadNumberOr(std::string_view text, double fallback);

inline constexpr double kLargestMeasure = 1e300;

// ReadNumberTo for a measure: false also above kLargestMeasure.
inline bool ReadMeasureTo(std::string_view text, double& value) {
  double read = 0.0;
  if (!ReadNumberTo(text, read) || !(read <= kLargestMeasure)) return false;
  value = read;
  return true;
}

inline std::optional<double> ReadMeasure(std::string_view text) {
  double value = 0.0;
  if (!ReadMeasureTo(text, value)) return std::nullopt;
  return value;
}

// Places beyond 400 either way change nothing more (a double has no digit
// there), so any int is accepted.
double RoundHalfEven(double value, int places);

std::string NumberText(double value);

// NumberText(RoundHalfEven(value, places)).
std::string RoundedText(double value, int places);

}  // namespace korvalo
