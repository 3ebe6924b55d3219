#pragma once
// Device files backed by scripted endpoints: records every open and write, hands out scripted replies.
#include <map>
#include <string>

#include "platform/interfaces/device_file.h"

namespace fakes {

// One device path as the fake printer behind it.
struct FakeEndpoint {
  bool openable = true;
  std::vector<std::vector<uint8_t>> writes;  // one entry per Write call
  std::vector<uint8_t> reply;                // bytes the device sends back for reads
  int opens = 0;
  int openHandles = 0;  // handles currently open
  int readsStarted = 0;
  int cancels = 0;
  int checks = 0;                            // CheckRead calls on a started read
  std::optional<uint32_t> writeResult;       // when set, what every Write reports (nullopt in it: a failure)
  bool failWrites = false;
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
