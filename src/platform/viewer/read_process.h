#pragma once

// Drawings are read in a process of their own: the drawing reader's program
// (korvalo_drawing_reader, beside the program) reads through the reader
// module (reader_module.h) under a memory limit and hands each result back
// through shared memory; the program waits for a read no longer than the
// file's time bound and ends the reader past that (the next read starts a
// new one). ReadDrawing and ReadLayers (reader.h) are this: nothing of a
// hostile file's reading, GDAL's own loops included, can reach the program.
// The reader stays for the next read, GDAL loaded and its memory warm, as
// long as it reads. Linux (posix_spawn, memfd, a socket pair).

#include <string>

#include "platform/viewer/drawing_transfer.h"

namespace korvalo::viewer {

// The reader program's name. It reads requests from descriptor 3 (a
// sequenced-packet socket: the mode, a newline and the path), writes each
// result (drawing_transfer.h) into the shared memory of descriptor 4, made
// as large as it needs, and answers with the result's size (8 bytes).
inline constexpr const char* kReaderProgramName = "korvalo_drawing_reader";
inline constexpr const char* kReadDrawingMode = "drawing";
inline constexpr const char* kReadLayersMode = "layers";
inline constexpr int kRequestDescriptor = 3;
inline constexpr int kResultDescriptor = 4;

// The program's path, "" when it cannot be found.
const std::string& ReaderProgram();

// One read by a reader `program` started for it and ended after it, waited
// for `seconds` at most: what ReadDrawing and ReadLayers do with the reader
// they keep and the file's time bound.
ReadResult RunReader(const std::string& program, const char* mode, const std::string& path, double seconds);

}  // namespace korvalo::viewer
