#pragma once

// Units and colours of the forms layer.
//
// Positions and sizes are in twips (1440 per inch), 15 twips per screen
// pixel, relative to the control's container. Colours are colour numbers
// with the low byte red, the next green and the next blue (&H00BBGGRR);
// numbers with the high bit set (&H800000nn) are system colours, resolved
// through the application's palette when they are drawn.

#include <cstdint>

namespace korvalo::forms {

using Colour = std::uint32_t;

inline constexpr int kTwipsPerPixel = 15;

// Whole pixels of a twip value (rounded to the nearest pixel).
int PixelsFromTwips(double twips);
inline constexpr int TwipsFromPixels(int pixels) { return pixels * kTwipsPerPixel; }

// Red, green and blue, 0 to 255 each, as a colour number.
inline constexpr Colour RGB(int red, int green, int blue) {
  return static_cast<Colour>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
inline constexpr bool IsSystemColour(Colour c) { return (c & 0x80000000u) != 0; }

// Plain colours.
inline constexpr Colour vbBlack = 0x000000;
inline constexpr Colour vbWhite = 0xFFFFFF;
inline constexpr Colour vbRed = 0x0000FF;
inline constexpr Colour vbGreen = 0x00FF00;
inline constexpr Colour vbBlue = 0xFF0000;
inline constexpr Colour vbYellow = 0x00FFFF;

// System colours.
inline constexpr Colour vbScrollBars = 0x80000000;
inline constexpr Colour vbDesktop = 0x80000001;
inline constexpr Colour vbActiveTitleBar = 0x80000002;
inline constexpr Colour vbInactiveTitleBar = 0x80000003;
inline constexpr Colour vbMenuBar = 0x80000004;
inline constexpr Colour vbWindowBackground = 0x80000005;
inline constexpr Colour vbWindowFrame = 0x80000006;
inline constexpr Colour vbMenuText = 0x80000007;
inline constexpr Colour vbWindowText = 0x80000008;
inline constexpr Colour vbTitleBarText = 0x80000009;
inline constexpr Colour vbActiveBorder = 0x8000000A;
inline constexpr Colour vbInactiveBorder = 0x8000000B;
inline constexpr Colour vbApplicationWorkspace = 0x8000000C;
inline constexpr Colour vbHighlight = 0x8000000D;
inline constexpr Colour vbHighlightText = 0x8000000E;
inline constexpr Colour vbButtonFace = 0x8000000F;
inline constexpr Colour vbButtonShadow = 0x80000010;
inline constexpr Colour vbGrayText = 0x80000011;
inline constexpr Colour vbButtonText = 0x80000012;
inline constexpr Colour vbInactiveCaptionText = 0x80000013;
inline constexpr Colour vb3DHighlight = 0x80000014;
inline constexpr Colour vb3DDKShadow = 0x80000015;
inline constexpr Colour vb3DLight = 0x80000016;
inline constexpr Colour vbInfoText = 0x80000017;
inline constexpr Colour vbInfoBackground = 0x80000018;

// The plain colour a colour number shows as now: system colours are taken
// from the application's palette, plain colours come back unchanged.
Colour ResolveColour(Colour c);

// Mouse buttons and shift state of the mouse and key events.
inline constexpr int vbLeftButton = 1;
inline constexpr int vbRightButton = 2;
inline constexpr int vbMiddleButton = 4;
inline constexpr int vbShiftMask = 1;
inline constexpr int vbCtrlMask = 2;
inline constexpr int vbAltMask = 4;

// Character codes that reach KeyPress besides the printable characters.
inline constexpr int vbKeyBack = 8;
inline constexpr int vbKeyTab = 9;
inline constexpr int vbKeyReturn = 13;
inline constexpr int vbKeyEscape = 27;
inline constexpr int kCtrlC = 3;   // copy
inline constexpr int kCtrlV = 22;  // paste
inline constexpr int kCtrlX = 24;  // cut
inline constexpr int kCtrlZ = 26;  // undo

// Key codes of KeyDown and KeyUp (letters and digits are their capital
// ASCII codes).
inline constexpr int vbKeyDelete = 46;
inline constexpr int vbKeyLeft = 37;
inline constexpr int vbKeyUp = 38;
inline constexpr int vbKeyRight = 39;
inline constexpr int vbKeyDown = 40;
inline constexpr int vbKeyPageUp = 33;
inline constexpr int vbKeyPageDown = 34;
inline constexpr int vbKeyEnd = 35;
inline constexpr int vbKeyHome = 36;
inline constexpr int vbKeyF1 = 112;

}  // namespace korvalo::forms
