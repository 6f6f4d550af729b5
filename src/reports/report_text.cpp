#include "reports/report_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "common/numbers.h"
#include "common/utf8.h"
#include "geometry/direction.h"

namespace korvalo::reports {
namespace {

// The value's 15 significant digits and the power of ten of the first one:
// value = 0.d1d2...d15 * 10^(point).
struct DecimalDigits {
  bool negative = false;
  char digits[15] = {};  // no point
  int point = 0;         // digits before the decimal point
};

DecimalDigits DigitsOf(double value) {
  DecimalDigits d;
  if (value == 0.0) {
    std::fill(std::begin(d.digits), std::end(d.digits), '0');
    d.point = 1;
    return d;
  }
  // "-d.dddde+XX": first the shortest text that reads back as the value. A
  // normal double's 15-digit decimals lie more than an ulp apart, so when
  // that text has 15 significant digits or fewer it is the value rounded to
  // 15 digits. Otherwise the digits are rounded as printf's "%.14e" rounds.
  char buffer[40] = {};
  auto written = std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::scientific);
  const std::size_t mantissa = static_cast<std::size_t>(std::find(buffer, written.ptr, 'e') - buffer);
  const std::size_t shortestDigits = mantissa - (value < 0 ? 1 : 0) - (mantissa > 2 ? 1 : 0);
  if (shortestDigits > 15 || std::fabs(value) < std::numeric_limits<double>::min()) {
    written = std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::scientific, 14);
  }
  *written.ptr = '\0';
  const char* p = buffer;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  int n = 0;
  d.digits[n++] = *p++;
  if (*p == '.') ++p;
  while (*p >= '0' && *p <= '9' && n < 15) d.digits[n++] = *p++;
  while (*p >= '0' && *p <= '9') ++p;
  std::fill(d.digits + n, std::end(d.digits), '0');
  if (*p == 'e' || *p == 'E') {
    // The exponent: a sign and its digits.
    ++p;
    const bool negativeExponent = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    int exponent = 0;
    while (*p >= '0' && *p <= '9') exponent = exponent * 10 + (*p++ - '0');
    d.point = (negativeExponent ? -exponent : exponent) + 1;
  }
  return d;
}

}  // namespace

std::string ReportNumberFormat(double value, int decimals) {
  if (!std::isfinite(value)) return "N/A";
  decimals = std::clamp(decimals, 0, 30);
  const DecimalDigits d = DigitsOf(value);
  // All digits laid on one line, with enough leading zeros to hold the point
  // (a double's power of ten lies within -324 and 309, so 400 places hold
  // every line).
  char line[400];
  const int lead = std::max(0, 1 - d.point);
  std::fill(line, line + lead, '0');
  std::copy(std::begin(d.digits), std::end(d.digits), line + lead);
  int size = lead + 15;
  const int pointAt = d.point + lead;  // digits before the point in `line`
  const int keep = pointAt + decimals;
  if (size < keep) {
    std::fill(line + size, line + keep, '0');
    size = keep;
  }
  // The dropped digits round away from zero at a half.
  const bool roundUp = size > keep && line[keep] >= '5';
  int first = 0;  // where the integer digits start
  int intDigits = pointAt;
  if (roundUp) {
    int i = keep - 1;
    while (i >= 0 && line[i] == '9') line[i--] = '0';
    if (i >= 0) {
      ++line[i];
    } else {
      // A carry past the first digit: the line gains a leading 1 (one
      // place is kept free in front for it).
      std::copy_backward(line, line + keep, line + keep + 1);
      line[0] = '1';
      ++intDigits;
    }
  }
  const int fractionAt = first + intDigits;
  while (first < fractionAt - 1 && line[first] == '0') ++first;
  const bool zero = std::all_of(line + first, line + fractionAt + decimals, [](char c) { return c == '0'; });
  std::string out;
  out.reserve(static_cast<std::size_t>(fractionAt - first + (fractionAt - first) / 3 + decimals + 2));
  if (d.negative && !zero) out.push_back('-');
  // Thousands separated by ",".
  const int n = fractionAt - first;
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out.push_back(',');
    out.push_back(line[first + i]);
  }
  out.push_back('.');
  out.append(line + fractionAt, static_cast<std::size_t>(decimals));
  return out;
}

std::string ReportNumberFormatText(std::string_view text, int decimals) {
  if (!geometry::HasDigit(text)) return std::string(text);
  double value = 0.0;
  if (!ReadNumberTo(text, value)) return std::string(text);
  return ReportNumberFormat(value, decimals);
}

std::string PadLeft(std::string_view text, std::size_t width) {
  const std::size_t length = utf8::Length(text);
  if (length >= width) return std::string(text);
  return std::string(width - length, ' ') + std::string(text);
}

}  // namespace korvalo::reports
