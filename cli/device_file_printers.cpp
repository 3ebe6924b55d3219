#include "cli/device_file_printers.h"

#include <algorithm>
#include <string>

#include "config_tool/link/device_channel.h"

namespace ctl {
namespace {

using Clock = std::chrono::steady_clock;

// The longest wait of one look at a pending read: short against a printer's answer time, long enough not to spin.
constexpr std::chrono::milliseconds kLookInterval{1};

class DeviceFileConnection : public platform::PrinterConnection {
 public:
  DeviceFileConnection(platform::DeviceFiles& files, std::string path, std::unique_ptr<platform::DeviceFile> writer)
      : files_(files), path_(std::move(path)), writer_(std::move(writer)) {}

  bool Write(std::span<const uint8_t> bytes) override {
    // Bounded as the main window's writes are: a printer that takes no data must not hold a script forever.
    const platform::WriteOutcome outcome = writer_->Write(bytes, quorvel::kDeviceWriteLimit);
    return outcome.state == platform::WriteOutcome::Written && outcome.written == bytes.size();
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
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      platform::ReadProgress progress =
          reader_->CheckRead(std::clamp(left, std::chrono::milliseconds{0}, kLookInterval));
      if (progress.state == platform::ReadState::Complete || progress.state == platform::ReadState::Failed) {
        pending_ = false;
        return {std::move(progress.bytes), progress.state == platform::ReadState::Failed};
      }
      if (Clock::now() >= deadline) return {};
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
