#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "support/pdf_text.h"

// What the end-to-end tests check from outside the program: the project
// file as the sqlite3 tool reads it, and a program binary placed in a
// program folder of its own, run there, and the window image it wrote.
namespace program_checks {

// The rows the sqlite3 tool prints for the query, fields joined by "|".
inline std::vector<std::string> Sql(const std::string& path, const std::string& query, bool write = false) {
  const std::string out = pdf_text::Run(std::string("sqlite3 ") + (write ? "" : "-readonly ") + "-batch " +
                                        pdf_text::Quote(path) + " \"" + query + "\" 2>&1");
  std::vector<std::string> rows;
  std::size_t start = 0;
  while (start < out.size()) {
    const std::size_t end = out.find('\n', start);
    rows.push_back(out.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return rows;
}

// The executable put into `folder` (a hard link, else a copy), so that its
// program folder is that folder. Its path there.
inline std::string PlaceProgram(const std::string& executable, const std::string& folder) {
  const std::filesystem::path program =
      std::filesystem::path(folder) / std::filesystem::path(executable).filename();
  std::error_code ec;
  std::filesystem::create_hard_link(executable, program, ec);
  if (ec) std::filesystem::copy_file(executable, program);
  return program.string();
}

// Runs the program without a screen, asking it to write an image of its
// window and end; its exit status.
inline int RunForWindowImage(const std::string& program, const std::string& image,
                             const std::string& arguments = {}) {
  const std::string command = "QT_QPA_PLATFORM=offscreen KORVALO_WINDOW_IMAGE=" + pdf_text::Quote(image) + " " +
                              pdf_text::Quote(program) + (arguments.empty() ? "" : " " + arguments) +
                              " >/dev/null 2>&1";
  return std::system(command.c_str());
}

// Runs the program without a screen, asking it to end once its start is
// done and its event loop idle (bounded: a program that never gets there is
// stopped); its exit status.
inline int RunToFirstIdle(const std::string& program, const std::string& arguments = {}) {
  const std::string command = "QT_QPA_PLATFORM=offscreen KORVALO_EXIT_AT_IDLE=1 timeout 120 " +
                              pdf_text::Quote(program) + (arguments.empty() ? "" : " " + arguments) +
                              " >/dev/null 2>&1";
  return std::system(command.c_str());
}

struct ImageSize {
  unsigned width = 0, height = 0;
};

// The size a PNG file's header gives; nothing when the file is no PNG.
inline std::optional<ImageSize> PngSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string header(24, '\0');
  in.read(header.data(), 24);
  if (!in || header.substr(1, 3) != "PNG") return std::nullopt;
  const auto big = [&header](int at) {
    return (static_cast<unsigned>(static_cast<unsigned char>(header[at])) << 24) |
           (static_cast<unsigned>(static_cast<unsigned char>(header[at + 1])) << 16) |
           (static_cast<unsigned>(static_cast<unsigned char>(header[at + 2])) << 8) |
           static_cast<unsigned>(static_cast<unsigned char>(header[at + 3]));
  };
  return ImageSize{big(16), big(20)};
}

}  // namespace program_checks
