#pragma once
// Background work a test steps through: by default a task runs to its end as soon as it starts, as against a
// printer that answers at once; with `hold`, it waits until the test finishes it, as against a printer that holds
// the host off, while the test goes on clicking.
#include <optional>

#include "platform/interfaces/background_work.h"

namespace fakes {

class FakeBackgroundWork : public platform::BackgroundWork {
 public:
  bool hold = false;
  int started = 0;

  bool Start(platform::BackgroundTask task) override {
    if (task_) return false;
    ++started;
    task_ = std::move(task);
    if (!hold) Finish();
    return true;
  }
  bool Running() const override { return task_.has_value(); }

  // The printer has answered: the work runs, then its result comes back to the window.
  void Finish() {
    if (!task_) return;
    platform::BackgroundTask task = std::move(*task_);
    task.work();
    task_.reset();
    if (task.done) task.done();
  }
  // The task has run past its notice time.
  void PassNoticeTime() {
    if (task_ && task_->stillRunning) task_->stillRunning();
  }

 private:
  std::optional<platform::BackgroundTask> task_;
};

}  // namespace fakes
