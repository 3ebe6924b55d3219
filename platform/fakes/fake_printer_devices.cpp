#include "platform/fakes/fake_printer_devices.h"

#include <algorithm>
#include <thread>

namespace fakes {
namespace {

class FakeConnection : public platform::PrinterConnection {
 public:
  FakeConnection(FakePrinter& printer, std::mutex& mutex) : printer_(printer), mutex_(mutex) {
    std::lock_guard lock(mutex_);
    ++printer_.opens;
    ++printer_.openConnections;
  }
  ~FakeConnection() override {
    std::lock_guard lock(mutex_);
    --printer_.openConnections;
  }
  FakeConnection(const FakeConnection&) = delete;
  FakeConnection& operator=(const FakeConnection&) = delete;

  platform::WriteResult Write(std::span<const uint8_t> bytes) override {
    std::lock_guard lock(mutex_);
    if (printer_.unplugged) return {platform::WriteResult::Failed, 0};
    printer_.writes.emplace_back(bytes.begin(), bytes.end());
    if (printer_.failWrites) return {platform::WriteResult::Failed, 0};
    if (printer_.respond) {
      std::vector<uint8_t> answer = printer_.respond(bytes);
      printer_.unread.insert(printer_.unread.end(), answer.begin(), answer.end());
    }
    return {platform::WriteResult::Complete, bytes.size()};
  }

  // Like a device that has nothing to send: the whole timeout passes.
  platform::ReadResult Read(size_t maxBytes, std::chrono::milliseconds timeout) override {
    {
      std::lock_guard lock(mutex_);
      if (printer_.unplugged) return platform::ReadResult{{}, true};
      if (!printer_.unread.empty()) {
        const size_t count = std::min(maxBytes, printer_.unread.size());
        platform::ReadResult result;
        result.bytes.assign(printer_.unread.begin(), printer_.unread.begin() + static_cast<long>(count));
        printer_.unread.erase(printer_.unread.begin(), printer_.unread.begin() + static_cast<long>(count));
        return result;
      }
    }
    std::this_thread::sleep_for(timeout);
    return {};
  }

  void DiscardPending() override {
    std::lock_guard lock(mutex_);
    ++printer_.discards;
    printer_.unread.clear();
  }

  std::optional<platform::UsbIds> DriverUsbIds() override { return printer_.usbIds; }

  void LimitWrites(std::chrono::milliseconds limit) override {
    std::lock_guard lock(mutex_);
    printer_.writeLimits.push_back(limit);
  }

  bool Unplugged() override {
    std::lock_guard lock(mutex_);
    return printer_.unplugged;
  }

 private:
  FakePrinter& printer_;
  std::mutex& mutex_;
};

}  // namespace

std::vector<uint8_t> FakePrinter::Received() const {
  std::vector<uint8_t> all;
  for (const std::vector<uint8_t>& write : writes) all.insert(all.end(), write.begin(), write.end());
  return all;
}

FakePrinter& FakePrinterDevices::At(const std::string& path) {
  std::lock_guard lock(mutex_);
  return printers_[path];
}

std::unique_ptr<platform::PrinterConnection> FakePrinterDevices::Open(std::string_view path,
                                                                      platform::OpenFailure& failure) {
  FakePrinter* printer = nullptr;
  {
    std::lock_guard lock(mutex_);
    auto it = printers_.find(std::string(path));
    if (it == printers_.end()) {
      failure = platform::OpenFailure{platform::OpenFailure::NotFound, "No such file or directory"};
      return nullptr;
    }
    if (it->second.openFailure) {
      failure = *it->second.openFailure;
      return nullptr;
    }
    printer = &it->second;
  }
  return std::make_unique<FakeConnection>(*printer, mutex_);
}

}  // namespace fakes
