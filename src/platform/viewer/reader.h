#pragma once

// The drawing reader: DXF of any version, DWG in the AutoCAD 2000 format
// (AC1015) only, and DGN v7, through GDAL's vector drivers for those three
// formats. The format is found from the content, never from the file name;
// nothing else passes for a drawing. Texts keep their strings as stored
// ("%%d", "\P", "{\A1;...}"), which the text tokenisers need.

#include <optional>
#include <string>
#include <vector>

#include "platform/viewer/drawing.h"

namespace korvalo::viewer {

// Error numbers of a failed read.
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrBadFileFormat = 321;
inline constexpr int kErrTooLarge = 7;  // "Out of memory": more than the viewer holds
inline constexpr int kErrNotReadInTime = 18;  // "Interrupted": the read was stopped

// What a drawing may hold to be shown, its blocks expanded: a few million
// entities load, a few kilobytes of blocks inserting blocks that stand for
// billions are refused before they are expanded (kErrTooLarge).
inline constexpr long kMaxEntities = 5'000'000;
inline constexpr long kMaxPoints = 50'000'000;

// Coordinates farther out than this cannot be shown (a double holds no
// millimetre there); an entity that has one, or one that is not a number,
// is left out and counted in Drawing::leftOut.
inline constexpr double kFarthestCoordinate = 1e15;
inline constexpr int kErrReaderNotLoaded = 48;  // the reader's module (reader_module.h)

struct ReadError {
  int number = 0;
  std::string description;
};

// Reads the drawing at path into out. The read runs in a process of its own
// (the drawing reader's program beside the program, read_process.h) with a
// bound on its memory (kReadMemoryBytes: past it the drawing is too large,
// kErrTooLarge) and on its time (kReadSeconds: past it kErrNotReadInTime),
// so that no file, nor a loop of GDAL's on one, can take the program down
// or hold it. On failure out is left as it was and
// the error says why (GDAL's own message where it gave one). An ASCII DXF is
// read in its own encoding (UTF-8 from AutoCAD 2007 on, else the code page
// its header names) and refused when it is cut off or its group codes are
// damaged; an entity GDAL cannot shape in an otherwise sound DXF is left out
// and counted (Drawing::notShaped, by kind). Other formats are refused on any
// error GDAL reports.
std::optional<ReadError> ReadDrawing(const std::string& path, Drawing& out);

// What the user should know of a drawing that loaded without some of its
// content (Drawing::leftOut, notShaped, blocksLeftOut, the kinds left out);
// "" when nothing was left out.
std::string LoadNotice(const Drawing& drawing);
// Starts the drawing reader's process now rather than at the first read
// (it loads GDAL while the program goes on): for a program that is there to
// show drawings, whose answers must not wait for the loading. False when it
// cannot be started; the first read then says why.
bool LoadReader();

// The bounds of one read: memory of the reader's process, and time: a few
// seconds for any file, more for a large one (a second more a quarter
// megabyte, far more than a sound drawing takes).
inline constexpr unsigned long long kReadMemoryBytes = 3ULL << 30;
inline constexpr double kReadBaseSeconds = 4;
inline constexpr double kReadBytesPerSecond = 256 * 1024;
double ReadSeconds(unsigned long long fileBytes);

// The layers of the drawing at path with their states: for DXF the LAYER
// table in table order (the layers the entities use, in first-use order,
// when the table cannot be read); for DWG the drawing's layers; for DGN the
// levels used, ascending, named by number.
std::optional<ReadError> ReadLayers(const std::string& path, std::vector<Layer>& out);

}  // namespace korvalo::viewer
