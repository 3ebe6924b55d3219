#pragma once
// Device files backed by scripted endpoints: records every open and write, hands out scripted replies.
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "platform/interfaces/device_file.h"

namespace fakes {

// One completion of a read as a USB transfer ends it: fewer bytes than asked complete the read short, no bytes
// complete it empty, `error` fails it.
struct FakeTransfer {
  std::vector<uint8_t> bytes;
  bool error = false;
  int afterChecks = 0;  // looks at the read that still find it pending before this transfer arrives
  // Or: the looks must first have waited this long in all, as a transfer that comes late in time does.
  std::chrono::milliseconds afterWaiting{0};
};

// One device path as the fake printer behind it.
struct FakeEndpoint {
  bool openable = true;
  std::optional<int> opensLeft;              // when set, how many more opens succeed before the device is gone
  std::vector<std::vector<uint8_t>> writes;  // one entry per Write call
  // Bytes on a serial line with zero timeouts: a read takes them only once all it asked for are there.
  std::vector<uint8_t> reply;
  std::deque<FakeTransfer> transfers;        // each ends one read, in order, before `reply` is looked at
  int opens = 0;
  int openHandles = 0;  // handles currently open
  int readsStarted = 0;
  int cancels = 0;
  int checks = 0;                            // CheckRead calls on a started read
  std::optional<uint32_t> writeResult;       // when set, the byte count every Write reports
  bool failWrites = false;
  bool stalled = false;                      // takes no data: every write runs out its time limit
  // When set, a slow printer: each write runs out its time limit after the printer took at most this many bytes.
  std::optional<uint32_t> takenBeforeTimeout;
  std::vector<std::chrono::milliseconds> writeLimits;  // the limit of each Write call
  std::vector<std::chrono::milliseconds> checkWaits;   // the wait of each CheckRead call on a started read
  std::chrono::milliseconds waited{0};                 // the waits of all CheckRead calls added up
  int aborts = 0;                                      // Abort calls on its handles
  // Runs inside each Write, as messages answered while a real write waits would run.
  std::function<void()> duringWrite;
};

class FakeDeviceFiles : public platform::DeviceFiles {
 public:
  FakeEndpoint& Endpoint(const std::string& path) { return endpoints_[path]; }
  std::unique_ptr<platform::DeviceFile> Open(std::string_view path, platform::OpenMode mode) override;
  std::vector<std::pair<std::string, platform::OpenMode>> openLog;

 private:
  std::map<std::string, FakeEndpoint> endpoints_;
};

}  // namespace fakes
