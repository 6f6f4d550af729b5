#include "geometry/bearing.h"

#include <algorithm>
#include <cmath>

#include "common/numbers.h"
#include "common/utf8.h"

namespace korvalo::geometry {
namespace {

struct Dms {
  double degrees;
  double minutes;
  double seconds;  // with its fraction
};

Dms Split(double angle) {
  Dms dms;
  dms.degrees = std::floor(angle);
  const double minutes = (angle - dms.degrees) * 60.0;
  dms.minutes = std::floor(minutes);
  dms.seconds = (minutes - dms.minutes) * 60.0;
  return dms;
}

std::string Joined(double degrees, double minutes, double seconds) {
  return NumberText(degrees) + std::string(utf8::kDegree) + NumberText(minutes) + "'" +
         NumberText(seconds) + "\"";
}

}  // namespace

std::string BearingFromPoints(double x1, double y1, double x2, double y2,
                              const DirectionSettings& settings) {
  const std::string ns = y2 > y1 ? "N" : "S";
  const std::string ew = x2 > x1 ? "E" : "W";
  const std::string degree(utf8::kDegree);
  // Points that are not finite have no direction between them.
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) {
    return "";
  }
  if (y2 == y1) {
    if (settings.bearing) return "N90" + degree + " 0'0\"" + ew;
    return (ew == "E" ? "90" : "270") + degree + " 0'0\"";
  }
  double a = std::atan(std::fabs((x2 - x1) / (y2 - y1))) * 180.0 / kPi;
  if (!settings.bearing) {
    const std::string quadrant = ns + ew;
    if (quadrant == "NW") {
      a = 360.0 - a;
    } else if (quadrant == "SW") {
      a = a + 180.0;
    } else if (quadrant == "SE") {
      a = 180.0 - a;
    }
  }
  const Dms dms = Split(a);
  const std::string text = Joined(dms.degrees, dms.minutes, std::trunc(dms.seconds));
  return settings.bearing ? ns + text + ew : text;
}

std::string DecimalToDMS(double angle) {
  const Dms dms = Split(angle);
  return Joined(std::fmod(dms.degrees, 360.0), dms.minutes, RoundHalfEven(dms.seconds, 0));
}

std::string RotateLeft90(std::string_view direction, const DirectionSettings& settings) {
  if (!settings.bearing) {
    std::string copy(direction);
    return DecimalToDMS(CalDegree(copy, settings) + 270.0);
  }
  const std::u32string chars = utf8::Decode(utf8::RemoveBlanks(direction));
  if (chars.size() < 2) return "";
  const char32_t first = utf8::AsciiUpper(chars.front());
  const char32_t last = utf8::AsciiUpper(chars.back());
  std::string middle = utf8::Encode(chars.substr(1, chars.size() - 2));
  const std::string r = DecimalToDMS(90.0 - CalDegree(middle, settings));
  if (first == U'N' && last == U'E') return "N" + r + "W";
  if (first == U'N' && last == U'W') return "S" + r + "W";
  if (first == U'S' && last == U'W') return "S" + r + "E";
  if (first == U'S' && last == U'E') return "N" + r + "E";
  return "";
}

double AngleDifference(std::string_view p, std::string_view q, const DirectionSettings& settings) {
  std::string a(p);
  std::string b(q);
  // Angles of texts that are no valid direction may lie a turn or more apart;
  // whole turns make no difference to parallel lines.
  const double d = std::fmod(std::fabs(CalAngle(b, settings) - CalAngle(a, settings)), 360.0);
  return std::min({d, std::fabs(180.0 - d), 360.0 - d});
}

}  // namespace korvalo::geometry
