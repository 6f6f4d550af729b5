#pragma once

// While the project's tooltips are switched off, every control of every
// loaded window loses its tooltip. They are not given back when tooltips are
// switched on again: a window shows its design tooltips only when it is made
// anew.
namespace korvalo::editor {

void ClearToolTips();

}  // namespace korvalo::editor
