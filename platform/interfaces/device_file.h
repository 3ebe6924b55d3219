#pragma once
// The device file of a USB printer interface: a write channel and an overlapped read channel.
// Every write is bounded in time: a printer that takes no data (out of paper, cover open, busy) holds the host
// off without end. Closing is destruction; a pending read is cancelled and finished before the handle goes away,
// so no read can complete into released memory.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace platform {

enum class ReadState {
  Idle,      // no read started
  Pending,   // started, not complete yet
  Complete,  // the read ended: all requested bytes, or fewer (even none) when the device's transfer was shorter
  Failed,    // the read ended with an error (cancelled, device gone)
};

struct ReadProgress {
  ReadState state = ReadState::Idle;
  std::vector<uint8_t> bytes;  // what has arrived so far
};

struct WriteOutcome {
  enum State {
    Written,   // the write ended; `written` bytes went out
    Failed,    // the system refused the write
    TimedOut,  // the device took nothing within the limit; the write was cancelled and has let go of the bytes
  } state = Failed;
  uint32_t written = 0;
};

class DeviceFile {
 public:
  virtual ~DeviceFile() = default;

  // One write of all of `bytes`, given up after `limit`. Returns only once the system no longer uses `bytes`.
  // It blocks its thread: a window's thread hands it to platform::BackgroundWork.
  virtual WriteOutcome Write(std::span<const uint8_t> bytes, std::chrono::milliseconds limit) = 0;

  // Starts one read of `length` bytes (handles opened for overlapped reading only). A read still pending
  // is cancelled first. Returns false when the read could not be started.
  virtual bool StartRead(size_t length) = 0;

  // Looks at the read, waiting up to `wait` for a pending one to end.
  virtual ReadProgress CheckRead(std::chrono::milliseconds wait = std::chrono::milliseconds{0}) = 0;

  // Cancels a pending read and waits until the system has let go of its buffer.
  virtual void CancelRead() = 0;

  // Makes a Write or CheckRead that waits on another thread give up at once, and every later one fail: the window
  // that owns the file is closing. The one call that may come from another thread than the one using the file.
  virtual void Abort() = 0;
};

// Synchronous: a handle that only writes, each write ending before the call returns. Overlapped: a handle that
// reads too, with reads that stay pending while the caller goes on.
enum class OpenMode { Synchronous, Overlapped };

class DeviceFiles {
 public:
  virtual ~DeviceFiles() = default;
  // Opens `path` for reading and writing, shared for reading and writing; nullptr when it cannot be opened.
  virtual std::unique_ptr<DeviceFile> Open(std::string_view path, OpenMode mode) = 0;
};

}  // namespace platform
