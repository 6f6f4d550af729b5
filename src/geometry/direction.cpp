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

enum class Scan { Accepted, Refused, Abandoned };

// Walks an angle part from its last character to its first and hands every
// digit with its part (0 degrees, 1 minutes, 2 seconds) to onDigit, which may
// abandon the walk by returning false. A malformed text is refused; the
// digits handed over are then those gathered up to where the walk stopped
// (an inner double quote refuses the text but the walk goes on).
template <typename OnDigit>
Scan ScanAnglePart(const char32_t* chars, std::size_t n, OnDigit onDigit) {
  bool wellFormed = true;
  int part = 0;
  for (std::size_t i = n; i-- > 0;) {
    const char32_t c = chars[i];
    if (IsDigit(c)) {
      if (i == n - 1) return Scan::Refused;
      if (!onDigit(part, c)) return Scan::Abandoned;
    } else if (i == n - 1) {
      if (c == U'"') {
        part = 2;
      } else if (c == U'\'') {
        part = 1;
      } else if (c == utf8::kDegreeSign) {
        part = 0;
      } else {
        return Scan::Refused;
      }
    } else if (c == U'"') {
      wellFormed = false;
    } else if (c == U'\'' && part == 2) {
      part = 1;
    } else if (c == utf8::kDegreeSign && (part == 1 || part == 2)) {
      part = 0;
    } else {
      return Scan::Refused;
    }
  }
  return wellFormed ? Scan::Accepted : Scan::Refused;
}

// The reading of a direction without allocations, for the traverse, which
// reads every course on every keystroke. It covers the texts the grid holds:
// ASCII with the degree sign (or U+00F8), no drawing code of the degree sign,
// up to 64 characters, digit runs of up to 15 digits. Any other text takes
// the general reading; both give the same angle.
constexpr std::size_t kCompactLimit = 64;

struct CompactText {
  char32_t chars[kCompactLimit];
  std::size_t size = 0;
};

// The text without blanks, U+00F8 as the degree sign; false when the general
// reading is needed.
bool Compact(std::string_view text, const DirectionSettings& settings, CompactText& out) {
  const std::string& symbol = settings.degreeSymbol;
  if (!symbol.empty() && static_cast<unsigned char>(symbol[0]) >= 0x80) return false;
  const auto upper = [](char32_t c) { return (c >= U'a' && c <= U'z') ? c - 32 : c; };
  const char32_t symbolStart = symbol.empty() ? 0 : upper(static_cast<char32_t>(symbol[0]));
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    char32_t c = byte;
    if (byte < 0x80) {
      if (symbolStart != 0 && upper(c) == symbolStart) return false;
      ++i;
      if (c == U' ') continue;
    } else if (i + 1 < text.size() && (byte == 0xC2 || byte == 0xC3) &&
               static_cast<unsigned char>(text[i + 1]) == 0xB0 + (byte == 0xC3 ? 8 : 0)) {
      c = utf8::kDegreeSign;  // U+00B0, or U+00F8 which reads as it
      i += 2;
    } else {
      return false;
    }
    if (out.size == kCompactLimit) return false;
    out.chars[out.size++] = c;
  }
  return true;
}

// The sum of the parts of an angle part, as SplitDMS and CalDegree give it;
// false when a digit run is too long to add up exactly.
bool CompactDegrees(const char32_t* chars, std::size_t n, double& degrees) {
  static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6, 1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14};
  double value[3] = {0.0, 0.0, 0.0};
  int digits[3] = {0, 0, 0};
  const Scan scan = ScanAnglePart(chars, n, [&](int part, char32_t c) {
    if (digits[part] == 15) return false;
    value[part] += static_cast<double>(c - U'0') * kPowers[digits[part]++];
    return true;
  });
  if (scan == Scan::Abandoned) return false;
  degrees = value[0] + value[1] / 60.0 + value[2] / 3600.0;
  return true;
}

// ReadDirectionAngle over compact characters; false when the general reading
// is needed.
bool CompactAngle(std::string_view text, const DirectionSettings& settings,
                  std::optional<double>& angle) {
  CompactText compact;
  if (!Compact(text, settings, compact)) return false;
  const std::size_t n = compact.size;
  const char32_t* chars = compact.chars;
  double a = 0.0;
  if (!settings.bearing) {
    if (!CompactDegrees(chars, n, a)) return false;
    angle = 450.0 - a;
    return true;
  }
  if (n < 2) {
    angle.reset();
    return true;
  }
  if (!CompactDegrees(chars + 1, n - 2, a)) return false;
  const char32_t first = utf8::AsciiUpper(chars[0]);
  const char32_t last = utf8::AsciiUpper(chars[n - 1]);
  if (first == U'N' && last == U'E') {
    angle = 90.0 - a;
  } else if (first == U'N' && last == U'W') {
    angle = 90.0 + a;
  } else if (first == U'S' && last == U'E') {
    angle = 270.0 + a;
  } else if (first == U'S' && last == U'W') {
    angle = 270.0 - a;
  } else {
    angle = 0.0;
  }
  return true;
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
  const Scan scan = ScanAnglePart(chars.data(), chars.size(), [&](int part, char32_t c) {
    parts[static_cast<std::size_t>(part)].insert(0, 1, static_cast<char>(c));
    return true;
  });
  return scan == Scan::Accepted;
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
  std::optional<double> angle;
  if (CompactAngle(text, settings, angle)) return angle;
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
