#include "config_tool/link/device_channel.h"

#include <algorithm>

namespace quorvel {
namespace {

// Marks the channel busy for one operation.
class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

}  // namespace

WriteResult DeviceChannel::WriteOnce(std::string_view path, std::span<const uint8_t> bytes) {
  if (busy_) return WriteResult::Busy;
  BusyScope scope(busy_);
  std::unique_ptr<platform::DeviceFile> file = devices_.Open(path, platform::OpenMode::Synchronous);
  if (!file) return WriteResult::OpenFailed;
  const platform::WriteOutcome outcome = file->Write(bytes, kDeviceWriteLimit);
  switch (outcome.state) {
    case platform::WriteOutcome::Failed:
      return WriteResult::WriteFailed;
    case platform::WriteOutcome::TimedOut:
      return WriteResult::TimedOut;
    case platform::WriteOutcome::Written:
      break;
  }
  return outcome.written < bytes.size() ? WriteResult::ShortWrite : WriteResult::Written;
}

bool DeviceChannel::OpenReply(std::string_view path) {
  CloseReply();
  reply_ = devices_.Open(path, platform::OpenMode::Overlapped);
  if (!reply_) return false;
  reply_->StartRead(kFrameSize);
  return true;
}

std::optional<std::array<uint8_t, kFrameSize>> DeviceChannel::CollectFrame(int checks) {
  if (!reply_ || busy_) return std::nullopt;
  BusyScope scope(busy_);
  // Held here, so that nothing reached while a look waits can close it under the loop.
  std::unique_ptr<platform::DeviceFile> reply = std::move(reply_);
  std::optional<std::array<uint8_t, kFrameSize>> frame;
  // Bytes of every read that ended, in order: the frame may follow stray bytes or come in pieces.
  std::vector<uint8_t> collected;
  const Clock::time_point waitsEnd = now_() + kReplyWaitBudget;
  for (int check = 0; check < checks; ++check) {
    const std::chrono::milliseconds wait = now_() < waitsEnd ? kReplyCheckWait : std::chrono::milliseconds{0};
    platform::ReadProgress progress = reply->CheckRead(wait);
    if (progress.state == platform::ReadState::Pending) continue;
    if (progress.state == platform::ReadState::Complete) {
      collected.insert(collected.end(), progress.bytes.begin(), progress.bytes.end());
      if (std::optional<size_t> at = FindFrame(collected)) {
        frame.emplace();
        std::copy_n(collected.begin() + static_cast<long>(*at), kFrameSize, frame->begin());
        break;
      }
    }
    // The read ended without completing a frame: a late answer, a status byte or the first piece came, or the
    // transfer failed. The frame may still follow, so read again, unless no look is left to see it.
    if (check + 1 < checks) reply->StartRead(kFrameSize);
  }
  return frame;
}

std::string_view PrinterTookNoDataText(bool chinese) {
  return chinese ? "打印机没有接收数据：可能缺纸、开盖、正忙或没有开机。\r\n"
                 : "The printer took no data: it may be out of paper, have its cover open, be busy or be switched "
                   "off.\r\n";
}

std::string_view SettingsNotTakenText(bool chinese) {
  return chinese ? "设置没有写入：打印机没有接收数据，可能缺纸、开盖、正忙或没有开机。\r\n"
                 : "The settings were not written: the printer took no data. It may be out of paper, have its cover "
                   "open, be busy or be switched off.\r\n";
}

}  // namespace quorvel
