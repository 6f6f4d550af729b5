#pragma once

#include <array>
#include <optional>
#include <string>

// The standalone edition's drawing settings: the two drawing colours and the
// last view of each of the viewer window's two viewers. They live in the
// project's settings row beside the shared settings (BackColor, ForeColor,
// ZoomFactor1 ... TRY2) and are read with them.
namespace korvalo {

struct Rgb {
  int red = 255;
  int green = 255;
  int blue = 255;
  bool operator==(const Rgb&) const = default;
};

// Back colour codes as stored: 0 white, 1 black, 2 yellow, 3 blue.
inline constexpr int kBackColorCodes = 4;
// Any other code reads as white.
Rgb BackColorFromCode(long code);
// The code of a back colour, or none for a colour the menus do not offer.
std::optional<int> BackColorCode(const Rgb& colour);

// Fore colour codes are the viewer's own colour codes.
inline constexpr long kForeOriginal = 256;
inline constexpr long kForeWhite = 14;
inline constexpr long kForeBlack = 7;
inline constexpr long kForeYellow = 2;
inline constexpr long kForeBlue = 5;

// One viewer's last view: the window's corners in drawing units and the zoom
// factor it was shown at.
struct SavedView {
  double zoomFactor = 0.0;
  double blx = 0.0, bly = 0.0, trx = 0.0, try_ = 0.0;
  bool operator==(const SavedView&) const = default;
};

// Corners all 0, or exactly (0, 0, 1, 1) as a new project holds them, mean
// that no view is saved: the viewer shows the whole drawing instead.
bool ViewIsSaved(const SavedView& view);

// The zoom factor a viewer reports while it shows no drawing.
inline constexpr double kNoDrawingZoom = 99.0;

struct ViewerSettings {
  Rgb BackColor;
  long ForeColor = kForeOriginal;
  // Index 0 viewer 1, 1 viewer 2.
  std::array<SavedView, 2> Views;
  bool operator==(const ViewerSettings&) const = default;
};

// The values for the run; white, "Original" and no views at start.
ViewerSettings& Viewer();
void ResetViewerSettings();

// The standalone edition's settings loader: the shared loader
// (LoadProjectSettings, with its refusal of an unreadable row and its drawing
// path), then the colours and views of the same row. A colour field that is
// missing or empty gives its default (white, "Original"); a back colour code
// outside 0-3 gives white. When any view field is missing or unreadable both
// views are forgotten (all ten values 0). When the shared loader refuses the
// row, nothing changes here either and the result is false.
bool LoadStandaloneProjectSettings();

// Stores the view a viewer shows (index 0 or 1) as its saved view and in the
// project's row. A zoom factor of exactly 99.0 (no drawing) stores the
// corners as 0. When the row cannot be written both views are forgotten in
// memory and the stored row stays as it was; no message. False then.
bool StoreViewerView(int index, SavedView view);

// The two halves of StoreViewerView, for a caller that writes later: the view
// kept in memory now, and the write into the settings row of the project
// file named (the project the view belongs to, which need not be the open
// one by then). The write changes nothing in memory; false when the row
// cannot be written.
void KeepViewerView(int index, SavedView view);
bool WriteViewerView(const std::string& projectPath, int index, SavedView view);

// Writes the colour code chosen in a colour menu into the project's row.
// No message on failure; false then.
bool SaveBackColor(int code);
bool SaveForeColor(long code);

// A new drawing for the project: both saved views' corners become 0 in
// memory, so the new drawing opens whole.
void ForgetSavedViewCorners();

}  // namespace korvalo
