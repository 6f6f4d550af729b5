#pragma once

#include <string>
#include <string_view>

// Plain report text as a rich-text document: one monospace font at 10 point,
// each line ended by \par, in the Windows-1252 character set.
namespace korvalo::reports {

// The document for UTF-8 text whose lines end in CR LF (a lone LF or CR
// ends a line as well). "\", "{" and "}" are escaped; characters above 127
// are written as \'hh where Windows-1252 has them (the degree sign is
// \'b0) and as \uN? otherwise.
std::string RtfDocument(std::string_view text);

}  // namespace korvalo::reports
