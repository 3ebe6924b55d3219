#pragma once
// The two ways the main window reaches a printer's device file: one synchronous write on a handle of its own,
// and the overlapped reply handle that collects the 64-byte parameter frame.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "config_tool/params/parameter_frame.h"
#include "platform/interfaces/device_file.h"

namespace quorvel {

enum class WriteResult { OpenFailed, WriteFailed, ShortWrite, Written };

class DeviceChannel {
 public:
  explicit DeviceChannel(platform::DeviceFiles& devices) : devices_(devices) {}

  // Opens the path, writes all bytes in one call, closes it again.
  WriteResult WriteOnce(std::string_view path, std::span<const uint8_t> bytes);

  // Opens the reply handle and posts one 64-byte read. False when the path cannot be opened.
  bool OpenReply(std::string_view path);

  // Cancels a pending read, waits until the system has let go of its buffer, and closes the reply handle.
  void CloseReply() { reply_.reset(); }

  bool ReplyOpen() const { return reply_ != nullptr; }

  // Looks at the reply read up to `checks` times, without pause, for a complete frame, posting it again whenever
  // it ends without one; closes the reply handle.
  std::optional<std::array<uint8_t, kFrameSize>> CollectFrame(int checks);

 private:
  platform::DeviceFiles& devices_;
  std::unique_ptr<platform::DeviceFile> reply_;
};

}  // namespace quorvel
