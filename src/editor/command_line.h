#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvalo::editor {

// The project file named on the program's command line: the command line
// with every double quote removed, when it is longer than 4 characters and,
// trimmed of blanks at both ends, ends in ".kvx" in any letter case. The path
// is returned untrimmed, as the project-open road expects it.
std::optional<std::string> CommandLineProject(std::string_view commandLine);

}  // namespace korvalo::editor
