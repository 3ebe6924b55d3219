#pragma once
// Work that may wait on a device runs off the window's thread, so that the window goes on taking input, timer
// ticks and paint while a printer holds the host off. What the work found comes back on the window's thread as
// an event, the way a timer tick does: `done` never runs while another handler runs.
#include <chrono>
#include <functional>

namespace platform {

struct BackgroundTask {
  // Runs on a thread of its own. It may touch only what it was given; the window's state is `done`'s.
  std::function<void()> work;
  // Runs on the window's thread once `work` has returned.
  std::function<void()> done;
  // Runs on the window's thread once, when `work` is still running `stillRunningAfter` after it started.
  std::function<void()> stillRunning;
  std::chrono::milliseconds stillRunningAfter{0};
};

class BackgroundWork {
 public:
  // Waits for the work that runs: whoever owns what the work waits on makes it end first (DeviceFile::Abort).
  // A `done` not yet delivered is dropped.
  virtual ~BackgroundWork() = default;
  // One task at a time: false, and nothing started, while one runs.
  virtual bool Start(BackgroundTask task) = 0;
  virtual bool Running() const = 0;
};

}  // namespace platform
