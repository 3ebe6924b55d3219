#pragma once
// The device file of a USB printer interface: one synchronous write channel and one overlapped read channel.
// Closing is destruction; a pending read is cancelled and finished before the handle goes away, so no read
// can complete into released memory.
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

class DeviceFile {
 public:
  virtual ~DeviceFile() = default;

  // One synchronous write of all of `bytes`. Returns the number of bytes the system reports written,
  // or nothing when the write failed.
  virtual std::optional<uint32_t> Write(std::span<const uint8_t> bytes) = 0;

  // Starts one read of `length` bytes (handles opened for overlapped reading only). A read still pending
  // is cancelled first. Returns false when the read could not be started.
  virtual bool StartRead(size_t length) = 0;

  // Looks at the read without waiting.
  virtual ReadProgress CheckRead() = 0;

  // Cancels a pending read and waits until the system has let go of its buffer.
  virtual void CancelRead() = 0;
};

enum class OpenMode { Synchronous, Overlapped };

class DeviceFiles {
 public:
  virtual ~DeviceFiles() = default;
  // Opens `path` for reading and writing, shared for reading and writing; nullptr when it cannot be opened.
  virtual std::unique_ptr<DeviceFile> Open(std::string_view path, OpenMode mode) = 0;
};

}  // namespace platform
