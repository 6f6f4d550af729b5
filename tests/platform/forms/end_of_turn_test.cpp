// Work asked for many times in one turn of the event loop runs once, at the
// turn's end, or at once when asked to; never after its owner is gone.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/forms/testing.h"

namespace korvalo::forms {
namespace {

TEST(EndOfTurnTask, RunsOnceAtTheEndOfTheTurnWithTheLastState) {
  std::vector<int> runs;
  int value = 0;
  EndOfTurnTask task([&] { runs.push_back(value); });
  for (value = 1; value <= 3; ++value) task.Schedule();
  value = 3;
  EXPECT_TRUE(task.Pending());
  EXPECT_TRUE(runs.empty());
  DoEvents();
  EXPECT_EQ(runs, std::vector<int>{3});
  EXPECT_FALSE(task.Pending());
  // The next turn asks again.
  value = 7;
  task.Schedule();
  DoEvents();
  EXPECT_EQ(runs, (std::vector<int>{3, 7}));
}

TEST(EndOfTurnTask, RunNowCancelAndTheOwnerGoing) {
  int runs = 0;
  EndOfTurnTask task([&] { ++runs; });
  // RunNow with nothing waiting does nothing; with work waiting it runs it,
  // and the turn's end does not run it again.
  task.RunNow();
  EXPECT_EQ(runs, 0);
  task.Schedule();
  task.RunNow();
  EXPECT_EQ(runs, 1);
  DoEvents();
  EXPECT_EQ(runs, 1);
  // Cancelled: nothing at the turn's end.
  task.Schedule();
  task.Cancel();
  DoEvents();
  EXPECT_EQ(runs, 1);
  // Gone before the turn ends: nothing runs (and nothing touches it).
  auto gone = std::make_unique<EndOfTurnTask>([&] { ++runs; });
  gone->Schedule();
  gone.reset();
  DoEvents();
  EXPECT_EQ(runs, 1);
}

TEST(EndOfTurnTask, AnErrorOfTheWorkIsReportedAndTheLoopGoesOn) {
  testing::PromptScript script;
  script.ExpectUnknownError(3022);
  EndOfTurnTask task([] { throw RuntimeError(3022, "duplicate"); });
  task.Schedule();
  DoEvents();
  int runs = 0;
  EndOfTurnTask next([&] { ++runs; });
  next.Schedule();
  DoEvents();
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace korvalo::forms
