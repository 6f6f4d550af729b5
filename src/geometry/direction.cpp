#include "geometry/direction.h"

#include <cmath>
#include <cstdint>
#include <utility>

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

// degrees + minutes / 60 + seconds / 3600; no value when a part's digit run
// is larger than a 32-bit number holds: such a text is too large to read as a
// direction (its angle in radians may not even be finite).
std::optional<double> DegreesOf(const DmsParts& parts) {
  const auto degrees = WholeNumber(parts[0]);
  const auto minutes = WholeNumber(parts[1]);
  const auto seconds = WholeNumber(parts[2]);
  if (!degrees || !minutes || !seconds) return std::nullopt;
  return static_cast<double>(*degrees) + static_cast<double>(*minutes) / 60.0 +
         static_cast<double>(*seconds) / 3600.0;
}

// CalDegree's sum of a text without blanks, or no value as DegreesOf.
std::optional<double> ReadDegrees(std::string_view compact, const DirectionSettings& settings) {
  DmsParts parts;
  SplitDMS(compact, parts, settings);
  return DegreesOf(parts);
}

// Replaces every occurrence of the drawing code `code` by the degree sign. A
// code holding a malformed unit (U+FFFD) matches nothing: it would otherwise
// turn any malformed unit of the text into a degree sign.
void ReplaceCode(std::u32string& chars, const std::u32string& code) {
  if (code.empty() || code.find(utf8::kReplacement) != std::u32string::npos) return;
  std::u32string out;
  out.reserve(chars.size());
  std::size_t pos = 0;
  while (true) {
    const std::size_t hit = chars.find(code, pos);
    if (hit == std::u32string::npos) break;
    out.append(chars, pos, hit - pos);
    out.push_back(utf8::kDegreeSign);
    pos = hit + code.size();
  }
  if (pos == 0) return;
  out.append(chars, pos);
  chars = std::move(out);
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

// The angle from east of a bearing of `a` degrees in the quadrant of its two
// letters (upper case); no value for any other pair of letters.
std::optional<double> QuadrantAngle(char32_t ns, char32_t ew, double a) {
  if (ns == U'N' && ew == U'E') return 90.0 - a;
  if (ns == U'N' && ew == U'W') return 90.0 + a;
  if (ns == U'S' && ew == U'E') return 270.0 + a;
  if (ns == U'S' && ew == U'W') return 270.0 - a;
  return std::nullopt;
}

// The angle of a bearing whose blanks are removed: no value without a
// quadrant (fewer than two characters) or when the middle is too large to
// read; 0 for an unknown quadrant, whatever its middle.
std::optional<double> BearingAngle(const std::u32string& text, const DirectionSettings& settings) {
  if (text.size() < 2) return std::nullopt;
  const char32_t ns = utf8::AsciiUpper(text.front());
  const char32_t ew = utf8::AsciiUpper(text.back());
  if (!QuadrantAngle(ns, ew, 0.0)) return 0.0;
  const auto a = ReadDegrees(utf8::Encode(Middle(text)), settings);
  if (!a) return std::nullopt;
  return QuadrantAngle(ns, ew, *a);
}

// The general reading of a direction over its characters.
std::optional<double> GeneralAngle(std::string_view text, const DirectionSettings& settings) {
  const std::string compact = utf8::RemoveBlanks(text);
  if (settings.bearing) return BearingAngle(utf8::Decode(compact), settings);
  const auto a = ReadDegrees(compact, settings);
  if (!a) return std::nullopt;
  return 450.0 - *a;
}

// Walks an angle part from its last character to its first and puts every
// digit in front of its part (0 degrees, 1 minutes, 2 seconds). True when the
// text is well-formed; a malformed text is refused, and the parts then hold
// the digits gathered up to where the walk stopped (an inner double quote
// refuses the text but the walk goes on).
bool ScanAnglePart(const std::u32string& chars, DmsParts& parts) {
  const std::size_t n = chars.size();
  bool wellFormed = true;
  int part = 0;
  for (std::size_t i = n; i-- > 0;) {
    const char32_t c = chars[i];
    if (IsDigit(c)) {
      if (i == n - 1) return false;
      parts[static_cast<std::size_t>(part)].insert(0, 1, static_cast<char>(c));
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
      wellFormed = false;
    } else if (c == U'\'' && part == 2) {
      part = 1;
    } else if (c == utf8::kDegreeSign && (part == 1 || part == 2)) {
      part = 0;
    } else {
      return false;
    }
  }
  return wellFormed;
}

// The reading of a direction in one pass over its bytes, without allocations,
// for the traverse, which reads every course on every keystroke. It covers the
// texts the grid holds: well-formed angle parts of digits, marks and blanks
// (the degree sign or U+00F8), digit runs of up to 15 digits whose values a
// 32-bit number holds, ASCII quadrant letters. Any other text takes the
// general reading; both give the same angle. Bytes above ASCII are read with
// the one decoder, so a malformed unit is never taken for a degree sign.

// True when the drawing code of the degree sign cannot occur in a text of
// digits, blanks and marks: it holds an ASCII character that is none of them,
// in either case. Such texts then need no replacing.
bool CodeCannotHide(const std::string& symbol) {
  if (symbol.empty()) return true;
  for (char c : symbol) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80 && !(c >= '0' && c <= '9') && c != ' ' && c != '\'' && c != '"') return true;
  }
  return false;
}

// The sum of the parts of a well-formed angle part -- runs of digits each
// closed by its mark, the marks in the order degrees, minutes, seconds --
// as CalDegree gives it; false when the text is anything else.
bool FastDegrees(std::string_view text, double& degrees) {
  std::uint64_t value[3] = {0, 0, 0};
  const std::size_t size = text.size();
  std::uint64_t run = 0;
  int runDigits = 0;
  int nextPart = 0;  // the lowest part whose mark may still come
  for (std::size_t i = 0; i < size;) {
    const char c = text[i++];
    int part = 0;
    if (c >= '0' && c <= '9') {
      // Up to 15 digits make a whole number that a double holds exactly.
      if (++runDigits > 15) return false;
      run = run * 10 + static_cast<std::uint64_t>(c - '0');
      continue;
    }
    if (c == ' ') continue;
    if (c == '\'') {
      part = 1;
    } else if (c == '"') {
      part = 2;
    } else if (static_cast<unsigned char>(c) >= 0x80) {
      std::size_t pos = i - 1;
      const char32_t cp = utf8::DecodeNext(text, pos);
      if (cp != utf8::kDegreeSign && cp != utf8::kOldDegreeSign) return false;
      part = 0;
      i = pos;
    } else {
      return false;
    }
    if (part < nextPart || run > INT32_MAX) return false;
    value[part] = run;
    run = 0;
    runDigits = 0;
    nextPart = part + 1;
  }
  if (runDigits > 0) return false;  // digits without their mark
  degrees = static_cast<double>(value[0]) + static_cast<double>(value[1]) / 60.0 +
            static_cast<double>(value[2]) / 3600.0;
  return true;
}

enum class FastReading { Angle, NoQuadrant, General };

// ReadDirectionAngle for the texts FastDegrees covers: the angle, a bearing
// without quadrant, or General when the general reading is needed.
FastReading FastAngle(std::string_view text, const DirectionSettings& settings, double& angle) {
  if (!CodeCannotHide(settings.degreeSymbol)) return FastReading::General;
  double a = 0.0;
  if (!settings.bearing) {
    if (!FastDegrees(text, a)) return FastReading::General;
    angle = 450.0 - a;
    return FastReading::Angle;
  }
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  // A single byte is a single character: there is no quadrant.
  if (end - begin < 2) return FastReading::NoQuadrant;
  const auto first = static_cast<unsigned char>(text[begin]);
  const auto last = static_cast<unsigned char>(text[end - 1]);
  if (first >= 0x80 || last >= 0x80) return FastReading::General;
  const char32_t ns = utf8::AsciiUpper(static_cast<char32_t>(first));
  const char32_t ew = utf8::AsciiUpper(static_cast<char32_t>(last));
  if ((ns != U'N' && ns != U'S') || (ew != U'E' && ew != U'W')) {
    angle = 0.0;  // an unknown quadrant
    return FastReading::Angle;
  }
  if (!FastDegrees(text.substr(begin + 1, end - begin - 2), a)) return FastReading::General;
  angle = QuadrantAngle(ns, ew, a).value_or(0.0);
  return FastReading::Angle;
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
  // The drawing code is matched character by character on the decoded text,
  // so that no byte of a malformed unit can become part of a degree sign.
  std::u32string chars = utf8::Decode(text);
  if (!settings.degreeSymbol.empty()) {
    ReplaceCode(chars, utf8::Decode(utf8::AsciiUpper(settings.degreeSymbol)));
    ReplaceCode(chars, utf8::Decode(utf8::AsciiLower(settings.degreeSymbol)));
  }
  for (char32_t& c : chars) {
    if (c == utf8::kOldDegreeSign) c = utf8::kDegreeSign;
  }
  return ScanAnglePart(chars, parts);
}

bool IsValidDirection(std::string& text, const DirectionSettings& settings) {
  DmsParts parts;
  if (settings.bearing) {
    text = utf8::RemoveBlanks(text);
    const std::u32string chars = utf8::Decode(text);
    if (chars.size() < 3) return false;
    const std::string quadrant = Quadrant(chars);
    if ((quadrant[0] != 'N' && quadrant[0] != 'S') || (quadrant[1] != 'E' && quadrant[1] != 'W')) {
      return false;
    }
    if (!SplitDMS(utf8::AsciiUpper(utf8::Encode(Middle(chars))), parts, settings)) return false;
  } else {
    if (utf8::Length(text) < 3) return false;
    if (!SplitDMS(utf8::RemoveBlanks(text), parts, settings)) return false;
  }
  const auto degrees = WholeNumber(parts[0]);
  const auto minutes = WholeNumber(parts[1]);
  const auto seconds = WholeNumber(parts[2]);
  if (!degrees || !minutes || !seconds) return false;
  if (*seconds >= 60 || *minutes >= 60) return false;
  // A bearing turns at most a quarter from north or south: 90°0'0" is the
  // largest, so "N90°30'E" is no bearing. An azimuth stays below 360.
  if (settings.bearing) return *degrees < 90 || (*degrees == 90 && *minutes == 0 && *seconds == 0);
  return *degrees < 360;
}

double CalDegree(std::string& text, const DirectionSettings& settings) {
  text = utf8::RemoveBlanks(text);
  return ReadDegrees(text, settings).value_or(0.0);
}

double CalAngle(std::string& text, const DirectionSettings& settings) {
  text = utf8::RemoveBlanks(text);
  return GeneralAngle(text, settings).value_or(0.0);
}

std::optional<double> ReadDirectionAngle(std::string_view text, const DirectionSettings& settings) {
  double angle = 0.0;
  switch (FastAngle(text, settings, angle)) {
    case FastReading::Angle:
      return angle;
    case FastReading::NoQuadrant:
      return std::nullopt;
    case FastReading::General:
      break;
  }
  return GeneralAngle(text, settings);
}

std::optional<double> ReadDirectionAngleByCharacters(std::string_view text,
                                                     const DirectionSettings& settings) {
  return GeneralAngle(text, settings);
}

double AngleFromEast(std::string_view text, const DirectionSettings& settings) {
  if (settings.bearing) return GeneralAngle(text, settings).value_or(0.0);
  std::string copy(text);
  const double whole = RoundHalfEven(CalDegree(copy, settings) + 270.0, 0);
  return std::fmod(whole, 360.0);
}

}  // namespace korvalo::geometry
