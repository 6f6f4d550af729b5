#pragma once

#include <functional>

// Windows that show something of the current project (the report window, the
// project options dialog) follow the project roads through these two events,
// so the roads need not know which windows are open:
// - ProjectClosing: another project is about to become current (open, recent
//   project, command line, new project), before anything of it is read;
//   a window holding a connection to the old project lets it go here.
// - ProjectOpened: another project has become current and its settings are
//   loaded; a window showing project values reloads them here.
// Handlers run in the order they were added. Remove a handler before its
// owner goes away.
namespace korvalo::editor {

using ProjectEventHandler = std::function<void()>;

enum class ProjectEvent { Closing, Opened };

// Adds a handler; the number returned removes it again.
int AddProjectEventHandler(ProjectEvent event, ProjectEventHandler handler);
void RemoveProjectEventHandler(int id);

// Raised by the project roads.
void RaiseProjectEvent(ProjectEvent event);

}  // namespace korvalo::editor
