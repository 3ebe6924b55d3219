#pragma once
// The two ways the main window reaches a printer's device file: one bounded write on a handle of its own,
// and the overlapped reply handle that collects the 64-byte parameter frame. Whatever may wait on the printer
// runs as background work; its result comes back to the caller as an event on the window's thread.
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config_tool/params/parameter_frame.h"
#include "platform/interfaces/background_work.h"
#include "platform/interfaces/device_file.h"

namespace quorvel {

// How long a write to a printer may take before it is given up. A printer that is out of paper, has its cover
// open or is busy holds the host off without end; a healthy one takes a command in milliseconds.
inline constexpr std::chrono::milliseconds kDeviceWriteLimit{5000};

// A write still waiting this long is shown as waiting for the printer: a healthy printer has long taken it.
inline constexpr std::chrono::milliseconds kWaitNoticeAfter{500};

// Each look at the reply read may wait this long for it to end, so that a read posted again has a real chance to
// complete between looks; once the looks of one collection have spent kReplyWaitBudget, the rest do not wait.
inline constexpr std::chrono::milliseconds kReplyCheckWait{1};
inline constexpr std::chrono::milliseconds kReplyWaitBudget{1000};

enum class WriteResult {
  OpenFailed,
  WriteFailed,
  ShortWrite,
  TimedOut,  // the printer took no data within kDeviceWriteLimit
  Written,
};

using FrameBytes = std::array<uint8_t, kFrameSize>;

class DeviceChannel {
 public:
  using Clock = std::chrono::steady_clock;

  DeviceChannel(platform::DeviceFiles& devices, platform::BackgroundWork& background,
                std::function<Clock::time_point()> now = &Clock::now)
      : devices_(devices), background_(background), now_(std::move(now)) {}
  // Makes work still waiting on the printer give up, so that the window can close at once.
  ~DeviceChannel();
  DeviceChannel(const DeviceChannel&) = delete;
  DeviceChannel& operator=(const DeviceChannel&) = delete;

  // Opens the path, writes all bytes in one bounded write and closes it again, off the window's thread; then
  // `done`. `waiting` runs if the write still waits after kWaitNoticeAfter. False, and nothing started, while
  // another operation runs.
  bool StartWrite(std::string_view path, std::vector<uint8_t> bytes, std::function<void(WriteResult)> done,
                  std::function<void()> waiting);

  // Opens the reply handle and posts one 64-byte read. False when the path cannot be opened.
  bool OpenReply(std::string_view path);

  // Cancels a pending read, waits until the system has let go of its buffer, and closes the reply handle.
  void CloseReply() { reply_.reset(); }

  bool ReplyOpen() const { return reply_ != nullptr; }

  // True while a write or a collection runs: a handler must then start nothing on the channel.
  bool Busy() const { return background_.Running(); }

  // Looks at the reply read up to `checks` times for a frame among the bytes collected so far, posting the read
  // again whenever it ends, off the window's thread; closes the reply handle; then `done` with the frame, if any.
  // False, and nothing started, when no reply is open or another operation runs.
  bool StartCollect(int checks, std::function<void(std::optional<FrameBytes>)> done);

  // The collection itself, as StartCollect runs it: blocks its thread for up to about kReplyWaitBudget.
  static std::optional<FrameBytes> CollectFrame(platform::DeviceFile& reply, int checks,
                                                const std::function<Clock::time_point()>& now);

 private:
  platform::DeviceFiles& devices_;
  platform::BackgroundWork& background_;
  std::function<Clock::time_point()> now_;
  std::unique_ptr<platform::DeviceFile> reply_;
  // The file the running work uses, so that closing the window can make it give up.
  std::shared_ptr<platform::DeviceFile> inUse_;
};

// What the debug view says when a printer took no data: the likely causes, in the window's language.
std::string_view PrinterTookNoDataText(bool chinese);
std::string_view SettingsNotTakenText(bool chinese);
// What it says while a write waits for the printer to take it.
std::string_view WaitingForPrinterText(bool chinese);

}  // namespace quorvel
