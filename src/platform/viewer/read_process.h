#pragma once

// Drawings are read in a process of their own: the drawing reader's program
// (korvalo_drawing_reader, beside the program) reads one file through the
// reader module (reader_module.h) under a memory limit and hands the result
// back through shared memory; the program waits for it no longer than the
// file's time bound and ends it past that. ReadDrawing and ReadLayers
// (reader.h) are this; nothing of a hostile file's reading, GDAL's own
// loops included, can reach the program. Linux (posix_spawn, memfd).

#include <string>

#include "platform/viewer/drawing_transfer.h"

namespace korvalo::viewer {

// The reader program's name and what it is asked: argv[1] one of these, argv[2]
// the path; the result (drawing_transfer.h) is written to descriptor 3.
inline constexpr const char* kReaderProgramName = "korvalo_drawing_reader";
inline constexpr const char* kReadDrawingMode = "drawing";
inline constexpr const char* kReadLayersMode = "layers";
inline constexpr int kResultDescriptor = 3;

// The program's path, "" when it cannot be found.
const std::string& ReaderProgram();

// One read by `program`, waited for `seconds` at most: what ReadDrawing and
// ReadLayers do with ReaderProgram() and ReadSeconds of the file's size.
ReadResult RunReader(const std::string& program, const char* mode, const std::string& path, double seconds);

}  // namespace korvalo::viewer
