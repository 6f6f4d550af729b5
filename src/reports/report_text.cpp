#include "reports/report_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/numbers.h"
#include "common/utf8.h"
#include "geometry/direction.h"

namespace korvalo::reports {
namespace {

// The value's 15 significant digits and the power of ten of the first one:
// value = 0.d1d2...d15 * 10^(point).
struct DecimalDigits {
  bool negative = false;
  std::string digits;  // 15 digits, no point
  int point = 0;       // digits before the decimal point
};

DecimalDigits DigitsOf(double value) {
  DecimalDigits d;
  if (value == 0.0) {
    d.digits = std::string(15, '0');
    d.point = 1;
    return d;
  }
  // "-d.dddddddddddddde+XX", rounded as printf's "%.14e" rounds.
  char buffer[40] = {};
  const auto written = std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::scientific, 14);
  *written.ptr = '\0';
  const char* p = buffer;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  d.digits.push_back(*p++);
  if (*p == '.') ++p;
  while (*p >= '0' && *p <= '9') d.digits.push_back(*p++);
  if (*p == 'e' || *p == 'E') d.point = std::atoi(p + 1) + 1;
  return d;
}

// Integer and fraction digits of the value with `decimals` decimals, the
// dropped digits rounding away from zero at a half.
void RoundAwayFromZero(const DecimalDigits& d, int decimals, std::string& integer,
                       std::string& fraction) {
  // All digits laid on one line, with enough leading zeros to hold the point.
  const int lead = std::max(0, 1 - d.point);
  std::string line = std::string(static_cast<std::size_t>(lead), '0') + d.digits;
  const int pointAt = d.point + lead;  // digits before the point in `line`
  const int keep = pointAt + decimals;
  if (static_cast<int>(line.size()) < keep) line.append(static_cast<std::size_t>(keep) - line.size(), '0');
  const bool roundUp = static_cast<int>(line.size()) > keep && line[static_cast<std::size_t>(keep)] >= '5';
  line.resize(static_cast<std::size_t>(keep));
  int intDigits = pointAt;
  if (roundUp) {
    int i = keep - 1;
    while (i >= 0 && line[static_cast<std::size_t>(i)] == '9') line[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++line[static_cast<std::size_t>(i)];
    } else {
      line.insert(line.begin(), '1');
      ++intDigits;
    }
  }
  integer = line.substr(0, static_cast<std::size_t>(intDigits));
  fraction = line.substr(static_cast<std::size_t>(intDigits));
  const std::size_t first = integer.find_first_not_of('0');
  integer = first == std::string::npos ? "0" : integer.substr(first);
}

std::string GroupThousands(const std::string& integer) {
  std::string out;
  const std::size_t n = integer.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out.push_back(',');
    out.push_back(integer[i]);
  }
  return out;
}

}  // namespace

std::string ReportNumberFormat(double value, int decimals) {
  if (!std::isfinite(value)) return "N/A";
  decimals = std::clamp(decimals, 0, 30);
  const DecimalDigits d = DigitsOf(value);
  std::string integer;
  std::string fraction;
  RoundAwayFromZero(d, decimals, integer, fraction);
  const bool zero = integer == "0" && fraction.find_first_not_of('0') == std::string::npos;
  std::string out = d.negative && !zero ? "-" : "";
  out += GroupThousands(integer);
  out += '.';
  out += fraction;
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
