#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Number and column texts of the printed and exported reports.
namespace korvalo::reports {

// A figure as the reports write it: thousands separated by ",", "." as the
// decimal point (on every locale), at least one integer digit and exactly
// `decimals` decimals, halves rounded away from zero on the figure's
// 15-significant-digit decimal value (1.125 -> "1.13", -2.5 with 0 decimals
// -> "-3."). With 0 decimals the text ends in a bare point ("1,235."). A
// negative figure that rounds to zero is written without its sign. A value
// that is not finite is written "N/A".
std::string ReportNumberFormat(double value, int decimals);

// The same pattern applied to a text: a text holding a digit that reads as a
// number is formatted; any other text ("", "N/A", a direction) is returned
// as it is.
std::string ReportNumberFormatText(std::string_view text, int decimals);

// The text right-aligned in a column of `width` characters (code points):
// blanks are put in front; a text wider than its column is returned whole.
std::string PadLeft(std::string_view text, std::size_t width);

// A line end of the report files.
inline constexpr std::string_view kCrLf = "\r\n";

}  // namespace korvalo::reports
