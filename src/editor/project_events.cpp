#include "editor/project_events.h"

#include <utility>
#include <vector>

namespace korvalo::editor {

namespace {

struct Entry {
  int id;
  ProjectEvent event;
  ProjectEventHandler handler;
};

std::vector<Entry>& Handlers() {
  static std::vector<Entry> handlers;
  return handlers;
}

}  // namespace

int AddProjectEventHandler(ProjectEvent event, ProjectEventHandler handler) {
  static int next = 0;
  Handlers().push_back({++next, event, std::move(handler)});
  return next;
}

void RemoveProjectEventHandler(int id) {
  auto& handlers = Handlers();
  std::erase_if(handlers, [id](const Entry& e) { return e.id == id; });
}

void RaiseProjectEvent(ProjectEvent event) {
  // A handler may add or remove handlers: run over a copy.
  const std::vector<Entry> handlers = Handlers();
  for (const Entry& e : handlers) {
    if (e.event == event) e.handler();
  }
}

}  // namespace korvalo::editor
