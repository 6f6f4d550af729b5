#pragma once

#include <cstddef>

#include "platform/forms/forms.h"

// The recent-project entries of a File menu, which the linked editor and the
// standalone frame both carry: one entry per stored project, newest first,
// made as needed and never removed, with RecentProjects kept in step.
namespace korvalo::editor {

struct RecentMenuFill {
  bool read = false;               // the system database's list could be opened
  bool complete = false;           // and every row of it was read
  std::size_t rows = 0;            // projects shown
  std::size_t entriesBefore = 0;   // entries the menu had before
};

// Shows the stored projects in `entries`; `enable` enables each entry
// shown. A list that cannot be read shows nothing.
RecentMenuFill FillRecentEntries(forms::ControlArray<forms::Menu>& entries, bool enable);

}  // namespace korvalo::editor
