#include "editor/recent_menu.h"

#include <string>
#include <vector>

#include "platform/dao/dao.h"
#include "storage/program_state.h"
#include "storage/recent_projects.h"

namespace korvalo::editor {

RecentMenuFill FillRecentEntries(forms::ControlArray<forms::Menu>& entries, bool enable) {
  RecentMenuFill fill;
  fill.entriesBefore = static_cast<std::size_t>(entries.UBound() + 1);
  std::vector<RecentProject> rows;
  try {
    rows = ReadRecentProjects(&fill.complete);
    fill.read = true;
  } catch (const dao::DaoError&) {
    fill.complete = false;
    return fill;
  }
  ProgramState& program = Program();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int k = static_cast<int>(i);
    forms::Menu& entry = entries.Exists(k) ? entries(k) : entries.Load(k);
    entry.SetVisible(true);
    entry.SetCaption(rows[i].Caption());
    if (enable) entry.SetEnabled(true);
    program.RecentProjects[i] = rows[i].Path();
  }
  fill.rows = rows.size();
  return fill;
}

}  // namespace korvalo::editor
