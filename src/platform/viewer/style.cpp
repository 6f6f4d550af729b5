#include "platform/viewer/style.h"

#include <charconv>
#include <cmath>
#include <string>

namespace korvalo::viewer {
namespace {

std::uint32_t ParseColour(std::string_view v) {
  if (v.size() < 7 || v[0] != '#') return 0;
  std::uint32_t rgb = 0;
  for (std::size_t i = 1; i < 7; ++i) {
    const char c = v[i];
    int d = 0;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return 0;
    rgb = (rgb << 4) | static_cast<std::uint32_t>(d);
  }
  return rgb;
}

// The number the value starts with (blanks and a plus sign before it
// allowed), 0 when there is none or it is not finite.
double ParseNumber(std::string_view v) {
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  if (!v.empty() && v.front() == '+') v.remove_prefix(1);
  double d = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), d);
  return ec == std::errc() && std::isfinite(d) ? d : 0.0;
}

}  // namespace

Style ParseStyle(const char* text) {
  Style style;
  if (!text) return style;
  const std::string_view s(text);
  // Tools are "NAME(param,param,...)" parted by ';'. Quoted values may hold
  // any character, a backslash escaping the next one.
  std::size_t i = 0;
  bool colourTaken = false;
  bool brushTaken = false;
  std::uint32_t brushRgb = 0;
  bool brushTransparent = false;
  while (i < s.size()) {
    const std::size_t open = s.find('(', i);
    if (open == std::string_view::npos) break;
    std::string_view tool = s.substr(i, open - i);
    while (!tool.empty() && (tool.front() == ';' || tool.front() == ' ')) tool.remove_prefix(1);
    const bool label = tool == "LABEL";
    const bool brush = tool == "BRUSH";
    style.brush = style.brush || brush;
    std::size_t j = open + 1;
    while (j < s.size() && s[j] != ')') {
      const std::size_t colon = s.find(':', j);
      if (colon == std::string_view::npos) return style;
      const std::string_view key = s.substr(j, colon - j);
      std::size_t k = colon + 1;
      std::string_view value;
      if (k < s.size() && s[k] == '"') {
        ++k;
        const std::size_t start = k;
        while (k < s.size() && s[k] != '"') k += (s[k] == '\\') ? 2 : 1;
        value = s.substr(start, std::min(k, s.size()) - start);
        if (k < s.size()) ++k;
      } else {
        const std::size_t start = k;
        while (k < s.size() && s[k] != ',' && s[k] != ')') ++k;
        value = s.substr(start, k - start);
      }
      if (key == "c" && !colourTaken) {
        style.rgb = ParseColour(value);
        style.transparent = value.size() == 9 && value.substr(7) == "00";
        colourTaken = true;
      } else if (brush && key == "fc" && !colourTaken && !brushTaken) {
        // A fill without a pen (a hatch, a solid) is drawn in its fill colour.
        brushRgb = ParseColour(value);
        brushTransparent = value.size() == 9 && value.substr(7) == "00";
        brushTaken = true;
      } else if (label && key == "a") {
        style.angle = ParseNumber(value);
      } else if (label && key == "s") {
        style.size = ParseNumber(value);
      } else if (label && key == "p") {
        const int p = static_cast<int>(ParseNumber(value));
        style.anchor = (p >= 1 && p <= 12) ? p : 1;
      }
      j = k;
      if (j < s.size() && s[j] == ',') ++j;
    }
    i = j + 1;
  }
  if (!colourTaken && brushTaken) {
    style.rgb = brushRgb;
    style.transparent = brushTransparent;
  }
  return style;
}

}  // namespace korvalo::viewer
