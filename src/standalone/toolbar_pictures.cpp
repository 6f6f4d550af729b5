#include "standalone/toolbar_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace korvalo::standalone {

namespace {

constexpr int kSize = kToolbarPictureSize;

constexpr std::uint32_t kInk = 0xFF1E3A6E;     // dark blue: lens rims, signs, text
constexpr std::uint32_t kGlass = 0xFFDCEBFA;   // pale blue inside a lens
constexpr std::uint32_t kHandle = 0xFF4A4A4A;  // dark grey
constexpr std::uint32_t kDash = 0xFF000000;
constexpr std::uint32_t kArrow = 0xFF1E6E32;   // dark green

struct Pt {
  double x = 0.0;
  double y = 0.0;
};

Pt operator+(Pt a, Pt b) { return {a.x + b.x, a.y + b.y}; }
Pt operator-(Pt a, Pt b) { return {a.x - b.x, a.y - b.y}; }
Pt operator*(Pt a, double k) { return {a.x * k, a.y * k}; }
double Dot(Pt a, Pt b) { return a.x * b.x + a.y * b.y; }
double Length(Pt a) { return std::hypot(a.x, a.y); }

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// Distance from p to the segment a-b.
double SegmentDistance(Pt p, Pt a, Pt b) {
  const Pt ab = b - a;
  const double len2 = Dot(ab, ab);
  const double t = len2 > 0.0 ? std::clamp(Dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
  return Length(p - (a + ab * t));
}

// The point of the circle at an angle counted counter-clockwise from east
// as the eye sees it (screen y grows downwards).
Pt OnCircle(Pt c, double r, double degrees) {
  return {c.x + r * std::cos(Radians(degrees)), c.y - r * std::sin(Radians(degrees))};
}

// A tiny rasteriser: each shape is given by its signed distance (negative
// inside), which makes its coverage of a pixel and so smooth edges. Pixel
// (x, y) has its centre at (x + 0.5, y + 0.5).
class Sketch {
 public:
  Sketch() : image_{kSize, kSize, std::vector<std::uint32_t>(kSize * kSize, 0)} {}

  // A stroke with round ends.
  void Segment(Pt a, Pt b, double width, std::uint32_t colour) {
    Cover([&](Pt p) { return SegmentDistance(p, a, b) - width / 2; }, colour);
  }
  // A stroke along the circle from one angle counter-clockwise to another,
  // with round ends.
  void Arc(Pt c, double r, double from, double to, double width, std::uint32_t colour) {
    const Pt start = OnCircle(c, r, from), end = OnCircle(c, r, to);
    Cover(
        [&](Pt p) {
          const Pt d = p - c;
          double angle = std::atan2(-d.y, d.x) * 180.0 / std::numbers::pi - from;
          angle = std::fmod(std::fmod(angle, 360.0) + 360.0, 360.0);
          if (angle <= to - from) return std::abs(Length(d) - r) - width / 2;
          return std::min(Length(p - start), Length(p - end)) - width / 2;
        },
        colour);
  }
  void Disc(Pt c, double r, std::uint32_t colour) {
    Cover([&](Pt p) { return Length(p - c) - r; }, colour);
  }
  // A filled triangle (corners in either order).
  void Triangle(Pt a, Pt b, Pt c, std::uint32_t colour) {
    const double turn = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    Cover(
        [&](Pt p) {
          double d = -1e9;
          const Pt corners[] = {a, b, c};
          for (int i = 0; i < 3; ++i) {
            const Pt u = corners[i], v = corners[(i + 1) % 3];
            const Pt edge = v - u;
            // Outward normal of the edge.
            Pt n = turn > 0 ? Pt{edge.y, -edge.x} : Pt{-edge.y, edge.x};
            n = n * (1.0 / Length(n));
            d = std::max(d, Dot(p - u, n));
          }
          return d;
        },
        colour);
  }
  // An arrowhead whose base is centred on `base`, pointing along `direction`.
  void ArrowHead(Pt base, Pt direction, double length, double halfWidth, std::uint32_t colour) {
    const Pt t = direction * (1.0 / Length(direction));
    const Pt n{-t.y, t.x};
    Triangle(base + t * length, base + n * halfWidth, base - n * halfWidth, colour);
  }
  // One whole pixel, unsmoothed.
  void Pixel(int x, int y, std::uint32_t colour) { Blend(x, y, colour, 1.0); }

  forms::Image Done() { return std::move(image_); }

 private:
  template <class Distance>
  void Cover(Distance distance, std::uint32_t colour) {
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const double coverage = std::clamp(0.5 - distance(Pt{x + 0.5, y + 0.5}), 0.0, 1.0);
        if (coverage > 0.0) Blend(x, y, colour, coverage);
      }
  }
  // Paints the colour over the pixel with the given opacity.
  void Blend(int x, int y, std::uint32_t colour, double coverage) {
    std::uint32_t& dst = image_.pixels[static_cast<std::size_t>(y * kSize + x)];
    const double sa = ((colour >> 24) & 0xFF) / 255.0 * coverage;
    const double da = ((dst >> 24) & 0xFF) / 255.0;
    const double oa = sa + da * (1.0 - sa);
    if (oa <= 0.0) return;
    std::uint32_t out = static_cast<std::uint32_t>(std::lround(oa * 255.0)) << 24;
    for (int shift : {16, 8, 0}) {
      const double s = (colour >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
      const double v = (s * sa + d * da * (1.0 - sa)) / oa;
      out |= static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0))) << shift;
    }
    dst = out;
  }

  forms::Image image_;
};

// A lens at c with its handle going down to the right as far as `handleEnd`.
void Magnifier(Sketch& s, Pt c, double r, Pt handleEnd) {
  const Pt rim = c + (handleEnd - c) * (r / Length(handleEnd - c));
  s.Segment(rim, handleEnd, 3.0, kHandle);
  s.Disc(c, r, kGlass);
  s.Arc(c, r, 0.0, 360.0, 1.5, kInk);
}

constexpr Pt kLens{8.0, 8.0};
constexpr double kLensRadius = 5.5;
constexpr Pt kHandleEnd{17.5, 17.5};
constexpr double kSign = 2.6;  // half the length of the "+" and "−" bars

// The numeral 1 standing on `foot` (centre of its base), 11 pixels high.
void One(Sketch& s, Pt foot) {
  const Pt top{foot.x, foot.y - 11.0};
  s.Segment(foot, top, 1.7, kInk);
  s.Segment(top, top + Pt{-2.5, 2.5}, 1.7, kInk);
  s.Segment(foot + Pt{-2.2, 0.0}, foot + Pt{2.2, 0.0}, 1.7, kInk);
}

// An arc of the redraw circle with an arrowhead at its counter-clockwise end.
void TurningArrow(Sketch& s, Pt c, double r, double from, double to) {
  s.Arc(c, r, from, to, 2.0, kArrow);
  const double a = Radians(to);
  // Travelling counter-clockwise on the screen: (-sin, -cos).
  s.ArrowHead(OnCircle(c, r, to), {-std::sin(a), -std::cos(a)}, 3.2, 2.8, kArrow);
}

}  // namespace

forms::Image ZoomInPicture() {
  Sketch s;
  Magnifier(s, kLens, kLensRadius, kHandleEnd);
  s.Segment(kLens - Pt{kSign, 0}, kLens + Pt{kSign, 0}, 1.6, kInk);
  s.Segment(kLens - Pt{0, kSign}, kLens + Pt{0, kSign}, 1.6, kInk);
  return s.Done();
}

forms::Image ZoomOutPicture() {
  Sketch s;
  Magnifier(s, kLens, kLensRadius, kHandleEnd);
  s.Segment(kLens - Pt{kSign, 0}, kLens + Pt{kSign, 0}, 1.6, kInk);
  return s.Done();
}

forms::Image ZoomAreaPicture() {
  Sketch s;
  // Dashes of two pixels round the square of pixels 1 to 14.
  for (int i = 1; i <= 14; ++i) {
    if ((i - 1) % 4 >= 2) continue;
    s.Pixel(i, 1, kDash);
    s.Pixel(i, 14, kDash);
    s.Pixel(1, i, kDash);
    s.Pixel(14, i, kDash);
  }
  Magnifier(s, {12.5, 12.5}, 4.0, {19.0, 19.0});
  return s.Done();
}

forms::Image UndoZoomPicture() {
  Sketch s;
  const Pt c{11.0, 11.0};
  const double r = 6.0;
  s.Arc(c, r, -50.0, 180.0, 2.0, kInk);
  // The arrow ends at the left pointing down.
  s.ArrowHead(OnCircle(c, r, 180.0), {0.0, 1.0}, 4.0, 3.5, kInk);
  return s.Done();
}

forms::Image ActualSizePicture() {
  Sketch s;
  One(s, {5.0, 16.0});
  s.Disc({10.0, 8.5}, 1.2, kInk);
  s.Disc({10.0, 14.0}, 1.2, kInk);
  One(s, {15.5, 16.0});
  return s.Done();
}

forms::Image RedrawPicture() {
  Sketch s;
  const Pt c{10.0, 10.0};
  TurningArrow(s, c, 5.5, 20.0, 140.0);
  TurningArrow(s, c, 5.5, 200.0, 320.0);
  return s.Done();
}

}  // namespace korvalo::standalone
