#pragma once
// Printer devices in memory: each path is a scripted printer that records what it is sent and answers through
// `respond`. Safe to use from several threads, one connection per thread.
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "platform/interfaces/printer_device.h"

namespace fakes {

struct FakePrinter {
  std::optional<platform::OpenFailure> openFailure;  // when set, every open fails so
  // Called with each write's bytes; what it returns the printer sends back.
  std::function<std::vector<uint8_t>(std::span<const uint8_t>)> respond;
  bool failWrites = false;
  bool unplugged = false;  // every write and read fails, as on a device that is gone
  std::optional<platform::UsbIds> usbIds;

  std::vector<std::vector<uint8_t>> writes;  // one entry per Write call
  std::vector<std::chrono::milliseconds> writeLimits;  // each LimitWrites call's limit
  std::deque<uint8_t> unread;                // sent by the printer, not read yet
  int opens = 0;
  int openConnections = 0;
  int discards = 0;

  // Everything written, joined.
  std::vector<uint8_t> Received() const;
};

class FakePrinterDevices : public platform::PrinterDevices {
 public:
  // Adds the printer at `path` (or returns the one there).
  FakePrinter& At(const std::string& path);
  std::unique_ptr<platform::PrinterConnection> Open(std::string_view path, platform::OpenFailure& failure) override;

  std::mutex& Lock() { return mutex_; }

 private:
  std::mutex mutex_;
  std::map<std::string, FakePrinter> printers_;
};

}  // namespace fakes
