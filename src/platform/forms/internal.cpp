#include "platform/forms/internal.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <exception>

#include "common/utf8.h"

namespace korvalo::forms {

Colour ResolveColour(Colour c) {
  if (!IsSystemColour(c)) return c & 0xFFFFFF;
  const QColor q = detail::ToQColor(c);
  return RGB(q.red(), q.green(), q.blue());
}

namespace detail {

namespace {
int g_depth = 0;

class DepthGuard {
 public:
  DepthGuard() { ++g_depth; }
  ~DepthGuard() { --g_depth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
};
}  // namespace

void RunHandler(const std::function<void()>& body) {
  if (g_depth > 0) {
    DepthGuard guard;
    body();
    return;
  }
  int number = 0;
  try {
    DepthGuard guard;
    body();
  } catch (const std::exception& e) {
    number = ErrorNumberOf(e);
  } catch (...) {
    number = kErrInvalidProcedureCall;
  }
  if (number != 0) ShowUnknownError(number);
}

void RunPropagating(const std::function<void()>& body) {
  DepthGuard guard;
  body();
}

NestedLoop::NestedLoop() : saved_(g_depth) { g_depth = 0; }
NestedLoop::~NestedLoop() { g_depth = saved_; }

QColor ToQColor(Colour c) {
  if (!IsSystemColour(c)) return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                                        static_cast<int>((c >> 16) & 0xFF));
  const QPalette pal = QApplication::palette();
  switch (c & 0xFF) {
    case 0x00: return pal.color(QPalette::Button);
    case 0x01: return pal.color(QPalette::Dark);
    case 0x02: return pal.color(QPalette::Highlight);
    case 0x03: return pal.color(QPalette::Mid);
    case 0x04: return pal.color(QPalette::Window);
    case 0x05: return pal.color(QPalette::Base);
    case 0x06: return pal.color(QPalette::Shadow);
    case 0x07: return pal.color(QPalette::WindowText);
    case 0x08: return pal.color(QPalette::Text);
    case 0x09: return pal.color(QPalette::HighlightedText);
    case 0x0A:
    case 0x0B: return pal.color(QPalette::Button);
    case 0x0C: return pal.color(QPalette::Dark);
    case 0x0D: return pal.color(QPalette::Highlight);
    case 0x0E: return pal.color(QPalette::HighlightedText);
    case 0x0F: return pal.color(QPalette::Button);
    case 0x10: return pal.color(QPalette::Mid);
    case 0x11: return pal.color(QPalette::Disabled, QPalette::Text);
    case 0x12: return pal.color(QPalette::ButtonText);
    case 0x13: return pal.color(QPalette::Disabled, QPalette::WindowText);
    case 0x14: return pal.color(QPalette::Light);
    case 0x15: return pal.color(QPalette::Shadow);
    case 0x16: return pal.color(QPalette::Midlight);
    case 0x17: return pal.color(QPalette::ToolTipText);
    case 0x18: return pal.color(QPalette::ToolTipBase);
    default: return pal.color(QPalette::Window);
  }
}

QImage ToQImage(const Image& image) {
  if (image.width <= 0 || image.height <= 0) return {};
  QImage q(image.width, image.height, QImage::Format_ARGB32);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      q.setPixel(x, y, image.pixels[static_cast<std::size_t>(y * image.width + x)]);
  return q;
}

QFont ToQFont(const Font& f) {
  QFont q;
  // The dialog fonts the windows were laid out in become Liberation Sans,
  // which has Arial's widths (DejaVu runs captions into their neighbours).
  // The classic dialog font is narrower than Arial at the same height: its
  // 8.25 points (11 pixels) take the room of Arial's letters at 10 pixels,
  // which is where the layout's captions fit ("Previous:" in 44 pixels,
  // "Bearing:" in 40). So it is drawn at 10/11 of its nominal size.
  double pixels = f.size * 96.0 / 72.0;  // a twip is a fifteenth of a pixel
  const bool dialogFont = f.name == "MS Sans Serif" || f.name == "Microsoft Sans Serif";
  if (dialogFont) pixels = pixels * 10.0 / 11.0;
  if (dialogFont || f.name == "Tahoma" || f.name == "Arial") {
    q.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans"),
                   QStringLiteral("Sans Serif")});
  } else if (f.name == "Courier New" || f.name == "Courier") {
    q.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"),
                   QStringLiteral("Monospace")});
  } else {
    q.setFamilies({Q(f.name), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                   QStringLiteral("Sans Serif")});
  }
  q.setPixelSize(std::max(1, static_cast<int>(pixels + 0.5)));
  q.setBold(f.bold);
  q.setItalic(f.italic);
  q.setUnderline(f.underline);
  return q;
}

QString PlainCaption(const std::string& caption) {
  QString out;
  const QString in = Q(caption);
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] == QLatin1Char('&')) {
      if (i + 1 < in.size() && in[i + 1] == QLatin1Char('&')) {
        out += QLatin1Char('&');
        ++i;
      }
      continue;
    }
    out += in[i];
  }
  return out;
}

int KeyAsciiOf(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int code = 0x80; code < 0xA0; ++code) {
    if (utf8::FromWindowsCode(code) == utf8::Encode(cp)) return code;
  }
  return static_cast<int>(cp);
}

QString TextOfKeyAscii(int code) {
  if (code < 0) return {};
  if (code < 256) return Q(utf8::FromWindowsCode(code));
  return Q(utf8::Encode(static_cast<char32_t>(code)));
}

int KeyCodeOf(const QKeyEvent* e) {
  const int k = e->key();
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return '0' + (k - Qt::Key_0);
  if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return vbKeyF1 + (k - Qt::Key_F1);
  switch (k) {
    case Qt::Key_Backspace: return vbKeyBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vbKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vbKeyReturn;
    case Qt::Key_Escape: return vbKeyEscape;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return vbKeyPageUp;
    case Qt::Key_PageDown: return vbKeyPageDown;
    case Qt::Key_End: return vbKeyEnd;
    case Qt::Key_Home: return vbKeyHome;
    case Qt::Key_Left: return vbKeyLeft;
    case Qt::Key_Up: return vbKeyUp;
    case Qt::Key_Right: return vbKeyRight;
    case Qt::Key_Down: return vbKeyDown;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return vbKeyDelete;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    default: return 0;
  }
}

int ShiftOf(Qt::KeyboardModifiers m) {
  int s = 0;
  if (m & Qt::ShiftModifier) s |= vbShiftMask;
  if (m & Qt::ControlModifier) s |= vbCtrlMask;
  if (m & Qt::AltModifier) s |= vbAltMask;
  return s;
}

int ButtonOf(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return vbLeftButton;
    case Qt::RightButton: return vbRightButton;
    case Qt::MiddleButton: return vbMiddleButton;
    default: return 0;
  }
}

}  // namespace detail
}  // namespace korvalo::forms
