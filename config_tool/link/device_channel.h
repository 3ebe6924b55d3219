#pragma once
// The two ways the main window reaches a printer's device file: one bounded write on a handle of its own,
// and the overlapped reply handle that collects the 64-byte parameter frame.
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "config_tool/params/parameter_frame.h"
#include "platform/interfaces/device_file.h"

namespace quorvel {

// How long a write to a printer may take before it is given up. A printer that is out of paper, has its cover
// open or is busy holds the host off without end; a healthy one takes a command in milliseconds.
inline constexpr std::chrono::milliseconds kDeviceWriteLimit{5000};

// Each look at the reply read may wait this long for it to end, so that a read posted again has a real chance to
// complete between looks; once the looks of one collection have spent kReplyWaitBudget, the rest do not wait.
inline constexpr std::chrono::milliseconds kReplyCheckWait{1};
inline constexpr std::chrono::milliseconds kReplyWaitBudget{1000};

enum class WriteResult {
  OpenFailed,
  WriteFailed,
  ShortWrite,
  TimedOut,  // the printer took no data within kDeviceWriteLimit
  Busy,      // another operation of the channel is still running
  Written,
};

class DeviceChannel {
 public:
  using Clock = std::chrono::steady_clock;

  explicit DeviceChannel(platform::DeviceFiles& devices, std::function<Clock::time_point()> now = &Clock::now)
      : devices_(devices), now_(std::move(now)) {}

  // Opens the path, writes all bytes in one bounded call, closes it again.
  WriteResult WriteOnce(std::string_view path, std::span<const uint8_t> bytes);

  // Opens the reply handle and posts one 64-byte read. False when the path cannot be opened.
  bool OpenReply(std::string_view path);

  // Cancels a pending read, waits until the system has let go of its buffer, and closes the reply handle.
  void CloseReply() { reply_.reset(); }

  bool ReplyOpen() const { return reply_ != nullptr; }

  // True while a write or a collection runs. The window answers messages sent to it meanwhile, so a handler can be
  // reached again from inside one: it must then leave the channel alone.
  bool Busy() const { return busy_; }

  // Looks at the reply read up to `checks` times for a frame among the bytes collected so far, posting the read
  // again whenever it ends; closes the reply handle.
  std::optional<std::array<uint8_t, kFrameSize>> CollectFrame(int checks);

 private:
  platform::DeviceFiles& devices_;
  std::function<Clock::time_point()> now_;
  std::unique_ptr<platform::DeviceFile> reply_;
  bool busy_ = false;
};

// What the debug view says when a printer took no data: the likely causes, in the window's language.
std::string_view PrinterTookNoDataText(bool chinese);
std::string_view SettingsNotTakenText(bool chinese);

}  // namespace quorvel
