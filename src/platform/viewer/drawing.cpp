#include "platform/viewer/drawing.h"

#include <algorithm>
#include <cmath>

#include "common/drawing_text.h"
#include "common/utf8.h"

namespace korvalo::viewer {
namespace {

// The colours GDAL gives the colour indexes 1-255.
constexpr std::uint32_t kPalette[255] = {
    0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF, 0x000000, 0x7F7F7F,
    0xBFBFBF, 0xFF0000, 0xFF7F7F, 0xA50000, 0xA55252, 0x7F0000, 0x7F3F3F, 0x4C0000,
    0x4C2626, 0x260000, 0x261313, 0xFF3F00, 0xFF9F7F, 0xA52900, 0xA56752, 0x7F1F00,
    0x7F4F3F, 0x4C1300, 0x4C2F26, 0x260900, 0x261713, 0xFF7F00, 0xFFBF7F, 0xA55200,
    0xA57C52, 0x7F3F00, 0x7F5F3F, 0x4C2600, 0x4C3926, 0x261300, 0x261C13, 0xFFBF00,
    0xFFDF7F, 0xA57C00, 0xA59152, 0x7F5F00, 0x7F6F3F, 0x4C3900, 0x4C4226, 0x261C00,
    0x262113, 0xFFFF00, 0xFFFF7F, 0xA5A500, 0xA5A552, 0x7F7F00, 0x7F7F3F, 0x4C4C00,
    0x4C4C26, 0x262600, 0x262613, 0xBFFF00, 0xDFFF7F, 0x7CA500, 0x91A552, 0x5F7F00,
    0x6F7F3F, 0x394C00, 0x424C26, 0x1C2600, 0x212613, 0x7FFF00, 0xBFFF7F, 0x52A500,
    0x7CA552, 0x3F7F00, 0x5F7F3F, 0x264C00, 0x394C26, 0x132600, 0x1C2613, 0x3FFF00,
    0x9FFF7F, 0x29A500, 0x67A552, 0x1F7F00, 0x4F7F3F, 0x134C00, 0x2F4C26, 0x092600,
    0x172613, 0x00FF00, 0x7FFF7F, 0x00A500, 0x52A552, 0x007F00, 0x3F7F3F, 0x004C00,
    0x264C26, 0x002600, 0x132613, 0x00FF3F, 0x7FFF9F, 0x00A529, 0x52A567, 0x007F1F,
    0x3F7F4F, 0x004C13, 0x264C2F, 0x002609, 0x132617, 0x00FF7F, 0x7FFFBF, 0x00A552,
    0x52A57C, 0x007F3F, 0x3F7F5F, 0x004C26, 0x264C39, 0x002613, 0x13261C, 0x00FFBF,
    0x7FFFDF, 0x00A57C, 0x52A591, 0x007F5F, 0x3F7F6F, 0x004C39, 0x264C42, 0x00261C,
    0x132621, 0x00FFFF, 0x7FFFFF, 0x00A5A5, 0x52A5A5, 0x007F7F, 0x3F7F7F, 0x004C4C,
    0x264C4C, 0x002626, 0x132626, 0x00BFFF, 0x7FDFFF, 0x007CA5, 0x5291A5, 0x005F7F,
    0x3F6F7F, 0x00394C, 0x26424C, 0x001C26, 0x132126, 0x007FFF, 0x7FBFFF, 0x0052A5,
    0x527CA5, 0x003F7F, 0x3F5F7F, 0x00264C, 0x26394C, 0x001326, 0x131C26, 0x003FFF,
    0x7F9FFF, 0x0029A5, 0x5267A5, 0x001F7F, 0x3F4F7F, 0x00134C, 0x262F4C, 0x000926,
    0x131726, 0x0000FF, 0x7F7FFF, 0x0000A5, 0x5252A5, 0x00007F, 0x3F3F7F, 0x00004C,
    0x26264C, 0x000026, 0x131326, 0x3F00FF, 0x9F7FFF, 0x2900A5, 0x6752A5, 0x1F007F,
    0x4F3F7F, 0x13004C, 0x2F264C, 0x090026, 0x171326, 0x7F00FF, 0xBF7FFF, 0x5200A5,
    0x7C52A5, 0x3F007F, 0x5F3F7F, 0x26004C, 0x39264C, 0x130026, 0x1C1326, 0xBF00FF,
    0xDF7FFF, 0x7C00A5, 0x9152A5, 0x5F007F, 0x6F3F7F, 0x39004C, 0x42264C, 0x1C0026,
    0x211326, 0xFF00FF, 0xFF7FFF, 0xA500A5, 0xA552A5, 0x7F007F, 0x7F3F7F, 0x4C004C,
    0x4C264C, 0x260026, 0x261326, 0xFF00BF, 0xFF7FDF, 0xA5007C, 0xA55291, 0x7F005F,
    0x7F3F6F, 0x4C0039, 0x4C2642, 0x26001C, 0x261321, 0xFF007F, 0xFF7FBF, 0xA50052,
    0xA5527C, 0x7F003F, 0x7F3F5F, 0x4C0026, 0x4C2639, 0x260013, 0x26131C, 0xFF003F,
    0xFF7F9F, 0xA50029, 0xA55267, 0x7F001F, 0x7F3F4F, 0x4C0013, 0x4C262F, 0x260009,
    0x261317, 0x545454, 0x767676, 0x989898, 0xBABABA, 0xDCDCDC, 0xFFFFFF,
};

constexpr double kCharWidth = 0.6;
constexpr double kLineSpacing = 5.0 / 3.0;

}  // namespace

const char* KindName(EntityKind kind) {
  switch (kind) {
    case EntityKind::Line: return "LINE";
    case EntityKind::Polyline: return "POLYLINE";
    case EntityKind::Arc: return "ARC";
    case EntityKind::Circle: return "CIRCLE";
    case EntityKind::Text: return "TEXT";
    case EntityKind::MText: return "TEXTM";
    case EntityKind::Point: return "POINT";
    case EntityKind::Other: break;
  }
  return "OTHER";
}

void Bounds::Add(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (empty) {
    xmin = xmax = x;
    ymin = ymax = y;
    empty = false;
    return;
  }
  xmin = std::min(xmin, x);
  xmax = std::max(xmax, x);
  ymin = std::min(ymin, y);
  ymax = std::max(ymax, y);
}

void Bounds::Add(const Bounds& b) {
  if (b.empty) return;
  Add(b.xmin, b.ymin);
  Add(b.xmax, b.ymax);
}

int Drawing::FindLayer(const std::string& name) const {
  for (std::size_t i = 0; i < layers.size(); ++i)
    if (layers[i].name == name) return static_cast<int>(i);
  return -1;
}

std::uint32_t ColourOfIndex(int index) {
  if (index < 1 || index > 255) return 0;
  return kPalette[index - 1];
}

int IndexOfColour(std::uint32_t rgb) {
  for (int i = 0; i < 255; ++i)
    if (kPalette[i] == rgb) return i + 1;
  if (rgb == 0xFFFFFF) return 7;  // white is index 7 on a dark background
  return 0;
}

std::string DisplayText(std::string_view raw, bool multiLine) {
  return drawing_text::Resolve(raw, {.multiLine = multiLine, .percentCodes = true});
}

void MeasureText(const Drawing& drawing, Entity& e) {
  const std::string shown = DisplayText(drawing.TextOf(e), e.kind == EntityKind::MText);
  std::uint32_t lines = 1, longest = 0, current = 0;
  for (std::size_t at = 0; at < shown.size();) {
    const char32_t cp = utf8::DecodeNext(shown, at);
    if (cp == U'\n') {
      ++lines;
      current = 0;
    } else {
      longest = std::max(longest, ++current);
    }
  }
  e.columns = std::max<std::uint32_t>(1, longest);
  e.lines = lines;
}

TextBox TextBoxOf(const Drawing& drawing, const Entity& entity) {
  Entity measured;
  const Entity* text = &entity;
  if (entity.lines == 0) {
    measured = entity;
    MeasureText(drawing, measured);
    text = &measured;
  }
  const Entity& e = *text;
  const double lines = e.lines, longest = e.columns;
  const double h = e.height > 0 ? e.height : 1.0;
  const double width = longest * kCharWidth * h;
  const double total = h + (lines - 1) * kLineSpacing * h;
  const int column = (e.anchor - 1) % 3;
  const int row = (e.anchor - 1) / 3;
  const double left = -width * column / 2.0;
  double top = h;  // baseline: the first line stands on the point
  if (row == 1) top = total / 2;
  else if (row == 2) top = 0;
  else if (row == 3) top = total;
  const double bottom = top - total;
  const double lx[4] = {left, left + width, left + width, left};
  const double ly[4] = {bottom, bottom, top, top};
  const double a = e.angle * 3.14159265358979 / 180.0;
  const double ca = std::cos(a), sa = std::sin(a);
  TextBox box{};
  for (int k = 0; k < 4; ++k) {
    box.x[k] = e.x + lx[k] * ca - ly[k] * sa;
    box.y[k] = e.y + lx[k] * sa + ly[k] * ca;
  }
  return box;
}

Bounds TextBounds(const Drawing& drawing, const Entity& e) {
  const TextBox box = TextBoxOf(drawing, e);
  Bounds b;
  for (int k = 0; k < 4; ++k) b.Add(box.x[k], box.y[k]);
  return b;
}

std::string GroupedNumber(long n) {
  const std::string digits = std::to_string(n);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const std::size_t left = digits.size() - i;
    if (i > 0 && left % 3 == 0 && digits[i - 1] != '-') grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string LoadNotice(const Drawing& drawing) {
  std::string notice;
  if (drawing.leftOut > 0) {
    const bool one = drawing.leftOut == 1;
    notice = GroupedNumber(drawing.leftOut) + (one ? " entity" : " entities") +
             " of this drawing could not be shown and " + (one ? "was" : "were") +
             " left out: " + (one ? "its" : "their") + " coordinates are no numbers or lie too far out.";
  }
  if (drawing.notShaped > 0) {
    if (!notice.empty()) notice += "\n";
    const bool one = drawing.notShaped == 1;
    notice += GroupedNumber(drawing.notShaped) + (one ? " entity" : " entities") +
              " of this drawing could not be drawn and " + (one ? "was" : "were") + " left out.";
  }
  if (!drawing.leftOutKinds.empty()) {
    notice += "\nLeft out:";
    for (std::size_t i = 0; i < drawing.leftOutKinds.size(); ++i) {
      const long count = i < drawing.leftOutKindCounts.size() ? drawing.leftOutKindCounts[i] : 0;
      notice += (i == 0 ? " " : ", ") + GroupedNumber(count) + " " + drawing.leftOutKinds[i];
    }
    notice += ".";
  }
  if (drawing.blocksLeftOut) {
    if (!notice.empty()) notice += "\n";
    notice +=
        "Some blocks of this drawing are nested too deeply or insert themselves; they could not be shown and were "
        "left out.";
  }
  return notice;
}

}  // namespace korvalo::viewer
