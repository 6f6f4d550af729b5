#pragma once

#include <cstdint>
#include <vector>

namespace korvalo::forms {

// One image: width × height pixels 0xAARRGGBB, rows from the top.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  bool operator==(const Image&) const = default;
};

}  // namespace korvalo::forms
