#include "cli/device_file_printers.h"

#include <string>
#include <thread>

namespace ctl {
namespace {

using Clock = std::chrono::steady_clock;

// How often a pending read is looked at: short against a printer's answer time, long enough not to spin.
constexpr std::chrono::milliseconds kLookInterval{1};

class DeviceFileConnection : public platform::PrinterConnection {
 public:
  DeviceFileConnection(platform::DeviceFiles& files, std::string path, std::unique_ptr<platform::DeviceFile> writer)
      : files_(files), path_(std::move(path)), writer_(std::move(writer)) {}

  bool Write(std::span<const uint8_t> bytes) override {
    std::optional<uint32_t> written = writer_->Write(bytes);
    return written && *written == bytes.size();
  }

  // A read that is still pending when the time is up stays posted: its bytes are the next call's.
  platform::ReadResult Read(size_t maxBytes, std::chrono::milliseconds timeout) override {
    if (!reader_) reader_ = files_.Open(path_, platform::OpenMode::Overlapped);
    if (!reader_) return {{}, true};
    if (!pending_) {
      if (!reader_->StartRead(maxBytes)) return {{}, true};
      pending_ = true;
    }
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
      platform::ReadProgress progress = reader_->CheckRead();
      if (progress.state == platform::ReadState::Complete || progress.state == platform::ReadState::Failed) {
        pending_ = false;
        return {std::move(progress.bytes), progress.state == platform::ReadState::Failed};
      }
      if (Clock::now() >= deadline) return {};
      std::this_thread::sleep_for(kLookInterval);
    }
  }

  // A read posted now could take the very answer that is wanted next; the main window does not look either.
  void DiscardPending() override {}

  std::optional<platform::UsbIds> DriverUsbIds() override { return std::nullopt; }

 private:
  platform::DeviceFiles& files_;
  std::string path_;
  std::unique_ptr<platform::DeviceFile> writer_;
  std::unique_ptr<platform::DeviceFile> reader_;
  bool pending_ = false;
};

}  // namespace

std::unique_ptr<platform::PrinterConnection> DeviceFilePrinters::Open(std::string_view path,
                                                                      platform::OpenFailure& failure) {
  std::unique_ptr<platform::DeviceFile> writer = files_.Open(path, platform::OpenMode::Synchronous);
  if (!writer) {
    failure = lastOpenFailure_();
    return nullptr;
  }
  return std::make_unique<DeviceFileConnection>(files_, std::string(path), std::move(writer));
}

}  // namespace ctl
