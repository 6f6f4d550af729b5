#include "common/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <cstdint>
#include <cstdio>

namespace korvalo {
namespace {

// The 15 significant decimal digits of a finite non-zero |value| and the
// decimal exponent of the first digit: value = d0.d1d2... x 10^exponent.
struct Decimal15 {
  bool negative = false;
  std::string digits;  // exactly 15 characters '0'..'9' (before trimming)
  int exponent = 0;
};

Decimal15 ToDecimal15(double value) {
  Decimal15 d;
  d.negative = std::signbit(value);
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                 std::chars_format::scientific, 14);
  const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
  // Form: d.dddddddddddddde[+-]xx
  const std::size_t e = text.find('e');
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] != '.') d.digits.push_back(text[i]);
  }
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                  d.exponent);
  return d;
}

double FromDecimal(bool negative, const std::string& digits, int exponent) {
  if (digits.empty()) return 0.0;
  std::string text = digits.substr(0, 1);
  if (digits.size() > 1) {
    text += '.';
    text += digits.substr(1);
  }
  text += 'e';
  text += std::to_string(exponent);
  double value = 0.0;
  const auto res =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::scientific);
  // Near the top of the double range the 15-digit value can lie just above
  // the largest double: that is the nearest value there is, not 0.
  if (res.ec == std::errc::result_out_of_range && exponent > 0) {
    value = std::numeric_limits<double>::max();
  }
  return negative ? -value : value;
}

// |value| (finite, not 0) rounded to `places` decimals with halves to even on
// its 15 digits; no digits when it rounds to 0. The digits are not trimmed.
Decimal15 RoundDecimal(double value, int places) {
  places = std::clamp(places, -400, 400);
  Decimal15 d = ToDecimal15(value);
  // Digits whose weight is at least 10^-places.
  const int keep = d.exponent + places + 1;
  if (keep >= static_cast<int>(d.digits.size())) return d;
  if (keep < 0) {
    d.digits.clear();
    return d;
  }
  std::string kept = d.digits.substr(0, static_cast<std::size_t>(keep));
  const std::string rest = d.digits.substr(static_cast<std::size_t>(keep));
  bool up = false;
  if (rest[0] > '5') {
    up = true;
  } else if (rest[0] == '5') {
    const bool more = rest.find_first_not_of('0', 1) != std::string::npos;
    const bool lastOdd = !kept.empty() && ((kept.back() - '0') % 2 == 1);
    up = more || lastOdd;
  }
  if (up) {
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') {
      kept[static_cast<std::size_t>(i)] = '0';
      --i;
    }
    if (i >= 0) {
      ++kept[static_cast<std::size_t>(i)];
    } else {
      kept.insert(kept.begin(), '1');
      ++d.exponent;
    }
  }
  if (kept.empty() || kept.find_first_not_of('0') == std::string::npos) kept.clear();
  d.digits = kept;
  return d;
}

// The plain text of a decimal value: no exponent, no trailing zeros.
std::string DecimalText(Decimal15 d) {
  const std::size_t last = d.digits.find_last_not_of('0');
  d.digits.resize(last + 1);
  std::string out = d.negative ? "-" : "";
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent >= 0) {
    const int intDigits = d.exponent + 1;
    if (n <= intDigits) {
      out += d.digits;
      out.append(static_cast<std::size_t>(intDigits - n), '0');
    } else {
      out += d.digits.substr(0, static_cast<std::size_t>(intDigits));
      out += '.';
      out += d.digits.substr(static_cast<std::size_t>(intDigits));
    }
  } else {
    out += "0.";
    out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
    out += d.digits;
  }
  return out;
}

}  // namespace

bool ReadNumberTo(std::string_view text, double& value) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  const std::string_view body = text.substr(begin, end - begin);
  // One pass checks the text and gathers its digits as a whole number.
  std::uint64_t whole = 0;  // meaningful up to 15 digits
  int digits = 0;
  int decimals = 0;
  bool point = false;
  for (char c : body) {
    if (c >= '0' && c <= '9') {
      whole = whole * 10 + static_cast<std::uint64_t>(c - '0');
      ++digits;
      if (point) ++decimals;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  // Up to 15 digits make a whole number below 2^53 and a power of ten that are
  // both exact, so one division gives the correctly rounded value, the same
  // that the general reading below gives, without building a text.
  if (digits <= 15) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    value = static_cast<double>(whole) / kPowers[decimals];
    return true;
  }
  const std::string full = "0" + std::string(body) + (point && body.back() == '.' ? "0" : "");
  double read = 0.0;
  const auto res = std::from_chars(full.data(), full.data() + full.size(), read,
                                   std::chars_format::fixed);
  if (res.ec != std::errc() || res.ptr != full.data() + full.size()) return false;
  value = read;
  return true;
}

double ReadNumberOr(std::string_view text, double fallback) {
  return ReadNumber(text).value_or(fallback);
}

double RoundHalfEven(double value, int places) {
  if (!std::isfinite(value) || value == 0.0) return value;
  const Decimal15 d = RoundDecimal(value, places);
  if (d.digits.empty()) return d.negative ? -0.0 : 0.0;
  return FromDecimal(d.negative, d.digits, d.exponent);
}

std::string NumberText(double value) {
  if (value == 0.0) return "0";
  if (!std::isfinite(value)) {
    return std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
  }
  // A whole number below 10^15 is its own 15 digits: its text is the integer's.
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    return std::to_string(static_cast<long long>(value));
  }
  return DecimalText(ToDecimal15(value));
}

std::string RoundedText(double value, int places) {
  if (!std::isfinite(value) || value == 0.0) return NumberText(value);
  const Decimal15 d = RoundDecimal(value, places);
  if (d.digits.empty()) return "0";
  // Up to 15 significant digits read back as a double whose 15 digits are the
  // same, so the rounded digits are already the text of the rounded value;
  // far from 1, where doubles lose digits or run out, the long way holds.
  if (d.exponent > -300 && d.exponent < 300) return DecimalText(d);
  return NumberText(RoundHalfEven(value, places));
}
}  // namespace korvalo
