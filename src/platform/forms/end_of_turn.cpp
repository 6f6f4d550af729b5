#include "platform/forms/end_of_turn.h"

#include <QCoreApplication>
#include <QObject>

#include "platform/forms/internal.h"

namespace korvalo::forms {

// Carries the posted call: deleting it drops a call not yet made.
struct EndOfTurnTask::Poster {
  QObject context;
};

EndOfTurnTask::EndOfTurnTask(std::function<void()> task) : task_(std::move(task)) {}

EndOfTurnTask::~EndOfTurnTask() = default;

void EndOfTurnTask::Schedule() {
  if (pending_) return;
  if (!QCoreApplication::instance()) {
    detail::RunHandler(task_);
    return;
  }
  pending_ = true;
  if (!poster_) poster_ = std::make_unique<Poster>();
  // A queued call runs when the loop next handles posted events: after the
  // events of this turn.
  QMetaObject::invokeMethod(&poster_->context, [this] { Run(); }, Qt::QueuedConnection);
}

void EndOfTurnTask::Run() {
  if (!pending_) return;
  pending_ = false;
  detail::QtBoundary boundary;
  detail::RunHandler(task_);
}

void EndOfTurnTask::RunNow() {
  if (!pending_) return;
  pending_ = false;
  // The call already posted finds nothing pending and does nothing.
  detail::RunHandler(task_);
}

void EndOfTurnTask::Cancel() { pending_ = false; }

}  // namespace korvalo::forms
