#include "editor/command_line.h"

#include "common/utf8.h"

namespace korvalo::editor {

std::optional<std::string> CommandLineProject(std::string_view commandLine) {
  const std::string path = utf8::ReplaceAll(commandLine, "\"", "");
  if (utf8::Length(path) <= 4) return std::nullopt;

  std::size_t begin = 0;
  std::size_t end = path.size();
  while (begin < end && path[begin] == ' ') ++begin;
  while (end > begin && path[end - 1] == ' ') --end;
  const std::string trimmed = path.substr(begin, end - begin);
  if (utf8::Length(trimmed) < 4) return std::nullopt;
  const std::string ending = utf8::Substr(trimmed, utf8::Length(trimmed) - 4);
  if (utf8::AsciiUpper(ending) != ".KVX") return std::nullopt;
  return path;
}

}  // namespace korvalo::editor
