#pragma once

// The parts of GDAL's feature style strings the viewer uses
// ('PEN(c:#ff0000)', 'BRUSH(fc:#00ff00)',
// 'LABEL(f:"Arial",t:"...",a:30,s:2.5g,p:7,c:#000000)').

#include <cstdint>
#include <string_view>

namespace korvalo::viewer {

struct Style {
  std::uint32_t rgb = 0;  // 0xRRGGBB: the pen's or the label's colour, else the brush's
  bool transparent = false;  // alpha 00: GDAL's mark of an entity on a layer that is off
  bool brush = false;     // a BRUSH tool: the entity has an area in the colour above
  double angle = 0;       // degrees
  double size = 0;        // text height in drawing units; 0 when not given
  int anchor = 1;
};

Style ParseStyle(const char* style);

}  // namespace korvalo::viewer
