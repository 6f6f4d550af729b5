#include "editor/project_events.h"

#include <gtest/gtest.h>

#include <string>

namespace korvalo::editor {
namespace {

TEST(ProjectEventsTest, HandlersRunForTheirEventInOrderUntilRemoved) {
  std::string seen;
  const int a = AddProjectEventHandler(ProjectEvent::Closing, [&] { seen += "a"; });
  const int b = AddProjectEventHandler(ProjectEvent::Opened, [&] { seen += "b"; });
  const int c = AddProjectEventHandler(ProjectEvent::Closing, [&] { seen += "c"; });

  RaiseProjectEvent(ProjectEvent::Closing);
  RaiseProjectEvent(ProjectEvent::Opened);
  EXPECT_EQ(seen, "acb");

  RemoveProjectEventHandler(a);
  RemoveProjectEventHandler(b);
  RaiseProjectEvent(ProjectEvent::Closing);
  RaiseProjectEvent(ProjectEvent::Opened);
  EXPECT_EQ(seen, "acbc");
  RemoveProjectEventHandler(c);
}

TEST(ProjectEventsTest, AHandlerMayRemoveItselfWhileTheEventRuns) {
  int runs = 0;
  int id = 0;
  id = AddProjectEventHandler(ProjectEvent::Opened, [&] {
    ++runs;
    RemoveProjectEventHandler(id);
  });
  RaiseProjectEvent(ProjectEvent::Opened);
  RaiseProjectEvent(ProjectEvent::Opened);
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace korvalo::editor
