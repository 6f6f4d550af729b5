// Fuzz target over the computing core: direction texts, the closure and the
// drawing. Every input is checked against the rules the surveyor relies on;
// a broken rule aborts with a message, so that both libFuzzer and the corpus
// replay of the ordinary test run report it.
//
// Input: lines separated by '\n'.
//   line 1, settings: byte 0 'A' azimuths, anything else bearings; byte 1 the
//     edition (its value modulo 4: A2004, A2000, R14, Standalone); byte 2 the
//     decimals (its value less '0'); the rest is the drawing code of the
//     degree sign.
//   every further line, a course: "A|direction|arc length|chord|radius|sign"
//     is an arc (sign "+", "-", "?" for unconfirmed, otherwise its first two
//     bytes modulo 3 are the raw values of the "+" and "-" boxes); any other
//     line is "direction|distance" of a line course.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/edition.h"
#include "common/numbers.h"
#include "common/utf8.h"
#include "geometry/bearing.h"
#include "geometry/direction.h"
#include "geometry/drawing.h"
#include "geometry/traverse.h"

namespace {

using namespace korvalo;
using namespace korvalo::geometry;

[[noreturn]] void Fail(const char* rule, std::string_view detail) {
  std::fprintf(stderr, "core fuzz rule broken: %s [%.*s]\n", rule, static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

void Require(bool ok, const char* rule, std::string_view detail = {}) {
  if (!ok) Fail(rule, detail);
}

bool Same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A text a label may show: no spelling of a value that is not finite.
void RequireShowable(const std::string& text, const char* rule) {
  for (const char* bad : {"NaN", "nan", "Inf", "inf"}) {
    Require(text.find(bad) == std::string::npos, rule, text);
  }
  Require(utf8::IsWellFormed(text), rule, text);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

void CheckUtf8(std::string_view text) {
  const std::u32string chars = utf8::Decode(text);
  Require(utf8::Length(text) == chars.size(), "Length counts what Decode reads", text);
  const std::string clean = utf8::Sanitize(text);
  Require(utf8::IsWellFormed(clean), "Sanitize gives well-formed text", text);
  Require(utf8::Decode(clean) == chars, "Sanitize keeps every character", text);
  Require(utf8::Decode(utf8::Encode(chars)) == chars, "Encode round-trips Decode", text);
  std::u32string withoutBlanks;
  for (char32_t c : chars) {
    if (c != U' ') withoutBlanks.push_back(c);
  }
  Require(utf8::Decode(utf8::RemoveBlanks(text)) == withoutBlanks,
          "removing blanks changes no other character", text);
}

void CheckDirection(const std::string& text, const std::string& previous,
                    const DirectionSettings& settings) {
  const auto fast = ReadDirectionAngle(text, settings);
  const auto slow = ReadDirectionAngleByCharacters(text, settings);
  Require(fast.has_value() == slow.has_value(), "fast and slow readings agree", text);
  std::string copy = text;
  const double angle = CalAngle(copy, settings);
  Require(std::isfinite(angle), "CalAngle is finite", text);
  if (fast) {
    Require(Same(*fast, *slow), "fast and slow readings give the same angle", text);
    Require(Same(*fast, angle), "the traverse reads CalAngle's angle", text);
  }
  copy = text;
  Require(std::isfinite(CalDegree(copy, settings)), "CalDegree is finite", text);
  Require(std::isfinite(AngleFromEast(text, settings)), "AngleFromEast is finite", text);
  const double difference = AngleDifference(text, previous, settings);
  Require(difference >= 0.0 && difference <= 90.0, "AngleDifference lies in 0..90", text);
  const std::string reversed = ReverseDirection(text, settings);
  Require(utf8::IsWellFormed(reversed), "a reversal is well-formed", text);
  RequireShowable(RotateLeft90(text, settings), "a turned direction is showable");

  std::string valid = text;
  if (!IsValidDirection(valid, settings)) return;
  Require(fast.has_value(), "a valid direction can be read", text);
  if (settings.bearing) {
    Require(angle >= 0.0 && angle <= 360.0, "a valid bearing's angle lies in 0..360", text);
    const std::u32string chars = utf8::Decode(valid);
    std::string middle = utf8::Encode(chars.substr(1, chars.size() - 2));
    Require(CalDegree(middle, settings) <= 90.0, "a valid bearing turns at most 90 degrees", text);
  } else {
    Require(angle > 90.0 && angle <= 450.0, "a valid azimuth's angle lies in 90..450", text);
    std::string degrees = text;
    Require(CalDegree(degrees, settings) < 360.0, "a valid azimuth stays below 360", text);
  }
  // A drawing code made of a direction's own characters (a digit, a mark, a
  // blank) cannot be told from them: a reversal may spell it where the
  // original did not. The rule holds for every other code.
  const bool plainCode = settings.degreeSymbol.find_first_of("0123456789'\" ") == std::string::npos;
  std::string back = reversed;
  Require(!plainCode || IsValidDirection(back, settings),
          "the reversal of a valid direction is valid", text);
  if (!previous.empty()) {
    std::string other = previous;
    if (IsValidDirection(other, settings)) {
      Require(difference <= 90.0, "valid directions differ by at most 90", text);
    }
  }
}

void CheckClosure(const std::vector<CourseRow>& rows, const TraverseSettings& settings) {
  const ClosureResult r = ComputeClosure(rows, settings);
  Require(r.lastRow == FindLastLine(rows, settings), "the closure uses FindLastLine's rows");
  for (double v : {r.area, r.closure, r.precisionRatio, r.totalDistance.value_or(0.0)}) {
    Require(std::isfinite(v), "every figure of the closure is finite", NumberText(v));
  }
  Require(r.closure >= 0.0, "the closure is not negative");
  for (const std::string* text : {&r.areaText, &r.closureText, &r.directionText,
                                  &r.precisionText, &r.closureBearing}) {
    RequireShowable(*text, "a closure label is showable");
  }
  Require(r.areaAvailable || r.areaText == "N/A" || r.lastRow < 0,
          "an area that cannot be given shows N/A", r.areaText);
  if (r.lastRow >= 0) {
    for (int i = 0; i <= r.lastRow + 1 && i < static_cast<int>(r.coord.size()); ++i) {
      const Point p = r.coord[static_cast<std::size_t>(i)];
      Require(std::isfinite(p.x) && std::isfinite(p.y), "every traverse point is finite");
    }
  }
}

// A canvas that refuses every value that is not finite.
class CheckingCanvas : public ParcelCanvas {
 public:
  void Clear() override {}
  void Line(double x1, double y1, double x2, double y2, int) override {
    Check({x1, y1, x2, y2}, "a line on the canvas is finite");
  }
  void Arc(double cx, double cy, double radius, int, double startRad, double endRad) override {
    Check({cx, cy, radius, startRad, endRad}, "an arc on the canvas is finite");
  }
  void Rectangle(double x1, double y1, double x2, double y2) override {
    Check({x1, y1, x2, y2}, "the border on the canvas is finite");
  }

 private:
  static void Check(std::initializer_list<double> values, const char* rule) {
    for (double v : values) Require(std::isfinite(v), rule, NumberText(v));
  }
};

void CheckDrawing(const std::vector<CourseRow>& rows, const TraverseSettings& settings,
                  double width, double height) {
  CheckingCanvas canvas;
  const DrawingResult d = DrawParcel(rows, settings, width, height, canvas);
  Require(d.lastRow == FindLastLine(rows, settings), "the drawing uses FindLastLine's rows");
  for (const CourseLabel& label : d.labels) {
    Require(std::isfinite(label.left) && std::isfinite(label.top), "a course number is placed");
  }
  if (d.coord && d.lastRow >= 0) {
    for (int i = 0; i <= d.lastRow + 1 && i < static_cast<int>(d.coord->size()); ++i) {
      const Point p = (*d.coord)[static_cast<std::size_t>(i)];
      Require(std::isfinite(p.x) && std::isfinite(p.y), "every drawn point is finite");
    }
  }
  Require(std::isfinite(d.totalDistance.value_or(0.0)), "the drawing's total is finite");
}

CourseRow ReadRow(std::string_view line) {
  const std::vector<std::string_view> f = Split(line, '|');
  const auto field = [&](std::size_t i) { return i < f.size() ? std::string(f[i]) : std::string(); };
  if (f.size() > 1 && f[0] == "A") {
    const std::string sign = field(5);
    SegmentSign s = SegmentSign::Unconfirmed;
    if (sign == "+") s = SegmentSign::Plus;
    if (sign == "-") s = SegmentSign::Minus;
    CourseRow row = CourseRow::Arc(field(1), field(2), field(3), field(4), s);
    if (sign.size() >= 2 && sign != "+" && sign != "-" && sign != "?") {
      row.plusBox = static_cast<unsigned char>(sign[0]) % 3;
      row.minusBox = static_cast<unsigned char>(sign[1]) % 3;
    }
    return row;
  }
  return CourseRow::Line(field(0), field(1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string_view> lines = Split(input, '\n');
  const std::string_view head = lines[0];

  TraverseSettings settings;
  settings.direction.bearing = !(head.size() > 0 && head[0] == 'A');
  static constexpr Edition kEditions[] = {Edition::A2004, Edition::A2000, Edition::R14,
                                          Edition::Standalone};
  settings.edition = kEditions[head.size() > 1 ? static_cast<unsigned char>(head[1]) % 4 : 0];
  settings.courseLimit = CourseLimitFor(settings.edition);
  settings.errDecimal = head.size() > 2 ? static_cast<unsigned char>(head[2]) - '0' : 2;
  settings.direction.degreeSymbol = head.size() > 3 ? std::string(head.substr(3)) : "%%D";
  settings.closureTolerance = 0.01;

  std::vector<CourseRow> rows;
  std::string previous;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    CheckUtf8(lines[i]);
    rows.push_back(ReadRow(lines[i]));
    const std::string& direction = rows.back().direction;
    for (bool bearing : {true, false}) {
      DirectionSettings s = settings.direction;
      s.bearing = bearing;
      CheckDirection(direction, previous, s);
    }
    previous = direction;
  }
  CheckClosure(rows, settings);
  CheckDrawing(rows, settings, 3000.0, 2000.0);
  CheckDrawing(rows, settings, 2655.0, 2655.0);
  return 0;
}
