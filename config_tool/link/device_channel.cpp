#include "config_tool/link/device_channel.h"

#include <algorithm>

namespace quorvel {
namespace {

WriteResult ResultOf(const platform::WriteOutcome& outcome, size_t length) {
  switch (outcome.state) {
    case platform::WriteOutcome::Failed:
      return WriteResult::WriteFailed;
    case platform::WriteOutcome::TimedOut:
      return WriteResult::TimedOut;
    case platform::WriteOutcome::Written:
      break;
  }
  return outcome.written < length ? WriteResult::ShortWrite : WriteResult::Written;
}

}  // namespace

DeviceChannel::~DeviceChannel() {
  if (inUse_) inUse_->Abort();
}

bool DeviceChannel::StartWrite(std::string_view path, std::vector<uint8_t> bytes,
                               std::function<void(WriteResult)> done, std::function<void()> waiting) {
  if (Busy()) return false;
  // Opened here, where the window can reach it to make the write give up; an open does not wait on the printer.
  std::shared_ptr<platform::DeviceFile> file = devices_.Open(path, platform::OpenMode::Synchronous);
  if (!file) {
    done(WriteResult::OpenFailed);
    return true;
  }
  inUse_ = file;
  auto result = std::make_shared<WriteResult>(WriteResult::WriteFailed);
  platform::BackgroundTask task;
  task.work = [file, bytes = std::move(bytes), result]() mutable {
    *result = ResultOf(file->Write(bytes, kDeviceWriteLimit), bytes.size());
    file.reset();  // the write handle never outlives its operation
  };
  task.done = [this, result, done] {
    inUse_.reset();
    done(*result);
  };
  task.stillRunning = std::move(waiting);
  task.stillRunningAfter = kWaitNoticeAfter;
  if (!background_.Start(std::move(task))) {
    inUse_.reset();
    done(WriteResult::WriteFailed);
  }
  return true;
}

bool DeviceChannel::OpenReply(std::string_view path) {
  CloseReply();
  reply_ = devices_.Open(path, platform::OpenMode::Overlapped);
  if (!reply_) return false;
  reply_->StartRead(kFrameSize);
  return true;
}

bool DeviceChannel::StartCollect(int checks, std::function<void(std::optional<FrameBytes>)> done) {
  if (!reply_ || Busy()) return false;
  std::shared_ptr<platform::DeviceFile> reply = std::move(reply_);
  inUse_ = reply;
  auto frame = std::make_shared<std::optional<FrameBytes>>();
  platform::BackgroundTask task;
  task.work = [reply, checks, frame, now = now_]() mutable {
    *frame = CollectFrame(*reply, checks, now);
    reply.reset();
  };
  task.done = [this, frame, done] {
    inUse_.reset();  // closes the reply handle
    done(*frame);
  };
  if (!background_.Start(std::move(task))) {
    inUse_.reset();
    done(std::nullopt);
  }
  return true;
}

std::optional<FrameBytes> DeviceChannel::CollectFrame(platform::DeviceFile& reply, int checks,
                                                      const std::function<Clock::time_point()>& now) {
  std::optional<FrameBytes> frame;
  // Bytes of every read that ended, in order: the frame may follow stray bytes or come in pieces.
  std::vector<uint8_t> collected;
  const Clock::time_point waitsEnd = now() + kReplyWaitBudget;
  for (int check = 0; check < checks; ++check) {
    const std::chrono::milliseconds wait = now() < waitsEnd ? kReplyCheckWait : std::chrono::milliseconds{0};
    platform::ReadProgress progress = reply.CheckRead(wait);
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
    if (check + 1 < checks) reply.StartRead(kFrameSize);
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

std::string_view WaitingForPrinterText(bool chinese) {
  return chinese ? "正在等待打印机接收数据……\r\n" : "Waiting for the printer to take the data...\r\n";
}

}  // namespace quorvel
