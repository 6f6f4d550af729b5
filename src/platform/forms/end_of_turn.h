#pragma once

// Work that may wait for the end of the present turn of the event loop, done
// once however often it was asked for in that turn: a window that reacts to
// every mouse step (a pan) asks each time and the work runs once, after the
// events waiting now, with the state of the last step.
//
// The task runs as an event handler (an escaping error is reported). Ask
// RunNow where the work must not wait (the window closes, the data the task
// writes is about to change); Cancel drops it. The object cancels on
// destruction. Without an event loop (no Application) the task runs at once.

#include <functional>
#include <memory>

namespace korvalo::forms {

class EndOfTurnTask {
 public:
  explicit EndOfTurnTask(std::function<void()> task);
  ~EndOfTurnTask();
  EndOfTurnTask(const EndOfTurnTask&) = delete;
  EndOfTurnTask& operator=(const EndOfTurnTask&) = delete;

  // Asks for the task at the end of this turn; asking again before it ran
  // changes nothing.
  void Schedule();
  bool Pending() const { return pending_; }
  // Runs the task now when it is pending (and not again at the turn's end).
  void RunNow();
  void Cancel();

 private:
  struct Poster;
  void Run();
  std::function<void()> task_;
  std::unique_ptr<Poster> poster_;
  bool pending_ = false;
};

}  // namespace korvalo::forms
