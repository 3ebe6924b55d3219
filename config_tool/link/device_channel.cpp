#include "config_tool/link/device_channel.h"

#include <algorithm>

namespace quorvel {

WriteResult DeviceChannel::WriteOnce(std::string_view path, std::span<const uint8_t> bytes) {
  std::unique_ptr<platform::DeviceFile> file = devices_.Open(path, platform::OpenMode::Synchronous);
  if (!file) return WriteResult::OpenFailed;
  std::optional<uint32_t> written = file->Write(bytes);
  if (!written) return WriteResult::WriteFailed;
  return *written < bytes.size() ? WriteResult::ShortWrite : WriteResult::Written;
}

bool DeviceChannel::OpenReply(std::string_view path) {
  CloseReply();
  reply_ = devices_.Open(path, platform::OpenMode::Overlapped);
  if (!reply_) return false;
  reply_->StartRead(kFrameSize);
  return true;
}

std::optional<std::array<uint8_t, kFrameSize>> DeviceChannel::CollectFrame(int checks) {
  if (!reply_) return std::nullopt;
  std::optional<std::array<uint8_t, kFrameSize>> frame;
  for (int check = 0; check < checks; ++check) {
    platform::ReadProgress progress = reply_->CheckRead();
    if (progress.state == platform::ReadState::Pending) continue;
    if (progress.state == platform::ReadState::Complete && IsCompleteFrame(progress.bytes)) {
      frame.emplace();
      std::copy_n(progress.bytes.begin(), kFrameSize, frame->begin());
      break;
    }
    // The read ended without the frame: a late answer or a status byte came first, or the transfer failed.
    // The frame may still follow, so read again, unless no look is left to see it.
    if (check + 1 < checks) reply_->StartRead(kFrameSize);
  }
  CloseReply();
  return frame;
}

}  // namespace quorvel
