#include "geometry/direction.h"

#include <cmath>
#include <cstdint>

#include "common/numbers.h"
#include "common/utf8.h"

namespace korvalo::geometry {
namespace {

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// A digit run read as a whole number; no value when it exceeds what a 32-bit
// number holds (such a run is never part of a valid direction).
std::optional<std::int64_t> WholeNumber(const std::string& digits) {
  std::int64_t value = 0;
  for (char c : digits) {
    value = value * 10 + (c - '0');
    if (value > INT32_MAX) return std::nullopt;
  }
  return value;
}

// A digit run read as a decimal number ("" reads 0). Runs of any length read.
double DecimalNumber(const std::string& digits) { return ReadNumberOr(digits, 0.0); }

double DegreesOf(const DmsParts& parts) {
  return DecimalNumber(parts[0]) + DecimalNumber(parts[1]) / 60.0 +
         DecimalNumber(parts[2]) / 3600.0;
}

// The text without its first and last character.
std::u32string Middle(const std::u32string& text) {
  return text.size() < 2 ? std::u32string() : text.substr(1, text.size() - 2);
}

// The quadrant of a bearing as two upper-case letters, "" when the text is
// too short to have one.
std::string Quadrant(const std::u32string& text) {
  if (text.size() < 2) return "";
  return utf8::Encode(utf8::AsciiUpper(text.front())) + utf8::Encode(utf8::AsciiUpper(text.back()));
}

double BearingAngle(const std::u32string& text, const DirectionSettings& settings) {
  const std::string quadrant = Quadrant(text);
  if (quadrant.empty()) return 0.0;
  std::string middle = utf8::Encode(Middle(text));
  const double a = CalDegree(middle, settings);
  if (quadrant == "NE") return 90.0 - a;
  if (quadrant == "NW") return 90.0 + a;
  if (quadrant == "SE") return 270.0 + a;
  if (quadrant == "SW") return 270.0 - a;
  return 0.0;
}

}  // namespace

std::string NumericText(std::string_view text) {
  // Digits and the point are single bytes in UTF-8 and never occur inside a
  // multi-byte character, so keeping those bytes keeps those characters.
  std::string kept;
  for (char c : text) {
    if (c == '.' || (c >= '0' && c <= '9')) kept.push_back(c);
  }
  if (kept.empty() || kept == ".") return "0";
  return kept;
}

bool HasDigit(std::string_view text) {
  for (char c : text) {
    if (c >= '0' && c <= '9') return true;
  }
  return false;
}

std::string OppositeLetter(std::string_view letter) {
  const std::string upper = utf8::AsciiUpper(letter);
  if (upper == "E") return "W";
  if (upper == "S") return "N";
  if (upper == "W") return "E";
  if (upper == "N") return "S";
  return "";
}

std::string ReverseDirection(std::string_view text, const DirectionSettings& settings) {
  if (text.empty()) return "";
  const std::string compact = utf8::RemoveBlanks(text);
  if (settings.bearing) {
    const std::u32string chars = utf8::Decode(compact);
    if (chars.size() < 2) return "";
    return OppositeLetter(utf8::Encode(chars.front())) + utf8::Encode(Middle(chars)) +
           OppositeLetter(utf8::Encode(chars.back()));
  }
  DmsParts parts;
  SplitDMS(compact, parts, settings);
  // The degrees modulo 360 digit by digit, so that no run is too long.
  int degrees = 0;
  for (char c : parts[0]) degrees = (degrees * 10 + (c - '0')) % 360;
  degrees = (degrees + 180) % 360;
  return std::to_string(degrees) + std::string(utf8::kDegree) + parts[1] + "'" + parts[2] + "\"";
}

bool SplitDMS(std::string_view text, DmsParts& parts, const DirectionSettings& settings) {
  parts = {"", "", ""};
  std::string marked(text);
  if (!settings.degreeSymbol.empty()) {
    marked = utf8::ReplaceAll(marked, utf8::AsciiUpper(settings.degreeSymbol), utf8::kDegree);
    marked = utf8::ReplaceAll(marked, utf8::AsciiLower(settings.degreeSymbol), utf8::kDegree);
  }
  std::u32string chars = utf8::Decode(marked);
  for (char32_t& c : chars) {
    if (c == utf8::kOldDegreeSign) c = utf8::kDegreeSign;
  }
  const std::size_t n = chars.size();
  bool result = true;
  int part = 0;
  for (std::size_t i = n; i-- > 0;) {
    const char32_t c = chars[i];
    if (IsDigit(c)) {
      if (i == n - 1) return false;
      parts[part].insert(parts[part].begin(), static_cast<char>(c));
    } else if (i == n - 1) {
      if (c == U'"') {
        part = 2;
      } else if (c == U'\'') {
        part = 1;
      } else if (c == utf8::kDegreeSign) {
        part = 0;
      } else {
        return false;
      }
    } else if (c == U'"') {
      result = false;
    } else if (c == U'\'') {
      if (part != 2) return false;
      part = 1;
    } else if (c == utf8::kDegreeSign) {
      if (part != 1 && part != 2) return false;
      part = 0;
    } else {
      return false;
    }
  }
  return result;
}

bool IsValidDirection(std::string& text, const DirectionSettings& settings) {
  DmsParts parts;
  std::int64_t degreeLimit = 0;
  if (settings.bearing) {
    text = utf8::RemoveBlanks(text);
    const std::u32string chars = utf8::Decode(text);
    if (chars.size() < 3) return false;
    const std::string quadrant = Quadrant(chars);
    if ((quadrant[0] != 'N' && quadrant[0] != 'S') || (quadrant[1] != 'E' && quadrant[1] != 'W')) {
      return false;
    }
    if (!SplitDMS(utf8::AsciiUpper(utf8::Encode(Middle(chars))), parts, settings)) return false;
    degreeLimit = 90;
  } else {
    if (utf8::Length(text) < 3) return false;
    if (!SplitDMS(utf8::RemoveBlanks(text), parts, settings)) return false;
    degreeLimit = 359;
  }
  const auto degrees = WholeNumber(parts[0]);
  const auto minutes = WholeNumber(parts[1]);
  const auto seconds = WholeNumber(parts[2]);
  if (!degrees || !minutes || !seconds) return false;
  return *seconds < 60 && *minutes < 60 && *degrees <= degreeLimit;
}

double CalDegree(std::string& text, const DirectionSettings& settings) {
  text = utf8::RemoveBlanks(text);
  DmsParts parts;
  SplitDMS(text, parts, settings);
  return DegreesOf(parts);
}

double CalAngle(std::string& text, const DirectionSettings& settings) {
  text = utf8::RemoveBlanks(text);
  if (settings.bearing) return BearingAngle(utf8::Decode(text), settings);
  return 450.0 - CalDegree(text, settings);
}

std::optional<double> ReadDirectionAngle(std::string_view text, const DirectionSettings& settings) {
  std::string copy(text);
  if (settings.bearing && utf8::Length(utf8::RemoveBlanks(copy)) < 2) return std::nullopt;
  return CalAngle(copy, settings);
}

double AngleFromEast(std::string_view text, const DirectionSettings& settings) {
  if (settings.bearing) return BearingAngle(utf8::Decode(text), settings);
  std::string copy(text);
  const double whole = RoundHalfEven(CalDegree(copy, settings) + 270.0, 0);
  return std::fmod(whole, 360.0);
}

}  // namespace korvalo::geometry
