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

  // In pieces, each bounded by the limit: a printer that takes nothing must not hold a script forever, and one
  // that prints slowly must still get a job of any length.
  platform::WriteResult Write(std::span<const uint8_t> bytes) override {
    platform::WriteResult result{platform::WriteResult::Complete, 0};
    while (result.taken < bytes.size()) {
      const auto piece = bytes.subspan(result.taken, std::min(platform::kWritePiece, bytes.size() - result.taken));
      const platform::WriteOutcome outcome = writer_->Write(piece, writeLimit_);
      const size_t taken = std::min<size_t>(outcome.written, piece.size());
      result.taken += taken;
      switch (outcome.state) {
        case platform::WriteOutcome::Written:
          // Ended short with time to spare: the device would take no more.
          if (taken < piece.size()) result.ending = platform::WriteResult::Failed;
          break;
        case platform::WriteOutcome::TimedOut:
          // Part of the piece taken before the time was up is progress: the printer is slow, not stopped.
          if (taken == 0) result.ending = platform::WriteResult::TimedOut;
          break;
        case platform::WriteOutcome::Failed:
          result.ending = platform::WriteResult::Failed;
          break;
      }
      if (result.ending != platform::WriteResult::Complete) return result;
    }
    return result;
  }

  void LimitWrites(std::chrono::milliseconds limit) override { writeLimit_ = limit; }

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
  // The main window's limit, for the commands that set none: their writes are a few short lines.
  std::chrono::milliseconds writeLimit_ = quorvel::kDeviceWriteLimit;
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
